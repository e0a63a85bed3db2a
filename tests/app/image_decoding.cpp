// Targa, JPEG and alpha-JPEG decoding from bytes, and the pixel helpers of the texture
// loaders.
#include <gtest/gtest.h>

#include <cstring>

#include "resources/image.h"
#include "test_images.h"

namespace {

const uint8_t* bytes(const std::string& s) {
    return reinterpret_cast<const uint8_t*>(s.data());
}

uint32_t texel(const Image& image, int x, int y) {
    const uint8_t* p = &image.pixels[(static_cast<size_t>(y) * image.width + x) * 4];
    return static_cast<uint32_t>(p[3]) << 24 | p[2] << 16 | p[1] << 8 | p[0];
}

}  // namespace

TEST(TargaDecoding, EveryLayoutGivesTheSameTexelsTopRowFirst) {
    auto picture = [](int x, int y) -> uint32_t {
        if (y == 0) return 0x80FF0000;  // a half-transparent red top row (one run)
        return 0xFF000000u | static_cast<uint32_t>(x * 40) << 8 | static_cast<uint32_t>(y * 50);
    };
    for (int bits : {24, 32}) {
        for (bool runLength : {false, true}) {
            for (bool topToBottom : {false, true}) {
                SCOPED_TRACE(testing::Message()
                             << bits << " bits, rle " << runLength << ", top " << topToBottom);
                std::string file = makeTarga(5, 4, {bits, runLength, topToBottom}, picture);
                Image image;
                ASSERT_TRUE(decodeTarga(bytes(file), file.size(), image));
                ASSERT_EQ(image.width, 5);
                ASSERT_EQ(image.height, 4);
                for (int y = 0; y < 4; ++y) {
                    for (int x = 0; x < 5; ++x) {
                        uint32_t expected = picture(x, y);
                        if (bits == 24) expected |= 0xFF000000u;
                        ASSERT_EQ(texel(image, x, y), expected) << x << "," << y;
                    }
                }
            }
        }
    }
}

TEST(TargaDecoding, DamagedFilesFailWithoutReadingPastTheData) {
    std::string file =
        makeTarga(16, 16, {32, true, false}, [](int x, int) { return x < 8 ? 0xFF112233u : 0xFF445566u; });
    for (size_t cut : {size_t{0}, size_t{5}, size_t{17}, size_t{18}, file.size() / 2, file.size() - 1}) {
        // A heap copy of exactly the cut length, so the address sanitizer sees any overread.
        std::vector<uint8_t> part(file.begin(), file.begin() + static_cast<long>(cut));
        Image image;
        bool decoded = decodeTarga(part.data(), part.size(), image);
        if (decoded) {
            EXPECT_EQ(image.pixels.size(), static_cast<size_t>(image.width) * image.height * 4);
        }
    }
    // A header asking for 4000 x 4000 pixels over a few bytes is damaged, raw or run-length.
    for (const bool runLength : {false, true}) {
        std::string big = makeTarga(2, 2, {32, runLength, false}, [](int, int) { return 0xFF102030u; });
        big[12] = big[14] = static_cast<char>(4000 & 0xFF);
        big[13] = big[15] = static_cast<char>(4000 >> 8);
        Image image;
        EXPECT_FALSE(decodeTarga(bytes(big), big.size(), image)) << runLength;
        EXPECT_TRUE(image.pixels.empty());
    }
    std::string huge = makeTarga(1, 1, {24, false, false}, [](int, int) { return 0u; });
    huge[12] = huge[13] = huge[14] = huge[15] = static_cast<char>(0xFF);  // 65535 x 65535
    Image image;
    EXPECT_FALSE(decodeTarga(bytes(huge), huge.size(), image));
}

TEST(JpegDecoding, DecodesOpaqueTexelsAndRejectsGarbage) {
    std::string file = makeJpeg(32, 16, [](int x, int y) { return quarters(32, 16, x, y); });
    Image image;
    ASSERT_TRUE(decodeJpeg(bytes(file), file.size(), image));
    ASSERT_EQ(image.width, 32);
    ASSERT_EQ(image.height, 16);
    uint32_t topLeft = texel(image, 2, 2), bottomRight = texel(image, 29, 13);
    EXPECT_EQ(topLeft >> 24, 255u);
    EXPECT_GT((topLeft >> 16) & 255, 230u);  // red
    EXPECT_LT(topLeft & 255, 30u);
    EXPECT_GT(bottomRight & 255, 230u);  // white
    std::string garbage(300, 'x');
    EXPECT_FALSE(decodeJpeg(bytes(garbage), garbage.size(), image));
    EXPECT_TRUE(image.pixels.empty());
}

TEST(JpegDecoding, TruncatedStreamNeverReadsPastItsEnd) {
    std::string file =
        makeJpeg(64, 64, [](int x, int y) { return 0xFF000000u | static_cast<uint32_t>(x * y); });
    for (size_t cut : {size_t{2}, size_t{100}, file.size() / 2, file.size() - 2}) {
        std::vector<uint8_t> part(file.begin(), file.begin() + static_cast<long>(cut));
        Image image;
        if (decodeJpeg(part.data(), part.size(), image)) {
            EXPECT_EQ(image.width, 64);
            EXPECT_EQ(image.pixels[3], 255);
        }
    }
}

TEST(AlphaJpeg, PlaneFollowsTheEndMarker) {
    std::string jpeg = makeJpeg(4, 4, [](int, int) { return 0xFF808080u; });
    std::string exact = jpeg + std::string(16, '\x40');
    AlphaJpegParts parts = splitAlphaJpeg(bytes(exact), exact.size());
    EXPECT_EQ(parts.jpegSize, jpeg.size());
    EXPECT_EQ(parts.alphaSize, 16u);

    // A short plane sets only the first texels; the rest stay opaque.
    Image image;
    ASSERT_TRUE(decodeJpeg(bytes(jpeg), jpeg.size(), image));
    const uint8_t plane[5] = {0, 10, 20, 30, 40};
    applyAlphaPlane(image, plane, sizeof plane);
    EXPECT_EQ(texel(image, 0, 0) >> 24, 0u);
    EXPECT_EQ(texel(image, 0, 1) >> 24, 40u);  // texel 4 is the first of the second row
    EXPECT_EQ(texel(image, 1, 1) >> 24, 255u);

    // A plane longer than the image stops at its last texel.
    std::vector<uint8_t> longPlane(1000, 7);
    applyAlphaPlane(image, longPlane.data(), longPlane.size());
    EXPECT_EQ(texel(image, 3, 3) >> 24, 7u);

    // No end marker: the whole file is the JPEG part, no plane.
    std::vector<uint8_t> unmarked(jpeg.begin(), jpeg.end() - 2);
    parts = splitAlphaJpeg(unmarked.data(), unmarked.size());
    EXPECT_EQ(parts.jpegSize, unmarked.size());
    EXPECT_EQ(parts.alphaSize, 0u);
    EXPECT_EQ(parts.alpha, nullptr);
}

TEST(AlphaJpeg, CornerPlaneUsesItsOwnRowWidthAndSkipsMissingRows) {
    Image image = blankImage(8, 4);
    const uint8_t plane[7] = {1, 2, 3, 4, 5, 6, 7};  // a 3 x 3 plane cut after two rows and a bit
    applyAlphaPlaneToCorner(image, plane, sizeof plane, 3, 3);
    EXPECT_EQ(texel(image, 2, 0) >> 24, 3u);
    EXPECT_EQ(texel(image, 0, 1) >> 24, 4u);
    EXPECT_EQ(texel(image, 3, 0) >> 24, 0u);
    EXPECT_EQ(texel(image, 0, 2) >> 24, 0u);  // the third row is incomplete: untouched
}

TEST(ImageHelpers, PowersOfTwoCornersAndScaling) {
    EXPECT_EQ(nextPowerOfTwo(0), 2);
    EXPECT_EQ(nextPowerOfTwo(1), 2);
    EXPECT_EQ(nextPowerOfTwo(2), 4);
    EXPECT_EQ(nextPowerOfTwo(310), 512);
    EXPECT_EQ(nextPowerOfTwo(512), 1024);
    EXPECT_EQ(nextPowerOfTwo(600), 1024);
    EXPECT_EQ(nextPowerOfTwo(1023), 1024);
    EXPECT_EQ(nextPowerOfTwo(1024), 0);

    Image big = blankImage(4, 4);
    for (size_t i = 0; i < big.pixels.size(); ++i)
        big.pixels[i] = static_cast<uint8_t>(i % 4 == 0 ? (i / 4) * 10 : 255);
    Image small = blankImage(2, 2);
    copyIntoCorner(small, big);
    EXPECT_EQ(small.pixels[4], 10);  // texel (1, 0) of the big image

    Image half = scaleImage(big, 2, 2);
    EXPECT_EQ(half.pixels[0], 25);  // average of 0, 10, 40, 50
    Image twice = scaleImage(big, 8, 8);
    EXPECT_EQ(twice.width, 8);
    EXPECT_EQ(twice.pixels[3], 255);
}

// A picture drawn in tiles: only tiles whose every texel, with a one-texel margin for
// filtering, is opaque or clear may be drawn without blending or left out.
TEST(ImageHelpers, TilesAreOpaqueOrClearOnlyWithTheirFilteringMargin) {
    Image image = blankImage(20, 12);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 20; ++x)
            image.pixels[(static_cast<size_t>(y) * 20 + x) * 4 + 3] = x < 9 ? 255 : x < 11 ? 100 : 0;
    uint8_t tiles[3][5];
    std::memset(tiles, 0xEE, sizeof tiles);
    classifyTiles(image, 20, 12, 4, &tiles[0][0]);
    for (int column = 0; column < 5; ++column) {
        EXPECT_EQ(tiles[0][column], kTilePartial);  // their margin leaves the picture
        EXPECT_EQ(tiles[2][column], kTilePartial);
    }
    EXPECT_EQ(tiles[1][0], kTilePartial);
    EXPECT_EQ(tiles[1][1], kTileOpaque);   // texels 3..8
    EXPECT_EQ(tiles[1][2], kTilePartial);  // texels 7..12: opaque, half and clear
    EXPECT_EQ(tiles[1][3], kTileClear);    // texels 11..16
    EXPECT_EQ(tiles[1][4], kTilePartial);

    // A region smaller than the image fills exactly its own tiles, a last one cut short
    // included, and its edge counts as the picture's edge.
    uint8_t cut[2][3];
    classifyTiles(image, 10, 6, 4, &cut[0][0]);
    EXPECT_EQ(cut[1][2], kTilePartial);
    image.pixels.assign(image.pixels.size(), 255);
    classifyTiles(image, 20, 12, 4, &tiles[0][0]);
    EXPECT_EQ(tiles[1][1], kTileOpaque);
    EXPECT_EQ(tiles[1][3], kTileOpaque);
}

// The texture table over real GPU textures, with image files made in a test folder.
#include <cstring>
#include <string>

#include "../app/test_images.h"
#include "app/textures.h"
#include "gl_fixture.h"
#include "resources/fatal.h"
#include "resources/files.h"
#include "tests/support/temp_folder.h"

namespace {

std::string lastFatal;
void recordFatal(const char* caption, const char* text) {
    lastFatal = std::string(caption) + "|" + text;
}

class TextureTableTest : public GlTest {
  protected:
    void SetUp() override {
        GlTest::SetUp();
        lastFatal.clear();
        previous = setFatalHandler(recordFatal);
    }
    void TearDown() override {
        releaseAllTextures(table);
        clearRegistry(fileRegistry);
        setFatalHandler(previous);
        if (gpuDeviceExists()) {
            EXPECT_EQ(gpuTextureCount(), texturesAtStart);
        }
    }
    // The top-left texel of a texture, as ARGB.
    uint32_t texel(const TextureRecord* record, int x, int y) {
        std::vector<uint8_t> bgra;
        EXPECT_TRUE(gpuReadTexture(record->texture, record->width, record->height, bgra));
        const uint8_t* p = &bgra[(static_cast<size_t>(y) * record->width + x) * 4];
        return static_cast<uint32_t>(p[3]) << 24 | p[2] << 16 | p[1] << 8 | p[0];
    }

    TempFolder folder;
    FatalHandler previous = nullptr;
    int texturesAtStart = gpuTextureCount();
    static TextureTable table;
};
TextureTable TextureTableTest::table;

std::string solidTarga(uint32_t argb, int size = 4) {
    return makeTarga(size, size, {32, false, true}, [argb](int, int) { return argb; });
}

}  // namespace

TEST_F(TextureTableTest, AlphaJpegReplacesTargaAndNamesAreExact) {
    writeBytes(folder.path() / "piece.tga", solidTarga(0xFF00FF00));
    writeBytes(folder.path() / "_a_piece.jpg",
               makeJpeg(4, 4, [](int, int) { return 0xFFFF0000u; }) + std::string(16, '\x20'));
    writeBytes(folder.path() / "plain.tga", solidTarga(0x800000FF));
    // A loose file's bytes are let go once its texture holds them: another name is read
    // from its own file.
    writeBytes(folder.path() / "PLAIN.tga", solidTarga(0x800000FF));

    TextureRecord* piece = loadTexture(table, "piece.tga");
    ASSERT_NE(piece, nullptr);
    EXPECT_STREQ(piece->name, "_a_piece.jpg");
    EXPECT_TRUE(piece->hasAlpha);
    EXPECT_EQ(texel(piece, 1, 1) >> 24, 0x20u);
    EXPECT_EQ(loadTexture(table, "piece.tga"), piece);  // no second texture for a second request

    TextureRecord* plain = loadTexture(table, "plain.tga");
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(loadTexture(table, "plain.tga"), plain);
    TextureRecord* shouted = loadTexture(table, "PLAIN.tga");  // another name, another texture
    ASSERT_NE(shouted, nullptr);
    EXPECT_NE(shouted, plain);
    EXPECT_EQ(texel(plain, 0, 0), 0x800000FFu);
    EXPECT_EQ(table.count, 3);
}

TEST_F(TextureTableTest, MissingAndDamagedImagesFollowTheFatalFlag) {
    EXPECT_EQ(loadTexture(table, "nothing.tga", false), nullptr);
    EXPECT_TRUE(lastFatal.empty());
    EXPECT_EQ(loadTexture(table, "nothing.tga", true), nullptr);
    EXPECT_EQ(lastFatal, "Loading error|Couldn't load texture: nothing.tga");

    writeBytes(folder.path() / "_a_broken.jpg", std::string("\xFF\xD8garbage\xFF\xD9", 11));
    EXPECT_EQ(loadAlphaJpeg(table, "_a_broken.jpg", false), nullptr);
    EXPECT_EQ(loadAlphaJpeg(table, "_a_broken.jpg", true), nullptr);
    EXPECT_EQ(lastFatal, "Loading error|Can't load texture: _a_broken.jpg");
    EXPECT_EQ(loadAlphaJpeg(table, "_a_absent.jpg", true), nullptr);  // missing: quietly null
    EXPECT_EQ(table.count, 0);
}

TEST_F(TextureTableTest, SizedImagesSitInTheTopLeftCornerOfAPowerOfTwoTexture) {
    writeBytes(folder.path() / "splash.jpg",
               makeJpeg(800, 600, [](int x, int y) { return quarters(800, 600, x, y); }));
    TextureRecord* splash = loadImageSized(table, "splash.jpg", 800, 600);
    ASSERT_NE(splash, nullptr);
    EXPECT_EQ(splash->width, 1024);
    EXPECT_EQ(splash->height, 1024);
    EXPECT_GT((texel(splash, 10, 10) >> 16) & 255, 230u);  // red quarter, unscaled
    EXPECT_GT(texel(splash, 790, 590) & 255, 230u);        // white quarter
    EXPECT_EQ(texel(splash, 900, 10), 0u);                 // outside the picture: transparent

    std::string bar = makeJpeg(310, 48, [](int, int) { return 0xFF808080u; });
    std::string plane(310 * 48, '\x7F');
    plane[0] = 0;
    writeBytes(folder.path() / "bar.jpg", bar + plane);
    TextureRecord* sized = loadAlphaJpegSized(table, "bar.jpg", 310, 48);
    ASSERT_NE(sized, nullptr);
    EXPECT_EQ(sized->width, 512);
    EXPECT_EQ(sized->height, 64);
    EXPECT_EQ(texel(sized, 0, 0) >> 24, 0u);
    EXPECT_EQ(texel(sized, 309, 47) >> 24, 0x7Fu);  // plane rows are 310 bytes, texture rows 512
    EXPECT_EQ(texel(sized, 310, 0) >> 24, 0u);
    EXPECT_EQ(loadAlphaJpegSized(table, "gone.jpg", 310, 48), nullptr);
    EXPECT_TRUE(lastFatal.empty());

    EXPECT_EQ(loadImageSized(table, "gone.jpg", 800, 600), nullptr);  // missing is fatal
    EXPECT_NE(lastFatal.find("gone.jpg"), std::string::npos);
    EXPECT_EQ(loadImageSized(table, "splash2.jpg", 1024, 600), nullptr);  // too large for the rule
}

TEST_F(TextureTableTest, CopiesMasksAndReleaseKeepsTheOrder) {
    writeBytes(folder.path() / "art.tga", solidTarga(0xFF336699, 8));
    std::string mask =
        makeTarga(8, 8, {24, false, true}, [](int x, int) { return x < 4 ? 0xFF0000FFu : 0xFF000010u; });
    writeBytes(folder.path() / "mask.tga", mask);

    TextureRecord* covered = maskedCopy(table, "covered", "art.tga", "mask.tga");
    ASSERT_NE(covered, nullptr);
    EXPECT_EQ(texel(covered, 1, 5), 0xFF336699u);
    EXPECT_EQ(texel(covered, 6, 5), 0x10336699u);
    TextureRecord* small = copyTexture(table, "small", "art.tga", 2, 2);
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(small->width, 2);
    EXPECT_EQ(texel(small, 1, 1), 0xFF336699u);

    TextureRecord* empty = createTexture(table, "target", 16, 16, kFormatArgb32, false);
    ASSERT_NE(empty, nullptr);
    ASSERT_EQ(table.count, 5);  // art, covered, mask, small, target
    EXPECT_STREQ(table.order[0]->name, "art.tga");
    releaseTextureByName(table, "covered");
    EXPECT_EQ(table.count, 4);
    EXPECT_STREQ(table.order[1]->name, "mask.tga");
    EXPECT_STREQ(table.order[3]->name, "target");
    EXPECT_EQ(findTexture(table, "covered"), nullptr);
    EXPECT_STREQ(small->name, "small");  // records held by callers stay where they were
}

TEST_F(TextureTableTest, AFullTableRefusesFurtherImages) {
    writeBytes(folder.path() / "one.tga", solidTarga(0xFFFFFFFF, 1));
    for (int i = 0; i < kTextureCapacity; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "slot%d", i);
        ASSERT_NE(createTexture(table, name, 1, 1, kFormatArgb32, false), nullptr) << i;
    }
    EXPECT_EQ(createTexture(table, "extra", 1, 1, kFormatArgb32, false), nullptr);
    EXPECT_EQ(loadTexture(table, "one.tga", false), nullptr);
    EXPECT_EQ(table.count, kTextureCapacity);
}

#pragma once
// Image decoding for textures: Targa and JPEG files, and the game's alpha JPEG (a JPEG
// stream followed by a raw alpha plane). Everything here works on bytes in memory and
// returns pixel buffers, so it runs without a window and can be fed arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

constexpr int kImageSizeLimit = 4096;  // widest or tallest image accepted, in pixels

// 32-bit texels stored as the bytes blue, green, red, alpha, rows from the top.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;  // width * height * 4 bytes
};

// Decoders: true on success. A damaged or unsupported file gives false and an empty image.
bool decodeTarga(const uint8_t* data, size_t size, Image& out);  // every Targa variant
bool decodeJpeg(const uint8_t* data, size_t size, Image& out);   // alpha 255
// A Targa file when the name says so (".tga" in any letter case), otherwise JPEG.
bool decodeImage(const char* name, const uint8_t* data, size_t size, Image& out);

// An alpha JPEG: the JPEG part ends right after the first FF D9 pair, the rest is the
// alpha plane. Without the marker the whole file is the JPEG part and there is no alpha.
struct AlphaJpegParts {
    size_t jpegSize;
    const uint8_t* alpha;
    size_t alphaSize;
};
AlphaJpegParts splitAlphaJpeg(const uint8_t* data, size_t size);

// Writes alpha bytes into the alpha channel of consecutive texels from the first one.
// Stops at the end of the plane or of the image, whichever comes first.
void applyAlphaPlane(Image& image, const uint8_t* alpha, size_t alphaSize);

// Writes a width x height alpha plane, row by row, into the top-left corner of the
// image. Rows the plane does not fully hold, and texels outside the image, are skipped.
void applyAlphaPlaneToCorner(Image& image, const uint8_t* alpha, size_t alphaSize, int width, int height);

// A transparent black image of the given size.
Image blankImage(int width, int height);

// Copies source into the top-left corner of target, unscaled; what does not fit is cut.
void copyIntoCorner(Image& target, const Image& source);

// Resamples to a new size (box average when shrinking, bilinear when enlarging).
Image scaleImage(const Image& source, int width, int height);

// How much of each square tile of an image's top-left regionWidth x regionHeight region
// its alpha covers, for drawing a picture in parts: opaque where every texel within one
// texel of the tile has alpha 255, clear where every such texel has alpha 0, partial
// otherwise; texels outside the region count as neither. The margin makes the answer
// hold for filtered look-ups at the tile's edges too. tiles receives
// ceil(regionWidth / tileSize) x ceil(regionHeight / tileSize) bytes, row by row from the top.
enum TileCover : uint8_t { kTileClear = 0, kTilePartial = 1, kTileOpaque = 2 };
void classifyTiles(const Image& image, int regionWidth, int regionHeight, int tileSize, uint8_t* tiles);

// The smallest power of two strictly greater than n among 2, 4, ..., 1024; 0 when n
// is 1024 or more (600 -> 1024, 512 -> 1024, 1 -> 2).
int nextPowerOfTwo(int n);

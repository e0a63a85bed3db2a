#include "resources/image.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_TGA
#define STBI_NO_STDIO
#define STBI_NO_FAILURE_STRINGS
#define STBI_MAX_DIMENSIONS kImageSizeLimit
#include <stb_image.h>

namespace {

bool nameIsTarga(const char* name) {
    return std::strstr(name, ".tga") != nullptr || std::strstr(name, ".TGA") != nullptr ||
           std::strstr(name, ".Tga") != nullptr;
}

// libjpeg reports errors by calling error_exit, which must not return: jump back.
struct JpegErrorManager {
    jpeg_error_mgr base;
    jmp_buf escape;
    int warnings;
};

// Damaged streams can produce a warning per bad segment; past this many the file is
// treated as undecodable rather than decoded slowly into garbage.
constexpr int kJpegWarningLimit = 64;
// A progressive stream may repeat scans endlessly; no real picture needs this many.
constexpr int kJpegScanLimit = 256;

void jpegErrorExit(j_common_ptr info) {
    auto* manager = reinterpret_cast<JpegErrorManager*>(info->err);
    std::longjmp(manager->escape, 1);
}

void jpegMessage(j_common_ptr info, int level) {
    auto* manager = reinterpret_cast<JpegErrorManager*>(info->err);
    if (level < 0 && ++manager->warnings > kJpegWarningLimit) jpegErrorExit(info);
}

void jpegProgress(j_common_ptr info) {
    if (!info->is_decompressor) return;
    auto* decoder = reinterpret_cast<j_decompress_ptr>(info);
    if (decoder->input_scan_number > kJpegScanLimit) jpegErrorExit(info);
}

}  // namespace

// Whether the data can hold the picture its header describes: the pixels of an
// uncompressed file, or for run-length data at least one packet per 128 pixels. A
// shorter file is damaged; refusing it before decoding keeps a few bytes from making
// the decoder allocate and fill a picture of thousands of pixels square.
bool targaLongEnough(const uint8_t* d, size_t size) {
    if (size < 18) return false;
    const size_t idLength = d[0];
    const bool colourMap = d[1] != 0;
    const int type = d[2];
    const size_t mapEntries = static_cast<size_t>(d[5] | d[6] << 8);
    const size_t mapEntryBytes = (static_cast<size_t>(d[7]) + 7) / 8;
    const size_t pixels = static_cast<size_t>(d[12] | d[13] << 8) * static_cast<size_t>(d[14] | d[15] << 8);
    const size_t pixelBytes = (static_cast<size_t>(d[16]) + 7) / 8;
    const size_t header = 18 + idLength + (colourMap ? mapEntries * mapEntryBytes : 0);
    const size_t body = type >= 8 ? (pixels + 127) / 128 * (1 + pixelBytes) : pixels * pixelBytes;
    return size >= header + body;
}

bool decodeTarga(const uint8_t* data, size_t size, Image& out) {
    out = Image{};
    if (data == nullptr || size == 0 || size > 0x7fffffffu) return false;
    if (!targaLongEnough(data, size)) return false;
    int width = 0, height = 0, channels = 0;
    stbi_uc* rgba = stbi_load_from_memory(data, static_cast<int>(size), &width, &height, &channels, 4);
    if (rgba == nullptr) return false;
    out.width = width;
    out.height = height;
    out.pixels.resize(static_cast<size_t>(width) * height * 4);
    for (size_t i = 0; i < out.pixels.size(); i += 4) {
        out.pixels[i + 0] = rgba[i + 2];
        out.pixels[i + 1] = rgba[i + 1];
        out.pixels[i + 2] = rgba[i + 0];
        out.pixels[i + 3] = rgba[i + 3];
    }
    stbi_image_free(rgba);
    return true;
}

bool decodeJpeg(const uint8_t* data, size_t size, Image& out) {
    out = Image{};
    if (data == nullptr || size == 0 || size > 0x7fffffffu) return false;
    jpeg_decompress_struct decoder;
    JpegErrorManager errors;
    jpeg_progress_mgr progress;
    decoder.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = jpegErrorExit;
    errors.base.emit_message = jpegMessage;
    errors.warnings = 0;
    if (setjmp(errors.escape) != 0) {
        jpeg_destroy_decompress(&decoder);
        out = Image{};
        return false;
    }
    jpeg_create_decompress(&decoder);
    progress.progress_monitor = jpegProgress;
    decoder.progress = &progress;
    jpeg_mem_src(&decoder, data, static_cast<unsigned long>(size));
    jpeg_read_header(&decoder, TRUE);
    if (decoder.image_width == 0 || decoder.image_height == 0 || decoder.image_width > kImageSizeLimit ||
        decoder.image_height > kImageSizeLimit) {
        jpeg_destroy_decompress(&decoder);
        return false;
    }
    decoder.out_color_space = JCS_EXT_BGRA;
    jpeg_start_decompress(&decoder);
    out.width = static_cast<int>(decoder.output_width);
    out.height = static_cast<int>(decoder.output_height);
    out.pixels.assign(static_cast<size_t>(out.width) * out.height * 4, 0);
    while (decoder.output_scanline < decoder.output_height) {
        JSAMPROW row = out.pixels.data() + static_cast<size_t>(decoder.output_scanline) * out.width * 4;
        if (jpeg_read_scanlines(&decoder, &row, 1) != 1) break;  // data ran out: rest stays black
    }
    // Alpha is 255 from the converter; rows never written still need it.
    for (size_t i = 3; i < out.pixels.size(); i += 4) out.pixels[i] = 255;
    jpeg_abort_decompress(&decoder);
    jpeg_destroy_decompress(&decoder);
    return true;
}

bool decodeImage(const char* name, const uint8_t* data, size_t size, Image& out) {
    return nameIsTarga(name) ? decodeTarga(data, size, out) : decodeJpeg(data, size, out);
}

AlphaJpegParts splitAlphaJpeg(const uint8_t* data, size_t size) {
    for (size_t i = 0; i + 1 < size; ++i) {
        if (data[i] == 0xFF && data[i + 1] == 0xD9) return {i + 2, data + i + 2, size - (i + 2)};
    }
    return {size, nullptr, 0};
}

void applyAlphaPlane(Image& image, const uint8_t* alpha, size_t alphaSize) {
    size_t texels = static_cast<size_t>(image.width) * image.height;
    size_t count = alphaSize < texels ? alphaSize : texels;
    for (size_t i = 0; i < count; ++i) image.pixels[i * 4 + 3] = alpha[i];
}

void applyAlphaPlaneToCorner(Image& image, const uint8_t* alpha, size_t alphaSize, int width, int height) {
    if (width <= 0 || height <= 0) return;
    int columns = width < image.width ? width : image.width;
    for (int y = 0; y < height && y < image.height; ++y) {
        size_t rowStart = static_cast<size_t>(y) * width;
        if (rowStart + columns > alphaSize) break;
        uint8_t* row = image.pixels.data() + static_cast<size_t>(y) * image.width * 4;
        for (int x = 0; x < columns; ++x) row[x * 4 + 3] = alpha[rowStart + x];
    }
}

Image blankImage(int width, int height) {
    Image image;
    image.width = width;
    image.height = height;
    image.pixels.assign(static_cast<size_t>(width) * height * 4, 0);
    return image;
}

void copyIntoCorner(Image& target, const Image& source) {
    int columns = source.width < target.width ? source.width : target.width;
    int rows = source.height < target.height ? source.height : target.height;
    for (int y = 0; y < rows; ++y) {
        std::memcpy(target.pixels.data() + static_cast<size_t>(y) * target.width * 4,
                    source.pixels.data() + static_cast<size_t>(y) * source.width * 4,
                    static_cast<size_t>(columns) * 4);
    }
}

Image scaleImage(const Image& source, int width, int height) {
    Image out = blankImage(width, height);
    if (source.width <= 0 || source.height <= 0 || width <= 0 || height <= 0) return out;
    if (width == source.width && height == source.height) return source;
    float stepX = static_cast<float>(source.width) / width;
    float stepY = static_cast<float>(source.height) / height;
    auto texel = [&](int x, int y, int c) {
        return static_cast<float>(source.pixels[(static_cast<size_t>(y) * source.width + x) * 4 + c]);
    };
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            float sum[4] = {0, 0, 0, 0};
            if (stepX > 1.0f || stepY > 1.0f) {
                // Box average over the source texels the target texel covers.
                int x0 = static_cast<int>(x * stepX), x1 = static_cast<int>((x + 1) * stepX);
                int y0 = static_cast<int>(y * stepY), y1 = static_cast<int>((y + 1) * stepY);
                if (x1 <= x0) x1 = x0 + 1;
                if (y1 <= y0) y1 = y0 + 1;
                if (x1 > source.width) x1 = source.width;
                if (y1 > source.height) y1 = source.height;
                int count = (x1 - x0) * (y1 - y0);
                for (int sy = y0; sy < y1; ++sy)
                    for (int sx = x0; sx < x1; ++sx)
                        for (int c = 0; c < 4; ++c) sum[c] += texel(sx, sy, c);
                for (float& s : sum) s /= static_cast<float>(count);
            } else {
                float fx = (x + 0.5f) * stepX - 0.5f, fy = (y + 0.5f) * stepY - 0.5f;
                if (fx < 0) fx = 0;
                if (fy < 0) fy = 0;
                int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
                int jx = ix + 1 < source.width ? ix + 1 : ix, jy = iy + 1 < source.height ? iy + 1 : iy;
                float ax = fx - ix, ay = fy - iy;
                for (int c = 0; c < 4; ++c) {
                    float top = texel(ix, iy, c) * (1 - ax) + texel(jx, iy, c) * ax;
                    float bottom = texel(ix, jy, c) * (1 - ax) + texel(jx, jy, c) * ax;
                    sum[c] = top * (1 - ay) + bottom * ay;
                }
            }
            uint8_t* dst = out.pixels.data() + (static_cast<size_t>(y) * width + x) * 4;
            for (int c = 0; c < 4; ++c) dst[c] = static_cast<uint8_t>(sum[c] + 0.5f);
        }
    }
    return out;
}

void classifyTiles(const Image& image, int regionWidth, int regionHeight, int tileSize, uint8_t* tiles) {
    if (tileSize <= 0 || regionWidth <= 0 || regionHeight <= 0) return;
    const int columns = (regionWidth + tileSize - 1) / tileSize,
              rows = (regionHeight + tileSize - 1) / tileSize;
    const int width = std::min(regionWidth, image.width), height = std::min(regionHeight, image.height);
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns; ++column) {
            const int x0 = column * tileSize - 1, y0 = row * tileSize - 1;
            const int x1 = std::min((column + 1) * tileSize + 1, regionWidth + 1);
            const int y1 = std::min((row + 1) * tileSize + 1, regionHeight + 1);
            bool notOpaque = false, notClear = false, outside = false;
            for (int y = y0; y < y1 && !outside; ++y)
                for (int x = x0; x < x1; ++x) {
                    if (x < 0 || y < 0 || x >= width || y >= height) {
                        outside = true;
                        break;
                    }
                    const uint8_t alpha = image.pixels[(static_cast<size_t>(y) * image.width + x) * 4 + 3];
                    notOpaque |= alpha != 255;
                    notClear |= alpha != 0;
                }
            uint8_t& cover = tiles[row * columns + column];
            cover = outside || (notOpaque && notClear) ? kTilePartial : notClear ? kTileOpaque : kTileClear;
        }
}

int nextPowerOfTwo(int n) {
    for (int p = 2; p <= 1024; p *= 2) {
        if (p > n) return p;
    }
    return 0;
}

#pragma once
// Small images made in the tests: Targa files in every layout, JPEG and alpha-JPEG bytes.
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include <jpeglib.h>

using PixelFunction = std::function<uint32_t(int x, int y)>;  // ARGB

struct TargaLayout {
    int bits;  // 24 or 32
    bool runLength;
    bool topToBottom;
};

inline std::string makeTarga(int width, int height, TargaLayout layout, const PixelFunction& pixel) {
    std::string out(18, '\0');
    out[2] = static_cast<char>(layout.runLength ? 10 : 2);
    out[12] = static_cast<char>(width & 255);
    out[13] = static_cast<char>(width >> 8);
    out[14] = static_cast<char>(height & 255);
    out[15] = static_cast<char>(height >> 8);
    out[16] = static_cast<char>(layout.bits);
    out[17] = static_cast<char>((layout.topToBottom ? 0x20 : 0) | (layout.bits == 32 ? 8 : 0));
    int bytes = layout.bits / 8;
    auto append = [&](uint32_t argb) {
        char texel[4] = {static_cast<char>(argb & 255), static_cast<char>((argb >> 8) & 255),
                         static_cast<char>((argb >> 16) & 255), static_cast<char>(argb >> 24)};
        out.append(texel, bytes);
    };
    for (int row = 0; row < height; ++row) {
        int y = layout.topToBottom ? row : height - 1 - row;
        if (!layout.runLength) {
            for (int x = 0; x < width; ++x) append(pixel(x, y));
            continue;
        }
        // Runs of equal texels become run packets, everything else single raw packets.
        for (int x = 0; x < width;) {
            int run = 1;
            while (x + run < width && run < 128 && pixel(x + run, y) == pixel(x, y)) ++run;
            out.push_back(static_cast<char>(run > 1 ? 0x80 | (run - 1) : 0));
            append(pixel(x, y));
            x += run;
        }
    }
    return out;
}

inline std::string makeJpeg(int width, int height, const PixelFunction& pixel, int quality = 95) {
    jpeg_compress_struct encoder;
    jpeg_error_mgr errors;
    encoder.err = jpeg_std_error(&errors);
    jpeg_create_compress(&encoder);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&encoder, &buffer, &size);
    encoder.image_width = static_cast<JDIMENSION>(width);
    encoder.image_height = static_cast<JDIMENSION>(height);
    encoder.input_components = 3;
    encoder.in_color_space = JCS_RGB;
    jpeg_set_defaults(&encoder);
    jpeg_set_quality(&encoder, quality, TRUE);
    jpeg_start_compress(&encoder, TRUE);
    std::vector<unsigned char> row(static_cast<size_t>(width) * 3);
    while (encoder.next_scanline < encoder.image_height) {
        int y = static_cast<int>(encoder.next_scanline);
        for (int x = 0; x < width; ++x) {
            uint32_t c = pixel(x, y);
            row[x * 3] = static_cast<unsigned char>((c >> 16) & 255);
            row[x * 3 + 1] = static_cast<unsigned char>((c >> 8) & 255);
            row[x * 3 + 2] = static_cast<unsigned char>(c & 255);
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&encoder, rows, 1);
    }
    jpeg_finish_compress(&encoder);
    jpeg_destroy_compress(&encoder);
    std::string out(reinterpret_cast<char*>(buffer), size);
    free(buffer);
    return out;
}

inline uint32_t solid(uint32_t argb, int, int) {
    return argb;
}

// A 2 x 2 quartered picture: red top-left, green top-right, blue bottom-left, white
// bottom-right, scaled up to width x height.
inline uint32_t quarters(int width, int height, int x, int y) {
    bool right = x >= width / 2, bottom = y >= height / 2;
    if (!bottom) return right ? 0xFF00FF00 : 0xFFFF0000;
    return right ? 0xFFFFFFFF : 0xFF0000FF;
}

#include "tools/datagen/art_common.h"

#include <cstdio>
// clang-format off
#include <jpeglib.h>
// clang-format on

#include <algorithm>
#include <cstring>

#include "tools/datagen/datagen.h"

Canvas::Canvas(int w, int h) : width(w), height(h) {
    surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cr = cairo_create(surface);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_BEST);
}

Canvas::~Canvas() {
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}

Image Canvas::image() const {
    cairo_surface_flush(surface);
    Image img(width, height);
    const uint8_t* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint32_t px;
            std::memcpy(&px, data + y * stride + x * 4, 4);
            const uint32_t a = px >> 24;
            uint8_t* out = img.at(x, y);
            const uint32_t rgb[3] = {(px >> 16) & 255, (px >> 8) & 255, px & 255};
            for (int c = 0; c < 3; ++c)
                out[c] = a ? static_cast<uint8_t>(std::min<uint32_t>(255, (rgb[c] * 255 + a / 2) / a)) : 0;
            out[3] = static_cast<uint8_t>(a);
        }
    }
    return img;
}

void Canvas::paintImage(const Image& img, double x, double y, double scale, double alpha) {
    cairo_surface_t* src = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, img.width, img.height);
    uint8_t* data = cairo_image_surface_get_data(src);
    const int stride = cairo_image_surface_get_stride(src);
    for (int j = 0; j < img.height; ++j) {
        for (int i = 0; i < img.width; ++i) {
            const uint8_t* p = img.at(i, j);
            const uint32_t a = p[3];
            const uint32_t px =
                (a << 24) | ((p[0] * a / 255) << 16) | ((p[1] * a / 255) << 8) | (p[2] * a / 255);
            std::memcpy(data + j * stride + i * 4, &px, 4);
        }
    }
    cairo_surface_mark_dirty(src);
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, scale, scale);
    cairo_set_source_surface(cr, src, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_paint_with_alpha(cr, alpha);
    cairo_restore(cr);
    cairo_surface_destroy(src);
}

static double hashUnit(int x, int y, uint32_t seed) {
    uint32_t h =
        static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xFFFFFF) / 16777215.0;
}

double valueNoise(double x, double y, uint32_t seed) {
    const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    const double fx = x - x0, fy = y - y0;
    const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    const double a = hashUnit(x0, y0, seed), b = hashUnit(x0 + 1, y0, seed);
    const double c = hashUnit(x0, y0 + 1, seed), d = hashUnit(x0 + 1, y0 + 1, seed);
    return (a + (b - a) * sx) + ((c + (d - c) * sx) - (a + (b - a) * sx)) * sy;
}

double fbm(double x, double y, uint32_t seed, int octaves) {
    double sum = 0, amp = 0.5, norm = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += amp * valueNoise(x, y, seed + i * 101);
        norm += amp;
        x *= 2.03;
        y *= 2.03;
        amp *= 0.5;
    }
    return sum / norm;
}

std::vector<uint8_t> encodeTga(const Image& img) {
    std::vector<uint8_t> out(18, 0);
    out[2] = 10;  // run-length true colour
    out[12] = static_cast<uint8_t>(img.width & 255);
    out[13] = static_cast<uint8_t>(img.width >> 8);
    out[14] = static_cast<uint8_t>(img.height & 255);
    out[15] = static_cast<uint8_t>(img.height >> 8);
    out[16] = 32;
    out[17] = 0x28;  // 8 alpha bits, rows stored top first
    for (int y = 0; y < img.height; ++y) {
        // Packets never cross a row, which every reader accepts.
        auto pixel = [&](int x) {
            const uint8_t* p = img.at(x, y);
            // Fully transparent texels carry black so runs stay long.
            return p[3] ? (uint32_t(p[3]) << 24 | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2]) : 0u;
        };
        auto put = [&](uint32_t px) {
            out.push_back(px & 255);
            out.push_back((px >> 8) & 255);
            out.push_back((px >> 16) & 255);
            out.push_back(px >> 24);
        };
        int x = 0;
        while (x < img.width) {
            int run = 1;
            while (x + run < img.width && run < 128 && pixel(x + run) == pixel(x)) ++run;
            if (run >= 2) {
                out.push_back(static_cast<uint8_t>(0x80 | (run - 1)));
                put(pixel(x));
                x += run;
                continue;
            }
            int raw = 1;
            while (x + raw < img.width && raw < 128 &&
                   !(x + raw + 1 < img.width && pixel(x + raw) == pixel(x + raw + 1)))
                ++raw;
            out.push_back(static_cast<uint8_t>(raw - 1));
            for (int i = 0; i < raw; ++i) put(pixel(x + i));
            x += raw;
        }
    }
    return out;
}

std::vector<uint8_t> encodeJpeg(const Image& img, int quality) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(img.width);
    cinfo.image_height = static_cast<JDIMENSION>(img.height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    cinfo.optimize_coding = TRUE;
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<uint8_t> row(static_cast<size_t>(img.width) * 3);
    while (cinfo.next_scanline < cinfo.image_height) {
        const int y = static_cast<int>(cinfo.next_scanline);
        for (int x = 0; x < img.width; ++x) std::memcpy(&row[x * 3], img.at(x, y), 3);
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::vector<uint8_t> out(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return out;
}

std::vector<uint8_t> encodeAlphaJpeg(const Image& img, int quality) {
    std::vector<uint8_t> out = encodeJpeg(img, quality);
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) out.push_back(img.at(x, y)[3]);
    return out;
}

bool writeTga(const std::string& outDir, const std::string& path, const Image& img) {
    const std::vector<uint8_t> bytes = encodeTga(img);
    return writeOutputFile(outDir, path, bytes.data(), bytes.size());
}

bool writeJpeg(const std::string& outDir, const std::string& path, const Image& img, int quality) {
    const std::vector<uint8_t> bytes = encodeJpeg(img, quality);
    return writeOutputFile(outDir, path, bytes.data(), bytes.size());
}

bool writeAlphaJpeg(const std::string& outDir, const std::string& path, const Image& img, int quality) {
    const std::vector<uint8_t> bytes = encodeAlphaJpeg(img, quality);
    return writeOutputFile(outDir, path, bytes.data(), bytes.size());
}

bool writeText(const std::string& outDir, const std::string& path, const std::string& lfText) {
    std::string text;
    for (char c : lfText) {
        if (c == '\n') text += '\r';
        text += c;
    }
    return writeOutputFile(outDir, path, text.data(), text.size());
}

Image resized(const Image& src, int w, int h) {
    // Area average when shrinking, bilinear when growing; alpha-weighted colour.
    Image out(w, h);
    const double sx = static_cast<double>(src.width) / w, sy = static_cast<double>(src.height) / h;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            double acc[4] = {0, 0, 0, 0}, weight = 0;
            if (sx >= 1 && sy >= 1) {
                const int x0 = static_cast<int>(x * sx),
                          x1 = std::max(x0 + 1, static_cast<int>((x + 1) * sx));
                const int y0 = static_cast<int>(y * sy),
                          y1 = std::max(y0 + 1, static_cast<int>((y + 1) * sy));
                for (int j = y0; j < std::min(y1, src.height); ++j)
                    for (int i = x0; i < std::min(x1, src.width); ++i) {
                        const uint8_t* p = src.at(i, j);
                        const double a = p[3] / 255.0;
                        for (int c = 0; c < 3; ++c) acc[c] += p[c] * a;
                        acc[3] += p[3];
                        weight += 1;
                    }
            } else {
                const double fx = std::clamp((x + 0.5) * sx - 0.5, 0.0, src.width - 1.0);
                const double fy = std::clamp((y + 0.5) * sy - 0.5, 0.0, src.height - 1.0);
                const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
                for (int k = 0; k < 4; ++k) {
                    const int i = std::min(ix + (k & 1), src.width - 1),
                              j = std::min(iy + (k >> 1), src.height - 1);
                    const double wgt =
                        ((k & 1) ? fx - ix : 1 - (fx - ix)) * ((k >> 1) ? fy - iy : 1 - (fy - iy));
                    const uint8_t* p = src.at(i, j);
                    const double a = p[3] / 255.0;
                    for (int c = 0; c < 3; ++c) acc[c] += p[c] * a * wgt;
                    acc[3] += p[3] * wgt;
                    weight += wgt;
                }
            }
            uint8_t* o = out.at(x, y);
            const double alpha = acc[3] / weight;
            for (int c = 0; c < 3; ++c)
                o[c] = alpha > 0
                           ? static_cast<uint8_t>(std::clamp(acc[c] / weight / (alpha / 255.0), 0.0, 255.0))
                           : 0;
            o[3] = static_cast<uint8_t>(std::lround(alpha));
        }
    }
    return out;
}

Image flattened(const Image& img, Rgb background) {
    Image out = img;
    const double bg[3] = {background.r * 255, background.g * 255, background.b * 255};
    for (size_t i = 0; i < out.rgba.size(); i += 4) {
        const double a = out.rgba[i + 3] / 255.0;
        for (int c = 0; c < 3; ++c)
            out.rgba[i + c] = static_cast<uint8_t>(out.rgba[i + c] * a + bg[c] * (1 - a));
        out.rgba[i + 3] = 255;
    }
    return out;
}

void blurAlpha(Image& img, int radius) {
    if (radius <= 0) return;
    std::vector<int> tmp(img.rgba.size() / 4);
    for (int pass = 0; pass < 2; ++pass) {
        for (int y = 0; y < img.height; ++y)
            for (int x = 0; x < img.width; ++x) {
                int sum = 0, n = 0;
                for (int k = -radius; k <= radius; ++k) {
                    const int i = pass == 0 ? x + k : x, j = pass == 0 ? y : y + k;
                    if (i < 0 || j < 0 || i >= img.width || j >= img.height) {
                        ++n;
                        continue;
                    }
                    sum += img.at(i, j)[3];
                    ++n;
                }
                tmp[y * img.width + x] = sum / n;
            }
        for (int y = 0; y < img.height; ++y)
            for (int x = 0; x < img.width; ++x)
                img.at(x, y)[3] = static_cast<uint8_t>(tmp[y * img.width + x]);
    }
}

Image withShadow(const Image& img, int radius, double dx, double dy, double opacity) {
    Image shadow(img.width, img.height);
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            const int sx = x - static_cast<int>(std::lround(dx)), sy = y - static_cast<int>(std::lround(dy));
            if (sx >= 0 && sy >= 0 && sx < img.width && sy < img.height)
                shadow.at(x, y)[3] = img.at(sx, sy)[3];
        }
    blurAlpha(shadow, radius);
    Image out(img.width, img.height);
    for (size_t i = 0; i < out.rgba.size(); i += 4) {
        const double sa = shadow.rgba[i + 3] / 255.0 * opacity;
        const double fa = img.rgba[i + 3] / 255.0;
        const double a = fa + sa * (1 - fa);
        for (int c = 0; c < 3; ++c)
            out.rgba[i + c] =
                a > 0 ? static_cast<uint8_t>((img.rgba[i + c] * fa + 10 * sa * (1 - fa)) / a) : 0;
        out.rgba[i + 3] = static_cast<uint8_t>(std::lround(a * 255));
    }
    return out;
}

cairo_pattern_t* radialShade(double cx, double cy, double r, Rgb light, Rgb base, Rgb dark) {
    cairo_pattern_t* p = cairo_pattern_create_radial(cx - r * 0.35, cy - r * 0.4, r * 0.05, cx, cy, r * 1.05);
    cairo_pattern_add_color_stop_rgb(p, 0.0, light.r, light.g, light.b);
    cairo_pattern_add_color_stop_rgb(p, 0.45, base.r, base.g, base.b);
    cairo_pattern_add_color_stop_rgb(p, 1.0, dark.r, dark.g, dark.b);
    return p;
}

void fillMetal(cairo_t* cr, double cx, double cy, double r, Rgb base, bool preserve) {
    cairo_pattern_t* p = radialShade(cx, cy, r, mix(base, {1, 1, 1}, 0.6), base, scaled(base, 0.45));
    cairo_set_source(cr, p);
    if (preserve)
        cairo_fill_preserve(cr);
    else
        cairo_fill(cr);
    cairo_pattern_destroy(p);
}

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 1.5 * M_PI);
    cairo_close_path(cr);
}

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <map>

void drawTitleText(cairo_t* cr, const char* fontFile, double size, const char* text, double x, double y,
                   Rgb fill, double outline) {
    // Faces stay open for the whole run: cairo keeps referring to them.
    static FT_Library library = nullptr;
    static std::map<std::string, cairo_font_face_t*> faces;
    if (!library && FT_Init_FreeType(&library)) return;
    cairo_font_face_t*& face = faces[fontFile];
    if (!face) {
        FT_Face ftFace;
        if (FT_New_Face(library, fontFile, 0, &ftFace)) return;
        face = cairo_ft_font_face_create_for_ft_face(ftFace, 0);
    }
    cairo_save(cr);
    cairo_set_font_face(cr, face);
    cairo_set_font_size(cr, size);
    cairo_text_extents_t ext;
    cairo_text_extents(cr, text, &ext);
    cairo_move_to(cr, x - ext.x_advance / 2, y);
    cairo_text_path(cr, text);
    if (outline > 0) {
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_set_line_width(cr, outline * 2);
        setRgb(cr, {0.08, 0.03, 0.02}, 0.9);
        cairo_stroke_preserve(cr);
    }
    cairo_pattern_t* p = cairo_pattern_create_linear(0, y - size * 0.8, 0, y);
    cairo_pattern_add_color_stop_rgb(p, 0, std::min(1.0, fill.r + 0.3), std::min(1.0, fill.g + 0.3),
                                     std::min(1.0, fill.b + 0.3));
    cairo_pattern_add_color_stop_rgb(p, 1, fill.r * 0.75, fill.g * 0.75, fill.b * 0.75);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    cairo_restore(cr);
}

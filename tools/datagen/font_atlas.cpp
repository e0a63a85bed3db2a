// The two bitmap fonts: a 1024 x 1024 atlas of 16 x 16 cells (one per byte value
// of the Windows Cyrillic code page) with white glyphs in a dark outline and a
// soft shadow, so text stays legible on any background and takes its colour from
// the game, plus the metrics file: cells per row, the width of each glyph measured
// in a 512-pixel-wide atlas, and the cell of each byte.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "tools/datagen/art_common.h"
#include "tools/datagen/datagen.h"

namespace {

constexpr int kCells = 16;
constexpr int kCell = 64;
constexpr int kAtlas = kCells * kCell;
constexpr int kOutline = 2;  // pixels of dark outline around every glyph

// Unicode of each byte 128..255 of the Windows Cyrillic code page (0: unused).
const uint16_t kCp1251High[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0,      0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

uint32_t unicodeOf(int byte) {
    if (byte < 32 || byte == 127) return 0;
    if (byte < 128) return static_cast<uint32_t>(byte);
    if (byte >= 0xC0) return 0x0410 + static_cast<uint32_t>(byte - 0xC0);
    return kCp1251High[byte - 128];
}

struct FontStyle {
    const char* name;      // "font" or "font3"
    const char* primary;   // font file
    const char* fallback;  // for characters the primary lacks
    int emPixels;          // em size in the 64-pixel cell
    int baseline;          // baseline row in the cell
    int extraAdvance;      // pixels added to every advance, room for the outline
};

bool renderFont(const std::string& out, const FontStyle& style) {
    FT_Library library;
    if (FT_Init_FreeType(&library)) return false;
    FT_Face faces[2] = {nullptr, nullptr};
    const char* files[2] = {style.primary, style.fallback};
    for (int i = 0; i < 2; ++i) {
        if (FT_New_Face(library, files[i], 0, &faces[i])) {
            std::fprintf(stderr, "datagen: cannot open font %s\n", files[i]);
            if (faces[0]) FT_Done_Face(faces[0]);
            FT_Done_FreeType(library);
            return false;
        }
        FT_Set_Pixel_Sizes(faces[i], 0, static_cast<FT_UInt>(style.emPixels));
    }
    std::vector<float> coverage(static_cast<size_t>(kAtlas) * kAtlas, 0.0f);
    uint8_t widths[256] = {};
    for (int byte = 0; byte < 256; ++byte) {
        const uint32_t code = unicodeOf(byte);
        if (!code) continue;
        FT_Face face = faces[0];
        FT_UInt glyph = FT_Get_Char_Index(face, code);
        if (!glyph) {
            face = faces[1];
            glyph = FT_Get_Char_Index(face, code);
        }
        if (!glyph || FT_Load_Glyph(face, glyph, FT_LOAD_DEFAULT) ||
            FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL))
            continue;
        const FT_GlyphSlot slot = face->glyph;
        const int advance = static_cast<int>((slot->advance.x + 32) >> 6) + style.extraAdvance;
        // Widths are stored for a 512-pixel atlas: half of this atlas's pixels.
        widths[byte] = static_cast<uint8_t>(std::min(255, (advance + 1) / 2));
        const int penX = kCell / 2 - advance / 2 + style.extraAdvance / 2;
        const int cellX = (byte % kCells) * kCell, cellY = (byte / kCells) * kCell;
        const FT_Bitmap& bm = slot->bitmap;
        for (unsigned row = 0; row < bm.rows; ++row)
            for (unsigned col = 0; col < bm.width; ++col) {
                const int x = penX + slot->bitmap_left + static_cast<int>(col);
                const int y = style.baseline - slot->bitmap_top + static_cast<int>(row);
                // Keep the outline inside the cell so neighbours never bleed in.
                if (x < kOutline || y < kOutline || x >= kCell - kOutline || y >= kCell - kOutline) continue;
                coverage[static_cast<size_t>(cellY + y) * kAtlas + cellX + x] =
                    bm.buffer[row * static_cast<unsigned>(bm.pitch) + col] / 255.0f;
            }
    }
    FT_Done_Face(faces[0]);
    FT_Done_Face(faces[1]);
    FT_Done_FreeType(library);

    // Outline: the coverage widened by a disc of kOutline pixels; shadow: the
    // outline shifted down-right and blurred. All within each cell.
    Image atlas(kAtlas, kAtlas);
    std::vector<float> outline(coverage.size(), 0.0f);
    for (int y = 0; y < kAtlas; ++y)
        for (int x = 0; x < kAtlas; ++x) {
            float best = 0;
            for (int dy = -kOutline; dy <= kOutline; ++dy)
                for (int dx = -kOutline; dx <= kOutline; ++dx) {
                    const double d = std::sqrt(dx * dx + dy * dy);
                    if (d > kOutline + 0.5) continue;
                    const int sx = x + dx, sy = y + dy;
                    if (sx / kCell != x / kCell || sy / kCell != y / kCell || sx < 0 || sy < 0 ||
                        sx >= kAtlas || sy >= kAtlas)
                        continue;
                    const float falloff = static_cast<float>(std::clamp(kOutline + 0.5 - d, 0.0, 1.0));
                    best = std::max(best, coverage[static_cast<size_t>(sy) * kAtlas + sx] * falloff);
                }
            outline[static_cast<size_t>(y) * kAtlas + x] = std::min(1.0f, best * 1.6f);
        }
    for (int y = 0; y < kAtlas; ++y)
        for (int x = 0; x < kAtlas; ++x) {
            float shadow = 0;
            int n = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int sx = x - 2 + dx, sy = y - 2 + dy;
                    ++n;
                    if (sx / kCell != x / kCell || sy / kCell != y / kCell || sx < 0 || sy < 0) continue;
                    shadow += outline[static_cast<size_t>(sy) * kAtlas + sx];
                }
            shadow = shadow / n * 0.6f;
            const float fill = coverage[static_cast<size_t>(y) * kAtlas + x];
            const float edge = outline[static_cast<size_t>(y) * kAtlas + x];
            // Layers, back to front, premultiplied: shadow (black), outline (dark), fill (white).
            float colour = 0, a = shadow;
            colour = 0.08f * edge + colour * (1 - edge);
            a = edge + a * (1 - edge);
            colour = 1.0f * fill + colour * (1 - fill);
            const float aFill = fill + a * (1 - fill);
            const float lum = colour / std::max(aFill, 1e-6f);
            uint8_t* px = atlas.at(x, y);
            const uint8_t v = static_cast<uint8_t>(std::clamp(lum * 255.0f, 0.0f, 255.0f));
            // A touch of warmth in the outline matches the lacquer palette.
            px[0] = v;
            px[1] = static_cast<uint8_t>(v * 0.97f);
            px[2] = static_cast<uint8_t>(v * 0.92f);
            px[3] = static_cast<uint8_t>(std::clamp(aFill * 255.0f, 0.0f, 255.0f));
        }

    std::vector<uint8_t> metrics(4 + 256 + 256);
    const int32_t cells = kCells;
    std::memcpy(metrics.data(), &cells, 4);  // little-endian on every machine we build on
    std::memcpy(metrics.data() + 4, widths, 256);
    for (int byte = 0; byte < 256; ++byte) metrics[260 + byte] = static_cast<uint8_t>(byte);
    return writeTga(out, std::string("pack/") + style.name + ".tga", atlas) &&
           writeOutputFile(out, std::string(style.name) + ".dat", metrics.data(), metrics.size());
}

bool makeFonts(const std::string& out) {
    const FontStyle body{"font",
                         "/usr/share/fonts/opentype/linux-libertine/LinBiolinum_RB.otf",
                         "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
                         46,
                         47,
                         2};
    const FontStyle titles{"font3",
                           "/usr/share/fonts/truetype/averia-gwf/AveriaSerifGWF-Bold.ttf",
                           "/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf",
                           44,
                           47,
                           2};
    return renderFont(out, body) && renderFont(out, titles);
}

}  // namespace

DATAGEN_STEP("fonts", makeFonts);

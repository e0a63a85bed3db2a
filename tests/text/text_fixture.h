#pragma once
// The real fonts' metrics and the real string tables from the built Data folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "presentation/text.h"
#include "resources/files.h"

inline std::vector<uint8_t> readDataFile(const char* name) {
    std::ifstream in(std::filesystem::path(QUELMAR_DATA_DIR) / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline BitmapFont realFont(const char* name, float widthScale, float heightScale) {
    std::vector<uint8_t> bytes = readDataFile(name);
    BitmapFont font = {};
    EXPECT_TRUE(parseFontMetrics(font, bytes.data(), bytes.size(), widthScale, heightScale)) << name;
    return font;
}

inline const BitmapFont& bodyFont() {
    static const BitmapFont font = realFont("font.dat", 0.95f, 1.1f);
    return font;
}

// One glyph as laid out: byte and centre.
struct PlacedGlyph {
    uint8_t byte;
    int index;
    float x, y;
};

inline std::vector<PlacedGlyph> layout(const char* text, float x, float y, float s, bool centred,
                                       const BitmapFont& font = bodyFont()) {
    std::vector<PlacedGlyph> glyphs;
    layoutText(
        font, 0.9f, x, y, s, text, centred,
        [](void* context, uint8_t byte, int index, float cx, float cy) {
            static_cast<std::vector<PlacedGlyph>*>(context)->push_back({byte, index, cx, cy});
        },
        &glyphs);
    return glyphs;
}

// contact-sheet: lays pictures of the game's screens out on one sheet, each scaled down
// with its name under it, so the whole game can be looked at at once.
//
//   contact-sheet [--columns N] OUT.png PICTURE.png...
//
// A picture that cannot be read stops the run with its name and status 2; the sheet is
// written under another name first and renamed, so OUT.png is either whole or the old one.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_RESIZE_IMPLEMENTATION
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_easy_font.h>
#include <stb_image.h>
#include <stb_image_resize.h>
#include <stb_image_write.h>

namespace {

constexpr int kThumbWidth = 320;
constexpr int kMargin = 16;
constexpr int kCaptionHeight = 26;
constexpr int kCaptionScale = 2;  // the bitmap font's pixels drawn as 2 x 2
constexpr uint8_t kBackground[3] = {28, 30, 36};
constexpr uint8_t kCaption[3] = {236, 226, 196};

struct Picture {
    std::string name;  // the file's name without folder and extension
    std::vector<uint8_t> rgb;
    int width = 0, height = 0;
};

struct Sheet {
    std::vector<uint8_t> rgb;
    int width = 0, height = 0;
};

std::string captionOf(const std::string& path) {
    std::string name = path.substr(path.find_last_of('/') + 1);
    if (const size_t dot = name.find_last_of('.'); dot != std::string::npos && dot > 0) name.resize(dot);
    return name;
}

bool readPicture(const char* path, Picture& picture) {
    int width = 0, height = 0, channels = 0;
    uint8_t* pixels = stbi_load(path, &width, &height, &channels, 3);
    if (pixels == nullptr) {
        std::fprintf(stderr, "contact-sheet: cannot read %s: %s\n", path, stbi_failure_reason());
        return false;
    }
    const int thumbHeight = std::max(1, height * kThumbWidth / width);
    picture.rgb.resize(static_cast<size_t>(kThumbWidth) * thumbHeight * 3);
    const bool scaled =
        stbir_resize_uint8(pixels, width, height, 0, picture.rgb.data(), kThumbWidth, thumbHeight, 0, 3) != 0;
    stbi_image_free(pixels);
    if (!scaled) {
        std::fprintf(stderr, "contact-sheet: cannot scale %s\n", path);
        return false;
    }
    picture.width = kThumbWidth;
    picture.height = thumbHeight;
    picture.name = captionOf(path);
    return true;
}

void fill(Sheet& sheet, int x0, int y0, int x1, int y1, const uint8_t colour[3]) {
    x0 = std::max(x0, 0), y0 = std::max(y0, 0);
    x1 = std::min(x1, sheet.width), y1 = std::min(y1, sheet.height);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            std::memcpy(&sheet.rgb[(static_cast<size_t>(y) * sheet.width + x) * 3], colour, 3);
}

// The bitmap font's quads, each an upright rectangle, filled into the sheet.
void drawCaption(Sheet& sheet, int left, int top, int width, const std::string& text) {
    std::string shown = text;
    char buffer[4096];
    auto textWidth = [&] { return stb_easy_font_width(shown.data()) * kCaptionScale; };
    while (shown.size() > 4 && textWidth() > width) shown.replace(shown.size() - 4, 4, "...");
    const int x = left + (width - textWidth()) / 2;
    uint8_t white[4] = {255, 255, 255, 255};
    const int quads = stb_easy_font_print(0, 0, shown.data(), white, buffer, sizeof buffer);
    struct Vertex {
        float x, y, z;
        uint8_t colour[4];
    };
    const auto* vertices = reinterpret_cast<const Vertex*>(buffer);
    for (int q = 0; q < quads; ++q) {
        const Vertex* v = vertices + q * 4;
        fill(sheet, x + static_cast<int>(v[0].x) * kCaptionScale,
             top + static_cast<int>(v[0].y) * kCaptionScale, x + static_cast<int>(v[2].x) * kCaptionScale,
             top + static_cast<int>(v[2].y) * kCaptionScale, kCaption);
    }
}

Sheet layOut(const std::vector<Picture>& pictures, int columns) {
    int cellHeight = 0;
    for (const Picture& p : pictures) cellHeight = std::max(cellHeight, p.height);
    cellHeight += kCaptionHeight;
    const int rows = (static_cast<int>(pictures.size()) + columns - 1) / columns;
    Sheet sheet;
    sheet.width = kMargin + columns * (kThumbWidth + kMargin);
    sheet.height = kMargin + rows * (cellHeight + kMargin);
    sheet.rgb.resize(static_cast<size_t>(sheet.width) * sheet.height * 3);
    fill(sheet, 0, 0, sheet.width, sheet.height, kBackground);
    for (size_t i = 0; i < pictures.size(); ++i) {
        const Picture& p = pictures[i];
        const int left = kMargin + static_cast<int>(i % columns) * (kThumbWidth + kMargin);
        const int top = kMargin + static_cast<int>(i / columns) * (cellHeight + kMargin);
        for (int y = 0; y < p.height; ++y)
            std::memcpy(&sheet.rgb[(static_cast<size_t>(top + y) * sheet.width + left) * 3],
                        &p.rgb[static_cast<size_t>(y) * p.width * 3], static_cast<size_t>(p.width) * 3);
        drawCaption(sheet, left, top + p.height + 6, kThumbWidth, p.name);
    }
    return sheet;
}

int usage() {
    std::fprintf(stderr, "usage: contact-sheet [--columns N] OUT.png PICTURE.png...\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    int columns = 4;
    int first = 1;
    if (argc > 2 && std::strcmp(argv[1], "--columns") == 0) {
        columns = std::atoi(argv[2]);
        if (columns < 1 || columns > 16) return usage();
        first = 3;
    }
    if (argc - first < 2) return usage();
    const char* out = argv[first];
    std::vector<Picture> pictures(static_cast<size_t>(argc - first - 1));
    for (int i = first + 1; i < argc; ++i)
        if (!readPicture(argv[i], pictures[static_cast<size_t>(i - first - 1)])) return 2;
    const Sheet sheet = layOut(pictures, columns);
    const std::string part = std::string(out) + ".part";
    if (stbi_write_png(part.c_str(), sheet.width, sheet.height, 3, sheet.rgb.data(), sheet.width * 3) == 0 ||
        std::rename(part.c_str(), out) != 0) {
        std::remove(part.c_str());
        std::fprintf(stderr, "contact-sheet: cannot write %s\n", out);
        return 2;
    }
    std::printf("%s: %zu pictures, %d x %d\n", out, pictures.size(), sheet.width, sheet.height);
    return 0;
}

// The desktop icon of the game: the gold coin charm of the playing field on a lacquer
// plate with a gold rim. One drawing makes every size: PNG files for the icon theme
// (16 to 512 pixels), a scalable SVG file, and "icon.tga", the window's own icon, which
// the game reads from its data. The theme files go to desktop/ (installed beside the
// desktop entry, never into Data).
#include <cairo-svg.h>

#include <algorithm>
#include <vector>

#include "tools/datagen/art_common.h"
#include "tools/datagen/datagen.h"

namespace {

constexpr int kThemeSizes[] = {16, 22, 24, 32, 48, 64, 128, 256, 512};
constexpr int kWindowIconSize = 64;

// The icon on a size x size canvas whose origin is its top-left corner.
void drawIcon(cairo_t* cr, double size) {
    const double inset = size * 0.04, edge = size - 2 * inset;
    roundedRect(cr, inset, inset, edge, edge, size * 0.2);
    cairo_pattern_t* lacquer =
        radialShade(size * 0.38, size * 0.32, size * 0.8, mix(palette::lacquer, palette::gold, 0.18),
                    palette::lacquer, palette::lacquerDark);
    cairo_set_source(cr, lacquer);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(lacquer);
    // The rim stays at least one pixel wide at the smallest size.
    cairo_set_line_width(cr, std::max(1.0, size * 0.035));
    setRgb(cr, palette::gold);
    cairo_stroke(cr);
    cairo_save(cr);
    cairo_translate(cr, size / 2, size / 2);
    cairo_scale(cr, size * 0.38, size * 0.38);
    drawCharm(cr, CharmCoin, 0.0);
    cairo_restore(cr);
}

cairo_status_t appendBytes(void* closure, const unsigned char* data, unsigned int length) {
    auto* bytes = static_cast<std::vector<uint8_t>*>(closure);
    bytes->insert(bytes->end(), data, data + length);
    return CAIRO_STATUS_SUCCESS;
}

bool writePng(const std::string& outDir, const std::string& path, int size) {
    Canvas canvas(size, size);
    drawIcon(canvas.cr, size);
    cairo_surface_flush(canvas.surface);
    std::vector<uint8_t> bytes;
    if (cairo_surface_write_to_png_stream(canvas.surface, appendBytes, &bytes) != CAIRO_STATUS_SUCCESS)
        return false;
    return writeOutputFile(outDir, path, bytes.data(), bytes.size());
}

bool writeSvg(const std::string& outDir, const std::string& path) {
    std::vector<uint8_t> bytes;
    cairo_surface_t* surface = cairo_svg_surface_create_for_stream(appendBytes, &bytes, 512, 512);
    cairo_t* cr = cairo_create(surface);
    drawIcon(cr, 512);
    cairo_destroy(cr);
    cairo_surface_finish(surface);
    const bool ok = cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    return ok && writeOutputFile(outDir, path, bytes.data(), bytes.size());
}

bool makeDesktopIcons(const std::string& outDir) {
    bool ok = true;
    for (int size : kThemeSizes) {
        const std::string folder = std::to_string(size) + "x" + std::to_string(size);
        ok = writePng(outDir, "desktop/icons/hicolor/" + folder + "/apps/10quelmars.png", size) && ok;
    }
    ok = writeSvg(outDir, "desktop/icons/hicolor/scalable/apps/10quelmars.svg") && ok;
    Canvas window(kWindowIconSize, kWindowIconSize);
    drawIcon(window.cr, kWindowIconSize);
    return writeTga(outDir, "icon.tga", window.image()) && ok;
}

}  // namespace

DATAGEN_STEP("icons", makeDesktopIcons);

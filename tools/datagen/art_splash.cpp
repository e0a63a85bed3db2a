// The splash pictures, the loading picture and its bar. These stay loose files:
// the game shows them before its packs are open.
#include <algorithm>

#include "tools/datagen/art_common.h"
#include "tools/datagen/datagen.h"

namespace {

void darken(Image& img, double top, double bottom) {
    for (int y = 0; y < img.height; ++y) {
        const double k = top + (bottom - top) * y / img.height;
        for (int x = 0; x < img.width; ++x)
            for (int c = 0; c < 3; ++c) img.at(x, y)[c] = static_cast<uint8_t>(img.at(x, y)[c] * k);
    }
}

// The ten charms in an arc under the title.
void charmArc(Canvas& c, double cx, double cy, double radius, double size) {
    for (int k = 0; k < 10; ++k) {
        const double a = M_PI * (0.88 - 0.76 * k / 9.0);
        const Image icon = renderCharmIcon(k, static_cast<int>(size));
        c.paintImage(icon, cx + radius * std::cos(a) - size / 2, cy + radius * std::sin(a) * 0.55 - size / 2);
    }
}

void title(cairo_t* cr, double y, double size) {
    drawTitleText(cr, kTitleFont, size, "10 Quelmars", 400, y, palette::gold, size / 14);
}

Image splash1() {
    Image back = composedBack(1);
    darken(back, 0.9, 0.55);
    Canvas c(800, 600);
    c.paintImage(back, 0, 0);
    title(c.cr, 200, 96);
    drawTitleText(c.cr, kTitleFont, 26, "ten treasures of the old kingdom", 400, 245, palette::ivory, 2.5);
    charmArc(c, 400, 250, 300, 84);
    return flattened(c.image(), {0, 0, 0});
}

Image splash2() {
    Image back = composedBack(4);
    darken(back, 0.7, 0.6);
    Canvas c(800, 600);
    c.paintImage(back, 0, 0);
    cairo_t* cr = c.cr;
    // A ring of light with the charms around it.
    cairo_pattern_t* glow = cairo_pattern_create_radial(400, 300, 20, 400, 300, 230);
    cairo_pattern_add_color_stop_rgba(glow, 0, 1, 0.9, 0.6, 0.55);
    cairo_pattern_add_color_stop_rgba(glow, 1, 1, 0.6, 0.2, 0);
    cairo_set_source(cr, glow);
    cairo_paint(cr);
    cairo_pattern_destroy(glow);
    for (int k = 0; k < 10; ++k) {
        const double a = k * 2 * M_PI / 10 - M_PI / 2;
        const Image icon = renderCharmIcon(k, 96);
        c.paintImage(icon, 400 + 190 * std::cos(a) - 48, 300 + 190 * std::sin(a) - 48);
    }
    drawTitleText(cr, kTitleFont, 40, "Match three.", 400, 270, palette::ivory, 3);
    drawTitleText(cr, kTitleFont, 40, "Open the ten.", 400, 330, palette::gold, 3);
    return flattened(c.image(), {0, 0, 0});
}

// Loading picture: the title over a back, with an empty trough where the bar grows
// (screen 235.5 .. 545.5 x 534.8 .. 582.8).
Image loadScreen() {
    Image back = composedBack(7);
    darken(back, 0.85, 0.5);
    Canvas c(800, 600);
    c.paintImage(back, 0, 0);
    cairo_t* cr = c.cr;
    title(cr, 250, 104);
    charmArc(c, 400, 270, 250, 72);
    roundedRect(cr, 228, 528, 325, 62, 12);
    setRgb(cr, {0.06, 0.02, 0.01}, 0.9);
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 4);
    setRgb(cr, palette::gold);
    cairo_stroke(cr);
    return flattened(c.image(), {0, 0, 0});
}

// The bar: 310 x 48 in the top-left corner of a 512 x 64 picture.
Image loadBar() {
    Canvas c(512, 64);
    cairo_t* cr = c.cr;
    roundedRect(cr, 1, 3, 308, 42, 10);
    cairo_pattern_t* p = cairo_pattern_create_linear(0, 3, 0, 45);
    cairo_pattern_add_color_stop_rgb(p, 0, 0.95, 0.70, 0.30);
    cairo_pattern_add_color_stop_rgb(p, 0.45, 0.75, 0.25, 0.06);
    cairo_pattern_add_color_stop_rgb(p, 1, 0.40, 0.08, 0.02);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    for (int x = 0; x < 310; x += 14) {
        cairo_move_to(cr, x, 44);
        cairo_line_to(cr, x + 10, 4);
    }
    cairo_set_line_width(cr, 3);
    setRgb(cr, {1, 0.9, 0.6}, 0.25);
    cairo_stroke(cr);
    return flattened(c.image(), {0, 0, 0});
}

bool makeSplash(const std::string& out) {
    bool ok = true;
    ok &= writeJpeg(out, "splash1.jpg", splash1(), 90);
    ok &= writeJpeg(out, "splash2.jpg", splash2(), 90);
    ok &= writeJpeg(out, "loadscreen.jpg", loadScreen(), 90);
    ok &= writeJpeg(out, "loadbar.jpg", loadBar(), 92);
    return ok;
}

}  // namespace

DATAGEN_STEP("splash", makeSplash);

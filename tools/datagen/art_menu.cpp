// Menu pictures: the sprite atlas of window frames and widgets, the balloon
// pieces, the button face, and the plain fill, glow and halo images.
#include <algorithm>

#include "tools/datagen/art_common.h"
#include "tools/datagen/datagen.h"

namespace {

constexpr int kCell = 64;

// The frame band: a gold moulding 14 pixels wide centred on the cell's middle line.
void frameBand(cairo_t* cr, double x0, double y0, double x1, double y1) {
    const bool horizontal = y0 == y1;
    for (int pass = 0; pass < 3; ++pass) {
        cairo_move_to(cr, x0, y0);
        cairo_line_to(cr, x1, y1);
        const double widths[3] = {14, 10, 3};
        cairo_set_line_width(cr, widths[pass]);
        if (pass == 0) {
            setRgb(cr, palette::ink, 0.85);
        } else if (pass == 1) {
            cairo_pattern_t* p = horizontal ? cairo_pattern_create_linear(0, y0 - 5, 0, y0 + 5)
                                            : cairo_pattern_create_linear(x0 - 5, 0, x0 + 5, 0);
            cairo_pattern_add_color_stop_rgb(p, 0, palette::goldLight.r, palette::goldLight.g,
                                             palette::goldLight.b);
            cairo_pattern_add_color_stop_rgb(p, 0.5, palette::gold.r, palette::gold.g, palette::gold.b);
            cairo_pattern_add_color_stop_rgb(p, 1, palette::goldDark.r, palette::goldDark.g,
                                             palette::goldDark.b);
            cairo_set_source(cr, p);
            cairo_stroke(cr);
            cairo_pattern_destroy(p);
            continue;
        } else {
            setRgb(cr, palette::lacquer, 0.9);
        }
        cairo_stroke(cr);
    }
}

// Draws into one sprite block of the atlas: (column, row, width and height in cells).
template <typename F>
void inBlock(cairo_t* cr, int col, int row, F draw) {
    cairo_save(cr);
    cairo_rectangle(cr, col * kCell, row * kCell, kCell, kCell);
    cairo_clip(cr);
    cairo_translate(cr, col * kCell, row * kCell);
    draw(cr);
    cairo_restore(cr);
}

void cornerKnob(cairo_t* cr) {
    // A gold knot where two frame bands meet, at the cell centre.
    cairo_save(cr);
    cairo_translate(cr, 32, 32);
    cairo_rotate(cr, M_PI / 4);
    cairo_rectangle(cr, -11, -11, 22, 22);
    cairo_restore(cr);
    fillMetal(cr, 32, 32, 15, palette::gold, true);
    cairo_set_line_width(cr, 2);
    setRgb(cr, palette::ink);
    cairo_stroke(cr);
    cairo_arc(cr, 32, 32, 5, 0, 2 * M_PI);
    fillMetal(cr, 32, 32, 5, palette::lacquer);
}

void ornament(cairo_t* cr, double cx, double cy, bool horizontal) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    if (!horizontal) cairo_rotate(cr, M_PI / 2);
    // A cloud scroll cartouche across the band.
    cairo_move_to(cr, -50, 0);
    cairo_curve_to(cr, -40, -18, -20, -18, -12, -8);
    cairo_curve_to(cr, -6, -22, 6, -22, 12, -8);
    cairo_curve_to(cr, 20, -18, 40, -18, 50, 0);
    cairo_curve_to(cr, 40, 18, 20, 18, 12, 8);
    cairo_curve_to(cr, 6, 22, -6, 22, -12, 8);
    cairo_curve_to(cr, -20, 18, -40, 18, -50, 0);
    cairo_close_path(cr);
    fillMetal(cr, 0, 0, 40, palette::gold, true);
    cairo_set_line_width(cr, 2);
    setRgb(cr, palette::ink);
    cairo_stroke(cr);
    cairo_arc(cr, 0, 0, 7, 0, 2 * M_PI);
    fillMetal(cr, 0, 0, 7, palette::jade);
    cairo_restore(cr);
}

void arrow(cairo_t* cr, bool right) {
    cairo_save(cr);
    cairo_translate(cr, 32, 32);
    if (!right) cairo_scale(cr, -1, 1);
    cairo_move_to(cr, 18, 0);
    cairo_line_to(cr, -10, -20);
    cairo_line_to(cr, -10, 20);
    cairo_close_path(cr);
    fillMetal(cr, 0, 0, 20, palette::gold, true);
    cairo_set_line_width(cr, 2.5);
    setRgb(cr, palette::ink);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void checkBox(cairo_t* cr, bool ticked) {
    roundedRect(cr, 16, 16, 32, 32, 5);
    setRgb(cr, {0.2, 0.05, 0.02});
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 3);
    setRgb(cr, palette::gold);
    cairo_stroke(cr);
    if (ticked) {
        cairo_move_to(cr, 20, 31);
        cairo_line_to(cr, 30, 42);
        cairo_line_to(cr, 50, 12);
        cairo_set_line_width(cr, 7);
        setRgb(cr, palette::ink);
        cairo_stroke_preserve(cr);
        cairo_set_line_width(cr, 4.5);
        setRgb(cr, {0.4, 1.0, 0.5});
        cairo_stroke(cr);
    }
}

void sparkle(cairo_t* cr) {
    for (int k = 0; k < 4; ++k) {
        cairo_save(cr);
        cairo_translate(cr, 32, 32);
        cairo_rotate(cr, k * M_PI / 2);
        cairo_move_to(cr, 0, -26);
        cairo_line_to(cr, 4, -4);
        cairo_line_to(cr, -4, -4);
        cairo_close_path(cr);
        cairo_restore(cr);
    }
    cairo_arc(cr, 32, 32, 6, 0, 2 * M_PI);
    setRgb(cr, {1, 1, 0.85});
    cairo_fill(cr);
}

Image menuAtlas() {
    Canvas c(4 * kCell, 8 * kCell);
    cairo_t* cr = c.cr;
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    // Corners 0..3: bands from the centre toward the two inner sides.
    const int corners[4][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
    for (int k = 0; k < 4; ++k) {
        inBlock(cr, corners[k][0], corners[k][1], [k](cairo_t* g) {
            const double toX = (k % 2 == 0) ? 64 : 0, toY = (k / 2 == 0) ? 64 : 0;
            frameBand(g, 32, 32, toX, 32);
            frameBand(g, 32, 32, 32, toY);
            cornerKnob(g);
        });
    }
    inBlock(cr, 0, 2, [](cairo_t* g) { frameBand(g, 0, 32, 64, 32); });
    inBlock(cr, 1, 2, [](cairo_t* g) { frameBand(g, 32, 0, 32, 64); });
    // Sprites 6..9 and 18 are free; they hold sparkles for the window corners.
    for (auto cell : {std::pair{2, 0}, std::pair{3, 0}, std::pair{2, 1}, std::pair{3, 1}, std::pair{2, 5}})
        inBlock(cr, cell.first, cell.second, sparkle);
    // Ornaments: 10, 11 (2 x 1 at the top and bottom), 12, 13 (1 x 2 at the sides).
    for (int row : {3, 4}) {
        cairo_save(cr);
        cairo_rectangle(cr, 0, row * kCell, 2 * kCell, kCell);
        cairo_clip(cr);
        ornament(cr, kCell, row * kCell + 32, true);
        cairo_restore(cr);
    }
    for (int col : {2, 3}) {
        cairo_save(cr);
        cairo_rectangle(cr, col * kCell, 3 * kCell, kCell, 2 * kCell);
        cairo_clip(cr);
        ornament(cr, col * kCell + 32, 4 * kCell, false);
        cairo_restore(cr);
    }
    inBlock(cr, 0, 7, [](cairo_t* g) { arrow(g, false); });
    inBlock(cr, 1, 7, [](cairo_t* g) { arrow(g, true); });
    // Ends of a vertical slider (16, 17): rounded caps.
    inBlock(cr, 0, 5, [](cairo_t* g) {
        frameBand(g, 32, 40, 32, 64);
        cornerKnob(g);
    });
    inBlock(cr, 0, 6, [](cairo_t* g) {
        frameBand(g, 32, 0, 32, 24);
        cornerKnob(g);
    });
    inBlock(cr, 3, 5, [](cairo_t* g) {
        // Slider knob: a jade bead in a gold ring.
        cairo_arc(g, 32, 32, 17, 0, 2 * M_PI);
        fillMetal(g, 32, 32, 17, palette::gold, true);
        cairo_set_line_width(g, 2);
        setRgb(g, palette::ink);
        cairo_stroke(g);
        cairo_arc(g, 32, 32, 10, 0, 2 * M_PI);
        fillMetal(g, 32, 32, 10, palette::jade);
    });
    inBlock(cr, 1, 6, [](cairo_t* g) { checkBox(g, true); });
    inBlock(cr, 1, 5, [](cairo_t* g) { checkBox(g, false); });
    // Cursor (22): the arrow's tip at the cell's top-left; its glow (23) behind it.
    inBlock(cr, 3, 7, [](cairo_t* g) {
        cairo_move_to(g, 3, 3);
        cairo_line_to(g, 40, 25);
        cairo_line_to(g, 24, 29);
        cairo_line_to(g, 33, 46);
        cairo_line_to(g, 26, 49);
        cairo_line_to(g, 17, 33);
        cairo_line_to(g, 6, 43);
        cairo_close_path(g);
        fillMetal(g, 18, 20, 30, palette::gold, true);
        cairo_set_line_width(g, 2);
        setRgb(g, palette::ink);
        cairo_stroke(g);
    });
    inBlock(cr, 2, 7, [](cairo_t* g) {
        cairo_pattern_t* p = cairo_pattern_create_radial(18, 20, 2, 18, 20, 30);
        cairo_pattern_add_color_stop_rgba(p, 0, 1, 0.85, 0.4, 0.9);
        cairo_pattern_add_color_stop_rgba(p, 1, 1, 0.6, 0.1, 0);
        cairo_set_source(g, p);
        cairo_paint(g);
        cairo_pattern_destroy(p);
    });
    return c.image();
}

// The balloon pieces (4 x 2 cells): a rope-like ivory border and the tail.
Image balloonImage() {
    Canvas c(4 * kCell, 2 * kCell);
    cairo_t* cr = c.cr;
    auto band = [](cairo_t* g, double x0, double y0, double x1, double y1) {
        for (int pass = 0; pass < 2; ++pass) {
            cairo_move_to(g, x0, y0);
            cairo_line_to(g, x1, y1);
            cairo_set_line_width(g, pass == 0 ? 9 : 5);
            setRgb(g, pass == 0 ? palette::goldDark : palette::goldLight);
            cairo_stroke(g);
        }
    };
    const int corners[4][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
    for (int k = 0; k < 4; ++k) {
        inBlock(cr, corners[k][0], corners[k][1], [&](cairo_t* g) {
            // A quarter circle joining the two sides, centred on the cell middle.
            const double sx = (k % 2 == 0) ? 1 : -1, sy = (k / 2 == 0) ? 1 : -1;
            // The panel's fill leaves the inner quarter of each corner cell to the
            // corner piece: fill it up to the rounded border, in the fill colour.
            cairo_move_to(g, 32 + sx * 32, 32);
            cairo_line_to(g, 32 + sx * 16, 32);
            cairo_curve_to(g, 32, 32, 32, 32, 32, 32 + sy * 16);
            cairo_line_to(g, 32, 32 + sy * 32);
            cairo_line_to(g, 32 + sx * 32, 32 + sy * 32);
            cairo_close_path(g);
            setRgb(g, {75 / 255.0, 25 / 255.0, 0}, 180 / 255.0);
            cairo_fill(g);
            for (int pass = 0; pass < 2; ++pass) {
                cairo_move_to(g, 32 + sx * 32, 32);
                cairo_line_to(g, 32 + sx * 16, 32);
                cairo_curve_to(g, 32, 32, 32, 32, 32, 32 + sy * 16);
                cairo_line_to(g, 32, 32 + sy * 32);
                cairo_set_line_width(g, pass == 0 ? 9 : 5);
                setRgb(g, pass == 0 ? palette::goldDark : palette::goldLight);
                cairo_stroke(g);
            }
        });
    }
    inBlock(cr, 2, 0, [&](cairo_t* g) { band(g, 0, 32, 64, 32); });
    inBlock(cr, 3, 0, [&](cairo_t* g) { band(g, 32, 0, 32, 64); });
    // Tail in the right half of the lower row, pointing right (toward the anchor).
    cairo_save(cr);
    cairo_rectangle(cr, 128, 64, 128, 64);
    cairo_clip(cr);
    cairo_move_to(cr, 132, 64 + 12);
    cairo_curve_to(cr, 190, 64 + 22, 225, 64 + 28, 252, 64 + 32);
    cairo_curve_to(cr, 225, 64 + 38, 190, 64 + 44, 132, 64 + 52);
    cairo_close_path(cr);
    setRgb(cr, {75 / 255.0, 25 / 255.0, 0}, 0.75);
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 4);
    setRgb(cr, palette::goldLight);
    cairo_stroke(cr);
    cairo_restore(cr);
    return c.image();
}

// Button face: rounded lacquer bar; the caps are the left and right halves and
// the middle column stretches.
Image buttonImage() {
    Canvas c(128, 64);
    cairo_t* cr = c.cr;
    roundedRect(cr, 3, 5, 122, 54, 22);
    cairo_pattern_t* p = cairo_pattern_create_linear(0, 5, 0, 59);
    cairo_pattern_add_color_stop_rgb(p, 0, 0.78, 0.22, 0.12);
    cairo_pattern_add_color_stop_rgb(p, 0.5, 0.52, 0.09, 0.05);
    cairo_pattern_add_color_stop_rgb(p, 1, 0.30, 0.04, 0.02);
    cairo_set_source(cr, p);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(p);
    cairo_set_line_width(cr, 4);
    setRgb(cr, palette::gold);
    cairo_stroke(cr);
    roundedRect(cr, 9, 11, 110, 42, 17);
    cairo_set_line_width(cr, 1.2);
    setRgb(cr, palette::goldLight, 0.6);
    cairo_stroke(cr);
    // Gloss on the upper half.
    roundedRect(cr, 12, 12, 104, 16, 8);
    setRgb(cr, {1, 1, 1}, 0.12);
    cairo_fill(cr);
    return c.image();
}

Image glowImage(int size, double power, Rgb colour) {
    Image img(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double dx = (x + 0.5) / size * 2 - 1, dy = (y + 0.5) / size * 2 - 1;
            const double v = std::pow(std::max(0.0, 1 - std::sqrt(dx * dx + dy * dy)), power);
            uint8_t* px = img.at(x, y);
            px[0] = static_cast<uint8_t>(255 * v * colour.r);
            px[1] = static_cast<uint8_t>(255 * v * colour.g);
            px[2] = static_cast<uint8_t>(255 * v * colour.b);
            px[3] = 255;
        }
    return img;
}

// A subtle lacquer-and-cloud pattern for window fills.
Image windowFill() {
    Image img(256, 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            // Periodic noise so the fill tiles without seams.
            const double u = x / 256.0 * 2 * M_PI, v = y / 256.0 * 2 * M_PI;
            const double n =
                0.5 + 0.25 * std::sin(u * 2 + std::sin(v * 3) * 1.5) * std::cos(v * 2 + std::sin(u) * 1.2) +
                0.15 * std::sin(u * 5 + v * 3);
            uint8_t* px = img.at(x, y);
            px[0] = static_cast<uint8_t>(std::clamp(60 + 50 * n, 0.0, 255.0));
            px[1] = static_cast<uint8_t>(std::clamp(18 + 20 * n, 0.0, 255.0));
            px[2] = static_cast<uint8_t>(std::clamp(8 + 10 * n, 0.0, 255.0));
            px[3] = 255;
        }
    return img;
}

bool makeMenuImages(const std::string& out) {
    bool ok = true;
    ok &= writeTga(out, "pack/menutex.tga", menuAtlas());
    ok &= writeTga(out, "pack/baloon.tga", balloonImage());
    ok &= writeTga(out, "pack/button.tga", buttonImage());
    Image white(64, 64);
    std::fill(white.rgba.begin(), white.rgba.end(), 255);
    ok &= writeJpeg(out, "pack/white.jpg", white, 95);
    ok &= writeJpeg(out, "pack/winfill.jpg", windowFill(), 90);
    ok &= writeJpeg(out, "pack/podsvet.jpg", glowImage(128, 1.6, {1, 0.9, 0.7}), 92);
    return ok;
}

}  // namespace

DATAGEN_STEP("menu", makeMenuImages);

// Pictures of the play screen: the cell tiles, the chain, the markers of power-ups
// and hints, and the side panel, fuse and barrel of the heads-up display.
#include <algorithm>

#include "tools/datagen/art_common.h"
#include "tools/datagen/datagen.h"

namespace {

// A bare cell: translucent dark lacquer with a thin gold inlay, so the painted
// back still shows through the grid.
Image bareTile(double lightness, uint32_t seed) {
    Canvas c(64, 64);
    cairo_t* cr = c.cr;
    roundedRect(cr, 3, 3, 58, 58, 6);
    cairo_pattern_t* p = cairo_pattern_create_linear(0, 3, 0, 61);
    cairo_pattern_add_color_stop_rgba(p, 0, 0.20 * lightness, 0.09 * lightness, 0.05 * lightness, 0.70);
    cairo_pattern_add_color_stop_rgba(p, 1, 0.10 * lightness, 0.04 * lightness, 0.03 * lightness, 0.78);
    cairo_set_source(cr, p);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(p);
    cairo_set_line_width(cr, 1.5);
    setRgb(cr, palette::gold, 0.45);
    cairo_stroke(cr);
    roundedRect(cr, 7, 7, 50, 50, 4);
    cairo_set_line_width(cr, 1);
    setRgb(cr, palette::goldDark, 0.35);
    cairo_stroke(cr);
    Image img = c.image();
    // Faint grain keeps large areas of tiles from looking flat.
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            uint8_t* px = img.at(x, y);
            if (!px[3]) continue;
            const double n = fbm(x / 9.0, y / 9.0, seed, 3) - 0.5;
            for (int k = 0; k < 3; ++k)
                px[k] = static_cast<uint8_t>(std::clamp(px[k] * (1 + n * 0.5), 0.0, 255.0));
        }
    return img;
}

// A covered cell: one layer of carved jade, two layers of riveted bronze.
Image coverTile(int layers) {
    Canvas c(64, 64);
    cairo_t* cr = c.cr;
    const Rgb base = layers == 1 ? Rgb{0.30, 0.62, 0.52} : Rgb{0.62, 0.40, 0.16};
    roundedRect(cr, 2, 2, 60, 60, 7);
    cairo_pattern_t* p = radialShade(32, 32, 44, mix(base, {1, 1, 1}, 0.45), base, scaled(base, 0.45));
    cairo_set_source(cr, p);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(p);
    cairo_set_line_width(cr, 2);
    setRgb(cr, scaled(base, 0.3));
    cairo_stroke(cr);
    // Bevel.
    roundedRect(cr, 6, 6, 52, 52, 5);
    cairo_set_line_width(cr, 2);
    setRgb(cr, mix(base, {1, 1, 1}, 0.5), 0.6);
    cairo_stroke(cr);
    if (layers == 1) {
        // Carved cloud scroll.
        cairo_set_line_width(cr, 2.5);
        setRgb(cr, scaled(base, 0.5), 0.8);
        cairo_arc(cr, 26, 34, 8, M_PI, 2.2 * M_PI);
        cairo_stroke(cr);
        cairo_arc(cr, 38, 30, 6, 0.8 * M_PI, 2.2 * M_PI);
        cairo_stroke(cr);
        cairo_move_to(cr, 16, 40);
        cairo_line_to(cr, 48, 40);
        cairo_stroke(cr);
    } else {
        // Cross straps and four rivets.
        cairo_set_line_width(cr, 6);
        setRgb(cr, scaled(base, 0.55));
        cairo_move_to(cr, 8, 8);
        cairo_line_to(cr, 56, 56);
        cairo_move_to(cr, 56, 8);
        cairo_line_to(cr, 8, 56);
        cairo_stroke(cr);
        for (int k = 0; k < 4; ++k) {
            const double x = k % 2 ? 50 : 14, y = k / 2 ? 50 : 14;
            cairo_arc(cr, x, y, 4, 0, 2 * M_PI);
            fillMetal(cr, x, y, 4, palette::gold);
        }
        cairo_arc(cr, 32, 32, 7, 0, 2 * M_PI);
        fillMetal(cr, 32, 32, 7, palette::gold);
    }
    return c.image();
}

// The blink over a covered cell: a bright sweep across the tile's shape.
Image blinkTile(int layers) {
    Canvas c(64, 64);
    cairo_t* cr = c.cr;
    roundedRect(cr, 2, 2, 60, 60, 7);
    cairo_pattern_t* p = cairo_pattern_create_linear(0, 0, 64, 64);
    const Rgb glow = layers == 1 ? Rgb{0.75, 1.0, 0.9} : Rgb{1.0, 0.9, 0.6};
    cairo_pattern_add_color_stop_rgba(p, 0.0, glow.r, glow.g, glow.b, 0.05);
    cairo_pattern_add_color_stop_rgba(p, 0.45, 1, 1, 1, 0.75);
    cairo_pattern_add_color_stop_rgba(p, 0.55, 1, 1, 1, 0.75);
    cairo_pattern_add_color_stop_rgba(p, 1.0, glow.r, glow.g, glow.b, 0.05);
    cairo_set_source(cr, p);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(p);
    cairo_set_line_width(cr, 3);
    setRgb(cr, glow, 0.9);
    cairo_stroke(cr);
    return c.image();
}

Image glowSquare(Rgb colour, double inset, double alpha) {
    Image img(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const double dx = std::max(0.0, std::fabs(x + 0.5 - 32) - (32 - inset - 8));
            const double dy = std::max(0.0, std::fabs(y + 0.5 - 32) - (32 - inset - 8));
            const double d = std::sqrt(dx * dx + dy * dy);
            const double edge = std::max(std::fabs(x + 0.5 - 32), std::fabs(y + 0.5 - 32));
            const double rim = std::exp(-std::pow((edge - (32 - inset - 2)) / 3.0, 2));
            const double a = std::clamp((1 - d / 8) * 0.35 + rim * 0.9, 0.0, 1.0) * alpha;
            uint8_t* px = img.at(x, y);
            px[0] = static_cast<uint8_t>(255 * colour.r);
            px[1] = static_cast<uint8_t>(255 * colour.g);
            px[2] = static_cast<uint8_t>(255 * colour.b);
            px[3] = static_cast<uint8_t>(255 * a);
        }
    return img;
}

Image chainImage() {
    Canvas c(128, 128);
    cairo_t* cr = c.cr;
    // Links along the horizontal middle; the game turns the picture diagonally.
    for (int k = -4; k <= 4; ++k) {
        const double x = 64 + k * 15;
        cairo_save(cr);
        cairo_translate(cr, x, 64);
        if (k % 2) {
            cairo_scale(cr, 1, 0.35);
        }
        cairo_scale(cr, 1.0, 1.0);
        cairo_save(cr);
        cairo_scale(cr, 1, 0.62);
        cairo_arc(cr, 0, 0, 11, 0, 2 * M_PI);
        cairo_restore(cr);
        cairo_set_line_width(cr, k % 2 ? 9 : 5);
        setRgb(cr, palette::ink, 0.9);
        cairo_stroke_preserve(cr);
        cairo_set_line_width(cr, k % 2 ? 6 : 3.2);
        cairo_pattern_t* p = cairo_pattern_create_linear(0, -8, 0, 8);
        cairo_pattern_add_color_stop_rgb(p, 0, 0.85, 0.86, 0.9);
        cairo_pattern_add_color_stop_rgb(p, 1, 0.35, 0.36, 0.42);
        cairo_set_source(cr, p);
        cairo_stroke(cr);
        cairo_pattern_destroy(p);
        cairo_restore(cr);
    }
    // A padlock in the middle.
    cairo_arc(cr, 64, 58, 7, M_PI, 2 * M_PI);
    cairo_set_line_width(cr, 3.5);
    setRgb(cr, palette::goldDark);
    cairo_stroke(cr);
    roundedRect(cr, 54, 58, 20, 16, 3);
    fillMetal(cr, 64, 66, 12, palette::gold, true);
    cairo_set_line_width(cr, 1.5);
    setRgb(cr, palette::ink);
    cairo_stroke(cr);
    cairo_arc(cr, 64, 65, 2, 0, 2 * M_PI);
    cairo_fill(cr);
    return withShadow(c.image(), 2, 1, 1, 0.6);
}

// The power-up markers sit over a figure, so they are rings and points, not discs.
Image crossMarker() {
    Canvas c(64, 64);
    cairo_t* cr = c.cr;
    for (int k = 0; k < 4; ++k) {
        cairo_save(cr);
        cairo_translate(cr, 32, 32);
        cairo_rotate(cr, k * M_PI / 2);
        cairo_move_to(cr, 0, -31);
        cairo_line_to(cr, 7, -22);
        cairo_line_to(cr, 2.5, -22);
        cairo_line_to(cr, 2.5, -16);
        cairo_line_to(cr, -2.5, -16);
        cairo_line_to(cr, -2.5, -22);
        cairo_line_to(cr, -7, -22);
        cairo_close_path(cr);
        setRgb(cr, {1.0, 0.85, 0.35});
        cairo_fill_preserve(cr);
        cairo_set_line_width(cr, 1.2);
        setRgb(cr, palette::lacquerDark);
        cairo_stroke(cr);
        cairo_restore(cr);
    }
    cairo_arc(cr, 32, 32, 27, 0, 2 * M_PI);
    cairo_set_line_width(cr, 1.5);
    setRgb(cr, {1.0, 0.8, 0.3}, 0.6);
    cairo_stroke(cr);
    return c.image();
}

Image starMarker() {
    Canvas c(64, 64);
    cairo_t* cr = c.cr;
    for (int k = 0; k < 8; ++k) {
        cairo_save(cr);
        cairo_translate(cr, 32, 32);
        cairo_rotate(cr, k * M_PI / 4);
        cairo_move_to(cr, 0, -31);
        cairo_line_to(cr, 4.5, -21);
        cairo_line_to(cr, -4.5, -21);
        cairo_close_path(cr);
        setRgb(cr, k % 2 ? Rgb{0.7, 0.9, 1.0} : Rgb{1.0, 1.0, 1.0});
        cairo_fill_preserve(cr);
        cairo_set_line_width(cr, 1.1);
        setRgb(cr, palette::indigo);
        cairo_stroke(cr);
        cairo_restore(cr);
    }
    cairo_arc(cr, 32, 32, 22, 0, 2 * M_PI);
    cairo_set_line_width(cr, 2);
    setRgb(cr, {0.7, 0.85, 1.0}, 0.7);
    cairo_stroke(cr);
    return c.image();
}

Image tipMarker() {
    // Four glowing corner brackets around the cell.
    Canvas c(64, 64);
    cairo_t* cr = c.cr;
    for (int pass = 0; pass < 2; ++pass) {
        cairo_set_line_width(cr, pass == 0 ? 7 : 3);
        setRgb(cr, pass == 0 ? Rgb{1.0, 0.7, 0.2} : Rgb{1.0, 1.0, 0.85}, pass == 0 ? 0.45 : 1.0);
        for (int k = 0; k < 4; ++k) {
            cairo_save(cr);
            cairo_translate(cr, 32, 32);
            cairo_rotate(cr, k * M_PI / 2);
            cairo_move_to(cr, -26, -12);
            cairo_line_to(cr, -26, -26);
            cairo_line_to(cr, -12, -26);
            cairo_stroke(cr);
            cairo_restore(cr);
        }
    }
    return c.image();
}

Image radialGlow(int size, Rgb colour, double power, double peak) {
    Image img(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double dx = (x + 0.5) / size * 2 - 1, dy = (y + 0.5) / size * 2 - 1;
            const double d = std::min(1.0, std::sqrt(dx * dx + dy * dy));
            const double a = std::pow(1 - d, power) * peak;
            uint8_t* px = img.at(x, y);
            px[0] = static_cast<uint8_t>(255 * colour.r);
            px[1] = static_cast<uint8_t>(255 * colour.g);
            px[2] = static_cast<uint8_t>(255 * colour.b);
            px[3] = static_cast<uint8_t>(255 * std::clamp(a, 0.0, 1.0));
        }
    return img;
}

Image heartImage() {
    Canvas c(64, 64);
    cairo_t* cr = c.cr;
    cairo_move_to(cr, 32, 56);
    cairo_curve_to(cr, 6, 38, 2, 20, 14, 12);
    cairo_curve_to(cr, 23, 6, 30, 12, 32, 19);
    cairo_curve_to(cr, 34, 12, 41, 6, 50, 12);
    cairo_curve_to(cr, 62, 20, 58, 38, 32, 56);
    cairo_close_path(cr);
    fillMetal(cr, 32, 30, 30, {0.85, 0.10, 0.12}, true);
    cairo_set_line_width(cr, 3);
    setRgb(cr, palette::gold);
    cairo_stroke_preserve(cr);
    cairo_set_line_width(cr, 1);
    setRgb(cr, palette::ink);
    cairo_stroke(cr);
    return c.image();
}

// The side panel, 127 x 511 units: a parchment scroll for the dark-red captions
// and numbers, a lacquer plate under the white "menu" caption, and an ornamented
// foot where the stock of hammers and clocks is shown.
Image sidePanel() {
    Canvas c(128, 512);
    cairo_t* cr = c.cr;
    // Lacquered wooden frame.
    roundedRect(cr, 2, 2, 123, 507, 10);
    cairo_pattern_t* wood = cairo_pattern_create_linear(0, 0, 127, 0);
    cairo_pattern_add_color_stop_rgb(wood, 0, 0.22, 0.05, 0.02);
    cairo_pattern_add_color_stop_rgb(wood, 0.5, 0.45, 0.10, 0.05);
    cairo_pattern_add_color_stop_rgb(wood, 1, 0.18, 0.04, 0.02);
    cairo_set_source(cr, wood);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(wood);
    cairo_set_line_width(cr, 3);
    setRgb(cr, palette::gold);
    cairo_stroke(cr);
    // Parchment from y 8 to 290.
    roundedRect(cr, 10, 10, 107, 282, 6);
    cairo_pattern_t* paper = cairo_pattern_create_linear(10, 0, 117, 0);
    cairo_pattern_add_color_stop_rgb(paper, 0, 0.86, 0.76, 0.56);
    cairo_pattern_add_color_stop_rgb(paper, 0.5, 0.98, 0.93, 0.80);
    cairo_pattern_add_color_stop_rgb(paper, 1, 0.84, 0.73, 0.52);
    cairo_set_source(cr, paper);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(paper);
    cairo_set_line_width(cr, 2);
    setRgb(cr, palette::goldDark);
    cairo_stroke(cr);
    // Thin rules between the score, level and lives blocks.
    for (double y : {96.0, 186.0}) {
        cairo_move_to(cr, 22, y);
        cairo_line_to(cr, 105, y);
    }
    cairo_set_line_width(cr, 1.2);
    setRgb(cr, palette::lacquer, 0.5);
    cairo_stroke(cr);
    // Menu button plate around y 330.
    roundedRect(cr, 12, 308, 103, 44, 10);
    cairo_pattern_t* plate = cairo_pattern_create_linear(0, 308, 0, 352);
    cairo_pattern_add_color_stop_rgb(plate, 0, 0.55, 0.10, 0.06);
    cairo_pattern_add_color_stop_rgb(plate, 1, 0.25, 0.04, 0.02);
    cairo_set_source(cr, plate);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(plate);
    cairo_set_line_width(cr, 2.5);
    setRgb(cr, palette::gold);
    cairo_stroke(cr);
    // Foot ornament: a gold cloud scroll pattern.
    for (int k = 0; k < 4; ++k) {
        const double y = 380 + k * 32;
        cairo_arc(cr, 40, y, 10, M_PI, 2.6 * M_PI);
        cairo_arc(cr, 87, y, 10, 0.4 * M_PI, 2 * M_PI);
        cairo_set_line_width(cr, 2);
        setRgb(cr, palette::goldDark, 0.7);
        cairo_stroke(cr);
    }
    Image img = c.image();
    // Paper fibres on the parchment and grain in the lacquer.
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            uint8_t* p = img.at(x, y);
            if (!p[3]) continue;
            const double fibre = fbm(x / 3.0, y / 22.0, 31, 3) - 0.5;
            const double blotch = fbm(x / 25.0, y / 25.0, 32, 3) - 0.5;
            const double k = 1 + fibre * 0.12 + blotch * 0.16;
            for (int ch = 0; ch < 3; ++ch) p[ch] = static_cast<uint8_t>(std::clamp(p[ch] * k, 0.0, 255.0));
        }
    return img;
}

Image stockPlate() {
    Canvas c(128, 128);
    cairo_t* cr = c.cr;
    roundedRect(cr, 6, 10, 116, 108, 14);
    cairo_pattern_t* p = cairo_pattern_create_linear(0, 10, 0, 118);
    cairo_pattern_add_color_stop_rgba(p, 0, 0.35, 0.08, 0.04, 0.95);
    cairo_pattern_add_color_stop_rgba(p, 1, 0.18, 0.04, 0.02, 0.95);
    cairo_set_source(cr, p);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(p);
    cairo_set_line_width(cr, 3);
    setRgb(cr, palette::gold);
    cairo_stroke(cr);
    roundedRect(cr, 14, 18, 100, 92, 9);
    cairo_set_line_width(cr, 1);
    setRgb(cr, palette::goldLight, 0.5);
    cairo_stroke(cr);
    return c.image();
}

// The fuse: a braided cord across 742.4 units of which the middle 708.4 burn,
// stored in a 1024 x 64 picture. The HUD centres the picture 25 units above the
// screen's bottom edge, which is 2.1 units below the field's bottom edge: the cord
// therefore lies in the picture's lower third (rows 36..57 reach from the field's edge
// down to the screen's), so that it runs under the bottom row instead of across it.
Image fuseImage() {
    Canvas c(1024, 64);
    cairo_t* cr = c.cr;
    cairo_scale(cr, 1024 / 742.4, 1);
    const double x0 = 17, x1 = 742.4 - 17;
    // Cord with a slight sag.
    for (int pass = 0; pass < 2; ++pass) {
        cairo_move_to(cr, x0, 45.5);
        cairo_curve_to(cr, 250, 47.5, 500, 47.5, x1, 44.5);
        cairo_set_line_width(cr, pass == 0 ? 20 : 15);
        if (pass == 0)
            setRgb(cr, palette::ink, 0.9);
        else
            setRgb(cr, {0.78, 0.55, 0.30});
        cairo_stroke(cr);
    }
    // Braid marks.
    for (double x = x0 + 4; x < x1; x += 9) {
        const double t = (x - x0) / (x1 - x0);
        const double y = 45.5 + 1.5 * 4 * t * (1 - t) * 1.2 - 1 * t;
        cairo_move_to(cr, x - 3.5, y - 6);
        cairo_line_to(cr, x + 3.5, y + 6);
    }
    cairo_set_line_width(cr, 2.5);
    setRgb(cr, {0.45, 0.25, 0.10});
    cairo_stroke(cr);
    // End caps.
    for (double x : {x0, x1}) {
        roundedRect(cr, x - 9, 36, 18, 20, 5);
        fillMetal(cr, x, 46, 9, palette::gold);
    }
    return c.image();
}

Image barrelImage() {
    Canvas c(128, 128);
    cairo_t* cr = c.cr;
    // A round powder keg seen from the front.
    cairo_move_to(cr, 30, 20);
    cairo_curve_to(cr, 18, 50, 18, 78, 30, 108);
    cairo_line_to(cr, 98, 108);
    cairo_curve_to(cr, 110, 78, 110, 50, 98, 20);
    cairo_close_path(cr);
    cairo_pattern_t* wood = cairo_pattern_create_linear(20, 0, 108, 0);
    cairo_pattern_add_color_stop_rgb(wood, 0, 0.30, 0.13, 0.05);
    cairo_pattern_add_color_stop_rgb(wood, 0.35, 0.72, 0.42, 0.18);
    cairo_pattern_add_color_stop_rgb(wood, 1, 0.25, 0.10, 0.03);
    cairo_set_source(cr, wood);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(wood);
    cairo_set_line_width(cr, 2.5);
    setRgb(cr, palette::ink);
    cairo_stroke(cr);
    for (int k = 1; k < 6; ++k) {
        const double x = 20 + k * 88 / 6.0;
        cairo_move_to(cr, x, 22);
        cairo_curve_to(cr, x + (x - 64) * 0.15, 64, x + (x - 64) * 0.15, 64, x, 106);
    }
    cairo_set_line_width(cr, 1.2);
    setRgb(cr, palette::ink, 0.5);
    cairo_stroke(cr);
    for (double y : {32.0, 96.0}) {
        cairo_move_to(cr, 24, y);
        cairo_curve_to(cr, 50, y + 4, 78, y + 4, 104, y);
        cairo_set_line_width(cr, 6);
        setRgb(cr, {0.25, 0.25, 0.3});
        cairo_stroke(cr);
    }
    // A red seal with a flame sign.
    cairo_arc(cr, 64, 64, 17, 0, 2 * M_PI);
    fillMetal(cr, 64, 64, 17, palette::lacquer, true);
    cairo_set_line_width(cr, 2);
    setRgb(cr, palette::gold);
    cairo_stroke(cr);
    cairo_move_to(cr, 64, 52);
    cairo_curve_to(cr, 74, 62, 70, 74, 64, 75);
    cairo_curve_to(cr, 56, 74, 55, 64, 64, 52);
    setRgb(cr, palette::goldLight);
    cairo_fill(cr);
    return withShadow(c.image(), 3, 2, 3, 0.6);
}

Image pickupBacking() {
    Canvas c(64, 64);
    cairo_t* cr = c.cr;
    cairo_arc(cr, 32, 32, 28, 0, 2 * M_PI);
    cairo_pattern_t* p = cairo_pattern_create_radial(32, 32, 4, 32, 32, 28);
    cairo_pattern_add_color_stop_rgba(p, 0, 1.0, 0.85, 0.45, 0.85);
    cairo_pattern_add_color_stop_rgba(p, 0.7, 0.55, 0.25, 0.05, 0.6);
    cairo_pattern_add_color_stop_rgba(p, 1, 0.3, 0.1, 0.0, 0.0);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    cairo_arc(cr, 32, 32, 25, 0, 2 * M_PI);
    cairo_set_line_width(cr, 2);
    setRgb(cr, palette::gold, 0.9);
    cairo_stroke(cr);
    return c.image();
}

Image cursorImage() {
    Canvas c(64, 64);
    cairo_t* cr = c.cr;
    cairo_move_to(cr, 4, 4);
    cairo_line_to(cr, 40, 26);
    cairo_line_to(cr, 24, 29);
    cairo_line_to(cr, 33, 46);
    cairo_line_to(cr, 26, 49);
    cairo_line_to(cr, 17, 33);
    cairo_line_to(cr, 7, 43);
    cairo_close_path(cr);
    fillMetal(cr, 18, 20, 30, palette::gold, true);
    cairo_set_line_width(cr, 2);
    setRgb(cr, palette::ink);
    cairo_stroke(cr);
    return withShadow(c.image(), 2, 2, 2, 0.6);
}

bool makePlayfield(const std::string& out) {
    bool ok = true;
    ok &= writeTga(out, "field/field0.tga", bareTile(1.0, 11));
    ok &= writeTga(out, "field/field4.tga", bareTile(1.45, 12));
    ok &= writeTga(out, "field/field1.tga", coverTile(1));
    ok &= writeTga(out, "field/field2.tga", coverTile(2));
    ok &= writeTga(out, "field/field1a.tga", blinkTile(1));
    ok &= writeTga(out, "field/field2a.tga", blinkTile(2));
    ok &= writeTga(out, "field/fieldpodsvet.tga", glowSquare({1.0, 0.85, 0.4}, 2, 1.0));
    ok &= writeTga(out, "pack/zep2.tga", chainImage());
    ok &= writeTga(out, "pack/zhelob.tga", resized(glowSquare({1.0, 0.95, 0.7}, 6, 0.9), 128, 128));
    ok &= writeTga(out, "pack/bonus1.tga", crossMarker());
    ok &= writeTga(out, "pack/bonus2.tga", starMarker());
    ok &= writeTga(out, "pack/tip.tga", tipMarker());
    ok &= writeTga(out, "pack/heart.tga", heartImage());
    ok &= writeTga(out, "pack/bomb0.tga", pickupBacking());
    ok &= writeTga(out, "pack/cursor.tga", cursorImage());
    ok &= writeTga(out, "pack/gamebar.tga", sidePanel());
    ok &= writeTga(out, "pack/timer_hammer.tga", stockPlate());
    ok &= writeTga(out, "pack/fuse.tga", fuseImage());
    ok &= writeTga(out, "pack/barrel.tga", barrelImage());
    ok &= writeJpeg(out, "pack/flare.jpg", flattened(radialGlow(128, {1, 1, 1}, 2.2, 1.0), {0, 0, 0}), 92);
    return ok;
}

}  // namespace

DATAGEN_STEP("playfield", makePlayfield);

// The particle atlas: 512 x 512 pixels, 8 x 8 cells of 64. Glow cells are white
// light falling off to black in colour and alpha alike, so they work both added
// and blended; solid cells (smoke, petals, leaves, debris) are light shapes with
// alpha coverage. The effect files tint every cell with their own colours.
// The cell table is written out in assets/art/exploanim.md for effect authors.
#include <algorithm>
#include <functional>

#include "tools/datagen/art_common.h"
#include "tools/datagen/datagen.h"

namespace {

constexpr int kCell = 64;

// An intensity field over the cell in [-1, 1]^2 becomes a glow cell.
using Field = std::function<double(double x, double y)>;

void glowCell(Image& atlas, int cell, const Field& f) {
    const int ox = (cell % 8) * kCell, oy = (cell / 8) * kCell;
    for (int y = 0; y < kCell; ++y)
        for (int x = 0; x < kCell; ++x) {
            double sum = 0;
            for (int s = 0; s < 4; ++s) {
                const double px = (x + 0.25 + 0.5 * (s & 1)) / kCell * 2 - 1;
                const double py = (y + 0.25 + 0.5 * (s >> 1)) / kCell * 2 - 1;
                // Nothing reaches the cell border, so neighbours never bleed in.
                const double edge = std::clamp((1 - std::max(std::fabs(px), std::fabs(py))) * 12, 0.0, 1.0);
                sum += std::clamp(f(px, py), 0.0, 1.0) * edge;
            }
            const uint8_t v = static_cast<uint8_t>(std::lround(sum / 4 * 255));
            uint8_t* p = atlas.at(ox + x, oy + y);
            p[0] = p[1] = p[2] = v;
            p[3] = v;
        }
}

// A cairo drawing in a 64 x 64 cell becomes a solid cell.
void solidCell(Image& atlas, int cell, const std::function<void(cairo_t*)>& draw) {
    Canvas c(kCell, kCell);
    cairo_translate(c.cr, kCell / 2.0, kCell / 2.0);
    cairo_scale(c.cr, kCell / 2.0, kCell / 2.0);
    draw(c.cr);
    const Image img = c.image();
    const int ox = (cell % 8) * kCell, oy = (cell / 8) * kCell;
    for (int y = 1; y < kCell - 1; ++y)
        for (int x = 1; x < kCell - 1; ++x)
            for (int k = 0; k < 4; ++k) atlas.at(ox + x, oy + y)[k] = img.at(x, y)[k];
}

double radius(double x, double y) {
    return std::sqrt(x * x + y * y);
}
double soft(double r, double size, double power) {
    return std::pow(std::max(0.0, 1 - r / size), power);
}

// A star of `points` rays: thin bright spikes over a soft core.
Field star(int points, double rayWidth, double coreSize, double rayLength) {
    return [=](double x, double y) {
        const double r = radius(x, y);
        const double a = std::atan2(y, x);
        const double spoke = std::pow(std::fabs(std::cos(a * points / 2.0)), 1.0 / rayWidth);
        return soft(r, coreSize, 2.0) + spoke * soft(r, rayLength, 1.5) * 0.9;
    };
}

Field ring(double r0, double width, double glow) {
    return [=](double x, double y) {
        const double d = radius(x, y) - r0;
        return std::exp(-d * d / (width * width)) + glow * soft(radius(x, y), r0, 2) * 0.3;
    };
}

// A pair of chevrons pointing up and down: reads as "swap these" at any turn.
Field doubleChevron(double spread) {
    return [=](double x, double y) {
        double v = 0;
        for (int side = -1; side <= 1; side += 2) {
            const double yy = y * side;  // chevron tip toward -1 on each side
            for (int k = 0; k < 2; ++k) {
                const double tip = -0.78 + k * 0.32;
                const double d = std::fabs((yy - tip) - std::fabs(x) * spread);
                if (yy > tip - 0.1 && std::fabs(x) < 0.55)
                    v = std::max(v, std::exp(-d * d / 0.008) * (1 - k * 0.3));
            }
        }
        return v + soft(radius(x, y), 0.9, 3) * 0.25;
    };
}

void smoke(cairo_t* cr, uint32_t seed) {
    Rng rng(seed);
    for (int k = 0; k < 7; ++k) {
        const double x = rng.range(-0.35, 0.35), y = rng.range(-0.35, 0.35), r = rng.range(0.28, 0.5);
        cairo_pattern_t* p = cairo_pattern_create_radial(x, y, 0, x, y, r);
        cairo_pattern_add_color_stop_rgba(p, 0, 0.85, 0.85, 0.85, 0.55);
        cairo_pattern_add_color_stop_rgba(p, 1, 0.6, 0.6, 0.6, 0);
        cairo_set_source(cr, p);
        cairo_arc(cr, x, y, r, 0, 2 * M_PI);
        cairo_fill(cr);
        cairo_pattern_destroy(p);
    }
}

void petal(cairo_t* cr) {
    cairo_move_to(cr, 0, 0.8);
    cairo_curve_to(cr, -0.7, 0.3, -0.6, -0.6, -0.12, -0.75);
    cairo_line_to(cr, 0, -0.55);
    cairo_line_to(cr, 0.12, -0.75);
    cairo_curve_to(cr, 0.6, -0.6, 0.7, 0.3, 0, 0.8);
    cairo_pattern_t* p = cairo_pattern_create_radial(0, 0.5, 0.05, 0, 0, 0.9);
    cairo_pattern_add_color_stop_rgb(p, 0, 1, 1, 1);
    cairo_pattern_add_color_stop_rgb(p, 1, 0.82, 0.82, 0.82);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
}

void leaf(cairo_t* cr) {
    cairo_move_to(cr, 0, -0.85);
    cairo_curve_to(cr, 0.6, -0.4, 0.5, 0.4, 0, 0.85);
    cairo_curve_to(cr, -0.5, 0.4, -0.6, -0.4, 0, -0.85);
    cairo_set_source_rgb(cr, 0.9, 0.9, 0.9);
    cairo_fill(cr);
    cairo_move_to(cr, 0, -0.8);
    cairo_line_to(cr, 0, 0.8);
    cairo_set_line_width(cr, 0.06);
    cairo_set_source_rgb(cr, 0.6, 0.6, 0.6);
    cairo_stroke(cr);
}

void debris(cairo_t* cr, uint32_t seed) {
    Rng rng(seed);
    const int n = 5 + rng.below(3);
    for (int k = 0; k < n; ++k) {
        const double a = k * 2 * M_PI / n, r = rng.range(0.45, 0.8);
        if (k == 0)
            cairo_move_to(cr, r * std::cos(a), r * std::sin(a));
        else
            cairo_line_to(cr, r * std::cos(a), r * std::sin(a));
    }
    cairo_close_path(cr);
    cairo_pattern_t* p = cairo_pattern_create_linear(-0.6, -0.6, 0.6, 0.6);
    cairo_pattern_add_color_stop_rgb(p, 0, 1, 1, 1);
    cairo_pattern_add_color_stop_rgb(p, 1, 0.5, 0.5, 0.5);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
}

void starShape(cairo_t* cr, int points, double inner) {
    for (int k = 0; k < points * 2; ++k) {
        const double a = k * M_PI / points - M_PI / 2, r = k % 2 ? inner : 0.85;
        if (k == 0)
            cairo_move_to(cr, r * std::cos(a), r * std::sin(a));
        else
            cairo_line_to(cr, r * std::cos(a), r * std::sin(a));
    }
    cairo_close_path(cr);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_fill(cr);
}

Image makeAtlas() {
    Image atlas(512, 512);
    glowCell(atlas, 0, [](double x, double y) { return soft(radius(x, y), 1, 2.2); });
    glowCell(atlas, 1, [](double x, double y) { return soft(radius(x, y), 0.35, 1.5); });
    glowCell(atlas, 2, star(4, 0.06, 0.3, 1.0));
    glowCell(atlas, 3, star(6, 0.08, 0.3, 0.95));
    glowCell(atlas, 4, star(8, 0.1, 0.35, 0.9));
    glowCell(atlas, 5, ring(0.7, 0.12, 0));
    glowCell(atlas, 6, ring(0.8, 0.05, 0));
    solidCell(atlas, 7, [](cairo_t* cr) { smoke(cr, 7); });
    solidCell(atlas, 8, [](cairo_t* cr) { smoke(cr, 8); });
    glowCell(atlas, 9, [](double x, double y) {
        const double yy = y + 0.2;  // a flame tongue, pointed upwards
        const double w = 0.45 * std::max(0.0, 1 - std::pow((yy + 0.7) / 1.5, 2)) * (yy > -0.8);
        return std::clamp(1 - std::fabs(x) / std::max(1e-3, w), 0.0, 1.0) *
               soft(std::fabs(yy - 0.3), 1.2, 0.8);
    });
    solidCell(atlas, 10, petal);
    solidCell(atlas, 11, leaf);
    glowCell(atlas, 12, [](double x, double y) {
        const double r = radius(x, y), a = std::atan2(y, x);
        const double rays = 0.5 + 0.5 * std::cos(a * 12) * std::cos(a * 5);
        return soft(r, 0.55, 1.6) + soft(r, 1.0, 2.0) * (0.3 + 0.5 * rays);
    });
    glowCell(atlas, 13,
             [](double x, double y) { return soft(std::fabs(y), 0.18, 1.5) * soft(std::fabs(x), 1, 1); });
    glowCell(atlas, 14, [](double x, double y) {
        const double head = soft(radius(x, y + 0.5), 0.35, 1.5);
        const double tail =
            y > -0.5 ? soft(std::fabs(x), 0.25 * (1 - (y + 0.5) / 1.5), 1) * (1 - (y + 0.5) / 1.5) : 0;
        return head + tail * 0.7;
    });
    glowCell(atlas, 15, [](double x, double y) {
        double v = 0;
        const double pts[5][2] = {{0, 0}, {0.45, 0.3}, {-0.4, 0.4}, {-0.3, -0.45}, {0.4, -0.4}};
        for (const auto& p : pts) v += soft(radius(x - p[0], y - p[1]), 0.3, 1.6);
        return v;
    });
    glowCell(atlas, 16, [](double x, double y) {
        const double r = radius(x, y);
        return soft(r, 0.25, 1) + soft(r, 1, 3) * 0.6;
    });
    glowCell(atlas, 17, [](double x, double y) {
        // Bright sparkle: a hot core, four long and four short rays.
        const double r = radius(x, y), a = std::atan2(y, x);
        const double longRays = std::pow(std::fabs(std::cos(a * 2)), 40.0) * soft(r, 1.0, 1.2);
        const double shortRays = std::pow(std::fabs(std::cos(a * 2 + M_PI / 2)), 40.0) * soft(r, 0.55, 1.2);
        return soft(r, 0.3, 1.2) + soft(r, 0.8, 3) * 0.5 + longRays + shortRays * 0.7;
    });
    glowCell(atlas, 18, [](double x, double y) {
        const double d = std::fabs(x) + std::fabs(y) * 0.6;
        return soft(d, 0.7, 1.4) + soft(radius(x, y), 0.2, 1);
    });
    glowCell(atlas, 19, [](double x, double y) {
        const double path = 0.25 * std::sin(y * 7) + 0.1 * std::sin(y * 17);
        return soft(std::fabs(x - path), 0.12, 1) * soft(std::fabs(y), 1, 0.5);
    });
    for (int k = 0; k < 4; ++k) solidCell(atlas, 20 + k, [k](cairo_t* cr) { debris(cr, 20 + k); });
    glowCell(atlas, 24, [](double x, double y) {
        const double yy = -y * 1.1 + 0.15, xx = std::fabs(x) * 1.1;
        const double heart = std::pow(xx * xx + yy * yy - 0.35, 3) - xx * xx * yy * yy * yy;
        return heart < 0 ? 1.0 - soft(-heart, 0.05, 1) * 0.3 : soft(heart, 0.02, 1) * 0.5;
    });
    glowCell(atlas, 25, [](double x, double y) {
        return std::max(soft(std::fabs(x), 0.15, 1) * soft(std::fabs(y), 0.8, 0.6),
                        soft(std::fabs(y), 0.15, 1) * soft(std::fabs(x), 0.8, 0.6));
    });
    solidCell(atlas, 26, [](cairo_t* cr) { starShape(cr, 5, 0.38); });
    solidCell(atlas, 27, [](cairo_t* cr) {
        cairo_arc(cr, 0, 0, 0.8, 0, 2 * M_PI);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_fill(cr);
    });
    glowCell(atlas, 28, [](double x, double y) {
        const double d = std::max(std::fabs(x), std::fabs(y));
        return std::exp(-std::pow((d - 0.6) / 0.08, 2)) + soft(d, 0.6, 2) * 0.3;
    });
    glowCell(atlas, 29, [](double x, double y) {
        const double a = soft(radius(x, y), 0.8, 0.3), b = soft(radius(x - 0.3, y - 0.2), 0.7, 0.3);
        return std::max(0.0, a - b * 1.5);
    });
    glowCell(atlas, 30, [](double x, double y) {
        const double r = radius(x, y), a = std::atan2(y, x);
        const double arm = std::fmod(a + r * 6 + 20 * M_PI, M_PI) / M_PI;
        return soft(std::fabs(arm - 0.5), 0.2, 1) * soft(r, 0.95, 1) + soft(r, 0.2, 1);
    });
    glowCell(atlas, 31,
             [](double x, double y) { return soft(radius(x, y), 0.5, 3) + soft(radius(x, y), 0.12, 1); });
    glowCell(atlas, 32, [](double x, double y) {
        return soft(radius(x, y), 1, 1.2) * (0.7 + 0.3 * fbm(x * 3, y * 3, 32, 3));
    });
    glowCell(atlas, 33, [](double x, double y) {
        const double r = radius(x, y), a = std::atan2(y, x);
        const double spiral = std::fmod(a / (2 * M_PI) + 1 - r * 1.5 + 10, 1.0);
        return soft(std::fabs(spiral - 0.5), 0.15, 1) * soft(r, 0.95, 0.7);
    });
    glowCell(atlas, 34, [](double x, double y) {
        const double r = radius(x, y), a = std::atan2(y, x);
        const double rays = std::pow(std::fabs(std::cos(a * 8)), 30.0);
        return rays * std::exp(-std::pow((r - 0.6) / 0.25, 2)) + soft(r, 0.15, 1);
    });
    solidCell(atlas, 35, [](cairo_t* cr) {
        for (int k = 0; k < 5; ++k) {
            cairo_save(cr);
            cairo_rotate(cr, k * 2 * M_PI / 5);
            cairo_scale(cr, 0.55, 0.55);
            cairo_translate(cr, 0, -0.55);
            petal(cr);
            cairo_restore(cr);
        }
    });
    solidCell(atlas, 36, [](cairo_t* cr) { starShape(cr, 4, 0.22); });
    glowCell(atlas, 37, [](double x, double y) {
        return std::exp(-std::pow((radius(x, y) - 0.75) / 0.07, 2)) + soft(radius(x + 0.3, y + 0.3), 0.2, 1);
    });
    glowCell(atlas, 38, [](double x, double y) {
        const double yy = y - 0.2;
        const double w = yy < 0 ? 0.35 * (1 + yy / 0.9) : std::sqrt(std::max(0.0, 0.35 * 0.35 - yy * yy));
        return std::clamp((w - std::fabs(x)) * 8, 0.0, 1.0) * (yy > -0.9);
    });
    glowCell(atlas, 39, [](double x, double y) {
        const double r = radius(x, y), a = std::atan2(y, x);
        const double arms = std::pow(std::fabs(std::cos(a * 3)), 60.0) * soft(r, 0.9, 0.5);
        return arms + soft(r, 0.15, 1);
    });
    // 40..55: variations for effect authors.
    glowCell(atlas, 40, [](double x, double y) { return soft(std::fabs(x) + std::fabs(y), 0.85, 0.8); });
    glowCell(atlas, 41, ring(0.5, 0.2, 1));
    glowCell(atlas, 42, star(5, 0.1, 0.25, 0.9));
    glowCell(atlas, 43, star(12, 0.15, 0.3, 0.85));
    glowCell(atlas, 44, [](double x, double y) { return soft(radius(x * 2.5, y), 1, 1.5); });
    glowCell(atlas, 45, [](double x, double y) {
        // A billowing cloud of light: bright, uneven, soft at the rim (fire, blasts).
        return soft(radius(x, y), 1, 0.9) * (0.35 + 1.1 * fbm(x * 3.5 + 9, y * 3.5, 45, 4));
    });
    glowCell(atlas, 46,
             [](double x, double y) { return soft(std::fabs(x), 0.2, 1.2) * soft(std::fabs(y), 1, 0.4); });
    glowCell(atlas, 47, star(4, 0.03, 0.15, 1.0));
    solidCell(atlas, 48, [](cairo_t* cr) { smoke(cr, 48); });
    glowCell(atlas, 49, [](double x, double y) { return soft(radius(x, y), 0.6, 4); });
    glowCell(atlas, 50, [](double x, double y) {
        return soft(radius(x, y), 0.9, 1.5) * (0.5 + 0.5 * fbm(x * 3, y * 3 + 5, 50, 3));
    });
    glowCell(atlas, 51, ring(0.55, 0.3, 0));
    glowCell(atlas, 52, star(4, 0.15, 0.4, 0.8));
    glowCell(atlas, 53, [](double x, double y) {
        double v = 0;
        Rng rng(53);
        for (int k = 0; k < 9; ++k) {
            const double px = rng.range(-0.7, 0.7), py = rng.range(-0.7, 0.7);
            v += soft(radius(x - px, y - py), 0.15, 1.2);
        }
        return v;
    });
    glowCell(atlas, 54, [](double x, double y) {
        const double r = radius(x, y + 0.6);
        return std::exp(-std::pow((r - 0.9) / 0.08, 2)) * (y < 0.3);
    });
    glowCell(atlas, 55, [](double x, double y) {
        const double r = radius(x, y), a = std::atan2(y, x);
        const double jag = 0.55 + 0.25 * std::sin(a * 9) * std::cos(a * 4);
        return soft(r, jag + 0.2, 1.2) + soft(r, 0.3, 1);
    });
    // Swap hint marks (drawn at both cells of a suggested move).
    glowCell(atlas, 56, doubleChevron(0.9));
    glowCell(atlas, 57, [](double x, double y) { return soft(radius(x, y), 0.9, 1.4) * 0.6; });
    glowCell(atlas, 58, ring(0.65, 0.1, 0.5));
    glowCell(atlas, 59, doubleChevron(0.9));
    glowCell(atlas, 60, star(6, 0.04, 0.2, 1.0));
    // Golden spark flying into the barrel at the level end.
    glowCell(atlas, 61, [](double x, double y) {
        const double r = radius(x, y), a = std::atan2(y, x);
        return soft(r, 0.45, 1.5) + std::pow(std::fabs(std::cos(a * 3)), 20.0) * soft(r, 0.95, 1.3) * 0.8;
    });
    glowCell(atlas, 62, [](double x, double y) { return soft(radius(x, y), 0.75, 0.7); });
    glowCell(atlas, 63, ring(0.85, 0.08, 0.2));
    return atlas;
}

// Packed, and loose in the effects folder as well, so it is found whichever way
// the loader names it.
bool makeEffectsAtlas(const std::string& out) {
    const Image atlas = makeAtlas();
    return writeTga(out, "pack/exploanim.tga", atlas) && writeTga(out, "effects/exploanim.tga", atlas);
}

}  // namespace

DATAGEN_STEP("effects", makeEffectsAtlas);

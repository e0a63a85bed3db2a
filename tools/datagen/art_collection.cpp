// The zone map and the collection: the ten quelmars (artefact medallions), the
// five pictures at the right of the map, the map background, the cover with its
// ten pieces, the zone icons, and the masks that open the cover piece by piece.
#include <algorithm>
#include <array>
#include <cstring>

#include "tools/datagen/art_common.h"
#include "tools/datagen/datagen.h"

namespace {

constexpr int kSize = 256;

// Offsets of the ten cover pieces from the medallion centre, in opening order,
// with y upwards as on screen.
const double kPieces[10][2] = {{-55, 95},  {55, 95},   {95, 55},  {95, -55}, {55, -95},
                               {-55, -95}, {-95, -55}, {-95, 55}, {0, -45},  {0, 45}};

// Which piece covers an image pixel, and how far the pixel is from the border
// to the next piece (for the carved grooves).
int pieceAt(double x, double y, double* borderDistance) {
    const double px = x - kSize / 2.0, py = kSize / 2.0 - y;
    int best = 0;
    double d1 = 1e9, d2 = 1e9;
    for (int k = 0; k < 10; ++k) {
        const double d = std::hypot(px - kPieces[k][0], py - kPieces[k][1]);
        if (d < d1) {
            d2 = d1;
            d1 = d;
            best = k;
        } else if (d < d2) {
            d2 = d;
        }
    }
    if (borderDistance) *borderDistance = (d2 - d1) / 2;
    return best;
}

struct ArtefactStyle {
    Rgb velvet, metal, petal, gem;
    int petals;
    int petalShape;  // 0 pointed, 1 round, 2 flame
    int motif;       // 0..9, one per artefact
    int beads;
};

// One quelmar per zone, in zone order, each with the motif its stage text names:
// 0 the Jade Dragon Seal, 1 the Ember Heart, 2 the Mirror of Still Water, 3 the Storm
// Tree, 4 the Phoenix Crown, 5 the Pearl of Tides, 6 the Crane of Ages, 7 the Star
// Compass, 8 the Golden Lotus, 9 the Sun Disc.
const ArtefactStyle kArtefacts[10] = {
    {{0.05, 0.22, 0.16}, palette::gold, {0.25, 0.70, 0.50}, {0.85, 0.97, 0.88}, 8, 1, 3, 24},
    {{0.25, 0.02, 0.08}, palette::gold, {0.85, 0.15, 0.25}, {1.00, 0.25, 0.35}, 9, 2, 5, 26},
    {{0.03, 0.08, 0.25}, {0.85, 0.85, 0.90}, {0.35, 0.55, 0.95}, {0.85, 0.92, 1.00}, 6, 0, 0, 30},
    {{0.08, 0.10, 0.16}, {0.80, 0.80, 0.88}, {0.55, 0.75, 0.95}, {0.75, 0.95, 0.45}, 11, 2, 8, 33},
    {{0.30, 0.08, 0.02}, palette::gold, {0.95, 0.45, 0.10}, {1.00, 0.80, 0.30}, 16, 2, 9, 36},
    {{0.04, 0.18, 0.25}, {0.85, 0.85, 0.90}, {0.30, 0.75, 0.85}, {0.70, 1.00, 1.00}, 14, 0, 6, 40},
    {{0.10, 0.10, 0.12}, palette::gold, {0.95, 0.95, 0.90}, {0.95, 0.95, 1.00}, 7, 1, 7, 21},
    {{0.12, 0.02, 0.20}, palette::gold, {0.65, 0.35, 0.95}, {1.00, 0.95, 0.60}, 8, 0, 4, 32},
    {{0.20, 0.06, 0.22}, palette::gold, {0.98, 0.80, 0.35}, {1.00, 0.92, 0.60}, 10, 1, 2, 28},
    {{0.32, 0.12, 0.02}, palette::gold, {1.00, 0.65, 0.15}, {1.00, 0.85, 0.30}, 18, 2, 1, 45},
};

void facetedGem(cairo_t* cr, double r, Rgb colour, int sides) {
    for (int k = 0; k < sides; ++k) {
        const double a0 = k * 2 * M_PI / sides - M_PI / 2, a1 = (k + 1) * 2 * M_PI / sides - M_PI / 2;
        cairo_move_to(cr, 0, 0);
        cairo_line_to(cr, r * std::cos(a0), r * std::sin(a0));
        cairo_line_to(cr, r * std::cos(a1), r * std::sin(a1));
        cairo_close_path(cr);
        const double light = 0.55 + 0.45 * std::cos((a0 + a1) / 2 + 2.3);
        setRgb(cr, mix(scaled(colour, light), {1, 1, 1}, light > 0.9 ? 0.4 : 0.0));
        cairo_fill(cr);
    }
    for (int k = 0; k < sides; ++k) {
        const double a = k * 2 * M_PI / sides - M_PI / 2;
        cairo_move_to(cr, 0, 0);
        cairo_line_to(cr, r * std::cos(a), r * std::sin(a));
    }
    cairo_set_line_width(cr, 0.8);
    setRgb(cr, {1, 1, 1}, 0.35);
    cairo_stroke(cr);
    cairo_arc(cr, 0, 0, r * 0.45, 0, 2 * M_PI);
    setRgb(cr, mix(colour, {1, 1, 1}, 0.35), 0.6);
    cairo_fill(cr);
}

// The central motif of each quelmar, drawn in a radius of about 45.
void motif(cairo_t* cr, const ArtefactStyle& s) {
    switch (s.motif) {
        case 0: {  // moon over waves
            cairo_arc(cr, 0, -10, 28, 0, 2 * M_PI);
            cairo_arc_negative(cr, 12, -18, 24, 2 * M_PI, 0);
            setRgb(cr, s.gem);
            cairo_fill(cr);
            for (int k = 0; k < 3; ++k) {
                cairo_arc(cr, -24 + k * 24, 28, 12, M_PI, 2 * M_PI);
            }
            cairo_set_line_width(cr, 4);
            setRgb(cr, s.metal);
            cairo_stroke(cr);
            break;
        }
        case 1: {  // sun with flame rays
            for (int k = 0; k < 16; ++k) {
                cairo_save(cr);
                cairo_rotate(cr, k * M_PI / 8);
                cairo_move_to(cr, -5, -24);
                cairo_curve_to(cr, -3, -36, 4, -38, 0, -46);
                cairo_curve_to(cr, 8, -38, 6, -30, 5, -24);
                cairo_close_path(cr);
                setRgb(cr, k % 2 ? s.metal : s.gem);
                cairo_fill(cr);
                cairo_restore(cr);
            }
            facetedGem(cr, 24, s.gem, 12);
            break;
        }
        case 2: {  // lotus blossom
            for (int layer = 0; layer < 2; ++layer)
                for (int k = -2; k <= 2; ++k) {
                    cairo_save(cr);
                    cairo_translate(cr, 0, 22);
                    cairo_rotate(cr, k * (layer ? 0.42 : 0.3));
                    cairo_move_to(cr, 0, 0);
                    cairo_curve_to(cr, -16, -18, -10, -40, 0, -52 + layer * 12);
                    cairo_curve_to(cr, 10, -40, 16, -18, 0, 0);
                    setRgb(cr, layer ? mix(s.petal, {1, 1, 1}, 0.4) : s.petal);
                    cairo_fill_preserve(cr);
                    cairo_set_line_width(cr, 1);
                    setRgb(cr, scaled(s.petal, 0.5));
                    cairo_stroke(cr);
                    cairo_restore(cr);
                }
            break;
        }
        case 3: {  // pearl held by a coiled dragon
            cairo_set_line_width(cr, 8);
            cairo_arc(cr, 0, 0, 36, 0.3, 2 * M_PI - 0.3);
            setRgb(cr, s.petal);
            cairo_stroke(cr);
            cairo_arc(cr, 36 * std::cos(0.3), 36 * std::sin(0.3), 7, 0, 2 * M_PI);
            setRgb(cr, s.metal);
            cairo_fill(cr);
            cairo_arc(cr, 0, 0, 20, 0, 2 * M_PI);
            fillMetal(cr, 0, 0, 20, s.gem);
            break;
        }
        case 4: {  // eight-pointed star seal
            facetedGem(cr, 40, s.gem, 8);
            cairo_rectangle(cr, -12, -12, 24, 24);
            setRgb(cr, scaled(s.velvet, 1.5));
            cairo_fill(cr);
            break;
        }
        case 5: {  // heart-shaped ruby
            cairo_move_to(cr, 0, 34);
            cairo_curve_to(cr, -40, 8, -32, -30, -10, -26);
            cairo_curve_to(cr, -4, -25, 0, -20, 0, -16);
            cairo_curve_to(cr, 0, -20, 4, -25, 10, -26);
            cairo_curve_to(cr, 32, -30, 40, 8, 0, 34);
            cairo_close_path(cr);
            fillMetal(cr, -5, -5, 38, s.gem, true);
            cairo_set_line_width(cr, 3);
            setRgb(cr, s.metal);
            cairo_stroke(cr);
            break;
        }
        case 6: {  // two koi circling a pearl
            for (int k = 0; k < 2; ++k) {
                cairo_save(cr);
                cairo_rotate(cr, k * M_PI);
                cairo_move_to(cr, 30, 0);
                cairo_curve_to(cr, 28, -22, 5, -30, -12, -22);
                cairo_curve_to(cr, -20, -18, -30, -28, -36, -20);
                cairo_curve_to(cr, -28, -12, -26, -6, -14, -8);
                cairo_curve_to(cr, 0, -10, 18, -8, 30, 0);
                setRgb(cr, k ? s.metal : s.gem);
                cairo_fill(cr);
                cairo_restore(cr);
            }
            cairo_arc(cr, 0, 0, 11, 0, 2 * M_PI);  // the pearl they circle
            fillMetal(cr, -3, -3, 11, {0.95, 0.95, 1.0});
            break;
        }
        case 7: {  // crane
            cairo_move_to(cr, -36, 8);
            cairo_curve_to(cr, -20, -30, 0, -20, 4, -4);
            cairo_curve_to(cr, 10, -30, 30, -36, 40, -20);
            cairo_curve_to(cr, 24, -16, 16, 0, 8, 12);
            cairo_line_to(cr, 16, 36);
            cairo_line_to(cr, 10, 36);
            cairo_line_to(cr, 2, 14);
            cairo_close_path(cr);
            setRgb(cr, s.gem);
            cairo_fill(cr);
            cairo_arc(cr, 38, -22, 4, 0, 2 * M_PI);
            setRgb(cr, palette::lacquer);
            cairo_fill(cr);
            break;
        }
        case 8: {  // tree of life
            cairo_move_to(cr, 0, 40);
            cairo_line_to(cr, 0, -5);
            cairo_set_line_width(cr, 7);
            setRgb(cr, s.metal);
            cairo_stroke(cr);
            for (int k = 0; k < 7; ++k) {
                const double a = -M_PI / 2 + (k - 3) * 0.4;
                cairo_arc(cr, 26 * std::cos(a), -5 + 26 * std::sin(a), 11, 0, 2 * M_PI);
                setRgb(cr, k % 2 ? s.gem : s.petal);
                cairo_fill(cr);
            }
            break;
        }
        default: {  // crown of the last zone
            cairo_move_to(cr, -36, 20);
            cairo_line_to(cr, -40, -20);
            cairo_line_to(cr, -20, 0);
            cairo_line_to(cr, 0, -32);
            cairo_line_to(cr, 20, 0);
            cairo_line_to(cr, 40, -20);
            cairo_line_to(cr, 36, 20);
            cairo_close_path(cr);
            fillMetal(cr, 0, 0, 40, s.metal, true);
            cairo_set_line_width(cr, 2);
            setRgb(cr, palette::ink);
            cairo_stroke(cr);
            for (int k = -1; k <= 1; ++k) {
                cairo_save(cr);
                cairo_translate(cr, k * 20, 10);
                facetedGem(cr, 7, k ? s.petal : s.gem, 6);
                cairo_restore(cr);
            }
            break;
        }
    }
}

Image artefact(int index) {
    const ArtefactStyle& s = kArtefacts[index];
    Canvas c(kSize, kSize);
    cairo_t* cr = c.cr;
    cairo_pattern_t* bg = cairo_pattern_create_radial(128, 128, 10, 128, 128, 182);
    cairo_pattern_add_color_stop_rgb(bg, 0, s.velvet.r * 2.2, s.velvet.g * 2.2, s.velvet.b * 2.2);
    cairo_pattern_add_color_stop_rgb(bg, 1, s.velvet.r * 0.5, s.velvet.g * 0.5, s.velvet.b * 0.5);
    cairo_set_source(cr, bg);
    cairo_paint(cr);
    cairo_pattern_destroy(bg);
    cairo_translate(cr, 128, 128);
    // Outer ring with beads.
    cairo_arc(cr, 0, 0, 120, 0, 2 * M_PI);
    cairo_arc_negative(cr, 0, 0, 106, 2 * M_PI, 0);
    fillMetal(cr, 0, 0, 120, s.metal);
    for (int k = 0; k < s.beads; ++k) {
        const double a = k * 2 * M_PI / s.beads;
        cairo_arc(cr, 113 * std::cos(a), 113 * std::sin(a), 4, 0, 2 * M_PI);
        fillMetal(cr, 113 * std::cos(a), 113 * std::sin(a), 4, mix(s.metal, {1, 1, 1}, 0.3));
    }
    // Petal ring.
    for (int k = 0; k < s.petals; ++k) {
        cairo_save(cr);
        cairo_rotate(cr, k * 2 * M_PI / s.petals);
        const double w = 0.9 * M_PI * 80 / s.petals;
        cairo_move_to(cr, 0, -56);
        if (s.petalShape == 0) {
            cairo_line_to(cr, -w * 0.5, -72);
            cairo_line_to(cr, 0, -102);
            cairo_line_to(cr, w * 0.5, -72);
        } else if (s.petalShape == 1) {
            cairo_curve_to(cr, -w * 0.8, -70, -w * 0.6, -100, 0, -102);
            cairo_curve_to(cr, w * 0.6, -100, w * 0.8, -70, 0, -56);
        } else {
            cairo_curve_to(cr, -w * 0.7, -70, -w * 0.1, -85, -w * 0.3, -102);
            cairo_curve_to(cr, w * 0.3, -90, w * 0.7, -75, 0, -56);
        }
        cairo_close_path(cr);
        cairo_pattern_t* p = cairo_pattern_create_linear(0, -56, 0, -102);
        cairo_pattern_add_color_stop_rgb(p, 0, s.petal.r * 0.6, s.petal.g * 0.6, s.petal.b * 0.6);
        cairo_pattern_add_color_stop_rgb(p, 1, std::min(1.0, s.petal.r * 1.3), std::min(1.0, s.petal.g * 1.3),
                                         std::min(1.0, s.petal.b * 1.3));
        cairo_set_source(cr, p);
        cairo_fill_preserve(cr);
        cairo_pattern_destroy(p);
        cairo_set_line_width(cr, 1.5);
        setRgb(cr, s.metal);
        cairo_stroke(cr);
        cairo_restore(cr);
    }
    // Inner ring and the motif.
    cairo_arc(cr, 0, 0, 56, 0, 2 * M_PI);
    cairo_set_line_width(cr, 5);
    setRgb(cr, s.metal);
    cairo_stroke(cr);
    cairo_arc(cr, 0, 0, 53, 0, 2 * M_PI);
    setRgb(cr, scaled(s.velvet, 0.7));
    cairo_fill(cr);
    motif(cr, s);
    // Glints.
    for (int k = 0; k < 3; ++k) {
        const double a = -2.3 + k * 0.35, r = 80 + k * 12;
        cairo_save(cr);
        cairo_translate(cr, r * std::cos(a), r * std::sin(a));
        for (int ray = 0; ray < 4; ++ray) {
            cairo_rotate(cr, M_PI / 2);
            cairo_move_to(cr, 0, 0);
            cairo_line_to(cr, 1.5, -9 + k * 2);
            cairo_line_to(cr, -1.5, -9 + k * 2);
            cairo_close_path(cr);
        }
        setRgb(cr, {1, 1, 1}, 0.85);
        cairo_fill(cr);
        cairo_restore(cr);
    }
    return c.image();
}

// The cover: a bronze lid with ten carved pieces and a lock in the middle.
Image cover() {
    Image img(kSize, kSize);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            double border;
            const int piece = pieceAt(x + 0.5, y + 0.5, &border);
            const double n = fbm(x / 18.0, y / 18.0, 500, 4);
            const double patina = std::clamp((fbm(x / 30.0, y / 30.0, 501, 3) - 0.55) * 4, 0.0, 1.0);
            Rgb c = mix(Rgb{0.55, 0.36, 0.16}, Rgb{0.30, 0.55, 0.45}, patina * 0.7);
            c = scaled(c, 0.75 + 0.4 * n + 0.04 * (piece % 3));
            const double groove = std::clamp(1 - border / 2.0, 0.0, 1.0);
            const double bevel = std::clamp(1 - std::fabs(border - 3) / 1.5, 0.0, 1.0);
            c = mix(c, {0.12, 0.06, 0.02}, groove * 0.9);
            c = mix(c, {1.0, 0.85, 0.55}, bevel * 0.25);
            uint8_t* p = img.at(x, y);
            p[0] = static_cast<uint8_t>(std::clamp(c.r, 0.0, 1.0) * 255);
            p[1] = static_cast<uint8_t>(std::clamp(c.g, 0.0, 1.0) * 255);
            p[2] = static_cast<uint8_t>(std::clamp(c.b, 0.0, 1.0) * 255);
            p[3] = 255;
        }
    Canvas c(kSize, kSize);
    c.paintImage(img, 0, 0);
    cairo_t* cr = c.cr;
    for (int k = 0; k < 10; ++k) {
        // A small boss on each piece.
        const double x = 128 + kPieces[k][0], y = 128 - kPieces[k][1];
        cairo_arc(cr, x, y, 6, 0, 2 * M_PI);
        fillMetal(cr, x, y, 6, palette::gold);
    }
    cairo_arc(cr, 128, 128, 124, 0, 2 * M_PI);
    cairo_set_line_width(cr, 6);
    setRgb(cr, palette::goldDark);
    cairo_stroke(cr);
    return c.image();
}

// Mask n: open (black, transparent) over the first n pieces, closed (white) elsewhere.
Image mask(int open) {
    Image img(kSize, kSize);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            // Four samples per pixel soften the piece edges.
            int closed = 0;
            for (int s = 0; s < 4; ++s)
                if (pieceAt(x + 0.25 + 0.5 * (s & 1), y + 0.25 + 0.5 * (s >> 1), nullptr) >= open) ++closed;
            const uint8_t v = static_cast<uint8_t>(closed * 255 / 4);
            uint8_t* p = img.at(x, y);
            p[0] = p[1] = p[2] = p[3] = v;
        }
    return img;
}

// A zone not yet reached is a stone seal; the zone to play next glows gold, with
// light breaking from behind its question mark.
Image zoneIcon(bool next) {
    Image stone(128, 128);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            const double n = fbm(x / 12.0, y / 12.0, next ? 811 : 812, 4);
            const double r = std::hypot(x - 63.5, y - 63.5) / 90;
            const Rgb base = next ? mix(Rgb{1.0, 0.82, 0.42}, Rgb{0.55, 0.18, 0.04}, std::min(1.0, r * 1.2))
                                  : mix(Rgb{0.36, 0.33, 0.34}, Rgb{0.10, 0.09, 0.10}, std::min(1.0, r * 1.1));
            const Rgb c = scaled(base, 0.8 + 0.35 * n);
            uint8_t* p = stone.at(x, y);
            p[0] = static_cast<uint8_t>(std::clamp(c.r, 0.0, 1.0) * 255);
            p[1] = static_cast<uint8_t>(std::clamp(c.g, 0.0, 1.0) * 255);
            p[2] = static_cast<uint8_t>(std::clamp(c.b, 0.0, 1.0) * 255);
            p[3] = 255;
        }
    Canvas c(128, 128);
    c.paintImage(stone, 0, 0);
    cairo_t* cr = c.cr;
    if (next) {
        for (int k = 0; k < 16; ++k) {
            cairo_save(cr);
            cairo_translate(cr, 64, 64);
            cairo_rotate(cr, k * M_PI / 8);
            cairo_move_to(cr, 0, 0);
            cairo_line_to(cr, -5, -62);
            cairo_line_to(cr, 5, -62);
            cairo_close_path(cr);
            setRgb(cr, {1, 0.95, 0.75}, k % 2 ? 0.18 : 0.3);
            cairo_fill(cr);
            cairo_restore(cr);
        }
    }
    // Beaded ring and the frame.
    const Rgb metal = next ? palette::goldLight : Rgb{0.50, 0.45, 0.42};
    cairo_arc(cr, 64, 64, 54, 0, 2 * M_PI);
    cairo_set_line_width(cr, 4);
    setRgb(cr, metal);
    cairo_stroke(cr);
    for (int k = 0; k < 20; ++k) {
        const double a = k * M_PI / 10;
        cairo_arc(cr, 64 + 47 * std::cos(a), 64 + 47 * std::sin(a), 2.2, 0, 2 * M_PI);
        setRgb(cr, metal, 0.9);
        cairo_fill(cr);
    }
    roundedRect(cr, 2, 2, 124, 124, 10);
    cairo_set_line_width(cr, 4);
    setRgb(cr, next ? palette::gold : Rgb{0.35, 0.30, 0.28});
    cairo_stroke(cr);
    drawTitleText(cr, kTitleFont, 72, "?", 64, 89, next ? Rgb{1.0, 0.95, 0.8} : Rgb{0.62, 0.58, 0.56}, 3);
    return c.image();
}

// The seal of a zone not yet opened: a round stone in the zone's colour with its
// quelmar's emblem carved into it (the silhouette sunk in, lit from the upper left)
// inside a ring of the quelmar's metal, so each zone hints at what it hides.
Image zoneSeal(int zone) {
    const ArtefactStyle& s = kArtefacts[zone];
    const Rgb tone = mix(mix(s.petal, s.velvet, 0.35), Rgb{0.45, 0.43, 0.42}, 0.35);
    Image stone(128, 128);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            const double n = fbm(x / 11.0, y / 11.0, 820 + static_cast<uint32_t>(zone), 4);
            const double lit = std::hypot(x - 44.0, y - 40.0) / 110;
            const Rgb c = scaled(tone, (1.25 - 0.75 * std::min(1.0, lit)) * (0.82 + 0.3 * n));
            uint8_t* p = stone.at(x, y);
            p[0] = static_cast<uint8_t>(std::clamp(c.r, 0.0, 1.0) * 255);
            p[1] = static_cast<uint8_t>(std::clamp(c.g, 0.0, 1.0) * 255);
            p[2] = static_cast<uint8_t>(std::clamp(c.b, 0.0, 1.0) * 255);
            p[3] = 255;
        }
    Canvas c(128, 128);
    cairo_t* cr = c.cr;
    cairo_arc(cr, 64, 64, 58, 0, 2 * M_PI);
    cairo_clip(cr);
    c.paintImage(stone, 0, 0);
    // The emblem: its silhouette as a mask, laid in dark one way and light the other.
    cairo_push_group(cr);
    cairo_translate(cr, 64, 64);
    cairo_scale(cr, 0.8, 0.8);
    motif(cr, s);
    cairo_pattern_t* emblem = cairo_pop_group(cr);
    auto layIn = [&](double dx, double dy, Rgb colour, double alpha) {
        cairo_save(cr);
        cairo_translate(cr, dx, dy);
        setRgb(cr, colour, alpha);
        cairo_mask(cr, emblem);
        cairo_restore(cr);
    };
    layIn(-1.5, -1.5, scaled(tone, 0.3), 0.9);
    layIn(1.5, 1.5, mix(tone, {1, 1, 1}, 0.55), 0.8);
    layIn(0, 0, scaled(tone, 0.78), 1.0);
    layIn(0, 0, mix(s.petal, s.gem, 0.3), 0.25);
    cairo_pattern_destroy(emblem);
    cairo_reset_clip(cr);
    // The ring of the quelmar's metal with its beads, a little dulled by age.
    const Rgb metal = mix(s.metal, {0.45, 0.42, 0.40}, 0.3);
    cairo_arc(cr, 64, 64, 60, 0, 2 * M_PI);
    cairo_arc_negative(cr, 64, 64, 53, 2 * M_PI, 0);
    fillMetal(cr, 64, 64, 60, metal);
    for (int k = 0; k < 16; ++k) {
        const double a = k * M_PI / 8;
        cairo_arc(cr, 64 + 56.5 * std::cos(a), 64 + 56.5 * std::sin(a), 1.8, 0, 2 * M_PI);
        setRgb(cr, mix(metal, {1, 1, 1}, 0.35));
        cairo_fill(cr);
    }
    cairo_arc(cr, 64, 64, 60.5, 0, 2 * M_PI);
    cairo_set_line_width(cr, 1.5);
    setRgb(cr, palette::ink, 0.8);
    cairo_stroke(cr);
    return withShadow(c.image(), 3, 2, 3, 0.6);
}

// The map: a lacquered chart of the old kingdom. Gold-inked ranges and a jade
// river run across the dark ground, pines and clouds fill the gaps, a road of
// gold steps winds from seat to seat in the order the zones are played, and each
// zone has a round stone seat for its seal. The medallion keeps its square frame
// and the picture at the right a frame clear of the screen's edge.
Image mapBackground() {
    Image ground(800, 600);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) {
            const double n = fbm(x / 60.0, y / 60.0, 700, 5);
            const double grain = fbm(x / 3.0, y / 40.0, 701, 2);
            const double edge = std::hypot((x - 400) / 420.0, (y - 300) / 330.0);
            Rgb c = mix(Rgb{0.17, 0.035, 0.02}, Rgb{0.36, 0.09, 0.035}, n);
            c = scaled(c, (0.92 + 0.12 * grain) * (1.08 - 0.35 * std::pow(edge, 3)));
            uint8_t* p = ground.at(x, y);
            p[0] = static_cast<uint8_t>(std::clamp(c.r, 0.0, 1.0) * 255);
            p[1] = static_cast<uint8_t>(std::clamp(c.g, 0.0, 1.0) * 255);
            p[2] = static_cast<uint8_t>(std::clamp(c.b, 0.0, 1.0) * 255);
            p[3] = 255;
        }
    Canvas c(800, 600);
    c.paintImage(ground, 0, 0);
    cairo_t* cr = c.cr;
    Rng rng(710);
    const Rgb inkGold = mix(palette::gold, palette::goldDark, 0.35);
    // Mountain ranges: lighter lacquer slopes with gold ridges and shading strokes.
    auto range = [&](double x0, double x1, double baseY, double height, uint32_t seed) {
        Rng r(seed);
        cairo_move_to(cr, x0, baseY);
        std::vector<std::pair<double, double>> peaks;
        double lastY = baseY;
        for (double x = x0; x < x1;) {
            const double w = r.range(40, 80), h = height * r.range(0.6, 1.0);
            const double px = x + w * 0.5, py = baseY - h;
            peaks.push_back({px, py});
            // Concave slopes rising steeply to a rounded top, as brush-drawn ranges are.
            cairo_curve_to(cr, x + w * 0.3, lastY - (lastY - py) * 0.15, px - w * 0.12, py + h * 0.12, px,
                           py);
            x += w;
            lastY = baseY - h * r.range(0.15, 0.35);
            cairo_curve_to(cr, px + w * 0.12, py + h * 0.12, x - w * 0.3, lastY - (py - lastY) * 0.15,
                           std::min(x, x1), lastY);
        }
        cairo_line_to(cr, x1, baseY);
        cairo_close_path(cr);
        cairo_pattern_t* slope = cairo_pattern_create_linear(0, baseY - height, 0, baseY);
        cairo_pattern_add_color_stop_rgba(slope, 0, 0.55, 0.22, 0.10, 0.9);
        cairo_pattern_add_color_stop_rgba(slope, 1, 0.30, 0.08, 0.03, 0.0);
        cairo_set_source(cr, slope);
        cairo_fill_preserve(cr);
        cairo_pattern_destroy(slope);
        cairo_set_line_width(cr, 1.6);
        setRgb(cr, inkGold, 0.85);
        cairo_stroke(cr);
        for (const auto& peak : peaks)
            for (int k = 1; k <= 3; ++k) {
                cairo_move_to(cr, peak.first + 2, peak.second + 4);
                cairo_line_to(cr, peak.first + 6 + k * 7, peak.second + 10 + k * 9);
                cairo_set_line_width(cr, 1);
                setRgb(cr, inkGold, 0.35);
                cairo_stroke(cr);
            }
    };
    range(-20, 330, 190, 120, 711);
    range(300, 620, 160, 110, 712);
    range(-10, 260, 420, 90, 713);
    range(360, 700, 470, 100, 714);
    range(560, 820, 600, 120, 715);
    // The river: from the mountains at the top right down through the middle to the
    // lower left, jade with gold banks.
    auto river = [&] {
        cairo_move_to(cr, 820, 150);
        cairo_curve_to(cr, 640, 120, 560, 250, 470, 300);
        cairo_curve_to(cr, 380, 350, 300, 300, 220, 380);
        cairo_curve_to(cr, 150, 450, 90, 470, -20, 560);
    };
    river();
    cairo_set_line_width(cr, 22);
    setRgb(cr, palette::goldDark, 0.7);
    cairo_stroke(cr);
    river();
    cairo_set_line_width(cr, 17);
    setRgb(cr, mix(palette::jadeDark, palette::jade, 0.45));
    cairo_stroke(cr);
    river();
    cairo_set_line_width(cr, 3);
    setRgb(cr, mix(palette::jade, {1, 1, 1}, 0.4), 0.5);
    cairo_set_dash(cr, std::array<double, 2>{14, 22}.data(), 2, 0);
    cairo_stroke(cr);
    cairo_set_dash(cr, nullptr, 0, 0);
    // Pines and cloud scrolls scattered over the land.
    for (int k = 0; k < 90; ++k) {
        const double x = rng.range(0, 800), y = rng.range(0, 600), h = rng.range(9, 16);
        cairo_move_to(cr, x, y - h);
        cairo_line_to(cr, x - h * 0.4, y);
        cairo_line_to(cr, x + h * 0.4, y);
        cairo_close_path(cr);
        setRgb(cr, mix(palette::jadeDark, palette::ink, 0.3), 0.9);
        cairo_fill_preserve(cr);
        cairo_set_line_width(cr, 0.8);
        setRgb(cr, inkGold, 0.5);
        cairo_stroke(cr);
    }
    for (int k = 0; k < 14; ++k) {
        const double x = rng.range(0, 800), y = rng.range(0, 600), r = rng.range(7, 12);
        for (int puff = 0; puff < 3; ++puff) {
            cairo_new_sub_path(cr);
            cairo_arc(cr, x + (puff - 1) * r * 1.3, y - (puff == 1 ? r * 0.5 : 0), r, M_PI, 2 * M_PI);
        }
        cairo_set_line_width(cr, 1.5);
        setRgb(cr, palette::gold, 0.55);
        cairo_stroke(cr);
    }
    const double zones[10][2] = {{-310, -210}, {-310, -70}, {-310, 70}, {-310, 210}, {-170, 210},
                                 {-30, 210},   {110, 210},  {110, 70},  {110, -70},  {110, -210}};
    // Frame of the picture at the right (584..788 x 200..404).
    roundedRect(cr, 579, 195, 214, 214, 8);
    setRgb(cr, palette::ink, 0.85);
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 6);
    setRgb(cr, palette::gold);
    cairo_stroke(cr);
    // A plaque behind the player's lines at the top right.
    roundedRect(cr, 603, 24, 190, 118, 8);
    setRgb(cr, {0.10, 0.02, 0.01}, 0.92);
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 2);
    setRgb(cr, palette::goldDark);
    cairo_stroke(cr);
    // The road: gold steps winding from seat to seat in playing order.
    for (int k = 0; k + 1 < 10; ++k) {
        const double ax = zones[k][0] + 400, ay = 300 - zones[k][1];
        const double bx = zones[k + 1][0] + 400, by = 300 - zones[k + 1][1];
        const double mx = (ax + bx) / 2, my = (ay + by) / 2;
        const double nx = -(by - ay) / 140 * 16 * (k % 2 ? 1 : -1),
                     ny = (bx - ax) / 140 * 16 * (k % 2 ? 1 : -1);
        for (int step = 0; step <= 14; ++step) {
            const double t = step / 14.0;
            const double x = (1 - t) * (1 - t) * ax + 2 * t * (1 - t) * (mx + nx) + t * t * bx;
            const double y = (1 - t) * (1 - t) * ay + 2 * t * (1 - t) * (my + ny) + t * t * by;
            cairo_arc(cr, x, y, 2.6, 0, 2 * M_PI);
            fillMetal(cr, x, y, 2.6, palette::gold);
        }
    }
    // Square frame around the 256 x 256 medallion at (-100, 0), that is pixel (300, 300).
    roundedRect(cr, 300 - 138, 300 - 138, 276, 276, 10);
    setRgb(cr, {0.08, 0.02, 0.01});
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 10);
    setRgb(cr, palette::ink, 0.8);
    cairo_stroke_preserve(cr);
    cairo_set_line_width(cr, 6);
    setRgb(cr, palette::gold);
    cairo_stroke(cr);
    for (int k = 0; k < 4; ++k) {
        const double x = k % 2 ? 436 : 164, y = k / 2 ? 436 : 164;
        cairo_arc(cr, x, y, 9, 0, 2 * M_PI);
        fillMetal(cr, x, y, 9, palette::gold);
        cairo_arc(cr, x, y, 4, 0, 2 * M_PI);
        fillMetal(cr, x, y, 4, palette::jade);
    }
    // Each zone's seat: a round stone dais with a gold rim, its shadow on the land.
    for (const auto& z : zones) {
        const double x = z[0] + 400, y = 300 - z[1];
        cairo_arc(cr, x + 3, y + 5, 66, 0, 2 * M_PI);
        setRgb(cr, {0, 0, 0}, 0.45);
        cairo_fill(cr);
        cairo_arc(cr, x, y, 65, 0, 2 * M_PI);
        cairo_pattern_t* dais =
            radialShade(x, y, 65, {0.42, 0.36, 0.32}, {0.22, 0.17, 0.15}, {0.08, 0.05, 0.04});
        cairo_set_source(cr, dais);
        cairo_fill(cr);
        cairo_pattern_destroy(dais);
        cairo_arc(cr, x, y, 65, 0, 2 * M_PI);
        cairo_set_line_width(cr, 2.5);
        setRgb(cr, palette::gold, 0.9);
        cairo_stroke(cr);
    }
    return c.image();
}

Image mapPicture(int index) {
    static const int backs[5] = {0, 3, 6, 9, 11};
    const Image back = composedBack(backs[index]);
    // A square crop around the most interesting part of the painting.
    Image crop(440, 440);
    const int ox = 180 + 40 * index % 160, oy = 100;
    for (int y = 0; y < 440; ++y)
        for (int x = 0; x < 440; ++x) std::memcpy(crop.at(x, y), back.at(std::min(799, x + ox), y + oy), 4);
    Canvas c(kSize, kSize);
    c.paintImage(resized(crop, kSize, kSize), 0, 0);
    roundedRect(c.cr, 3, 3, 250, 250, 6);
    cairo_set_line_width(c.cr, 5);
    setRgb(c.cr, palette::goldDark);
    cairo_stroke(c.cr);
    return c.image();
}

bool makeCollection(const std::string& out) {
    bool ok = true;
    for (int i = 0; i < 10; ++i) {
        ok &= writeJpeg(out, "artefacts/a" + std::to_string(i + 1) + ".jpg", artefact(i), 92);
        ok &= writeTga(out, "mask/" + std::to_string(i + 1) + ".tga", mask(i + 1));
    }
    for (int i = 0; i < 5; ++i)
        ok &= writeJpeg(out, "artefacts/d" + std::to_string(i + 1) + ".jpg", mapPicture(i), 90);
    ok &= writeJpeg(out, "pack/zaglushka.jpg", cover(), 92);
    ok &= writeJpeg(out, "pack/vopros.jpg", zoneIcon(false), 92);
    ok &= writeJpeg(out, "pack/vopros2.jpg", zoneIcon(true), 92);
    for (int i = 0; i < 10; ++i)
        ok &= writeTga(out, "pack/seal" + std::to_string(i + 1) + ".tga", zoneSeal(i));
    ok &= writeJpeg(out, "pack/back.jpg", mapBackground(), 90);
    return ok;
}

}  // namespace

DATAGEN_STEP("collection", makeCollection);

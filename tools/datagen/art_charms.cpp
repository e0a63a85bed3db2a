// The ten charms and the two pick-ups as vector drawings with a turn about the
// vertical axis. Flat charms turn like a thick medal (the rim shows when they are
// edge-on, the mirrored back when they face away); round-bodied charms keep their
// outline while their painted bands and emblems travel around the body; the bead
// ring is a true ring of beads in space.
#include <algorithm>
#include <functional>

#include "tools/datagen/art_common.h"

namespace {

using FaceFunction = std::function<void(cairo_t*)>;

// Draws a flat charm of the given thickness turned by `turn`: rim layers first,
// then the visible face, darkened as it turns away and crossed by a moving sheen.
void flatTurn(cairo_t* cr, double turn, double thickness, Rgb rim, const FaceFunction& face) {
    double c = std::cos(turn);
    const double s = std::sin(turn);
    if (std::fabs(c) < 0.03) c = c < 0 ? -0.03 : 0.03;
    cairo_push_group(cr);
    cairo_save(cr);
    cairo_scale(cr, c, 1);
    face(cr);
    cairo_restore(cr);
    cairo_pattern_t* shape = cairo_pop_group(cr);

    const int layers = 10;
    const double front = c > 0 ? 1 : -1;
    for (int k = 0; k <= layers; ++k) {
        const double z = front * thickness * (-0.5 + static_cast<double>(k) / layers);
        const double shade = 0.45 + 0.35 * static_cast<double>(k) / layers;
        cairo_save(cr);
        cairo_translate(cr, z * s, 0);
        setRgb(cr, scaled(rim, shade));
        cairo_mask(cr, shape);
        cairo_restore(cr);
    }
    const double z = front * thickness * 0.5;
    cairo_save(cr);
    cairo_translate(cr, z * s, 0);
    cairo_set_source(cr, shape);
    cairo_paint(cr);
    // Turning away from the light darkens the face; a sheen crosses it on the way.
    setRgb(cr, {0, 0, 0}, 0.5 * (1 - std::fabs(c)));
    cairo_mask(cr, shape);
    const double sheenX = -1.6 * s;
    cairo_pattern_t* sheen = cairo_pattern_create_linear(sheenX - 0.5, -1, sheenX + 0.5, 1);
    cairo_pattern_add_color_stop_rgba(sheen, 0, 1, 1, 1, 0);
    cairo_pattern_add_color_stop_rgba(sheen, 0.5, 1, 1, 0.9, 0.35 * std::fabs(s));
    cairo_pattern_add_color_stop_rgba(sheen, 1, 1, 1, 1, 0);
    cairo_push_group(cr);
    cairo_set_source(cr, sheen);
    cairo_mask(cr, shape);
    cairo_pop_group_to_source(cr);
    cairo_paint(cr);
    cairo_pattern_destroy(sheen);
    cairo_restore(cr);
    cairo_pattern_destroy(shape);
}

void strokeDark(cairo_t* cr, double width, double alpha = 0.85) {
    cairo_set_line_width(cr, width);
    setRgb(cr, palette::ink, alpha);
    cairo_stroke(cr);
}

// ---- flat charms ---------------------------------------------------------------

void coinFace(cairo_t* cr) {
    cairo_arc(cr, 0, 0, 0.86, 0, 2 * M_PI);
    cairo_rectangle(cr, -0.2, -0.2, 0.4, 0.4);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    fillMetal(cr, 0, 0, 0.86, palette::gold, true);
    strokeDark(cr, 0.05);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    // Raised inner rim and four characters around the hole.
    cairo_arc(cr, 0, 0, 0.72, 0, 2 * M_PI);
    cairo_set_line_width(cr, 0.05);
    setRgb(cr, palette::goldDark, 0.9);
    cairo_stroke(cr);
    cairo_rectangle(cr, -0.3, -0.3, 0.6, 0.6);
    cairo_set_line_width(cr, 0.06);
    cairo_stroke(cr);
    for (int k = 0; k < 4; ++k) {
        cairo_save(cr);
        cairo_rotate(cr, k * M_PI / 2);
        cairo_translate(cr, 0, -0.5);
        setRgb(cr, palette::goldDark, 0.95);
        cairo_set_line_width(cr, 0.055);
        cairo_move_to(cr, -0.12, -0.08);
        cairo_line_to(cr, 0.12, -0.08);
        cairo_move_to(cr, 0, -0.14);
        cairo_line_to(cr, 0, 0.12);
        cairo_move_to(cr, -0.1, 0.02);
        cairo_line_to(cr, 0.1, 0.1);
        cairo_stroke(cr);
        cairo_restore(cr);
    }
}

void yinYangFace(cairo_t* cr) {
    const double r = 0.8;
    cairo_arc(cr, 0, 0, r + 0.1, 0, 2 * M_PI);
    fillMetal(cr, 0, 0, r + 0.1, palette::gold);
    cairo_arc(cr, 0, 0, r, 0, 2 * M_PI);
    setRgb(cr, palette::ivory);
    cairo_fill(cr);
    // Dark half: right semicircle plus the lower small lobe minus the upper one.
    cairo_arc(cr, 0, 0, r, -M_PI / 2, M_PI / 2);
    cairo_arc(cr, 0, r / 2, r / 2, M_PI / 2, 1.5 * M_PI);
    cairo_arc_negative(cr, 0, -r / 2, r / 2, M_PI / 2, -M_PI / 2);
    cairo_close_path(cr);
    setRgb(cr, {0.12, 0.10, 0.16});
    cairo_fill(cr);
    cairo_arc(cr, 0, -r / 2, 0.13, 0, 2 * M_PI);
    setRgb(cr, palette::ivory);
    cairo_fill(cr);
    cairo_arc(cr, 0, r / 2, 0.13, 0, 2 * M_PI);
    setRgb(cr, {0.12, 0.10, 0.16});
    cairo_fill(cr);
    // Porcelain gloss.
    cairo_pattern_t* g = cairo_pattern_create_radial(-0.3, -0.35, 0.05, -0.1, -0.1, r);
    cairo_pattern_add_color_stop_rgba(g, 0, 1, 1, 1, 0.45);
    cairo_pattern_add_color_stop_rgba(g, 1, 1, 1, 1, 0);
    cairo_arc(cr, 0, 0, r, 0, 2 * M_PI);
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    cairo_arc(cr, 0, 0, r + 0.1, 0, 2 * M_PI);
    strokeDark(cr, 0.05);
}

void swordsFace(cairo_t* cr) {
    for (int k = 0; k < 2; ++k) {
        cairo_save(cr);
        cairo_rotate(cr, k == 0 ? M_PI / 4 : -M_PI / 4);
        // Blade with a curved edge, pointing up.
        cairo_move_to(cr, -0.09, 0.35);
        cairo_line_to(cr, -0.09, -0.78);
        cairo_curve_to(cr, -0.07, -0.92, 0.02, -0.98, 0.03, -1.0);
        cairo_curve_to(cr, 0.08, -0.9, 0.09, -0.8, 0.09, -0.72);
        cairo_line_to(cr, 0.09, 0.35);
        cairo_close_path(cr);
        cairo_pattern_t* steel = cairo_pattern_create_linear(-0.1, 0, 0.1, 0);
        cairo_pattern_add_color_stop_rgb(steel, 0, 0.55, 0.62, 0.72);
        cairo_pattern_add_color_stop_rgb(steel, 0.45, 0.95, 0.97, 1.0);
        cairo_pattern_add_color_stop_rgb(steel, 1, 0.40, 0.46, 0.58);
        cairo_set_source(cr, steel);
        cairo_fill_preserve(cr);
        cairo_pattern_destroy(steel);
        strokeDark(cr, 0.035);
        // Guard, grip and pommel.
        cairo_save(cr);
        cairo_scale(cr, 1, 0.45);
        cairo_arc(cr, 0, 0.82, 0.22, 0, 2 * M_PI);
        cairo_restore(cr);
        fillMetal(cr, 0, 0.37, 0.22, palette::gold, true);
        strokeDark(cr, 0.03);
        roundedRect(cr, -0.07, 0.45, 0.14, 0.42, 0.04);
        setRgb(cr, palette::lacquer);
        cairo_fill_preserve(cr);
        strokeDark(cr, 0.03);
        for (int i = 0; i < 4; ++i) {
            cairo_move_to(cr, -0.07, 0.5 + i * 0.1);
            cairo_line_to(cr, 0.07, 0.55 + i * 0.1);
        }
        cairo_set_line_width(cr, 0.025);
        setRgb(cr, palette::goldLight, 0.8);
        cairo_stroke(cr);
        cairo_arc(cr, 0, 0.92, 0.08, 0, 2 * M_PI);
        fillMetal(cr, 0, 0.92, 0.08, palette::gold, true);
        strokeDark(cr, 0.025);
        cairo_restore(cr);
    }
}

void fanFace(cairo_t* cr) {
    const double cy = 0.5, outer = 1.1, inner = 0.3;
    const double a0 = M_PI + 0.28, a1 = 2 * M_PI - 0.28;
    const int folds = 12;
    // Paper leaf, alternating light and shaded folds.
    for (int i = 0; i < folds; ++i) {
        const double t0 = a0 + (a1 - a0) * i / folds, t1 = a0 + (a1 - a0) * (i + 1) / folds;
        cairo_move_to(cr, inner * std::cos(t0), cy + inner * std::sin(t0));
        cairo_line_to(cr, outer * std::cos(t0), cy + outer * std::sin(t0));
        cairo_arc(cr, 0, cy, outer, t0, t1);
        cairo_line_to(cr, inner * std::cos(t1), cy + inner * std::sin(t1));
        cairo_arc_negative(cr, 0, cy, inner, t1, t0);
        cairo_close_path(cr);
        const Rgb base{0.62, 0.22, 0.52};
        setRgb(cr, i % 2 ? base : mix(base, {1, 0.85, 0.95}, 0.35));
        cairo_fill(cr);
    }
    // Painted branch with blossoms across the leaf.
    cairo_move_to(cr, -0.85, 0.05);
    cairo_curve_to(cr, -0.4, -0.45, 0.1, -0.2, 0.75, -0.35);
    cairo_set_line_width(cr, 0.05);
    setRgb(cr, palette::ink, 0.8);
    cairo_stroke(cr);
    const double blossoms[5][2] = {{-0.6, -0.15}, {-0.25, -0.33}, {0.15, -0.27}, {0.5, -0.35}, {0.0, -0.55}};
    for (const auto& b : blossoms) {
        for (int p = 0; p < 5; ++p) {
            const double a = p * 2 * M_PI / 5;
            cairo_arc(cr, b[0] + 0.06 * std::cos(a), b[1] + 0.06 * std::sin(a), 0.055, 0, 2 * M_PI);
            setRgb(cr, {1, 0.93, 0.96});
            cairo_fill(cr);
        }
        cairo_arc(cr, b[0], b[1], 0.03, 0, 2 * M_PI);
        setRgb(cr, palette::gold);
        cairo_fill(cr);
    }
    // Gold edge and outline.
    cairo_arc(cr, 0, cy, outer, a0, a1);
    cairo_set_line_width(cr, 0.08);
    setRgb(cr, palette::gold);
    cairo_stroke(cr);
    cairo_move_to(cr, inner * std::cos(a0), cy + inner * std::sin(a0));
    cairo_line_to(cr, (outer + 0.02) * std::cos(a0), cy + (outer + 0.02) * std::sin(a0));
    cairo_arc(cr, 0, cy, outer + 0.02, a0, a1);
    cairo_line_to(cr, inner * std::cos(a1), cy + inner * std::sin(a1));
    cairo_arc_negative(cr, 0, cy, inner, a1, a0);
    cairo_close_path(cr);
    strokeDark(cr, 0.04);
    // Ribs to the rivet.
    for (int i = 0; i <= folds; i += 2) {
        const double t = a0 + (a1 - a0) * i / folds;
        cairo_move_to(cr, 0, cy);
        cairo_line_to(cr, inner * 1.05 * std::cos(t), cy + inner * 1.05 * std::sin(t));
    }
    cairo_set_line_width(cr, 0.07);
    setRgb(cr, {0.35, 0.18, 0.06});
    cairo_stroke(cr);
    cairo_arc(cr, 0, cy, 0.08, 0, 2 * M_PI);
    fillMetal(cr, 0, cy, 0.08, palette::gold);
}

void scrollFace(cairo_t* cr) {
    cairo_save(cr);
    cairo_rotate(cr, -M_PI / 5);
    // Paper roll body.
    roundedRect(cr, -0.8, -0.26, 1.6, 0.52, 0.08);
    cairo_pattern_t* paper = cairo_pattern_create_linear(0, -0.26, 0, 0.26);
    cairo_pattern_add_color_stop_rgb(paper, 0, 0.80, 0.70, 0.50);
    cairo_pattern_add_color_stop_rgb(paper, 0.35, 1.0, 0.96, 0.84);
    cairo_pattern_add_color_stop_rgb(paper, 1, 0.62, 0.50, 0.32);
    cairo_set_source(cr, paper);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(paper);
    strokeDark(cr, 0.04);
    // Roll lines.
    for (int i = -2; i <= 2; ++i) {
        cairo_move_to(cr, -0.78, i * 0.09);
        cairo_line_to(cr, 0.78, i * 0.09);
    }
    cairo_set_line_width(cr, 0.012);
    setRgb(cr, {0.55, 0.42, 0.25}, 0.5);
    cairo_stroke(cr);
    // Wooden knobs at both ends.
    for (int side = -1; side <= 1; side += 2) {
        roundedRect(cr, side * 0.8 - 0.09, -0.34, 0.18, 0.68, 0.06);
        cairo_pattern_t* wood = cairo_pattern_create_linear(0, -0.34, 0, 0.34);
        cairo_pattern_add_color_stop_rgb(wood, 0, 0.42, 0.16, 0.05);
        cairo_pattern_add_color_stop_rgb(wood, 0.4, 0.78, 0.38, 0.14);
        cairo_pattern_add_color_stop_rgb(wood, 1, 0.25, 0.08, 0.02);
        cairo_set_source(cr, wood);
        cairo_fill_preserve(cr);
        cairo_pattern_destroy(wood);
        strokeDark(cr, 0.035);
        cairo_arc(cr, side * 0.8, -0.36, 0.07, 0, 2 * M_PI);
        cairo_arc(cr, side * 0.8, 0.36, 0.07, 0, 2 * M_PI);
        fillMetal(cr, side * 0.8, 0, 0.4, palette::gold);
    }
    // Red ribbon tied around the middle with hanging ends.
    cairo_rectangle(cr, -0.1, -0.28, 0.2, 0.56);
    setRgb(cr, palette::lacquer);
    cairo_fill(cr);
    cairo_move_to(cr, 0, 0.2);
    cairo_curve_to(cr, 0.05, 0.45, -0.1, 0.6, 0.02, 0.78);
    cairo_move_to(cr, 0, 0.2);
    cairo_curve_to(cr, 0.15, 0.4, 0.15, 0.55, 0.28, 0.7);
    cairo_set_line_width(cr, 0.07);
    setRgb(cr, palette::lacquer);
    cairo_stroke(cr);
    cairo_arc(cr, 0, 0.02, 0.08, 0, 2 * M_PI);
    fillMetal(cr, 0, 0.02, 0.08, palette::gold);
    cairo_restore(cr);
}

void hammerFace(cairo_t* cr) {
    cairo_save(cr);
    cairo_rotate(cr, -M_PI / 6);
    // Handle.
    roundedRect(cr, -0.08, -0.35, 0.16, 1.3, 0.07);
    cairo_pattern_t* wood = cairo_pattern_create_linear(-0.08, 0, 0.08, 0);
    cairo_pattern_add_color_stop_rgb(wood, 0, 0.45, 0.22, 0.07);
    cairo_pattern_add_color_stop_rgb(wood, 0.4, 0.85, 0.55, 0.25);
    cairo_pattern_add_color_stop_rgb(wood, 1, 0.35, 0.15, 0.04);
    cairo_set_source(cr, wood);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(wood);
    strokeDark(cr, 0.04);
    cairo_rectangle(cr, -0.09, 0.62, 0.18, 0.08);
    cairo_rectangle(cr, -0.09, 0.76, 0.18, 0.08);
    setRgb(cr, palette::lacquer);
    cairo_fill(cr);
    // Iron head with gold bands.
    roundedRect(cr, -0.62, -0.78, 1.24, 0.46, 0.08);
    cairo_pattern_t* iron = cairo_pattern_create_linear(0, -0.78, 0, -0.32);
    cairo_pattern_add_color_stop_rgb(iron, 0, 0.78, 0.80, 0.85);
    cairo_pattern_add_color_stop_rgb(iron, 0.45, 0.45, 0.47, 0.55);
    cairo_pattern_add_color_stop_rgb(iron, 1, 0.20, 0.21, 0.26);
    cairo_set_source(cr, iron);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(iron);
    strokeDark(cr, 0.05);
    for (int side = -1; side <= 1; side += 2) {
        cairo_rectangle(cr, side * 0.42 - 0.05, -0.8, 0.1, 0.5);
        fillMetal(cr, side * 0.42, -0.55, 0.3, palette::gold);
    }
    cairo_restore(cr);
}

void clockFace(cairo_t* cr) {
    // Ring on top, gold case, ivory dial.
    cairo_arc(cr, 0, -0.88, 0.14, 0, 2 * M_PI);
    cairo_set_line_width(cr, 0.07);
    setRgb(cr, palette::gold);
    cairo_stroke(cr);
    cairo_rectangle(cr, -0.08, -0.82, 0.16, 0.12);
    fillMetal(cr, 0, -0.76, 0.1, palette::gold);
    cairo_arc(cr, 0, 0.08, 0.8, 0, 2 * M_PI);
    fillMetal(cr, 0, 0.08, 0.8, palette::gold, true);
    strokeDark(cr, 0.05);
    cairo_arc(cr, 0, 0.08, 0.63, 0, 2 * M_PI);
    cairo_pattern_t* dial = cairo_pattern_create_radial(-0.2, -0.1, 0.05, 0, 0.08, 0.63);
    cairo_pattern_add_color_stop_rgb(dial, 0, 1, 1, 0.96);
    cairo_pattern_add_color_stop_rgb(dial, 1, 0.82, 0.76, 0.62);
    cairo_set_source(cr, dial);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(dial);
    strokeDark(cr, 0.03);
    for (int h = 0; h < 12; ++h) {
        const double a = h * M_PI / 6;
        const double r0 = h % 3 == 0 ? 0.42 : 0.5;
        cairo_move_to(cr, r0 * std::sin(a), 0.08 - r0 * std::cos(a));
        cairo_line_to(cr, 0.58 * std::sin(a), 0.08 - 0.58 * std::cos(a));
    }
    cairo_set_line_width(cr, 0.05);
    setRgb(cr, palette::ink);
    cairo_stroke(cr);
    cairo_move_to(cr, 0, 0.08);
    cairo_line_to(cr, 0.3, -0.12);
    cairo_move_to(cr, 0, 0.08);
    cairo_line_to(cr, -0.05, -0.4);
    cairo_set_line_width(cr, 0.06);
    setRgb(cr, palette::lacquerDark);
    cairo_stroke(cr);
    cairo_arc(cr, 0, 0.08, 0.06, 0, 2 * M_PI);
    fillMetal(cr, 0, 0.08, 0.06, palette::gold);
}

// ---- round-bodied charms -------------------------------------------------------

// A body of revolution given by its half-width r(y) for y in [y0, y1]. Bands of
// decoration around it are drawn as points on the turning surface.
struct Lathe {
    std::function<double(double)> radius;
    double y0, y1;
};

void latheOutline(cairo_t* cr, const Lathe& l) {
    const int steps = 64;
    for (int i = 0; i <= steps; ++i) {
        const double y = l.y0 + (l.y1 - l.y0) * i / steps;
        if (i == 0)
            cairo_move_to(cr, l.radius(y), y);
        else
            cairo_line_to(cr, l.radius(y), y);
    }
    for (int i = steps; i >= 0; --i) {
        const double y = l.y0 + (l.y1 - l.y0) * i / steps;
        cairo_line_to(cr, -l.radius(y), y);
    }
    cairo_close_path(cr);
}

// Shades the body like a cylinder lit from the front left.
void latheShade(cairo_t* cr, const Lathe& l, Rgb base) {
    latheOutline(cr, l);
    double widest = 0;
    for (int i = 0; i <= 32; ++i) widest = std::max(widest, l.radius(l.y0 + (l.y1 - l.y0) * i / 32));
    cairo_pattern_t* p = cairo_pattern_create_linear(-widest, 0, widest, 0);
    cairo_pattern_add_color_stop_rgb(p, 0, base.r * 0.45, base.g * 0.45, base.b * 0.45);
    const Rgb light = mix(base, {1, 1, 1}, 0.45);
    cairo_pattern_add_color_stop_rgb(p, 0.32, light.r, light.g, light.b);
    cairo_pattern_add_color_stop_rgb(p, 0.55, base.r, base.g, base.b);
    cairo_pattern_add_color_stop_rgb(p, 1, base.r * 0.3, base.g * 0.3, base.b * 0.3);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
}

// Vertical ribs at evenly spaced longitudes, turning with the body.
void latheRibs(cairo_t* cr, const Lathe& l, int count, double turn, double ya, double yb, Rgb colour,
               double width) {
    for (int k = 0; k < count; ++k) {
        const double phi = turn + k * 2 * M_PI / count;
        const double facing = std::cos(phi);
        if (facing <= 0.02) continue;
        const int steps = 32;
        for (int i = 0; i <= steps; ++i) {
            const double y = ya + (yb - ya) * i / steps;
            const double x = l.radius(y) * std::sin(phi);
            if (i == 0)
                cairo_move_to(cr, x, y);
            else
                cairo_line_to(cr, x, y);
        }
        cairo_set_line_width(cr, width * (0.4 + 0.6 * facing));
        setRgb(cr, scaled(colour, 0.55 + 0.45 * facing), 0.95);
        cairo_stroke(cr);
    }
}

// An emblem painted on the body at longitude `phi`: drawn squeezed by the
// curvature and hidden on the far side.
void latheEmblem(cairo_t* cr, const Lathe& l, double phi, double y, double size,
                 const std::function<void(cairo_t*)>& emblem) {
    const double facing = std::cos(phi);
    if (facing <= 0.05) return;
    const double r = l.radius(y);
    cairo_save(cr);
    cairo_translate(cr, r * std::sin(phi), y);
    cairo_scale(cr, size * facing, size);
    cairo_push_group(cr);
    emblem(cr);
    cairo_pop_group_to_source(cr);
    cairo_paint_with_alpha(cr, std::min(1.0, facing * 1.6));
    cairo_restore(cr);
}

void lanternCharm(cairo_t* cr, double turn) {
    const Lathe body{
        [](double y) { return 0.62 * std::sqrt(std::max(0.0, 1 - std::pow(y / 0.62, 2))) + 0.02; }, -0.6,
        0.6};
    latheShade(cr, body, {0.90, 0.22, 0.10});
    // Warm glow from inside.
    cairo_pattern_t* glow = cairo_pattern_create_radial(0, 0.05, 0.05, 0, 0, 0.6);
    cairo_pattern_add_color_stop_rgba(glow, 0, 1, 0.85, 0.4, 0.55);
    cairo_pattern_add_color_stop_rgba(glow, 1, 1, 0.5, 0.1, 0);
    latheOutline(cr, body);
    cairo_set_source(cr, glow);
    cairo_fill(cr);
    cairo_pattern_destroy(glow);
    latheRibs(cr, body, 10, turn, -0.58, 0.58, {0.40, 0.05, 0.02}, 0.035);
    latheEmblem(cr, body, turn, 0.0, 0.28, [](cairo_t* c) {
        // A round seal with a cross-hatched sign.
        cairo_arc(c, 0, 0, 0.8, 0, 2 * M_PI);
        setRgb(c, palette::goldLight);
        cairo_fill(c);
        cairo_set_line_width(c, 0.22);
        setRgb(c, palette::lacquerDark);
        cairo_move_to(c, -0.45, -0.35);
        cairo_line_to(c, 0.45, -0.35);
        cairo_move_to(c, -0.5, 0.1);
        cairo_line_to(c, 0.5, 0.1);
        cairo_move_to(c, 0, -0.55);
        cairo_line_to(c, 0, 0.6);
        cairo_stroke(c);
    });
    latheOutline(cr, body);
    strokeDark(cr, 0.045);
    // Caps, hanging cord and tassel.
    for (int side = -1; side <= 1; side += 2) {
        const double y = side * 0.62;
        cairo_save(cr);
        cairo_translate(cr, 0, y);
        cairo_scale(cr, 1, 0.3);
        cairo_arc(cr, 0, 0, 0.34, 0, 2 * M_PI);
        cairo_restore(cr);
        cairo_rectangle(cr, -0.34, y - (side < 0 ? 0.12 : 0), 0.68, 0.12);
        fillMetal(cr, 0, y, 0.34, {0.25, 0.12, 0.05}, true);
        strokeDark(cr, 0.035);
    }
    cairo_move_to(cr, 0, -0.74);
    cairo_line_to(cr, 0, -0.95);
    cairo_set_line_width(cr, 0.05);
    setRgb(cr, palette::gold);
    cairo_stroke(cr);
    cairo_move_to(cr, 0, 0.74);
    cairo_line_to(cr, 0, 0.82);
    cairo_stroke(cr);
    const double sway = 0.06 * std::sin(turn);
    cairo_move_to(cr, -0.06, 0.82);
    cairo_line_to(cr, 0.06, 0.82);
    cairo_line_to(cr, 0.1 + sway, 1.0);
    cairo_line_to(cr, -0.1 + sway, 1.0);
    cairo_close_path(cr);
    setRgb(cr, palette::gold);
    cairo_fill(cr);
}

void bellCharm(cairo_t* cr, double turn) {
    const Lathe body{[](double y) {
                         const double t = (y + 0.62) / 1.4;  // 0 at the crown, 1 at the lip
                         return 0.3 + 0.2 * t + 0.32 * std::pow(t, 4.0);
                     },
                     -0.62, 0.78};
    const Rgb bronze{0.72, 0.52, 0.20};
    latheShade(cr, body, bronze);
    // Raised bands and bosses.
    for (double y : {-0.4, 0.2, 0.62}) {
        const double r = body.radius(y);
        cairo_save(cr);
        cairo_translate(cr, 0, y);
        cairo_scale(cr, 1, 0.18);
        cairo_arc(cr, 0, 0, r, 0, M_PI);
        cairo_restore(cr);
        cairo_set_line_width(cr, 0.045);
        setRgb(cr, {0.35, 0.22, 0.05});
        cairo_stroke(cr);
    }
    for (int k = 0; k < 8; ++k) {
        const double phi = turn + k * M_PI / 4;
        if (std::cos(phi) <= 0.05) continue;
        for (int row = 0; row < 2; ++row) {
            const double y = -0.3 + row * 0.18;
            cairo_arc(cr, body.radius(y) * 0.92 * std::sin(phi), y, 0.045 * (0.5 + 0.5 * std::cos(phi)), 0,
                      2 * M_PI);
            setRgb(cr, mix(bronze, {1, 1, 0.8}, 0.4 * std::cos(phi)));
            cairo_fill(cr);
        }
    }
    latheEmblem(cr, body, turn + M_PI / 8, 0.42, 0.2, [](cairo_t* c) {
        cairo_arc(c, 0, 0, 0.8, 0, 2 * M_PI);
        setRgb(c, {0.25, 0.45, 0.35});
        cairo_fill(c);
        cairo_arc(c, 0, 0, 0.45, 0, 2 * M_PI);
        cairo_set_line_width(c, 0.2);
        setRgb(c, palette::goldLight);
        cairo_stroke(c);
    });
    latheOutline(cr, body);
    strokeDark(cr, 0.045);
    // Crown loop and clapper.
    cairo_arc(cr, 0, -0.78, 0.17, 0, 2 * M_PI);
    cairo_set_line_width(cr, 0.09);
    setRgb(cr, {0.45, 0.30, 0.08});
    cairo_stroke(cr);
    cairo_arc(cr, 0.03 * std::sin(turn * 2), 0.86, 0.1, 0, 2 * M_PI);
    fillMetal(cr, 0, 0.86, 0.1, bronze, true);
    strokeDark(cr, 0.03);
}

void vaseCharm(cairo_t* cr, double turn) {
    const Lathe body{[](double y) {
                         const double t = (y + 0.9) / 1.72;  // 0 at the lip, 1 at the foot
                         const double neck = 0.2 + 0.08 * std::exp(-std::pow(t / 0.06, 2));
                         const double belly = 0.56 * std::exp(-std::pow((t - 0.62) / 0.26, 2));
                         return std::max(neck, belly + 0.12) + 0.06 * std::exp(-std::pow((t - 1) / 0.05, 2));
                     },
                     -0.9, 0.82};
    const Rgb porcelain{0.93, 0.93, 0.97};
    latheShade(cr, body, porcelain);
    // Blue bands and a turning cloud motif.
    const Rgb blue{0.10, 0.22, 0.62};
    latheRibs(cr, body, 16, turn, 0.56, 0.72, blue, 0.05);
    for (int k = 0; k < 3; ++k) {
        latheEmblem(cr, body, turn + k * 2 * M_PI / 3, 0.18, 0.26, [&](cairo_t* c) {
            setRgb(c, blue);
            cairo_set_line_width(c, 0.22);
            cairo_arc(c, -0.3, 0.1, 0.4, M_PI, 2 * M_PI);
            cairo_arc(c, 0.35, 0.1, 0.3, M_PI, 2 * M_PI);
            cairo_stroke(c);
            cairo_arc(c, 0, -0.45, 0.3, 0, 2 * M_PI);
            cairo_fill(c);
        });
    }
    for (double y : {-0.55, 0.48}) {
        const double r = body.radius(y);
        cairo_save(cr);
        cairo_translate(cr, 0, y);
        cairo_scale(cr, 1, 0.2);
        cairo_arc(cr, 0, 0, r, 0, M_PI);
        cairo_restore(cr);
        cairo_set_line_width(cr, 0.05);
        setRgb(cr, blue);
        cairo_stroke(cr);
    }
    // Opening at the lip.
    cairo_save(cr);
    cairo_translate(cr, 0, -0.9);
    cairo_scale(cr, 1, 0.25);
    cairo_arc(cr, 0, 0, body.radius(-0.9), 0, 2 * M_PI);
    cairo_restore(cr);
    setRgb(cr, {0.2, 0.22, 0.35});
    cairo_fill_preserve(cr);
    strokeDark(cr, 0.03);
    latheOutline(cr, body);
    strokeDark(cr, 0.045);
}

// ---- the bead ring -----------------------------------------------------------------

void beadsCharm(cairo_t* cr, double turn) {
    struct Bead {
        double x, y, z, r;
        bool big;
    };
    std::vector<Bead> beads;
    const int count = 16;
    const double ring = 0.66;
    for (int k = 0; k < count; ++k) {
        const double a = (k + 0.5) * 2 * M_PI / count + M_PI / 2;
        const double x0 = ring * std::cos(a), y0 = ring * std::sin(a) - 0.12;
        const bool big = k == 0 || k == count - 1 ? false : (k % 4 == 0);
        beads.push_back({x0 * std::cos(turn), y0, x0 * std::sin(turn), big ? 0.17 : 0.125, big});
    }
    std::sort(beads.begin(), beads.end(), [](const Bead& a, const Bead& b) { return a.z > b.z; });
    // String behind the beads.
    cairo_save(cr);
    cairo_translate(cr, 0, -0.12);
    cairo_scale(cr, std::max(0.02, std::fabs(std::cos(turn))), 1);
    cairo_arc(cr, 0, 0, ring, 0, 2 * M_PI);
    cairo_restore(cr);
    cairo_set_line_width(cr, 0.03);
    setRgb(cr, palette::lacquerDark);
    cairo_stroke(cr);
    for (const Bead& b : beads) {
        const double depth = 1 - 0.12 * b.z;  // nearer beads a little larger
        const double r = b.r * depth;
        const Rgb base = b.big ? palette::gold : Rgb{0.16, 0.62, 0.42};
        cairo_arc(cr, b.x, b.y, r, 0, 2 * M_PI);
        cairo_pattern_t* p = radialShade(b.x, b.y, r, mix(base, {1, 1, 1}, 0.7), base, scaled(base, 0.35));
        cairo_set_source(cr, p);
        cairo_fill_preserve(cr);
        cairo_pattern_destroy(p);
        setRgb(cr, {0, 0, 0}, 0.25 * (1 + b.z / ring) / 2);
        cairo_fill_preserve(cr);
        strokeDark(cr, 0.025, 0.7);
    }
    // Knot bead and tassel at the bottom of the ring.
    const double by = -0.12 + ring + 0.12;
    cairo_arc(cr, 0, by, 0.13, 0, 2 * M_PI);
    fillMetal(cr, 0, by, 0.13, palette::lacquer, true);
    strokeDark(cr, 0.025);
    const double sway = 0.05 * std::sin(turn);
    cairo_move_to(cr, -0.05, by + 0.1);
    cairo_line_to(cr, 0.05, by + 0.1);
    cairo_line_to(cr, 0.14 + sway, 1.0);
    cairo_line_to(cr, -0.14 + sway, 1.0);
    cairo_close_path(cr);
    cairo_pattern_t* tassel = cairo_pattern_create_linear(-0.14, 0, 0.14, 0);
    cairo_pattern_add_color_stop_rgb(tassel, 0, 0.45, 0.05, 0.03);
    cairo_pattern_add_color_stop_rgb(tassel, 0.4, 0.95, 0.25, 0.15);
    cairo_pattern_add_color_stop_rgb(tassel, 1, 0.4, 0.04, 0.02);
    cairo_set_source(cr, tassel);
    cairo_fill(cr);
}

// ---- the casket: a lacquered box in space --------------------------------------

void casketCharm(cairo_t* cr, double turn) {
    // Box corners in a frame turned about the vertical axis and seen a little from above.
    const double hw = 0.7, hd = 0.45, top = -0.25, bottom = 0.6, lidTop = -0.55;
    const double tilt = 0.6;
    auto project = [&](double x, double y, double z, double& px, double& py, double& pz) {
        const double xr = x * std::cos(turn) + z * std::sin(turn);
        const double zr = -x * std::sin(turn) + z * std::cos(turn);
        px = xr;
        py = y - zr * std::sin(tilt);  // far edges appear higher: seen from above
        pz = zr;
    };
    struct Face {
        double pts[4][2];
        double light;
        int kind;  // 0 side, 1 long face; +10 for the lid band
    };
    std::vector<Face> faces;
    // Faces of the body and of the lid band: the viewer sees faces whose turned normal
    // points to negative z, so the front is at z = -hd. A box is convex, so drawing
    // only the faces turned toward the viewer needs no sorting.
    for (int pass = 0; pass < 2; ++pass) {
        const double y0 = pass == 0 ? top : lidTop, y1 = pass == 0 ? bottom : top;
        const double front[4][3] = {{-hw, y0, -hd}, {hw, y0, -hd}, {hw, y1, -hd}, {-hw, y1, -hd}};
        const double back[4][3] = {{hw, y0, hd}, {-hw, y0, hd}, {-hw, y1, hd}, {hw, y1, hd}};
        const double left[4][3] = {{-hw, y0, hd}, {-hw, y0, -hd}, {-hw, y1, -hd}, {-hw, y1, hd}};
        const double right[4][3] = {{hw, y0, -hd}, {hw, y0, hd}, {hw, y1, hd}, {hw, y1, -hd}};
        auto add = [&](const double(*c)[3], int kind, double nx, double nz) {
            Face f{};
            for (int i = 0; i < 4; ++i) {
                double pz;
                project(c[i][0], c[i][1], c[i][2], f.pts[i][0], f.pts[i][1], pz);
            }
            const double tnz = -nx * std::sin(turn) + nz * std::cos(turn);
            const double tnx = nx * std::cos(turn) + nz * std::sin(turn);
            if (tnz > 0) return;  // faces away
            f.light = std::clamp(0.45 - 0.55 * tnz - 0.25 * tnx, 0.2, 1.0);
            f.kind = kind + pass * 10;
            faces.push_back(f);
        };
        add(front, 1, 0, -1);
        add(back, 1, 0, 1);
        add(left, 0, -1, 0);
        add(right, 0, 1, 0);
    }
    // Lid top, always visible from above.
    double lid[4][2];
    const double lidCorners[4][3] = {
        {-hw, lidTop, -hd}, {hw, lidTop, -hd}, {hw, lidTop, hd}, {-hw, lidTop, hd}};
    for (int i = 0; i < 4; ++i) {
        double pz;
        project(lidCorners[i][0], lidCorners[i][1], lidCorners[i][2], lid[i][0], lid[i][1], pz);
    }
    const Rgb wood{0.55, 0.09, 0.06};
    for (const Face& f : faces) {
        cairo_move_to(cr, f.pts[0][0], f.pts[0][1]);
        for (int i = 1; i < 4; ++i) cairo_line_to(cr, f.pts[i][0], f.pts[i][1]);
        cairo_close_path(cr);
        setRgb(cr, scaled(wood, f.light * 1.4));
        cairo_fill_preserve(cr);
        strokeDark(cr, 0.035);
        // Gold edging along the top and bottom of every face.
        cairo_set_line_width(cr, 0.05);
        setRgb(cr, scaled(palette::gold, 0.6 + 0.4 * f.light));
        cairo_move_to(cr, f.pts[0][0], f.pts[0][1] + 0.04);
        cairo_line_to(cr, f.pts[1][0], f.pts[1][1] + 0.04);
        cairo_move_to(cr, f.pts[3][0], f.pts[3][1] - 0.04);
        cairo_line_to(cr, f.pts[2][0], f.pts[2][1] - 0.04);
        cairo_stroke(cr);
        if (f.kind % 10 == 1 && f.kind < 10) {
            // Lock plate in the middle of the long faces.
            const double mx = (f.pts[0][0] + f.pts[1][0] + f.pts[2][0] + f.pts[3][0]) / 4;
            const double my = (f.pts[0][1] + f.pts[1][1]) / 2 + 0.08;
            const double w = std::fabs(f.pts[1][0] - f.pts[0][0]) / (2 * hw);
            cairo_save(cr);
            cairo_translate(cr, mx, my);
            cairo_scale(cr, std::max(0.05, w), 1);
            cairo_arc(cr, 0, 0, 0.14, 0, 2 * M_PI);
            fillMetal(cr, 0, 0, 0.14, palette::gold, true);
            strokeDark(cr, 0.025);
            cairo_rectangle(cr, -0.025, -0.03, 0.05, 0.1);
            setRgb(cr, palette::ink);
            cairo_fill(cr);
            cairo_restore(cr);
        }
    }
    cairo_move_to(cr, lid[0][0], lid[0][1]);
    for (int i = 1; i < 4; ++i) cairo_line_to(cr, lid[i][0], lid[i][1]);
    cairo_close_path(cr);
    setRgb(cr, scaled(wood, 1.35));
    cairo_fill_preserve(cr);
    strokeDark(cr, 0.035);
    // Gold medallion on the lid.
    const double cx = (lid[0][0] + lid[2][0]) / 2, cy = (lid[0][1] + lid[2][1]) / 2;
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, 1, 0.35);
    cairo_arc(cr, 0, 0, 0.22, 0, 2 * M_PI);
    cairo_restore(cr);
    fillMetal(cr, cx, cy, 0.22, palette::gold, true);
    strokeDark(cr, 0.02);
}

}  // namespace

void drawCharm(cairo_t* cr, int kind, double turn) {
    cairo_save(cr);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    switch (kind) {
        case CharmBeads:
            beadsCharm(cr, turn);
            break;
        case CharmLantern:
            lanternCharm(cr, turn);
            break;
        case CharmYinYang:
            flatTurn(cr, turn, 0.16, palette::goldDark, yinYangFace);
            break;
        case CharmBell:
            bellCharm(cr, turn);
            break;
        case CharmSwords:
            flatTurn(cr, turn, 0.08, {0.3, 0.32, 0.4}, swordsFace);
            break;
        case CharmCoin:
            flatTurn(cr, turn, 0.14, palette::goldDark, coinFace);
            break;
        case CharmCasket:
            casketCharm(cr, turn);
            break;
        case CharmScroll:
            flatTurn(cr, turn, 0.3, {0.6, 0.45, 0.25}, scrollFace);
            break;
        case CharmVase:
            vaseCharm(cr, turn);
            break;
        case CharmFan:
            flatTurn(cr, turn, 0.06, {0.35, 0.18, 0.06}, fanFace);
            break;
        case CharmHammer:
            flatTurn(cr, turn, 0.2, {0.3, 0.3, 0.35}, hammerFace);
            break;
        case CharmClock:
            flatTurn(cr, turn, 0.18, palette::goldDark, clockFace);
            break;
        default:
            break;
    }
    cairo_restore(cr);
}

const char* charmSheetName(int kind) {
    static const char* const names[CharmCount] = {
        "chetki.tga",    "fonarik.tga", "inyan.tga", "kolokol.tga", "mechi.tga",   "moneta.tga",
        "shkatulka.tga", "svitok.tga",  "vaza.tga",  "veer.tga",    "molotok.tga", "chasiki.tga"};
    return kind >= 0 && kind < CharmCount ? names[kind] : "";
}

// The thirteen painted backs with their scene files and the element textures the
// scenes name through "gameobjs.txt". Each back is a mountain landscape whose sky,
// water and waterfall areas are left transparent: the scrolling sky and flowing
// water elements are drawn behind the picture, spray and swaying branches over it.
// The transparent areas still carry a painted colour, so the picture reads well
// even where it is drawn without its alpha.
#include <algorithm>
#include <cstring>

#include "tools/datagen/art_common.h"
#include "tools/datagen/datagen.h"
#include "tools/datagen/scene_common.h"

namespace {

constexpr int kW = 800, kH = 600;

struct Mood {
    const char* sky;   // object name of the sky element
    const char* lake;  // object name of the lake element
    Rgb skyTop, skyHorizon;
    Rgb far, mid, near;  // mountain layers
    Rgb water;
    Rgb light;  // colour of the sun or moon glow
};

const Mood kMoods[5] = {
    // dawn
    {"sky_dawn",
     "water_dawn",
     {0.45, 0.50, 0.75},
     {1.0, 0.72, 0.55},
     {0.62, 0.52, 0.62},
     {0.38, 0.30, 0.40},
     {0.16, 0.12, 0.16},
     {0.55, 0.50, 0.62},
     {1.0, 0.85, 0.6}},
    // day
    {"sky_day",
     "water_day",
     {0.30, 0.52, 0.85},
     {0.80, 0.90, 0.98},
     {0.55, 0.66, 0.78},
     {0.28, 0.45, 0.42},
     {0.10, 0.20, 0.14},
     {0.35, 0.55, 0.65},
     {1.0, 1.0, 0.9}},
    // dusk
    {"sky_dusk",
     "water_dusk",
     {0.22, 0.15, 0.38},
     {0.98, 0.55, 0.30},
     {0.50, 0.30, 0.40},
     {0.28, 0.15, 0.25},
     {0.10, 0.05, 0.08},
     {0.45, 0.30, 0.38},
     {1.0, 0.7, 0.4}},
    // night
    {"sky_night",
     "water_night",
     {0.03, 0.05, 0.15},
     {0.16, 0.22, 0.42},
     {0.18, 0.22, 0.36},
     {0.10, 0.13, 0.22},
     {0.04, 0.05, 0.09},
     {0.12, 0.18, 0.32},
     {0.85, 0.9, 1.0}},
    // jade mist
    {"sky_mist",
     "water_mist",
     {0.45, 0.62, 0.60},
     {0.85, 0.92, 0.85},
     {0.60, 0.72, 0.66},
     {0.32, 0.48, 0.40},
     {0.10, 0.20, 0.15},
     {0.40, 0.60, 0.55},
     {1.0, 1.0, 0.92}},
};

struct BackPlan {
    int mood;
    bool waterfall;
    double waterfallX;  // pixel centre of the falls
    bool lake;
    bool pagoda;
    double pagodaX;
    uint32_t seed;
};

// Back 0 is also the menus' back: its pagoda stands left of the main menu's window.
const BackPlan kPlans[13] = {
    {1, true, 150, true, true, 300, 101},  {0, false, 0, true, true, 230, 102},
    {4, true, 560, false, false, 0, 103},  {2, false, 0, true, true, 520, 104},
    {3, true, 240, true, false, 0, 105},   {1, false, 0, true, true, 110, 106},
    {0, true, 660, true, false, 0, 107},   {4, false, 0, true, true, 420, 108},
    {2, true, 120, false, true, 560, 109}, {3, false, 0, true, true, 650, 110},
    {1, true, 400, true, false, 0, 111},   {4, true, 200, true, true, 600, 112},
    {2, true, 700, true, false, 0, 113},
};

struct Painted {
    Image picture;
    std::vector<SceneElement> elements;
};

double ridge(double x, double base, double amplitude, double scale, uint32_t seed) {
    return base - amplitude * (fbm(x / scale, 0.5, seed, 5) - 0.3) * 2.0;
}

void blendPixel(Image& img, int x, int y, Rgb c, double a) {
    uint8_t* p = img.at(x, y);
    const double old = p[3] / 255.0;
    const double out = a + old * (1 - a);
    if (out <= 0) return;
    const double rgb[3] = {c.r, c.g, c.b};
    for (int k = 0; k < 3; ++k)
        p[k] = static_cast<uint8_t>(std::clamp((rgb[k] * 255 * a + p[k] * old * (1 - a)) / out, 0.0, 255.0));
    p[3] = static_cast<uint8_t>(std::lround(out * 255));
}

// Pine and rounded trees along a line, as cairo silhouettes.
void trees(cairo_t* cr, const std::vector<double>& groundY, Rgb colour, uint32_t seed, double density,
           double size) {
    Rng rng(seed);
    for (double x = rng.range(0, 30); x < kW; x += rng.range(18, 60) / density) {
        const double gy = groundY[std::clamp(static_cast<int>(x), 0, kW - 1)];
        const double h = size * rng.range(0.6, 1.3);
        const Rgb c = scaled(colour, rng.range(0.8, 1.1));
        setRgb(cr, c);
        if (rng.unit() < 0.6) {
            for (int tier = 0; tier < 4; ++tier) {
                const double ty = gy - h * (0.25 + tier * 0.22), w = h * (0.38 - tier * 0.07);
                cairo_move_to(cr, x - w, ty + h * 0.18);
                cairo_line_to(cr, x, ty - h * 0.2);
                cairo_line_to(cr, x + w, ty + h * 0.18);
                cairo_close_path(cr);
            }
            cairo_rectangle(cr, x - h * 0.04, gy - h * 0.3, h * 0.08, h * 0.32);
        } else {
            cairo_arc(cr, x, gy - h * 0.55, h * 0.35, 0, 2 * M_PI);
            cairo_arc(cr, x - h * 0.25, gy - h * 0.4, h * 0.25, 0, 2 * M_PI);
            cairo_arc(cr, x + h * 0.25, gy - h * 0.42, h * 0.27, 0, 2 * M_PI);
            cairo_rectangle(cr, x - h * 0.04, gy - h * 0.3, h * 0.08, h * 0.32);
        }
        cairo_fill(cr);
    }
}

// Fills the current path with a gradient across it from `a` to `b` (lit side first).
void fillAcross(cairo_t* cr, double x0, double y0, double x1, double y1, Rgb a, Rgb b,
                bool preserve = false) {
    cairo_pattern_t* p = cairo_pattern_create_linear(x0, y0, x1, y1);
    cairo_pattern_add_color_stop_rgb(p, 0, a.r, a.g, a.b);
    cairo_pattern_add_color_stop_rgb(p, 1, b.r, b.g, b.b);
    cairo_set_source(cr, p);
    if (preserve)
        cairo_fill_preserve(cr);
    else
        cairo_fill(cr);
    cairo_pattern_destroy(p);
}

// One upswept roof: eaves from (x - half, eaveY) that curl up at the tips, tiles
// rising to a ridge `height` above; lit from the left.
void pagodaRoof(cairo_t* cr, double x, double eaveY, double half, double height, Rgb tile, Rgb light) {
    const double ridgeHalf = half * 0.36, tipY = eaveY - height * 0.42, ridgeY = eaveY - height;
    auto outline = [&] {
        cairo_move_to(cr, x - half, tipY);
        cairo_curve_to(cr, x - half * 0.9, eaveY - height * 0.05, x - half * 0.8, eaveY, x - half * 0.62,
                       eaveY);
        cairo_line_to(cr, x + half * 0.62, eaveY);
        cairo_curve_to(cr, x + half * 0.8, eaveY, x + half * 0.9, eaveY - height * 0.05, x + half, tipY);
        cairo_curve_to(cr, x + half * 0.7, tipY - height * 0.02, x + ridgeHalf * 1.5, ridgeY + height * 0.3,
                       x + ridgeHalf, ridgeY);
        cairo_line_to(cr, x - ridgeHalf, ridgeY);
        cairo_curve_to(cr, x - ridgeHalf * 1.5, ridgeY + height * 0.3, x - half * 0.7, tipY - height * 0.02,
                       x - half, tipY);
        cairo_close_path(cr);
    };
    outline();
    fillAcross(cr, x - half, 0, x + half, 0, mix(scaled(tile, 1.45), light, 0.15), scaled(tile, 0.55), true);
    // Rows of round tiles running down the slope, and the shade of the ridge.
    cairo_save(cr);
    cairo_clip(cr);
    for (double k = -1; k <= 1.001; k += 0.1) {
        cairo_move_to(cr, x + ridgeHalf * k, ridgeY);
        cairo_curve_to(cr, x + ridgeHalf * k * 1.3, ridgeY + height * 0.4, x + half * k * 0.8,
                       eaveY - height * 0.2, x + half * k * 0.98, eaveY + 2);
    }
    cairo_set_line_width(cr, 1.2);
    setRgb(cr, scaled(tile, 0.35), 0.55);
    cairo_stroke(cr);
    cairo_pattern_t* shade = cairo_pattern_create_linear(0, ridgeY, 0, eaveY);
    cairo_pattern_add_color_stop_rgba(shade, 0, 0, 0, 0, 0.0);
    cairo_pattern_add_color_stop_rgba(shade, 0.7, 0, 0, 0, 0.0);
    cairo_pattern_add_color_stop_rgba(shade, 1, 0, 0, 0, 0.35);
    cairo_set_source(cr, shade);
    cairo_paint(cr);
    cairo_pattern_destroy(shade);
    cairo_restore(cr);
    // The eave's edge: a dark underside and a pale rim catching the light.
    cairo_move_to(cr, x - half, tipY);
    cairo_curve_to(cr, x - half * 0.9, eaveY - height * 0.05, x - half * 0.8, eaveY, x - half * 0.62, eaveY);
    cairo_line_to(cr, x + half * 0.62, eaveY);
    cairo_curve_to(cr, x + half * 0.8, eaveY, x + half * 0.9, eaveY - height * 0.05, x + half, tipY);
    cairo_set_line_width(cr, 3);
    setRgb(cr, scaled(tile, 0.3));
    cairo_stroke_preserve(cr);
    cairo_set_line_width(cr, 1);
    setRgb(cr, mix(tile, light, 0.55));
    cairo_stroke(cr);
    // Ridge cap with small curled ends.
    cairo_move_to(cr, x - ridgeHalf - 3, ridgeY - 3);
    cairo_line_to(cr, x + ridgeHalf + 3, ridgeY - 3);
    cairo_set_line_width(cr, 3);
    setRgb(cr, scaled(tile, 0.45));
    cairo_stroke(cr);
    for (int side : {-1, 1}) {
        cairo_arc(cr, x + side * (ridgeHalf + 3), ridgeY - 5, 2.5, 0, 2 * M_PI);
        fillMetal(cr, x + side * (ridgeHalf + 3), ridgeY - 5, 2.5, palette::gold);
    }
}

// A four-storey pagoda on a stone plinth: lacquered walls with pillars and lit
// lattice windows under upswept tiled roofs, a balcony on each upper storey and a
// gilt spire. Colours lean toward the back's near hills so it sits in the light of
// the scene; the lit side faces the upper left like every picture of the game.
void pagoda(cairo_t* cr, double x, double groundY, double size, const Mood& mood) {
    const Rgb wood = mix(palette::lacquer, mood.near, 0.35);
    const Rgb tile = mix(Rgb{0.22, 0.36, 0.34}, mood.near, 0.3);
    const Rgb stone = mix(Rgb{0.58, 0.55, 0.50}, mood.mid, 0.35);
    const Rgb light = mood.light;
    // Its shadow on the ground and the plinth with its steps.
    cairo_save(cr);
    cairo_translate(cr, x + size * 0.08, groundY + 2);
    cairo_scale(cr, size * 0.75, size * 0.07);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
    setRgb(cr, {0, 0, 0}, 0.35);
    cairo_fill(cr);
    const double plinthTop = groundY - size * 0.1;
    cairo_rectangle(cr, x - size * 0.6, plinthTop, size * 1.2, size * 0.1);
    fillAcross(cr, x - size * 0.6, 0, x + size * 0.6, 0, mix(stone, light, 0.25), scaled(stone, 0.55));
    for (int k = 1; k < 6; ++k) {
        cairo_move_to(cr, x - size * 0.6 + k * size * 0.2, plinthTop);
        cairo_line_to(cr, x - size * 0.6 + k * size * 0.2, groundY);
    }
    cairo_move_to(cr, x - size * 0.6, plinthTop + size * 0.05);
    cairo_line_to(cr, x + size * 0.6, plinthTop + size * 0.05);
    cairo_set_line_width(cr, 0.8);
    setRgb(cr, scaled(stone, 0.4), 0.7);
    cairo_stroke(cr);
    for (int step = 0; step < 3; ++step) {
        const double w = size * (0.2 - step * 0.04), top = groundY - size * 0.035 * (step + 1);
        cairo_rectangle(cr, x - w, top, 2 * w, size * 0.035);
        fillAcross(cr, 0, top, 0, top + size * 0.035, mix(stone, light, 0.4), scaled(stone, 0.7));
    }
    cairo_move_to(cr, x - size * 0.6, plinthTop + 0.5);
    cairo_line_to(cr, x + size * 0.6, plinthTop + 0.5);
    cairo_set_line_width(cr, 1);
    setRgb(cr, mix(stone, light, 0.6));
    cairo_stroke(cr);

    const int storeys = 4;
    double base = plinthTop;
    double eaveTop = 0;
    for (int s = 0; s < storeys; ++s) {
        const double w = size * (0.4 - s * 0.065), h = size * (s == 0 ? 0.26 : 0.2);
        const double wallTop = base - h;
        // Walls, lit on the left, with the roof's shadow along their top.
        cairo_rectangle(cr, x - w, wallTop, 2 * w, h);
        fillAcross(cr, x - w, 0, x + w, 0, mix(scaled(wood, 1.35), light, 0.12), scaled(wood, 0.55));
        cairo_rectangle(cr, x - w, wallTop, 2 * w, h * 0.35);
        cairo_pattern_t* eaveShade = cairo_pattern_create_linear(0, wallTop, 0, wallTop + h * 0.35);
        cairo_pattern_add_color_stop_rgba(eaveShade, 0, 0, 0, 0, 0.55);
        cairo_pattern_add_color_stop_rgba(eaveShade, 1, 0, 0, 0, 0);
        cairo_set_source(cr, eaveShade);
        cairo_fill(cr);
        cairo_pattern_destroy(eaveShade);
        // Windows between the pillars: warm light behind a lattice.
        const int bays = s == 0 ? 3 : 2;
        const double bay = 2 * w / bays;
        for (int b = 0; b < bays; ++b) {
            const double wx = x - w + bay * (b + 0.22), ww = bay * 0.56;
            const double wy = wallTop + h * 0.3, wh = h * (s == 0 && b == 1 ? 0.7 : 0.45);
            cairo_rectangle(cr, wx, wy, ww, wh);
            cairo_pattern_t* glow = cairo_pattern_create_linear(0, wy, 0, wy + wh);
            cairo_pattern_add_color_stop_rgb(glow, 0, light.r * 0.75, light.g * 0.55, light.b * 0.3);
            cairo_pattern_add_color_stop_rgb(glow, 1, light.r, light.g * 0.85, light.b * 0.55);
            cairo_set_source(cr, glow);
            cairo_fill(cr);
            cairo_pattern_destroy(glow);
            for (int k = 1; k < 3; ++k) {
                cairo_move_to(cr, wx + ww * k / 3, wy);
                cairo_line_to(cr, wx + ww * k / 3, wy + wh);
            }
            cairo_move_to(cr, wx, wy + wh * 0.5);
            cairo_line_to(cr, wx + ww, wy + wh * 0.5);
            cairo_set_line_width(cr, 0.9);
            setRgb(cr, scaled(wood, 0.35));
            cairo_stroke(cr);
        }
        // Pillars.
        for (int k = 0; k <= bays; ++k) {
            const double px = x - w + bay * k;
            cairo_rectangle(cr, px - 1.6, wallTop, 3.2, h);
            setRgb(cr, scaled(wood, k == 0 ? 1.1 : 0.45));
            cairo_fill(cr);
        }
        // A balcony rail in front of the upper storeys.
        if (s > 0) {
            const double ry = base - h * 0.22;
            cairo_rectangle(cr, x - w * 1.12, ry, 2.24 * w, 2);
            for (double px = x - w * 1.12; px <= x + w * 1.12 + 0.1; px += w * 0.28)
                cairo_rectangle(cr, px - 0.8, ry, 1.6, h * 0.22);
            setRgb(cr, scaled(wood, 0.5));
            cairo_fill(cr);
            cairo_move_to(cr, x - w * 1.12, ry);
            cairo_line_to(cr, x, ry);
            cairo_set_line_width(cr, 0.8);
            setRgb(cr, mix(wood, light, 0.5));
            cairo_stroke(cr);
        }
        // The roof over this storey; the next storey stands on its ridge.
        const double roofHeight = size * (0.16 - s * 0.01);
        pagodaRoof(cr, x, wallTop + 2, w * 1.75, roofHeight, tile, light);
        base = wallTop + 2 - roofHeight * 0.72;
        eaveTop = wallTop + 2 - roofHeight;
    }
    // Gilt spire with rings and a pearl on top.
    const double spireTop = eaveTop - size * 0.38;
    cairo_rectangle(cr, x - 1.5, spireTop, 3, eaveTop - spireTop);
    fillAcross(cr, x - 1.5, 0, x + 1.5, 0, palette::goldLight, palette::goldDark);
    for (int k = 0; k < 5; ++k) {
        const double ry = eaveTop - size * 0.05 - k * size * 0.05, rw = size * (0.05 - k * 0.006);
        cairo_save(cr);
        cairo_translate(cr, x, ry);
        cairo_scale(cr, rw, rw * 0.3);
        cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
        cairo_restore(cr);
        fillMetal(cr, x, ry, rw, palette::gold);
    }
    cairo_arc(cr, x, spireTop, size * 0.025, 0, 2 * M_PI);
    fillMetal(cr, x, spireTop, size * 0.025, mix(palette::gold, light, 0.4));
}

// An arched footbridge over the near shore of the lake.
void bridge(cairo_t* cr, double x, double waterY, const Mood& mood) {
    const double span = 220, rise = 58;
    const Rgb wood = scaled(mood.near, 1.8);
    cairo_move_to(cr, x, waterY);
    cairo_curve_to(cr, x + span * 0.3, waterY - rise * 1.3, x + span * 0.7, waterY - rise * 1.3, x + span,
                   waterY);
    cairo_line_to(cr, x + span, waterY + 4);
    cairo_curve_to(cr, x + span * 0.7, waterY - rise * 1.05, x + span * 0.3, waterY - rise * 1.05, x,
                   waterY + 4);
    cairo_close_path(cr);
    setRgb(cr, wood);
    cairo_fill(cr);
    // Railing: posts and a rail following the arch.
    for (int k = 0; k <= 8; ++k) {
        const double t = k / 8.0, px = x + span * t;
        const double py = waterY - rise * 1.3 * 3 * t * (1 - t) * 1.33;
        cairo_move_to(cr, px, py);
        cairo_line_to(cr, px, py - 18);
    }
    cairo_move_to(cr, x, waterY - 18);
    cairo_curve_to(cr, x + span * 0.3, waterY - rise * 1.3 - 18, x + span * 0.7, waterY - rise * 1.3 - 18,
                   x + span, waterY - 18);
    cairo_set_line_width(cr, 3);
    setRgb(cr, scaled(wood, 0.9));
    cairo_stroke(cr);
}

// Tall bamboo stalks standing in the foreground at one edge.
void bamboo(cairo_t* cr, double x0, const Mood& mood, uint32_t seed) {
    Rng rng(seed + 40);
    const Rgb stalk = mix(scaled(mood.near, 1.3), Rgb{0.2, 0.35, 0.12}, 0.5);
    for (int k = 0; k < 4; ++k) {
        const double x = x0 + k * 18 + rng.range(-5, 5), w = rng.range(7, 11), lean = rng.range(-12, 12);
        cairo_move_to(cr, x, kH + 5);
        cairo_line_to(cr, x + lean, -5);
        cairo_set_line_width(cr, w);
        setRgb(cr, scaled(stalk, rng.range(0.8, 1.1)));
        cairo_stroke(cr);
        for (double y = rng.range(20, 60); y < kH; y += rng.range(55, 80)) {
            const double nx = x + lean * (1 - (y + 5) / (kH + 10));
            cairo_move_to(cr, nx - w * 0.7, y);
            cairo_line_to(cr, nx + w * 0.7, y);
            cairo_set_line_width(cr, 2.5);
            setRgb(cr, scaled(stalk, 0.6));
            cairo_stroke(cr);
            if (rng.unit() < 0.5) {
                // A spray of narrow leaves from the node.
                for (int leaf = 0; leaf < 3; ++leaf) {
                    const double dir = (rng.unit() < 0.5 ? -1 : 1) * rng.range(25, 45),
                                 drop = rng.range(4, 16);
                    cairo_move_to(cr, nx, y);
                    cairo_curve_to(cr, nx + dir * 0.4, y - 6, nx + dir * 0.8, y + drop * 0.5, nx + dir,
                                   y + drop);
                    cairo_curve_to(cr, nx + dir * 0.8, y + drop * 0.5 + 4, nx + dir * 0.4, y + 2, nx, y);
                    setRgb(cr, scaled(stalk, rng.range(0.9, 1.3)));
                    cairo_fill(cr);
                }
            }
        }
    }
}

// Draws over a picture with cairo and keeps the painted colour under the pixels
// that stay (partly) transparent, where cairo's premultiplied alpha would lose it.
template <typename Draw>
void paintOver(Image& img, Draw draw) {
    const Image before = img;
    Canvas canvas(kW, kH);
    canvas.paintImage(img, 0, 0);
    draw(canvas.cr);
    img = canvas.image();
    for (size_t i = 0; i < img.rgba.size(); i += 4) {
        const double a = img.rgba[i + 3] / 255.0;
        for (int k = 0; k < 3; ++k)
            img.rgba[i + k] = static_cast<uint8_t>(img.rgba[i + k] * a + before.rgba[i + k] * (1 - a));
    }
}

// Where a back's waterfall runs: from a rock lip below the middle ridge down to
// where it lands, in a pool of its own or in the lake.
struct Falls {
    double cx, top, landing;     // pixels
    double halfWidth;            // of the falling water at the lip
    double poolHalf, poolDepth;  // half axes of the pool or of the foam on the lake
};

Falls fallsFor(const BackPlan& plan, double horizon, double lakeTop, const std::vector<double>& groundNear) {
    Falls f;
    f.cx = plan.waterfallX;
    f.top = horizon + 60;
    f.halfWidth = 26;
    const double ground = groundNear[std::clamp(static_cast<int>(f.cx), 0, kW - 1)];
    f.landing = plan.lake ? lakeTop + 8 : std::clamp(ground + 110, f.top + 120, 548.0);
    f.poolHalf = plan.lake ? 58 : 78;
    f.poolDepth = plan.lake ? 12 : 20;
    return f;
}

// Opens the falls' column in the picture, widening a little as it drops, with wet
// dark rock along its edges.
void carveFalls(Image& img, const Falls& f, uint32_t seed) {
    for (int y = static_cast<int>(f.top); y < static_cast<int>(f.landing); ++y)
        for (int x = static_cast<int>(f.cx - f.halfWidth - 14);
             x <= static_cast<int>(f.cx + f.halfWidth + 14); ++x) {
            if (x < 0 || x >= kW || y >= kH) continue;
            const double t = (y - f.top) / (f.landing - f.top);
            const double wobble = 5 * (valueNoise(y / 14.0, 1, seed) - 0.5);
            const double d = std::fabs(x - f.cx - wobble) - f.halfWidth * (0.8 + 0.3 * t);
            uint8_t* p = img.at(x, y);
            if (d < 0) {
                p[3] = static_cast<uint8_t>(p[3] * std::clamp(1 + d / 3.0, 0.0, 1.0));
                p[0] = 217, p[1] = 235, p[2] = 250;
            } else if (d < 12) {
                const double wet = 0.5 + 0.04 * d + 0.1 * valueNoise(x / 3.0, y / 9.0, seed + 5);
                for (int k = 0; k < 3; ++k) p[k] = static_cast<uint8_t>(p[k] * std::min(1.0, wet));
            }
        }
}

// A pool for falls that land on dry ground: an open oval where the flowing water
// element shows, painted in the water's colour for where alpha is ignored.
void carvePool(Image& img, const Falls& f, const Mood& mood) {
    const Rgb water = mix(mood.water, mood.skyHorizon, 0.2);
    for (int y = static_cast<int>(f.landing - f.poolDepth - 2);
         y <= static_cast<int>(f.landing + f.poolDepth + 2); ++y)
        for (int x = static_cast<int>(f.cx - f.poolHalf - 2); x <= static_cast<int>(f.cx + f.poolHalf + 2);
             ++x) {
            if (x < 0 || x >= kW || y < 0 || y >= kH) continue;
            const double dx = (x - f.cx) / f.poolHalf, dy = (y - f.landing) / f.poolDepth;
            const double r = std::sqrt(dx * dx + dy * dy);
            const double open = std::clamp((1 - r) * f.poolDepth / 1.5, 0.0, 1.0);
            if (open <= 0) continue;
            uint8_t* p = img.at(x, y);
            p[3] = static_cast<uint8_t>(p[3] * (1 - open));
            p[0] = static_cast<uint8_t>(water.r * 255);
            p[1] = static_cast<uint8_t>(water.g * 255);
            p[2] = static_cast<uint8_t>(water.b * 255);
        }
}

// A mossy boulder lit from the upper left, with a dark rim and a wet gleam.
void boulder(cairo_t* cr, double x, double y, double w, double h, Rgb rock, Rgb light) {
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, w, h);
    cairo_move_to(cr, -1, 0.5);
    cairo_curve_to(cr, -1.1, -0.2, -0.7, -0.8, -0.15, -0.9);
    cairo_curve_to(cr, 0.3, -1.0, 0.55, -0.6, 0.8, -0.55);
    cairo_curve_to(cr, 1.1, -0.4, 1.05, 0.1, 1, 0.5);
    cairo_close_path(cr);
    cairo_restore(cr);
    cairo_pattern_t* p = radialShade(x, y, std::max(w, h), mix(rock, light, 0.25), rock, scaled(rock, 0.3));
    cairo_set_source(cr, p);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(p);
    cairo_set_line_width(cr, 1.2);
    setRgb(cr, scaled(rock, 0.25), 0.8);
    cairo_stroke(cr);
    cairo_move_to(cr, x - w * 0.55, y - h * 0.45);
    cairo_curve_to(cr, x - w * 0.4, y - h * 0.75, x - w * 0.1, y - h * 0.85, x + w * 0.15, y - h * 0.8);
    cairo_set_line_width(cr, 1.4);
    setRgb(cr, mix(light, {1, 1, 1}, 0.5), 0.3);
    cairo_stroke(cr);
}

// The cliff the water falls down: a face of layered rock from the lip to the
// landing, lit on its left, cut by ledges, with moss on the ledges' tops.
void paintCliff(Image& img, const Falls& f, const Mood& mood, uint32_t seed) {
    paintOver(img, [&](cairo_t* cr) {
        Rng rng(seed + 200);
        const Rgb rock = scaled(mix(Rgb{0.40, 0.38, 0.36}, mood.mid, 0.55), 0.8);
        const Rgb moss = mix(Rgb{0.25, 0.40, 0.18}, mood.near, 0.4);
        const double lipHalf = f.halfWidth + 44, footHalf = f.poolHalf * 1.05;
        // The face is drawn as a group and laid in through a mask that fades its
        // sides, so the rock grows out of the hillside instead of standing on it.
        cairo_push_group(cr);
        cairo_move_to(cr, f.cx - lipHalf, f.top - 6);
        cairo_curve_to(cr, f.cx - lipHalf * 0.6, f.top - 14, f.cx + lipHalf * 0.6, f.top - 14, f.cx + lipHalf,
                       f.top - 6);
        cairo_curve_to(cr, f.cx + lipHalf + 10, f.top + (f.landing - f.top) * 0.4, f.cx + footHalf - 6,
                       f.landing - 30, f.cx + footHalf, f.landing);
        cairo_line_to(cr, f.cx - footHalf, f.landing);
        cairo_curve_to(cr, f.cx - footHalf + 6, f.landing - 30, f.cx - lipHalf - 10,
                       f.top + (f.landing - f.top) * 0.4, f.cx - lipHalf, f.top - 6);
        cairo_close_path(cr);
        fillAcross(cr, f.cx - lipHalf, 0, f.cx + lipHalf, 0, mix(rock, mood.light, 0.2), scaled(rock, 0.45),
                   true);
        cairo_save(cr);
        cairo_clip(cr);
        // Ledges: slanting strata, each dark below and catching light above.
        for (double y = f.top + rng.range(6, 14); y < f.landing; y += rng.range(14, 24)) {
            const double tilt = rng.range(-4, 4);
            cairo_move_to(cr, f.cx - footHalf - 20, y - tilt);
            cairo_curve_to(cr, f.cx - 20, y + rng.range(-3, 3), f.cx + 20, y + rng.range(-3, 3),
                           f.cx + footHalf + 20, y + tilt);
            cairo_set_line_width(cr, 2.2);
            setRgb(cr, scaled(rock, 0.3), 0.7);
            cairo_stroke_preserve(cr);
            cairo_set_line_width(cr, 4);
            setRgb(cr, moss, 0.35);
            cairo_translate(cr, 0, -2.5);
            cairo_stroke(cr);
            cairo_translate(cr, 0, 2.5);
        }
        // Cracks running down the face.
        for (int k = 0; k < 7; ++k) {
            double x = f.cx + rng.range(-footHalf, footHalf),
                   y = f.top + rng.range(0, (f.landing - f.top) * 0.6);
            cairo_move_to(cr, x, y);
            for (int seg = 0; seg < 4; ++seg) {
                x += rng.range(-5, 5);
                y += rng.range(8, 16);
                cairo_line_to(cr, x, y);
            }
            cairo_set_line_width(cr, 1);
            setRgb(cr, scaled(rock, 0.25), 0.6);
            cairo_stroke(cr);
        }
        cairo_restore(cr);
        cairo_pop_group_to_source(cr);
        const double fadeOut = footHalf + 10, solid = f.halfWidth + 10;
        cairo_pattern_t* sides = cairo_pattern_create_linear(f.cx - fadeOut, 0, f.cx + fadeOut, 0);
        const double inner = (fadeOut - solid) / (2 * fadeOut);
        cairo_pattern_add_color_stop_rgba(sides, 0, 0, 0, 0, 0);
        cairo_pattern_add_color_stop_rgba(sides, inner, 0, 0, 0, 1);
        cairo_pattern_add_color_stop_rgba(sides, 1 - inner, 0, 0, 0, 1);
        cairo_pattern_add_color_stop_rgba(sides, 1, 0, 0, 0, 0);
        cairo_mask(cr, sides);
        cairo_pattern_destroy(sides);
    });
}

// The rock lip the water tips over, the stones around its landing, the churned
// foam and the mist that rises from it.
void paintFallsSurroundings(Image& img, const Falls& f, const Mood& mood, uint32_t seed, bool lake) {
    paintOver(img, [&](cairo_t* cr) {
        Rng rng(seed + 300);
        const Rgb rock = mix(Rgb{0.36, 0.34, 0.33}, mood.mid, 0.5);
        const Rgb foam = mix(Rgb{1, 1, 1}, mood.skyHorizon, 0.12);
        // Where the water tips over: a bright curl across the lip, boulders at its sides.
        cairo_move_to(cr, f.cx - f.halfWidth * 0.85, f.top + 2);
        cairo_curve_to(cr, f.cx - f.halfWidth * 0.3, f.top - 5, f.cx + f.halfWidth * 0.3, f.top - 5,
                       f.cx + f.halfWidth * 0.85, f.top + 2);
        cairo_line_to(cr, f.cx + f.halfWidth * 0.85, f.top + 10);
        cairo_curve_to(cr, f.cx + f.halfWidth * 0.3, f.top + 5, f.cx - f.halfWidth * 0.3, f.top + 5,
                       f.cx - f.halfWidth * 0.85, f.top + 10);
        cairo_close_path(cr);
        fillAcross(cr, 0, f.top - 5, 0, f.top + 10, foam, mix(foam, mood.water, 0.35));
        // Shrubs along the cliff's brow hide where the rock meets the hill above.
        for (int side : {-1, 1})
            for (double d = f.halfWidth + 6; d < f.halfWidth + 48; d += rng.range(9, 14)) {
                const double r = rng.range(5, 8), bx = f.cx + side * d, by = f.top - 7 + rng.range(-3, 3);
                const Rgb leaves = mix(mood.mid, mood.near, 0.45);
                cairo_arc(cr, bx, by, r, 0, 2 * M_PI);
                cairo_pattern_t* leaf =
                    radialShade(bx, by, r, mix(leaves, mood.light, 0.2), leaves, scaled(leaves, 0.6));
                cairo_set_source(cr, leaf);
                cairo_fill(cr);
                cairo_pattern_destroy(leaf);
            }
        for (int side : {-1, 1})
            for (int k = 0; k < 3; ++k)
                boulder(cr, f.cx + side * (f.halfWidth + 8 + k * 12 + rng.range(0, 5)),
                        f.top + 4 + k * 5 + rng.range(-2, 2), rng.range(8, 15) - k * 1.5, rng.range(5, 9) - k,
                        scaled(rock, rng.range(0.75, 1.05)), mood.light);
        const double gy = f.landing;
        // Stones heaped at the foot of the cliff on both sides of the landing.
        if (!lake)
            for (int side : {-1, 1})
                for (int k = 0; k < 4; ++k) {
                    const double along = 0.55 + 0.15 * k + rng.range(-0.05, 0.05);
                    boulder(cr, f.cx + side * f.poolHalf * along,
                            gy - f.poolDepth * (0.9 - 0.25 * k) + rng.range(-2, 2), rng.range(9, 16),
                            rng.range(6, 10), scaled(rock, rng.range(0.7, 1.0)), mood.light);
                }
        // Mist: a soft haze rising from the landing.
        cairo_save(cr);
        cairo_translate(cr, f.cx, gy - 8);
        cairo_scale(cr, 1, 0.6);
        cairo_pattern_t* mist = cairo_pattern_create_radial(0, 0, 4, 0, 0, f.poolHalf * 1.4);
        cairo_pattern_add_color_stop_rgba(mist, 0, foam.r, foam.g, foam.b, 0.5);
        cairo_pattern_add_color_stop_rgba(mist, 0.45, foam.r, foam.g, foam.b, 0.18);
        cairo_pattern_add_color_stop_rgba(mist, 1, foam.r, foam.g, foam.b, 0);
        cairo_set_source(cr, mist);
        cairo_arc(cr, 0, 0, f.poolHalf * 1.4, 0, 2 * M_PI);
        cairo_fill(cr);
        cairo_pattern_destroy(mist);
        cairo_restore(cr);
        // Foam: a churned band where the column lands, soft puffs thinning outwards.
        cairo_save(cr);
        cairo_translate(cr, f.cx, gy);
        cairo_scale(cr, f.halfWidth * 1.6, f.poolDepth * 0.5);
        cairo_pattern_t* churn = cairo_pattern_create_radial(0, 0, 0.1, 0, 0, 1);
        cairo_pattern_add_color_stop_rgba(churn, 0, 1, 1, 1, 0.95);
        cairo_pattern_add_color_stop_rgba(churn, 0.6, foam.r, foam.g, foam.b, 0.8);
        cairo_pattern_add_color_stop_rgba(churn, 1, foam.r, foam.g, foam.b, 0);
        cairo_set_source(cr, churn);
        cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
        cairo_fill(cr);
        cairo_pattern_destroy(churn);
        cairo_restore(cr);
        for (int k = 0; k < 40; ++k) {
            const double spread = rng.unit();
            const double x = f.cx + (rng.unit() - 0.5) * 2 * (f.halfWidth * 1.1 + spread * f.poolHalf * 0.5);
            const double y = gy + (rng.unit() - 0.65) * f.poolDepth * (0.5 + 0.4 * spread);
            const double r = rng.range(5, 12) * (1.1 - 0.5 * spread);
            cairo_pattern_t* puff = cairo_pattern_create_radial(x - r * 0.3, y - r * 0.4, r * 0.1, x, y, r);
            cairo_pattern_add_color_stop_rgba(puff, 0, 1, 1, 1, 0.7 - 0.4 * spread);
            cairo_pattern_add_color_stop_rgba(puff, 1, foam.r * 0.9, foam.g * 0.94, foam.b, 0);
            cairo_set_source(cr, puff);
            cairo_arc(cr, x, y, r, 0, 2 * M_PI);
            cairo_fill(cr);
            cairo_pattern_destroy(puff);
        }
        // Rings spreading from the landing over the open water.
        for (int k = 1; k <= 3; ++k) {
            cairo_save(cr);
            cairo_translate(cr, f.cx, gy + 2);
            cairo_scale(cr, f.poolHalf * (0.45 + 0.2 * k), f.poolDepth * (0.45 + 0.2 * k));
            cairo_arc(cr, 0, 0, 1, 0.15 * M_PI, 0.85 * M_PI);
            cairo_restore(cr);
            cairo_set_line_width(cr, 1.3);
            setRgb(cr, foam, 0.5 - 0.12 * k);
            cairo_stroke(cr);
        }
    });
}

Painted paintBack(int index) {
    const BackPlan& plan = kPlans[index];
    const Mood& mood = kMoods[plan.mood];
    Painted result;
    Image& img = result.picture = Image(kW, kH);
    Rng rng(plan.seed);
    const double horizon = rng.range(250, 320);
    const double lakeTop = plan.lake ? rng.range(470, 500) : kH + 10;

    // Sky and lake areas: painted colour, transparent.
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            uint8_t* p = img.at(x, y);
            const double t = std::clamp(y / horizon, 0.0, 1.0);
            Rgb c = mix(mood.skyTop, mood.skyHorizon, t * t);
            if (y >= lakeTop) c = mix(mood.water, mood.skyHorizon, 0.2);
            p[0] = static_cast<uint8_t>(c.r * 255);
            p[1] = static_cast<uint8_t>(c.g * 255);
            p[2] = static_cast<uint8_t>(c.b * 255);
            p[3] = 0;
        }
    // Three mountain layers, far ones hazy.
    std::vector<double> groundNear(kW);
    const double bases[3] = {horizon, horizon + 70, horizon + 150};
    const double amps[3] = {110, 80, 60};
    const double scales[3] = {260, 170, 120};
    const Rgb colours[3] = {mood.far, mood.mid, mood.near};
    for (int layer = 0; layer < 3; ++layer) {
        const uint32_t seed = plan.seed * 7 + static_cast<uint32_t>(layer);
        for (int x = 0; x < kW; ++x) {
            const double top = ridge(x, bases[layer], amps[layer], scales[layer], seed);
            if (layer == 2) groundNear[x] = top;
            for (int y = std::max(0, static_cast<int>(top) - 1); y < std::min(kH, static_cast<int>(lakeTop));
                 ++y) {
                const double cover = std::clamp(y + 1 - top, 0.0, 1.0);
                if (cover <= 0) continue;
                const double depth = std::clamp((y - top) / 220.0, 0.0, 1.0);
                const double texture = fbm(x / 40.0, y / 25.0, seed + 50, 4);
                Rgb c = mix(colours[layer], mood.skyHorizon, (2 - layer) * 0.15 * (1 - depth));
                c = scaled(c, 0.8 + 0.35 * texture - 0.25 * depth);
                blendPixel(img, x, y, c, cover);
            }
        }
        // A band of mist settles in the valley in front of the far layers.
        if (layer < 2) {
            const double mistY = bases[layer] + 60;
            for (int y = std::max(0, static_cast<int>(mistY - 50));
                 y < std::min(kH, static_cast<int>(mistY + 50)); ++y)
                for (int x = 0; x < kW; ++x) {
                    if (img.at(x, y)[3] == 0) continue;
                    const double wisp = 0.6 + 0.4 * fbm(x / 90.0, y / 14.0, plan.seed + 70 + layer, 3);
                    const double a = 0.38 * wisp * std::exp(-std::pow((y - mistY) / 26.0, 2));
                    const Rgb haze = mix(mood.skyHorizon, {1, 1, 1}, 0.15);
                    uint8_t* p = img.at(x, y);
                    p[0] = static_cast<uint8_t>(p[0] * (1 - a) + haze.r * 255 * a);
                    p[1] = static_cast<uint8_t>(p[1] * (1 - a) + haze.g * 255 * a);
                    p[2] = static_cast<uint8_t>(p[2] * (1 - a) + haze.b * 255 * a);
                }
        }
    }
    {
        const Image before = img;
        Canvas canvas(kW, kH);
        canvas.paintImage(img, 0, 0);
        cairo_t* cr = canvas.cr;
        // Trees along the middle and near ridges.
        std::vector<double> groundMid(kW);
        for (int x = 0; x < kW; ++x)
            groundMid[x] = ridge(x, bases[1], amps[1], scales[1], plan.seed * 7 + 1) + 6;
        trees(cr, groundMid, scaled(mood.mid, 0.7), plan.seed + 3, 1.0, 26);
        std::vector<double> groundLow(kW);
        for (int x = 0; x < kW; ++x) groundLow[x] = groundNear[x] + 8;
        trees(cr, groundLow, scaled(mood.near, 0.8), plan.seed + 4, 0.7, 46);
        if (plan.lake && !plan.pagoda)
            bridge(cr, plan.waterfall ? 560 - plan.waterfallX * 0.3 : 300, lakeTop, mood);
        if (index % 3 == 2) bamboo(cr, index % 2 ? kW - 90 : 20, mood, plan.seed);
        if (plan.pagoda) {
            const int px = static_cast<int>(plan.pagodaX);
            pagoda(cr, plan.pagodaX, groundNear[px] + 10, 120, mood);
        }
        if (plan.lake) {
            // Shore stones and reeds along the water line.
            Rng shore(plan.seed + 9);
            for (double x = -10; x < kW + 10; x += shore.range(14, 40)) {
                const double w = shore.range(12, 34), h = shore.range(6, 14);
                cairo_save(cr);
                cairo_translate(cr, x, lakeTop - h * 0.3);
                cairo_scale(cr, w, h);
                cairo_arc(cr, 0, 0, 1, M_PI, 2 * M_PI);
                cairo_restore(cr);
                setRgb(cr, scaled(mood.near, shore.range(0.9, 1.6)));
                cairo_fill(cr);
                if (shore.unit() < 0.4) {
                    for (int r = 0; r < 5; ++r) {
                        const double rx = x + shore.range(-8, 8);
                        cairo_move_to(cr, rx, lakeTop);
                        cairo_curve_to(cr, rx, lakeTop - 14, rx + 3, lakeTop - 22, rx + shore.range(-2, 8),
                                       lakeTop - shore.range(24, 40));
                    }
                    cairo_set_line_width(cr, 1.6);
                    setRgb(cr, scaled(mood.near, 1.4));
                    cairo_stroke(cr);
                }
            }
        }
        img = canvas.image();
        // Transparent areas keep the painted sky and water colours underneath.
        for (size_t i = 0; i < img.rgba.size(); i += 4) {
            const double a = img.rgba[i + 3] / 255.0;
            for (int k = 0; k < 3; ++k)
                img.rgba[i + k] = static_cast<uint8_t>(img.rgba[i + k] * a + before.rgba[i + k] * (1 - a));
        }
    }
    // Waterfall: a notch in the cliffs, open to the flowing water behind, falling
    // into a pool (or the lake) where it churns into foam and spray.
    std::vector<SceneElement> pool;
    if (plan.waterfall) {
        const Falls falls = fallsFor(plan, horizon, lakeTop, groundNear);
        paintCliff(img, falls, mood, plan.seed);
        carveFalls(img, falls, plan.seed);
        if (!plan.lake) {
            carvePool(img, falls, mood);
            pool.push_back({mood.lake, falls.cx - falls.poolHalf - 4 - 400,
                            300 - (falls.landing - falls.poolDepth - 4), falls.cx + falls.poolHalf + 4 - 400,
                            300 - (falls.landing + falls.poolDepth + 4), 0, 25, 0, 0, 1});
        }
        paintFallsSurroundings(img, falls, mood, plan.seed, plan.lake);
        const double x0 = falls.cx - falls.halfWidth - 4, x1 = falls.cx + falls.halfWidth + 4;
        result.elements.push_back({"waterfall1", x0 - 400, 300 - (falls.top - 4), x1 - 400,
                                   300 - (falls.landing + 2), 0, 0, 60, 0, 0});
        result.elements.push_back({"spray1", x0 - 40 - 400, 300 - (falls.landing - 34), x1 + 40 - 400,
                                   300 - (falls.landing + 6), 0, 0, 0, 0, 0});
    }
    // Vignette.
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const double dx = (x - 400.0) / 400, dy = (y - 300.0) / 300;
            const double k = 1 - 0.25 * std::pow(std::min(1.0, dx * dx * 0.6 + dy * dy * 0.6), 1.5);
            uint8_t* p = img.at(x, y);
            for (int c = 0; c < 3; ++c) p[c] = static_cast<uint8_t>(p[c] * k);
        }
    // Elements drawn before the picture come first: sky, then water.
    std::vector<SceneElement> early;
    early.push_back({mood.sky, -400, 300, 400, 300 - (horizon + 140), 0, 0, 0, 0, 1});
    if (plan.lake) early.push_back({mood.lake, -400, 300 - (lakeTop - 4), 400, -300, 0, 40, 0, 0, 1});
    early.insert(early.end(), pool.begin(), pool.end());
    for (SceneElement& e : result.elements) e.early = e.name.find("spray") == std::string::npos ? 1 : 0;
    result.elements.insert(result.elements.begin(), early.begin(), early.end());
    // Branches swaying over the picture from the top corners, and a hanging lantern.
    const int variant = index % 3;
    const char* leafNames[3] = {"leaves1", "leaves2", "leaves3"};
    // Back 0 is also the menus' back: its top right lies under the main menu's window,
    // which would show a branch there only as smudges, so it has the blossom branch at
    // the left alone.
    if (index == 0) {
        result.elements.push_back({"leaves2", -400, 300, -100, 150, -8, 0, 0, 0, 0});
    } else {
        result.elements.push_back({leafNames[variant], -400, 300, -120, 160, -8, 0, 0, 0, 0});
        result.elements.push_back({leafNames[(variant + 1) % 3], 130, 300, 400, 170, 8, 0, 0, 1, 0});
    }
    if (index % 2 == 0) result.elements.push_back({"lantern1", -300, 252, -260, 152, 0, 0, 0, 0, 0});
    // The sun or the moon hangs in the open sky, above the far ridge.
    if (plan.mood == 3 || plan.mood == 2 || plan.mood == 0) {
        const double cx = index % 2 ? 170 : -60, cy = 300 - (horizon - 130);
        const double r = plan.mood == 3 ? 34 : 56;
        result.elements.push_back(
            {plan.mood == 3 ? "moon1" : "sun1", cx - r, cy - r, cx + r, cy + r, 0, 0, 0, 0, 0});
    }
    return result;
}

// Horizontally seamless cloudy sky.
Image skyTexture(const Mood& mood, uint32_t seed) {
    const int w = 512, h = 256;
    Image img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double t = static_cast<double>(y) / h;
            const double fx = static_cast<double>(x) / w;
            auto clouds = [&](double px) { return fbm(px / 70.0, y / 30.0, seed, 5); };
            const double n = clouds(x) * (1 - fx) + clouds(x - w) * fx;  // blend across the seam
            const double cloud = std::clamp((n - 0.48) * 3.5, 0.0, 1.0) * (0.4 + 0.6 * (1 - t));
            Rgb c = mix(mood.skyTop, mood.skyHorizon, t * t);
            c = mix(c, mix(mood.light, mood.skyHorizon, 0.4), cloud * 0.75);
            uint8_t* p = img.at(x, y);
            p[0] = static_cast<uint8_t>(std::clamp(c.r, 0.0, 1.0) * 255);
            p[1] = static_cast<uint8_t>(std::clamp(c.g, 0.0, 1.0) * 255);
            p[2] = static_cast<uint8_t>(std::clamp(c.b, 0.0, 1.0) * 255);
            p[3] = 255;
        }
    // Stars at night.
    if (mood.skyTop.b < 0.2) {
        Rng rng(seed);
        for (int k = 0; k < 140; ++k) {
            const int x = rng.below(w), y = rng.below(h * 2 / 3);
            const uint8_t v = static_cast<uint8_t>(150 + rng.below(105));
            uint8_t* p = img.at(x, y);
            p[0] = p[1] = p[2] = std::max(p[0], v);
        }
    }
    return img;
}

// Seamless in both directions: streaks for falls, ripples for water.
Image flowTexture(int w, int h, bool falls, uint32_t seed, Rgb deep = {0.16, 0.30, 0.42},
                  Rgb crest = {0.75, 0.88, 0.95}) {
    Image img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double fx = static_cast<double>(x) / w, fy = static_cast<double>(y) / h;
            auto sample = [&](double px, double py) {
                return falls ? fbm(px / 6.0, py / 60.0, seed, 4) : fbm(px / 60.0, py / 8.0, seed, 4);
            };
            const double n = (sample(x, y) * (1 - fx) + sample(x - w, y) * fx) * (1 - fy) +
                             (sample(x, y - h) * (1 - fx) + sample(x - w, y - h) * fx) * fy;
            Rgb c = falls ? mix(Rgb{0.55, 0.70, 0.82}, Rgb{1, 1, 1}, std::clamp((n - 0.35) * 2.2, 0.0, 1.0))
                          : mix(deep, crest, std::pow(std::clamp((n - 0.4) * 2.5, 0.0, 1.0), 2));
            uint8_t* p = img.at(x, y);
            p[0] = static_cast<uint8_t>(c.r * 255);
            p[1] = static_cast<uint8_t>(c.g * 255);
            p[2] = static_cast<uint8_t>(c.b * 255);
            p[3] = 255;
        }
    return img;
}

// A branch reaching in from the left edge (the swing pivots there): tapered bark lit
// from above, a side twig, and leaves with a lit half and a midrib, or blossoms with
// shaded petals round a golden heart.
Image branchTexture(int variant) {
    Canvas c(256, 128);
    cairo_t* cr = c.cr;
    Rng rng(900 + static_cast<uint32_t>(variant));
    const Rgb bark{0.30, 0.19, 0.12};
    auto limb = [&](double x0, double y0, double x1, double y1, double x2, double y2, double x3, double y3,
                    double w0, double w1) {
        // A tapered limb: its outline from a centre curve, thick at the start.
        const int steps = 24;
        std::vector<std::pair<double, double>> centre, normal;
        for (int k = 0; k <= steps; ++k) {
            const double t = static_cast<double>(k) / steps, u = 1 - t;
            const double x = u * u * u * x0 + 3 * u * u * t * x1 + 3 * u * t * t * x2 + t * t * t * x3;
            const double y = u * u * u * y0 + 3 * u * u * t * y1 + 3 * u * t * t * y2 + t * t * t * y3;
            const double dx = 3 * u * u * (x1 - x0) + 6 * u * t * (x2 - x1) + 3 * t * t * (x3 - x2);
            const double dy = 3 * u * u * (y1 - y0) + 6 * u * t * (y2 - y1) + 3 * t * t * (y3 - y2);
            const double len = std::max(1e-6, std::hypot(dx, dy));
            centre.push_back({x, y});
            normal.push_back({-dy / len, dx / len});
        }
        for (int k = 0; k <= steps; ++k) {
            const double w = (w0 + (w1 - w0) * k / steps) / 2;
            cairo_line_to(cr, centre[k].first + normal[k].first * w, centre[k].second + normal[k].second * w);
        }
        for (int k = steps; k >= 0; --k) {
            const double w = (w0 + (w1 - w0) * k / steps) / 2;
            cairo_line_to(cr, centre[k].first - normal[k].first * w, centre[k].second - normal[k].second * w);
        }
        cairo_close_path(cr);
        cairo_pattern_t* p = cairo_pattern_create_linear(0, y0 - w0, 0, y0 + w0 + (y3 - y0) * 0.2);
        cairo_pattern_add_color_stop_rgb(p, 0, bark.r * 1.7, bark.g * 1.7, bark.b * 1.6);
        cairo_pattern_add_color_stop_rgb(p, 1, bark.r * 0.55, bark.g * 0.5, bark.b * 0.5);
        cairo_set_source(cr, p);
        cairo_fill(cr);
        cairo_pattern_destroy(p);
    };
    limb(0, 26, 80, 36, 150, 66, 250, 94, 11, 2);
    limb(88, 44, 112, 24, 150, 16, 196, 20, 5, 1.5);
    const Rgb leafColour = variant == 0   ? Rgb{0.30, 0.58, 0.22}
                           : variant == 1 ? Rgb{0.98, 0.74, 0.82}
                                          : Rgb{0.90, 0.42, 0.14};
    for (int k = 0; k < 40; ++k) {
        const double t = rng.range(0.15, 1.0);
        const bool upper = rng.unit() < 0.35;
        const double bx = upper ? 90 + 106 * t : 250 * t, by = upper ? 44 - 24 * t : 26 + 68 * t * t;
        cairo_save(cr);
        cairo_translate(cr, bx + rng.range(-8, 8), by + rng.range(-6, 10));
        cairo_rotate(cr, rng.range(-1.2, 1.2) + 0.6);
        const Rgb colour = scaled(leafColour, rng.range(0.8, 1.1));
        if (variant == 1) {
            // Five petals, each darker at its base, with a golden heart.
            for (int p = 0; p < 5; ++p) {
                const double a = p * 2 * M_PI / 5;
                const double px = 5 * std::cos(a), py = 5 * std::sin(a);
                cairo_arc(cr, px, py, 4.6, 0, 2 * M_PI);
                cairo_pattern_t* petal = cairo_pattern_create_radial(0, 0, 1, px, py, 5.5);
                cairo_pattern_add_color_stop_rgb(petal, 0, colour.r * 0.75, colour.g * 0.45, colour.b * 0.55);
                cairo_pattern_add_color_stop_rgb(petal, 1, std::min(1.0, colour.r * 1.05),
                                                 std::min(1.0, colour.g * 1.1),
                                                 std::min(1.0, colour.b * 1.08));
                cairo_set_source(cr, petal);
                cairo_fill(cr);
                cairo_pattern_destroy(petal);
            }
            cairo_arc(cr, 0, 0, 2.2, 0, 2 * M_PI);
            setRgb(cr, {1.0, 0.85, 0.35});
            cairo_fill(cr);
        } else {
            // The leaf's upper half catches the light, the lower half is in shade.
            cairo_move_to(cr, 0, 0);
            cairo_curve_to(cr, 6, -6, 16, -4, 22, 0);
            cairo_line_to(cr, 0, 0);
            setRgb(cr, mix(colour, {1, 1, 0.8}, 0.2));
            cairo_fill(cr);
            cairo_move_to(cr, 0, 0);
            cairo_line_to(cr, 22, 0);
            cairo_curve_to(cr, 16, 4, 6, 6, 0, 0);
            setRgb(cr, scaled(colour, 0.7));
            cairo_fill(cr);
            cairo_move_to(cr, 1, 0);
            cairo_line_to(cr, 20, 0);
            cairo_set_line_width(cr, 0.8);
            setRgb(cr, scaled(colour, 0.5));
            cairo_stroke(cr);
        }
        cairo_restore(cr);
    }
    return c.image();
}

Image lanternTexture() {
    Canvas c(64, 128);
    cairo_t* cr = c.cr;
    cairo_move_to(cr, 32, 0);
    cairo_line_to(cr, 32, 30);
    cairo_set_line_width(cr, 2);
    setRgb(cr, palette::ink);
    cairo_stroke(cr);
    cairo_translate(cr, 32, 72);
    cairo_scale(cr, 40, 40);
    drawCharm(cr, CharmLantern, 0);
    return c.image();
}

// A pale disc with a soft halo: the moon with faint markings, or a low sun.
Image celestialTexture(bool moon) {
    Image img(128, 128);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            const double dx = (x + 0.5) / 64 - 1, dy = (y + 0.5) / 64 - 1, r = std::sqrt(dx * dx + dy * dy);
            const double disc = std::clamp((0.5 - r) * 60, 0.0, 1.0);
            const double halo = std::pow(std::max(0.0, 1 - r), 3) * 0.6;
            const double marks = moon ? 0.85 + 0.15 * fbm(x / 10.0, y / 10.0, 61, 3) : 1.0;
            const Rgb c = moon ? Rgb{0.95 * marks, 0.96 * marks, 1.0 * marks} : Rgb{1.0, 0.92, 0.70};
            uint8_t* p = img.at(x, y);
            p[0] = static_cast<uint8_t>(c.r * 255);
            p[1] = static_cast<uint8_t>(c.g * 255);
            p[2] = static_cast<uint8_t>(c.b * 255);
            p[3] = static_cast<uint8_t>(std::clamp(disc + halo * (1 - disc), 0.0, 1.0) * 255);
        }
    return img;
}

Image sprayTexture() {
    Image img(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const double dx = (x + 0.5) / 32 - 1, dy = (y + 0.5) / 32 - 1;
            const double v = std::pow(std::max(0.0, 1 - std::sqrt(dx * dx + dy * dy)), 2) *
                             (0.6 + 0.4 * fbm(x / 8.0, y / 8.0, 77, 3));
            uint8_t* p = img.at(x, y);
            p[0] = p[1] = p[2] = static_cast<uint8_t>(255 * v);
            p[3] = static_cast<uint8_t>(255 * v);
        }
    return img;
}

bool makeBacks(const std::string& out) {
    bool ok = true;
    for (int i = 0; i < 13; ++i) {
        const Painted painted = paintBack(i);
        ok &= writeAlphaJpeg(out, "AnimBacks/_a_back" + std::to_string(i) + ".jpg", painted.picture, 88);
        const std::vector<uint8_t> scene = encodeScene(painted.elements);
        ok &=
            writeOutputFile(out, "AnimBacks/level" + std::to_string(i) + ".lev", scene.data(), scene.size());
    }
    for (int m = 0; m < 5; ++m)
        ok &=
            writeJpeg(out, std::string("pack/") + kMoods[m].sky + ".jpg", skyTexture(kMoods[m], 300 + m), 88);
    ok &= writeJpeg(out, "pack/waterfall1.jpg", flowTexture(128, 256, true, 41), 88);
    for (const Mood& m : kMoods)
        ok &= writeJpeg(
            out, std::string("pack/") + m.lake + ".jpg",
            flowTexture(256, 128, false, 42, scaled(m.water, 0.6), mix(m.skyHorizon, {1, 1, 1}, 0.3)), 88);
    ok &= writeTga(out, "pack/spray1.tga", sprayTexture());
    for (int v = 0; v < 3; ++v)
        ok &= writeTga(out, "pack/leaves" + std::to_string(v + 1) + ".tga", branchTexture(v));
    ok &= writeTga(out, "pack/lantern1.tga", lanternTexture());
    ok &= writeTga(out, "pack/moon1.tga", celestialTexture(true));
    ok &= writeTga(out, "pack/sun1.tga", celestialTexture(false));

    std::string objects = "[sky/]\n";
    for (const Mood& m : kMoods) objects += std::string(m.sky) + " = " + m.sky + ".jpg\n";
    objects += "[/sky]\n\n[water/]\nwaterfall1 = waterfall1.jpg\nspray1 = spray1.tga\n";
    for (const Mood& m : kMoods) objects += std::string(m.lake) + " = " + m.lake + ".jpg\n";
    objects +=
        "[/water]\n\n"
        "[plants/]\nleaves1 = leaves1.tga\nleaves2 = leaves2.tga\nleaves3 = leaves3.tga\n[/plants]\n\n"
        "[decorations/]\nlantern1 = lantern1.tga\nmoon1 = moon1.tga\nsun1 = "
        "sun1.tga\n[/decorations]\n\n[models/]\npagoda = "
        "pagoda.cgo\n[/models]\n";
    ok &= writeText(out, "pack/gameobjs.txt", objects);
    return ok;
}

}  // namespace

std::vector<uint8_t> encodeScene(const std::vector<SceneElement>& elements) {
    std::vector<uint8_t> bytes(68 + 65 * elements.size(), 0);
    const char header[] = "scene";
    std::memcpy(bytes.data(), header, sizeof header);
    const int32_t count = static_cast<int32_t>(elements.size());
    std::memcpy(&bytes[64], &count, 4);
    for (size_t i = 0; i < elements.size(); ++i) {
        uint8_t* e = &bytes[68 + 65 * i];
        const SceneElement& el = elements[i];
        std::memcpy(e, el.name.c_str(), std::min<size_t>(el.name.size(), 31));
        const float values[7] = {static_cast<float>(std::min(el.x0, el.x1)),
                                 static_cast<float>(std::min(el.y0, el.y1)),
                                 static_cast<float>(std::max(el.x0, el.x1)),
                                 static_cast<float>(std::max(el.y0, el.y1)),
                                 static_cast<float>(el.rotation),
                                 static_cast<float>(el.vx),
                                 static_cast<float>(el.vy)};
        std::memcpy(e + 32, values, sizeof values);
        e[60] = el.mirrored;
        const int32_t early = el.early;
        std::memcpy(e + 61, &early, 4);
    }
    return bytes;
}

DATAGEN_STEP("backs", makeBacks);

Image composedBack(int index) {
    const Painted painted = paintBack(std::clamp(index, 0, 12));
    const Mood& mood = kMoods[kPlans[std::clamp(index, 0, 12)].mood];
    const Image sky = skyTexture(mood, 300 + static_cast<uint32_t>(&mood - kMoods));
    const Image lake =
        flowTexture(256, 128, false, 42, scaled(mood.water, 0.6), mix(mood.skyHorizon, {1, 1, 1}, 0.3));
    const Image falls = flowTexture(128, 256, true, 41);
    Image out(kW, kH);
    for (const SceneElement& e : painted.elements) {
        const bool isSky = e.name.find("sky") != std::string::npos;
        const bool isFalls = e.name.find("waterfall") != std::string::npos;
        const bool isLake = !isFalls && e.name.find("water") != std::string::npos;
        if (!isSky && !isFalls && !isLake) continue;
        const double x0 = std::min(e.x0, e.x1) + 400, x1 = std::max(e.x0, e.x1) + 400;
        const double top = 300 - std::max(e.y0, e.y1), bottom = 300 - std::min(e.y0, e.y1);
        const Image& tex = isSky ? sky : isLake ? lake : falls;
        for (int y = std::max(0, static_cast<int>(top)); y < std::min(kH, static_cast<int>(bottom)); ++y)
            for (int x = std::max(0, static_cast<int>(x0)); x < std::min(kW, static_cast<int>(x1)); ++x) {
                int tx, ty;
                if (isSky) {
                    const double scale = tex.height / (bottom - top);
                    tx = static_cast<int>((x - x0) * scale) % tex.width;
                    ty = std::min(tex.height - 1, static_cast<int>((y - top) * scale));
                } else {
                    tx = static_cast<int>(x - x0) % tex.width;
                    ty = static_cast<int>(y - top) % tex.height;
                }
                std::memcpy(out.at(x, y), tex.at(tx, ty), 4);
            }
    }
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const uint8_t* p = painted.picture.at(x, y);
            uint8_t* o = out.at(x, y);
            const double a = p[3] / 255.0;
            for (int k = 0; k < 3; ++k) o[k] = static_cast<uint8_t>(o[k] * (1 - a) + p[k] * a);
            o[3] = 255;
        }
    return out;
}

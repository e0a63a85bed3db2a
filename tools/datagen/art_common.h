#pragma once
// Shared helpers of the picture steps: an RGBA image with straight alpha, cairo
// canvases that convert into it, Targa / JPEG / alpha-JPEG encoders, a seeded
// random stream and value noise. Everything is deterministic: the same code gives
// the same bytes on every run.
#include <cairo.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

// The art direction in a few colours: lacquer, gold, jade, ink and ivory.
struct Rgb {
    double r, g, b;
};
namespace palette {
constexpr Rgb lacquer{0.62, 0.10, 0.07};
constexpr Rgb lacquerDark{0.32, 0.04, 0.03};
constexpr Rgb gold{0.93, 0.72, 0.28};
constexpr Rgb goldLight{1.00, 0.92, 0.62};
constexpr Rgb goldDark{0.52, 0.32, 0.08};
constexpr Rgb jade{0.20, 0.62, 0.45};
constexpr Rgb jadeDark{0.05, 0.28, 0.20};
constexpr Rgb ink{0.09, 0.07, 0.10};
constexpr Rgb ivory{0.96, 0.91, 0.78};
constexpr Rgb indigo{0.15, 0.20, 0.45};
constexpr Rgb umber{0.22, 0.07, 0.01};
}  // namespace palette

// Straight (not premultiplied) RGBA, rows top to bottom.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;
    Image() = default;
    Image(int w, int h) : width(w), height(h), rgba(static_cast<size_t>(w) * h * 4, 0) {}
    uint8_t* at(int x, int y) { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
    const uint8_t* at(int x, int y) const { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
};

// A cairo image surface with a context; destroyed with the object.
struct Canvas {
    cairo_surface_t* surface;
    cairo_t* cr;
    int width, height;
    Canvas(int w, int h);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    Image image() const;  // straight-alpha copy of the surface
    void paintImage(const Image& img, double x, double y, double scale = 1.0, double alpha = 1.0);
};

// Deterministic random stream (xorshift64*), independent of the C library.
struct Rng {
    uint64_t state;
    explicit Rng(uint64_t seed) : state(seed * 0x9E3779B97F4A7C15ull + 0x1234567ull) { next(); }
    uint64_t next() {
        state ^= state >> 12;
        state ^= state << 25;
        state ^= state >> 27;
        return state * 0x2545F4914F6CDD1Dull;
    }
    double unit() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }  // [0, 1)
    double range(double a, double b) { return a + (b - a) * unit(); }
    int below(int n) { return static_cast<int>(next() % static_cast<uint64_t>(n)); }
};

// Smooth value noise in [0, 1] with a given seed; fbm sums octaves.
double valueNoise(double x, double y, uint32_t seed);
double fbm(double x, double y, uint32_t seed, int octaves);

std::vector<uint8_t> encodeTga(const Image& img);  // 32-bit, run-length, top-left origin
std::vector<uint8_t> encodeJpeg(const Image& img, int quality);
// A JPEG followed by one alpha byte per pixel, rows top to bottom.
std::vector<uint8_t> encodeAlphaJpeg(const Image& img, int quality);

bool writeTga(const std::string& outDir, const std::string& path, const Image& img);
bool writeJpeg(const std::string& outDir, const std::string& path, const Image& img, int quality = 90);
bool writeAlphaJpeg(const std::string& outDir, const std::string& path, const Image& img, int quality = 90);
bool writeText(const std::string& outDir, const std::string& path, const std::string& lfText);  // CR LF

// Image operations.
Image resized(const Image& src, int w, int h);  // box / bilinear resample
Image flattened(const Image& img, Rgb background);
void blurAlpha(Image& img, int radius);
// Soft drop shadow / outline under an image's shape.
Image withShadow(const Image& img, int radius, double dx, double dy, double opacity);

// Cairo conveniences.
inline void setRgb(cairo_t* cr, Rgb c, double a = 1.0) {
    cairo_set_source_rgba(cr, c.r, c.g, c.b, a);
}
inline Rgb mix(Rgb a, Rgb b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
inline Rgb scaled(Rgb a, double k) {
    return {a.r * k, a.g * k, a.b * k};
}
cairo_pattern_t* radialShade(double cx, double cy, double r, Rgb light, Rgb base, Rgb dark);
// Fills the current path with a metallic radial shading lit from the upper left.
void fillMetal(cairo_t* cr, double cx, double cy, double r, Rgb base, bool preserve = false);
void roundedRect(cairo_t* cr, double x, double y, double w, double h, double r);

// The ten charms and the two pick-ups, drawn centred on the origin within a
// radius of 1 (the caller scales). `turn` is the angle of the turn about the
// vertical axis in radians; `light` moves the highlight with it.
enum CharmKind {
    CharmBeads,
    CharmLantern,
    CharmYinYang,
    CharmBell,
    CharmSwords,
    CharmCoin,
    CharmCasket,
    CharmScroll,
    CharmVase,
    CharmFan,
    CharmHammer,
    CharmClock,
    CharmCount
};
void drawCharm(cairo_t* cr, int kind, double turn);
const char* charmSheetName(int kind);
// One charm at rest with its soft halo, size x size pixels (figure sheets, icons).
Image renderCharmIcon(int kind, int size);

// Text drawn with a font file through FreeType (no system font lookup, so the
// result does not depend on the machine's font configuration). The text is
// centred on x with its baseline on y; `outline` pixels of dark edge behind it.
void drawTitleText(cairo_t* cr, const char* fontFile, double size, const char* text, double x, double y,
                   Rgb fill, double outline);
constexpr const char* kTitleFont = "/usr/share/fonts/truetype/averia-gwf/AveriaSerifGWF-Bold.ttf";

// The painted back of that index over its sky and water, without the swaying
// branches: for the map pictures and the splash screens.
Image composedBack(int index);

#pragma once
// The drawing layer: the device's life, the display modes, frames, state toggles, blend
// presets, transforms and the quad family every presentation part draws with.
// Coordinates: the logical 800 x 600 screen, origin at its centre, x right, y up;
// a top-left pixel position (x, y) is (x - 400, 300 - y). 2D drawing uses z = 10.
#include <cstdint>

#include "platform/gpu.h"
#include "platform/matrix.h"
#include "resources/vector_math.h"

struct TextureRecord;

constexpr int kDisplayModeCapacity = 256;

struct DisplayMode {
    int32_t width, height;
    int32_t bits;              // 32 or 16
    int32_t displayFormat;     // 22 for 32 bits, 23 for 16 bits
    int32_t depthFormat;       // 71: a 32-bit depth buffer (all the GPU device uses)
    int32_t backBufferFormat;  // 21 for 32 bits, 23 for 16 bits
};
static_assert(sizeof(DisplayMode) == 24, "display mode records are six 32-bit fields");

struct Resolution {
    int32_t width, height;
};

// The usable modes (wider than 639, taller than 479, aspect within 0.01 of 1.33, 32 or
// 16 bits, each (bits, width, height) once) and each distinct resolution once, both in
// the order the system lists them.
struct DisplayModeList {
    DisplayMode modes[kDisplayModeCapacity];
    int modeCount;
    Resolution resolutions[kDisplayModeCapacity];
    int resolutionCount;
};

struct PlatformDisplayMode;
void buildDisplayModeList(DisplayModeList& list, const PlatformDisplayMode* modes, int count);
// The first mode of the wanted bits (32 when colourDepth32, else 16) and exactly the
// size; without one, the first mode; -1 for an empty list.
int chooseDisplayMode(const DisplayModeList& list, int width, int height, bool colourDepth32);
int findResolution(const DisplayModeList& list, int width, int height);  // index or -1

// A texture rectangle: s0, t0 (top-left) to s1, t1 (bottom-right) in texture units.
struct TextureRect {
    float s0, t0, s1, t1;
};
constexpr TextureRect kWholeTexture = {0, 0, 1, 1};

struct DrawState {
    float colourMultiplier[4];  // red, green, blue, alpha factors, 1 at start
    Matrix4 perspective;        // rebuilt when the window is created or resized
    float gamma;                // 0.5 neutral
    bool gammaChanged;
    bool modeChangeRequested;
    DisplayModeList displayModes;
    DisplayMode currentMode;
    int resolutionIndex;  // of the display size in the resolution list; kept in the settings
    int displayWidth, displayHeight;
    bool colourDepth32;
    bool verticalSync;
};
extern DrawState drawState;

// Device life. createDevice shows "Can't init OpenGL 3.3" ("Initialization failed") on failure.
bool createDevice();
void releaseDevice();  // gamma back to neutral first
void setPerspectiveFromClient();
void requestModeChange();  // takes effect in the next present()
void setGamma(float gamma);
// Full screen or an 800 x 600 window. The setting is the one record of which holds; this
// is the one function that changes it, and the window follows at once.
void setFullScreen(bool on);

// The gamma ramp: entry i = (gamma + 0.5) * i * 256, 65535 from where that reaches 65536.
void buildGammaRamp(float gamma, uint16_t ramp[256]);

// Frame.
void clearDepth(float depth);
void clearColour(uint32_t argb);
void beginFrame();
void endFrame();
void present();

// State codes for enable and disable.
enum StateCode : int {
    kStateLighting = 0,
    kStateDepthTest = 1,
    kStateDepthWrite = 2,
    kStateOrtho = 3,  // enable: orthographic 800 x 600, near 1, far 500; disable: the perspective
    kStateAlphaBlend = 4,
    kStateAlphaTest = 5,
    kStatePointSprites = 6,
    kStateFiltering = 7,
};
void enable(int code);
void disable(int code);

// 0: ordinary transparency; 1: additive glow (source colour, one); 2: replace.
void setBlend(int preset);
void setAlphaReference(int reference);
void setCulling(bool on);

// Depth test off, transparency, blending and alpha test (reference 1) on, filtering on,
// world and view identity, orthographic 800 x 600 with near 1 and far 100.
void begin2D();

void setWorld(const Matrix4* m);  // null: identity
void setView(const Matrix4* m);
void setProjection(const Matrix4& m);
void setOrtho(float width, float height, float zNear, float zFar);

void bindTexture(const TextureRecord* texture);  // null unbinds

// The quad family. Colours are ARGB words multiplied by the colour multiplier.
void drawQuadCentred(float x, float y, float w, float h, const TextureRect& rect, uint32_t colour, float z);
void drawQuadAt(Vector2 centre, float w, float h, const TextureRect& rect, uint32_t colour, float z);
void drawQuadRect(float x0, float y0, float x1, float y1, const TextureRect& rect, uint32_t colour, float z);
void drawQuadRotated(float x, float y, Vector2 pivot, float angleDegrees, float w, float h,
                     const TextureRect& rect, uint32_t colour, float z);
void drawQuadCorners(const Vector3 corners[4], const TextureRect& rect, uint32_t colour);
// A rectangle in top-left pixel coordinates; the texture rectangle is inset by 0.001.
void drawQuadPixels(float left, float top, float right, float bottom, const TextureRect& rect,
                    uint32_t colour);

// The colour multiplier applied to one ARGB word (each byte times its factor, truncated).
uint32_t multiplyColour(uint32_t argb, const float factors[4]);

// Lower-level drawing: caller vertex arrays (layout flags of platform/gpu.h) and lines.
void drawVertexArray(GpuPrimitive primitive, const void* vertices, int count, uint32_t flags);
void drawLine(const Vector3& from, const Vector3& to, uint32_t colour);

#include "app/draw.h"

#include <cmath>
#include <cstdio>

#include "app/settings.h"
#include "app/textures.h"
#include "platform/window.h"
#include "resources/fatal.h"

DrawState drawState = {
    {1, 1, 1, 1}, identityMatrix(), 0.5f, false, false, {}, {}, 0, 800, 600, false, false,
};

namespace {

void applyGamma() {
    gpuSetGammaFactor(drawState.gamma + 0.5f);
}

void chooseCurrentMode() {
    DrawState& s = drawState;
    int index = chooseDisplayMode(s.displayModes, s.displayWidth, s.displayHeight, s.colourDepth32);
    s.resolutionIndex = findResolution(s.displayModes, s.displayWidth, s.displayHeight);
    if (index >= 0)
        s.currentMode = s.displayModes.modes[index];
    else
        s.currentMode = {s.displayWidth, s.displayHeight, 32, 22, 71, 21};
}

GpuVertex vertex(float x, float y, float z, uint32_t colour, float u, float v) {
    return {x, y, z, colour, u, v};
}

}  // namespace

void buildDisplayModeList(DisplayModeList& list, const PlatformDisplayMode* modes, int count) {
    list.modeCount = 0;
    list.resolutionCount = 0;
    for (int i = 0; i < count; ++i) {
        const PlatformDisplayMode& m = modes[i];
        if (m.width <= 639 || m.height <= 479) continue;
        if (std::fabs(static_cast<float>(m.width) / static_cast<float>(m.height) - 1.33f) > 0.01f) continue;
        if (m.bits != 32 && m.bits != 16) continue;
        bool known = false;
        for (int j = 0; j < list.modeCount && !known; ++j) {
            const DisplayMode& d = list.modes[j];
            known = d.bits == m.bits && d.width == m.width && d.height == m.height;
        }
        if (known || list.modeCount == kDisplayModeCapacity) continue;
        bool deep = m.bits == 32;
        list.modes[list.modeCount++] = {m.width, m.height, m.bits, deep ? 22 : 23, 71, deep ? 21 : 23};
        if (findResolution(list, m.width, m.height) < 0 && list.resolutionCount < kDisplayModeCapacity)
            list.resolutions[list.resolutionCount++] = {m.width, m.height};
    }
}

int chooseDisplayMode(const DisplayModeList& list, int width, int height, bool colourDepth32) {
    int bits = colourDepth32 ? 32 : 16;
    for (int i = 0; i < list.modeCount; ++i) {
        const DisplayMode& d = list.modes[i];
        if (d.bits == bits && d.width == width && d.height == height) return i;
    }
    return list.modeCount > 0 ? 0 : -1;
}

int findResolution(const DisplayModeList& list, int width, int height) {
    for (int i = 0; i < list.resolutionCount; ++i)
        if (list.resolutions[i].width == width && list.resolutions[i].height == height) return i;
    return -1;
}

bool createDevice() {
    PlatformDisplayMode modes[kDisplayModeCapacity];
    int count = listDisplayModes(modes, kDisplayModeCapacity);
    buildDisplayModeList(drawState.displayModes, modes, count);
    chooseCurrentMode();
    if (!createGpuDevice()) {
        // The message box is the player's only notice; the program then ends.
        showMessageBox("Initialization failed", "Can't init OpenGL 3.3");
        return false;
    }
    drawState.gammaChanged = true;
    applyGamma();
    gpuResetState();
    return true;
}

void releaseDevice() {
    drawState.gamma = 0.5f;
    applyGamma();
    releaseAllTextures(textureTable);
    releaseGpuDevice();
}

void setPerspectiveFromClient() {
    // The scene is always shown in a 4:3 rectangle, whatever the window's shape.
    PixelRect size = mainDrawableSize();
    PixelRect box = letterboxRect(size.width, size.height);
    float aspect =
        box.height > 0 ? static_cast<float>(box.width) / static_cast<float>(box.height) : 4.0f / 3.0f;
    drawState.perspective = perspectiveMatrix(0.7853982f, aspect, 5.0f, 400.0f);
    gpuSetProjection(drawState.perspective);
}

void requestModeChange() {
    chooseCurrentMode();
    drawState.modeChangeRequested = true;
}

void setGamma(float gamma) {
    if (gamma != drawState.gamma) drawState.gammaChanged = true;
    drawState.gamma = gamma;
}

void setFullScreen(bool on) {
    if (on == (settings.fullScreen != 0)) return;
    settings.fullScreen = on ? 1 : 0;
    setMainWindowFullScreen(on);
    if (!on) setMainWindowSize(800, 600);
    setPerspectiveFromClient();
}

void buildGammaRamp(float gamma, uint16_t ramp[256]) {
    for (int i = 0; i < 256; ++i) {
        float value = (gamma + 0.5f) * static_cast<float>(i) * 256.0f;
        ramp[i] = value >= 65536.0f ? 65535 : static_cast<uint16_t>(value);
    }
}

void clearDepth(float depth) {
    gpuClearDepth(depth);
}
void clearColour(uint32_t argb) {
    gpuClearColour(argb);
}
void beginFrame() {
    gpuBeginFrame();
}
void endFrame() {
    gpuEndFrame();
}

void present() {
    if (drawState.gammaChanged) {
        applyGamma();
        drawState.gammaChanged = false;
    }
    gpuPresent();
    if (drawState.modeChangeRequested) {
        chooseCurrentMode();
        setMainWindowFullScreen(settings.fullScreen != 0);
        if (settings.fullScreen == 0) setMainWindowSize(drawState.displayWidth, drawState.displayHeight);
        gpuResetState();
        setPerspectiveFromClient();
        showMainWindow();
        drawState.modeChangeRequested = false;
    }
}

void enable(int code) {
    switch (code) {
        case kStateLighting:
            gpuSetLighting(true);
            break;
        case kStateDepthTest:
            gpuSetDepthTest(true);
            break;
        case kStateDepthWrite:
            gpuSetDepthWrite(true);
            break;
        case kStateOrtho:
            gpuSetProjection(orthoMatrix(800, 600, 1, 500));
            break;
        case kStateAlphaBlend:
            gpuSetBlending(true);
            break;
        case kStateAlphaTest:
            gpuSetAlphaTest(true);
            break;
        case kStatePointSprites:
            gpuSetPointSprites(true);
            break;
        case kStateFiltering:
            gpuSetFiltering(true);
            break;
        default:
            break;
    }
}

void disable(int code) {
    switch (code) {
        case kStateLighting:
            gpuSetLighting(false);
            break;
        case kStateDepthTest:
            gpuSetDepthTest(false);
            break;
        case kStateDepthWrite:
            gpuSetDepthWrite(false);
            break;
        case kStateOrtho:
            gpuSetProjection(drawState.perspective);
            break;
        case kStateAlphaBlend:
            gpuSetBlending(false);
            break;
        case kStateAlphaTest:
            gpuSetAlphaTest(false);
            break;
        case kStatePointSprites:
            gpuSetPointSprites(false);
            break;
        case kStateFiltering:
            gpuSetFiltering(false);
            break;
        default:
            break;
    }
}

void setBlend(int preset) {
    switch (preset) {
        case 0:
            gpuSetBlendFactors(BlendFactor::SourceAlpha, BlendFactor::InverseSourceAlpha);
            break;
        case 1:
            gpuSetBlendFactors(BlendFactor::SourceColour, BlendFactor::One);
            break;
        case 2:
            gpuSetBlendFactors(BlendFactor::One, BlendFactor::Zero);
            break;
        default:
            break;
    }
}

void setAlphaReference(int reference) {
    gpuSetAlphaReference(reference);
}
void setCulling(bool on) {
    gpuSetCulling(on);
}

void begin2D() {
    gpuSetDepthTest(false);
    setBlend(0);
    gpuSetBlending(true);
    gpuSetAlphaTest(true);
    gpuSetAlphaReference(1);
    gpuSetFiltering(true);
    gpuSetWorld(identityMatrix());
    gpuSetView(identityMatrix());
    gpuSetProjection(orthoMatrix(800, 600, 1, 100));
}

void setWorld(const Matrix4* m) {
    gpuSetWorld(m != nullptr ? *m : identityMatrix());
}
void setView(const Matrix4* m) {
    gpuSetView(m != nullptr ? *m : identityMatrix());
}
void setProjection(const Matrix4& m) {
    gpuSetProjection(m);
}
void setOrtho(float width, float height, float zNear, float zFar) {
    gpuSetProjection(orthoMatrix(width, height, zNear, zFar));
}

void bindTexture(const TextureRecord* texture) {
    gpuBindTexture(texture != nullptr ? texture->texture : 0);
}

uint32_t multiplyColour(uint32_t argb, const float factors[4]) {
    // Byte order of the word: alpha, red, green, blue from the top; factors are r, g, b, a.
    auto scale = [](uint32_t byte, float factor) {
        float value = static_cast<float>(byte) * factor;
        if (value <= 0.0f) return 0u;
        if (value >= 255.0f) return 255u;
        return static_cast<uint32_t>(value);
    };
    uint32_t a = scale(argb >> 24, factors[3]);
    uint32_t r = scale((argb >> 16) & 255, factors[0]);
    uint32_t g = scale((argb >> 8) & 255, factors[1]);
    uint32_t b = scale(argb & 255, factors[2]);
    return a << 24 | r << 16 | g << 8 | b;
}

void drawQuadCentred(float x, float y, float w, float h, const TextureRect& rect, uint32_t colour, float z) {
    uint32_t c = multiplyColour(colour, drawState.colourMultiplier);
    float hw = w / 2, hh = h / 2;
    GpuVertex corners[4] = {
        vertex(x + hw, y + hh, z, c, rect.s1, rect.t0), vertex(x + hw, y - hh, z, c, rect.s1, rect.t1),
        vertex(x - hw, y + hh, z, c, rect.s0, rect.t0), vertex(x - hw, y - hh, z, c, rect.s0, rect.t1)};
    gpuDrawQuad(corners);
}

void drawQuadAt(Vector2 centre, float w, float h, const TextureRect& rect, uint32_t colour, float z) {
    drawQuadCentred(centre.x, centre.y, w, h, rect, colour, z);
}

void drawQuadRect(float x0, float y0, float x1, float y1, const TextureRect& rect, uint32_t colour, float z) {
    uint32_t c = multiplyColour(colour, drawState.colourMultiplier);
    GpuVertex corners[4] = {vertex(x1, y0, z, c, rect.s1, rect.t0), vertex(x1, y1, z, c, rect.s1, rect.t1),
                            vertex(x0, y0, z, c, rect.s0, rect.t0), vertex(x0, y1, z, c, rect.s0, rect.t1)};
    gpuDrawQuad(corners);
}

void drawQuadRotated(float x, float y, Vector2 pivot, float angleDegrees, float w, float h,
                     const TextureRect& rect, uint32_t colour, float z) {
    uint32_t c = multiplyColour(colour, drawState.colourMultiplier);
    float radians = angleDegrees * 3.14159265f / 180.0f;
    float cosA = std::cos(radians), sinA = std::sin(radians);
    float hw = w / 2, hh = h / 2;
    float points[4][2] = {{x + hw, y + hh}, {x + hw, y - hh}, {x - hw, y + hh}, {x - hw, y - hh}};
    float texture[4][2] = {{rect.s1, rect.t0}, {rect.s1, rect.t1}, {rect.s0, rect.t0}, {rect.s0, rect.t1}};
    GpuVertex corners[4];
    for (int i = 0; i < 4; ++i) {
        float dx = points[i][0] - pivot.x, dy = points[i][1] - pivot.y;
        corners[i] = vertex(pivot.x + dx * cosA - dy * sinA, pivot.y + dx * sinA + dy * cosA, z, c,
                            texture[i][0], texture[i][1]);
    }
    gpuDrawQuad(corners);
}

void drawQuadCorners(const Vector3 corners[4], const TextureRect& rect, uint32_t colour) {
    uint32_t c = multiplyColour(colour, drawState.colourMultiplier);
    GpuVertex v[4] = {vertex(corners[0].x, corners[0].y, corners[0].z, c, rect.s1, rect.t0),
                      vertex(corners[1].x, corners[1].y, corners[1].z, c, rect.s1, rect.t1),
                      vertex(corners[2].x, corners[2].y, corners[2].z, c, rect.s0, rect.t0),
                      vertex(corners[3].x, corners[3].y, corners[3].z, c, rect.s0, rect.t1)};
    gpuDrawQuad(v);
}

void drawQuadPixels(float left, float top, float right, float bottom, const TextureRect& rect,
                    uint32_t colour) {
    TextureRect inset = {rect.s0 + 0.001f, rect.t0 + 0.001f, rect.s1 - 0.001f, rect.t1 - 0.001f};
    drawQuadRect(left - 400, 300 - top, right - 400, 300 - bottom, inset, colour, 10);
}

void drawVertexArray(GpuPrimitive primitive, const void* vertices, int count, uint32_t flags) {
    gpuDrawVertices(primitive, vertices, count, flags);
}

void drawLine(const Vector3& from, const Vector3& to, uint32_t colour) {
    gpuDrawLine(from.x, from.y, from.z, to.x, to.y, to.z, multiplyColour(colour, drawState.colourMultiplier));
}

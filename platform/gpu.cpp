#include "platform/gpu.h"

#include <SDL.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/window.h"

SDL_Window* platformSdlWindow();  // window.cpp

namespace {

constexpr int kBatchQuads = 4096;  // a full batch is sent and a new one begun
constexpr int kMeshCapacity = 1024;
constexpr int kStreamBytes = 1 << 20;  // caller vertex arrays larger than this are split

const char* const kSceneVertexShader = R"(#version 330 core
layout(location = 0) in vec3 aPosition;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec4 aColour;
layout(location = 3) in vec2 aTexCoord;
layout(location = 4) in float aPointSize;
uniform mat4 uTransform;
uniform mat4 uWorldView;
uniform int uLighting;
uniform vec4 uAmbient;
uniform int uPointScaling;
uniform float uViewportHeight;
out vec4 vColour;
out vec2 vTexCoord;
void main() {
    vec4 p = uTransform * vec4(aPosition, 1.0);
    // Depth 0..1 as the projections produce it, mapped onto the -1..1 clip range.
    gl_Position = vec4(p.x, p.y, 2.0 * p.z - p.w, p.w);
    vec4 colour = aColour;
    if (uLighting != 0) colour = vec4(colour.rgb * uAmbient.rgb, colour.a);
    vColour = colour;
    vTexCoord = aTexCoord;
    float size = aPointSize;
    if (uPointScaling != 0) {
        float d = length((uWorldView * vec4(aPosition, 1.0)).xyz);
        size = uViewportHeight * aPointSize * inversesqrt(max(5.0 * d + 5.0 * d * d, 1e-6));
    }
    gl_PointSize = max(size, 0.01);
}
)";

// The scene's fragment work, compiled once for each combination of what a draw can need
// (a texture, read at the vertex's coordinates or across a point sprite, and the alpha
// test), so that no pixel pays for a branch or a test its draw does not use: in a
// software renderer every instruction here runs for every pixel of the frame.
enum SceneProgramBits { kTexturedBit = 1, kSpriteCoordsBit = 2, kAlphaTestBit = 4 };
constexpr int kScenePrograms = 8;

const char* const kSceneFragmentShader = R"(
in vec4 vColour;
in vec2 vTexCoord;
uniform sampler2D uTexture;
uniform float uAlphaReference;
out vec4 fragColour;
void main() {
    vec4 colour = vColour;
#if TEXTURED && SPRITE_COORDS
    colour *= texture(uTexture, gl_PointCoord);
#elif TEXTURED
    colour *= texture(uTexture, vTexCoord);
#endif
#if ALPHA_TEST
    if (floor(colour.a * 255.0 + 0.5) < uAlphaReference) discard;
#endif
    fragColour = colour;
}
)";

const char* const kPresentVertexShader = R"(#version 330 core
const vec2 corners[4] = vec2[](vec2(-1.0, -1.0), vec2(1.0, -1.0), vec2(-1.0, 1.0), vec2(1.0, 1.0));
out vec2 vUv;
void main() {
    vec2 p = corners[gl_VertexID];
    vUv = p * 0.5 + 0.5;
    gl_Position = vec4(p, 0.0, 1.0);
}
)";

// The gamma curve: a ramp of 16-bit entries min(factor * i * 256, 65535) whose high
// byte is the displayed level; factor 1 is the identity.
const char* const kPresentFragmentShader = R"(#version 330 core
in vec2 vUv;
uniform sampler2D uScene;
uniform float uGammaFactor;
out vec4 fragColour;
void main() {
    vec3 level = floor(texture(uScene, vUv).rgb * 255.0 + 0.5);
    vec3 ramp = min(floor(uGammaFactor * level * 256.0), vec3(65535.0));
    fragColour = vec4(floor(ramp / 256.0) / 255.0, 1.0);
}
)";

struct SceneUniforms {
    GLint transform, worldView, lighting, ambient, pointScaling, viewportHeight, texture, alphaReference;
};

struct SceneProgram {
    GLuint program = 0;
    SceneUniforms uniforms{};
};

struct MeshRecord {
    GLuint vertexArray, vertexBuffer, indexBuffer;
    int vertexCount, indexCount;
};

struct RenderState {
    bool lighting = false;
    bool depthTest = false;
    bool depthWrite = true;
    bool blending = false;
    BlendFactor source = BlendFactor::One;
    BlendFactor destination = BlendFactor::Zero;
    bool alphaTest = false;
    int alphaReference = 128;
    bool pointSprites = true;
    bool filtering = false;
    bool culling = true;
    GpuTexture texture = 0;
    Matrix4 world = identityMatrix();
    Matrix4 view = identityMatrix();
    Matrix4 projection = identityMatrix();
};

struct Device {
    SDL_GLContext context = nullptr;
    SceneProgram scenePrograms[kScenePrograms];
    int sceneProgram = -1;  // the one in use, an index into scenePrograms
    GLuint presentProgram = 0;
    GLint presentScene = -1, presentGamma = -1;
    GLuint quadArray = 0, quadBuffer = 0, quadIndices = 0;
    GLuint streamArray = 0, streamBuffer = 0;
    GLuint emptyArray = 0;
    GLuint samplers[3] = {0, 0, 0};  // nearest; linear with mipmaps; linear on the top level only
    int boundSampler = -1;
    GLuint sceneFramebuffer = 0, sceneColour = 0, sceneDepth = 0;  // made only for a gamma curve
    int sceneWidth = 0, sceneHeight = 0;
    PixelRect sceneBox = {0, 0, 0, 0};  // the letterbox rectangle in the window, GL rows from the bottom
    bool direct = true;                 // this frame is drawn straight into the window
    bool frameStarted = false;          // something was drawn since the last present
    float gammaFactor = 1.0f;
    RenderState state;
    bool stateDirty = true;
    bool batching = true;
    GpuVertex batch[kBatchQuads * 4];
    int batchQuads = 0;
    int streamVertex = 0;  // where the next batch goes in the stream buffer
    int drawCalls = 0, lastDrawCalls = 0;
    int textureCount = 0;
    MeshRecord meshes[kMeshCapacity] = {};
    bool captureRequested = false;
    std::vector<uint8_t> capture;
    int captureWidth = 0, captureHeight = 0;
    char renderer[128] = "";
    bool syncsToDisplay = false;
    bool countingFill = false;
    GpuFill fill = {};
    // The size and levels of each live texture, by its GL name.
    struct TextureShape {
        int width, height, levels;
        // Every texel opaque white: a draw with it gives its colour unchanged, so it is drawn
        // without reading the texture at all (the same pixels, for less work per pixel).
        bool plainWhite;
    };
    std::vector<TextureShape> shapes;
};
Device* device = nullptr;

GLenum glBlendFactor(BlendFactor factor) {
    switch (factor) {
        case BlendFactor::Zero:
            return GL_ZERO;
        case BlendFactor::One:
            return GL_ONE;
        case BlendFactor::SourceColour:
            return GL_SRC_COLOR;
        case BlendFactor::InverseSourceColour:
            return GL_ONE_MINUS_SRC_COLOR;
        case BlendFactor::SourceAlpha:
            return GL_SRC_ALPHA;
        case BlendFactor::InverseSourceAlpha:
            return GL_ONE_MINUS_SRC_ALPHA;
        case BlendFactor::DestinationColour:
            return GL_DST_COLOR;
        case BlendFactor::DestinationAlpha:
            return GL_DST_ALPHA;
    }
    return GL_ONE;
}

GLuint compileProgram(const char* vertexSource, const char* fragmentSource) {
    GLuint shaders[2] = {glCreateShader(GL_VERTEX_SHADER), glCreateShader(GL_FRAGMENT_SHADER)};
    const char* sources[2] = {vertexSource, fragmentSource};
    GLuint program = glCreateProgram();
    for (int i = 0; i < 2; ++i) {
        glShaderSource(shaders[i], 1, &sources[i], nullptr);
        glCompileShader(shaders[i]);
        GLint ok = 0;
        glGetShaderiv(shaders[i], GL_COMPILE_STATUS, &ok);
        if (!ok) {
            char log[1024];
            glGetShaderInfoLog(shaders[i], sizeof log, nullptr, log);
            std::fprintf(stderr, "shader: %s\n", log);
        }
        glAttachShader(program, shaders[i]);
    }
    glLinkProgram(program);
    for (GLuint shader : shaders) glDeleteShader(shader);
    GLint linked = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (!linked) {
        glDeleteProgram(program);
        return 0;
    }
    return program;
}

void uploadMatrix(GLint location, const Matrix4& m) {
    // Our matrices multiply row vectors; GL's column-major reading of the same floats
    // gives the transpose, which multiplies column vectors the same way.
    glUniformMatrix4fv(location, 1, GL_FALSE, &m.m[0][0]);
}

enum Sampler { kNearest = 0, kLinearMipmaps = 1, kLinearTop = 2 };

// Brings GL up to date with the recorded state before a draw. sampler: which filter
// reads the texture when filtering is on (see flushQuads).
void applyState(bool spriteCoords, int sampler = kLinearMipmaps) {
    Device& d = *device;
    const RenderState& s = d.state;
    const bool textured = s.texture != 0 && !(s.texture < d.shapes.size() && d.shapes[s.texture].plainWhite);
    int bits = 0;
    if (textured) bits |= kTexturedBit;
    if (textured && spriteCoords && s.pointSprites) bits |= kSpriteCoordsBit;
    if (s.alphaTest) bits |= kAlphaTestBit;
    if (bits != d.sceneProgram) {
        // Uniforms belong to a program: the one taken over is brought up to date below.
        glUseProgram(d.scenePrograms[bits].program);
        d.sceneProgram = bits;
        d.stateDirty = true;
    }
    const SceneUniforms& uniforms = d.scenePrograms[bits].uniforms;
    const int wanted = s.filtering ? sampler : kNearest;
    if (d.stateDirty || wanted != d.boundSampler) {
        glBindSampler(0, d.samplers[wanted]);
        d.boundSampler = wanted;
    }
    if (!d.stateDirty) return;
    d.stateDirty = false;
    if (s.depthTest)
        glEnable(GL_DEPTH_TEST);
    else
        glDisable(GL_DEPTH_TEST);
    glDepthMask(s.depthWrite ? GL_TRUE : GL_FALSE);
    glDepthFunc(GL_LEQUAL);
    if (s.blending)
        glEnable(GL_BLEND);
    else
        glDisable(GL_BLEND);
    glBlendFunc(glBlendFactor(s.source), glBlendFactor(s.destination));
    if (s.culling)
        glEnable(GL_CULL_FACE);
    else
        glDisable(GL_CULL_FACE);
    Matrix4 worldView = multiply(s.world, s.view);
    uploadMatrix(uniforms.transform, multiply(worldView, s.projection));
    uploadMatrix(uniforms.worldView, worldView);
    glUniform1i(uniforms.lighting, s.lighting ? 1 : 0);
    glUniform4f(uniforms.ambient, 1, 1, 1, 1);
    glUniform1i(uniforms.pointScaling, s.pointSprites ? 1 : 0);
    glUniform1f(uniforms.viewportHeight, static_cast<float>(d.sceneHeight));
    glUniform1f(uniforms.alphaReference, static_cast<float>(s.alphaReference));
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, s.texture);
}

// Whether a filtered texture needs its smaller levels for the queued quads: only where
// some quad shrinks it, more than one texel falling on a pixel. Everywhere else the
// filter reads the top level alone whatever the sampler says, and the sampler without
// levels reads the same texels for far less work in a software renderer (whose faster
// path may round a blended channel one level differently, nothing a player can see). The texels per
// pixel are bounded from above (the sum of both directions' changes), so a quad near
// one to one counts as shrinking.
bool quadsShrinkTexture() {
    Device& d = *device;
    const RenderState& s = d.state;
    if (s.texture >= d.shapes.size() || d.shapes[s.texture].levels <= 1) return false;
    const double tw = d.shapes[s.texture].width, th = d.shapes[s.texture].height;
    const Matrix4 transform = multiply(multiply(s.world, s.view), s.projection);
    for (int q = 0; q < d.batchQuads; ++q) {
        const GpuVertex* v = &d.batch[q * 4];
        double px[4], py[4];
        for (int k = 0; k < 4; ++k) {
            double clip[4];
            for (int c = 0; c < 4; ++c)
                clip[c] = v[k].x * transform.m[0][c] + v[k].y * transform.m[1][c] +
                          v[k].z * transform.m[2][c] + transform.m[3][c];
            if (clip[3] <= 1e-6) return true;
            px[k] = (clip[0] / clip[3] + 1) * 0.5 * d.sceneWidth;
            py[k] = (clip[1] / clip[3] + 1) * 0.5 * d.sceneHeight;
        }
        // Each triangle of the strip maps pixels to texels linearly: J = T E^-1.
        const int triangles[2][3] = {{0, 1, 2}, {2, 1, 3}};
        for (const auto& t : triangles) {
            const double ex1 = px[t[1]] - px[t[0]], ey1 = py[t[1]] - py[t[0]];
            const double ex2 = px[t[2]] - px[t[0]], ey2 = py[t[2]] - py[t[0]];
            const double det = ex1 * ey2 - ex2 * ey1;
            if (det > -1e-9 && det < 1e-9) continue;  // no pixels
            const double tu1 = (v[t[1]].u - v[t[0]].u) * tw, tv1 = (v[t[1]].v - v[t[0]].v) * th;
            const double tu2 = (v[t[2]].u - v[t[0]].u) * tw, tv2 = (v[t[2]].v - v[t[0]].v) * th;
            const double dudx = (tu1 * ey2 - tu2 * ey1) / det, dudy = (tu2 * ex1 - tu1 * ex2) / det;
            const double dvdx = (tv1 * ey2 - tv2 * ey1) / det, dvdy = (tv2 * ex1 - tv1 * ex2) / det;
            const double across = std::abs(dudx) + std::abs(dvdx), down = std::abs(dudy) + std::abs(dvdy);
            if (across > 0.95 || down > 0.95) return true;
        }
    }
    return false;
}

// The area in pixels of a quad after the transform, clipped to the scene.
double coveredPixels(const GpuVertex* corners, const Matrix4& transform, int width, int height) {
    struct Point {
        double x, y;
    };
    Point polygon[12];
    int count = 0;
    const int order[4] = {0, 1, 3, 2};  // the strip's corners around the quad
    for (int k : order) {
        const GpuVertex& v = corners[k];
        double clip[4];
        for (int c = 0; c < 4; ++c)
            clip[c] = v.x * transform.m[0][c] + v.y * transform.m[1][c] + v.z * transform.m[2][c] +
                      transform.m[3][c];
        if (clip[3] <= 1e-6) return 0;
        polygon[count++] = {(clip[0] / clip[3] + 1) * 0.5 * width, (clip[1] / clip[3] + 1) * 0.5 * height};
    }
    // Clipped against each edge of the scene in turn.
    const double limits[4] = {0, static_cast<double>(width), 0, static_cast<double>(height)};
    for (int edge = 0; edge < 4 && count > 0; ++edge) {
        Point in[12];
        std::copy(polygon, polygon + count, in);
        const int n = count;
        count = 0;
        const bool onY = edge >= 2, keepAbove = edge % 2 == 0;
        auto inside = [&](const Point& p) {
            const double value = onY ? p.y : p.x;
            return keepAbove ? value >= limits[edge] : value <= limits[edge];
        };
        for (int i = 0; i < n; ++i) {
            const Point& a = in[i];
            const Point& b = in[(i + 1) % n];
            if (inside(a)) polygon[count++] = a;
            if (inside(a) != inside(b) && count < 12) {
                const double av = onY ? a.y : a.x, bv = onY ? b.y : b.x;
                const double t = (limits[edge] - av) / (bv - av);
                polygon[count++] = {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
            }
        }
    }
    double twice = 0;
    for (int i = 0; i < count; ++i)
        twice += polygon[i].x * polygon[(i + 1) % count].y - polygon[(i + 1) % count].x * polygon[i].y;
    return twice < 0 ? -twice / 2 : twice / 2;
}

void countFill() {
    Device& d = *device;
    const RenderState& s = d.state;
    const Matrix4 transform = multiply(multiply(s.world, s.view), s.projection);
    double pixels = 0;
    for (int q = 0; q < d.batchQuads; ++q)
        pixels += coveredPixels(&d.batch[q * 4], transform, d.sceneWidth, d.sceneHeight);
    if (!s.blending)
        d.fill.opaque += pixels;
    else if (s.destination == BlendFactor::One)
        d.fill.additive += pixels;
    else
        d.fill.blended += pixels;
    d.fill.quads += d.batchQuads;
}

void flushQuads() {
    Device& d = *device;
    if (d.batchQuads == 0) return;
    if (d.countingFill) countFill();
    applyState(false, d.state.filtering && !quadsShrinkTexture() ? kLinearTop : kLinearMipmaps);
    glBindVertexArray(d.quadArray);
    glBindBuffer(GL_ARRAY_BUFFER, d.quadBuffer);
    // Batches are appended to the stream buffer one after the other; only when it is
    // full is it replaced by a fresh one, so a small batch costs no buffer reallocation.
    int vertices = d.batchQuads * 4;
    if (d.streamVertex + vertices > kBatchQuads * 4) {
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(sizeof d.batch), nullptr, GL_STREAM_DRAW);
        d.streamVertex = 0;
    }
    GLsizeiptr bytes = static_cast<GLsizeiptr>(vertices) * sizeof(GpuVertex);
    GLintptr offset = static_cast<GLintptr>(d.streamVertex) * sizeof(GpuVertex);
    void* target =
        glMapBufferRange(GL_ARRAY_BUFFER, offset, bytes,
                         GL_MAP_WRITE_BIT | GL_MAP_UNSYNCHRONIZED_BIT | GL_MAP_INVALIDATE_RANGE_BIT);
    if (target != nullptr) {
        std::memcpy(target, d.batch, static_cast<size_t>(bytes));
        glUnmapBuffer(GL_ARRAY_BUFFER);
        glDrawElementsBaseVertex(GL_TRIANGLES, d.batchQuads * 6, GL_UNSIGNED_SHORT, nullptr, d.streamVertex);
    }
    d.streamVertex += vertices;
    ++d.drawCalls;
    d.batchQuads = 0;
}

// Every setter sends the queued quads before the state they were issued with changes.
template <typename T>
void changeState(T& field, const T& value) {
    if (device == nullptr) {
        field = value;
        return;
    }
    if (std::memcmp(&field, &value, sizeof(T)) == 0) return;
    flushQuads();
    field = value;
    device->stateDirty = true;
}

// The scene is drawn straight into the window's letterbox rectangle, clipped to it,
// unless a gamma curve other than the identity is set: then into a buffer of that size,
// which the present copies into the window through the curve. Drawing straight saves a
// full-screen pass and the buffer's memory; the pixels are the same.
bool ensureSceneBuffer() {
    Device& d = *device;
    PixelRect drawable = mainDrawableSize();
    PixelRect box = letterboxRect(drawable.width, drawable.height);
    if (box.width <= 0 || box.height <= 0) return d.direct || d.sceneFramebuffer != 0;
    const bool direct = d.gammaFactor == 1.0f;
    if (direct != d.direct || box.width != d.sceneWidth || box.height != d.sceneHeight)
        d.stateDirty = true;  // the viewport height is a uniform
    d.direct = direct;
    d.sceneWidth = box.width;
    d.sceneHeight = box.height;
    d.sceneBox = {box.x, drawable.height - box.y - box.height, box.width, box.height};
    if (direct) {
        if (d.sceneFramebuffer != 0) {
            glDeleteFramebuffers(1, &d.sceneFramebuffer);
            glDeleteTextures(1, &d.sceneColour);
            glDeleteRenderbuffers(1, &d.sceneDepth);
            d.sceneFramebuffer = d.sceneColour = d.sceneDepth = 0;
        }
        return true;
    }
    GLint width = 0, height = 0;
    if (d.sceneFramebuffer != 0) {
        glBindTexture(GL_TEXTURE_2D, d.sceneColour);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
        d.stateDirty = true;  // the bound texture changed
        if (width == box.width && height == box.height) return true;
    } else {
        glGenFramebuffers(1, &d.sceneFramebuffer);
        glGenTextures(1, &d.sceneColour);
        glGenRenderbuffers(1, &d.sceneDepth);
    }
    glBindTexture(GL_TEXTURE_2D, d.sceneColour);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, box.width, box.height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glBindRenderbuffer(GL_RENDERBUFFER, d.sceneDepth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, box.width, box.height);
    glBindFramebuffer(GL_FRAMEBUFFER, d.sceneFramebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, d.sceneColour, 0);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, d.sceneDepth);
    d.stateDirty = true;
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

// Follows the window's size first, so a clear right after a resize reaches the new
// target. The first binding after a present clears the bars beside the letterbox.
void bindScene() {
    Device& d = *device;
    ensureSceneBuffer();
    const PixelRect& box = d.sceneBox;
    if (!d.direct) {
        glBindFramebuffer(GL_FRAMEBUFFER, d.sceneFramebuffer);
        glDisable(GL_SCISSOR_TEST);
        glViewport(0, 0, d.sceneWidth, d.sceneHeight);
        d.frameStarted = true;
        return;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (!d.frameStarted) {
        d.frameStarted = true;
        PixelRect drawable = mainDrawableSize();
        if (box.x != 0 || box.y != 0 || box.width != drawable.width || box.height != drawable.height) {
            glDisable(GL_SCISSOR_TEST);
            glClearColor(0, 0, 0, 1);
            glClear(GL_COLOR_BUFFER_BIT);
        }
    }
    glViewport(box.x, box.y, box.width, box.height);
    glScissor(box.x, box.y, box.width, box.height);
    glEnable(GL_SCISSOR_TEST);
}

void readRows(int x, int y, int width, int height, std::vector<uint8_t>& rgba) {
    rgba.assign(static_cast<size_t>(width) * height * 4, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    // GL rows run from the bottom; callers want them from the top.
    std::vector<uint8_t> row(static_cast<size_t>(width) * 4);
    for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
        uint8_t* a = rgba.data() + static_cast<size_t>(top) * width * 4;
        uint8_t* b = rgba.data() + static_cast<size_t>(bottom) * width * 4;
        std::memcpy(row.data(), a, row.size());
        std::memcpy(a, b, row.size());
        std::memcpy(b, row.data(), row.size());
    }
}

void setVertexLayout(uint32_t flags, const uint8_t* base) {
    int stride = vertexStride(flags);
    size_t offset = 0;
    auto attribute = [&](GLuint index, bool present, GLint size, GLenum type, bool normalised, size_t bytes) {
        if (present) {
            glEnableVertexAttribArray(index);
            glVertexAttribPointer(index, size, type, normalised ? GL_TRUE : GL_FALSE, stride, base + offset);
            offset += bytes;
        } else {
            glDisableVertexAttribArray(index);
        }
    };
    attribute(0, (flags & kVertexPosition) != 0, 3, GL_FLOAT, false, 12);
    attribute(1, (flags & kVertexNormal) != 0, 3, GL_FLOAT, false, 12);
    attribute(4, (flags & kVertexPointSize) != 0, 1, GL_FLOAT, false, 4);
    attribute(2, (flags & kVertexDiffuse) != 0, GL_BGRA, GL_UNSIGNED_BYTE, true, 4);
    if (flags & kVertexSpecular) offset += 4;
    attribute(3, (flags & kVertexTexture) != 0, 2, GL_FLOAT, false, 8);
}

GLenum glPrimitive(GpuPrimitive primitive) {
    switch (primitive) {
        case GpuPrimitive::Triangles:
            return GL_TRIANGLES;
        case GpuPrimitive::TriangleStrip:
            return GL_TRIANGLE_STRIP;
        case GpuPrimitive::TriangleFan:
            return GL_TRIANGLE_FAN;
        case GpuPrimitive::Lines:
            return GL_LINES;
        case GpuPrimitive::LineStrip:
            return GL_LINE_STRIP;
        case GpuPrimitive::Points:
            return GL_POINTS;
    }
    return GL_TRIANGLES;
}

}  // namespace

int vertexStride(uint32_t flags) {
    int stride = 0;
    if (flags & kVertexPosition) stride += 12;
    if (flags & kVertexNormal) stride += 12;
    if (flags & kVertexPointSize) stride += 4;
    if (flags & kVertexDiffuse) stride += 4;
    if (flags & kVertexSpecular) stride += 4;
    if (flags & kVertexTexture) stride += 8;
    return stride;
}

bool createGpuDevice() {
    if (device != nullptr) return true;
    SDL_Window* window = platformSdlWindow();
    if (window == nullptr) return false;
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (context == nullptr) return false;
    if (epoxy_gl_version() < 33) {
        SDL_GL_DeleteContext(context);
        return false;
    }
    device = new Device;
    Device& d = *device;
    d.context = context;
    std::snprintf(d.renderer, sizeof d.renderer, "%s",
                  reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    bool compiled = true;
    for (int bits = 0; bits < kScenePrograms; ++bits) {
        char fragment[1024];
        std::snprintf(fragment, sizeof fragment,
                      "#version 330 core\n#define TEXTURED %d\n#define SPRITE_COORDS %d\n"
                      "#define ALPHA_TEST %d\n%s",
                      bits & kTexturedBit ? 1 : 0, bits & kSpriteCoordsBit ? 1 : 0,
                      bits & kAlphaTestBit ? 1 : 0, kSceneFragmentShader);
        SceneProgram& scene = d.scenePrograms[bits];
        scene.program = compileProgram(kSceneVertexShader, fragment);
        if (scene.program == 0) {
            compiled = false;
            continue;
        }
        const GLuint p = scene.program;
        scene.uniforms = {
            glGetUniformLocation(p, "uTransform"),    glGetUniformLocation(p, "uWorldView"),
            glGetUniformLocation(p, "uLighting"),     glGetUniformLocation(p, "uAmbient"),
            glGetUniformLocation(p, "uPointScaling"), glGetUniformLocation(p, "uViewportHeight"),
            glGetUniformLocation(p, "uTexture"),      glGetUniformLocation(p, "uAlphaReference")};
        glUseProgram(p);
        glUniform1i(scene.uniforms.texture, 0);
    }
    d.presentProgram = compileProgram(kPresentVertexShader, kPresentFragmentShader);
    if (!compiled || d.presentProgram == 0) {
        releaseGpuDevice();
        return false;
    }
    d.presentScene = glGetUniformLocation(d.presentProgram, "uScene");
    d.presentGamma = glGetUniformLocation(d.presentProgram, "uGammaFactor");

    // Quads: one stream buffer and a fixed index list (0 1 2, 2 1 3 per quad).
    glGenVertexArrays(1, &d.quadArray);
    glBindVertexArray(d.quadArray);
    glGenBuffers(1, &d.quadBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, d.quadBuffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof d.batch, nullptr, GL_STREAM_DRAW);
    setVertexLayout(kVertexPosition | kVertexDiffuse | kVertexTexture, nullptr);
    std::vector<uint16_t> indices(kBatchQuads * 6);
    for (int q = 0; q < kBatchQuads; ++q) {
        uint16_t b = static_cast<uint16_t>(q * 4);
        uint16_t quad[6] = {b,
                            static_cast<uint16_t>(b + 1),
                            static_cast<uint16_t>(b + 2),
                            static_cast<uint16_t>(b + 2),
                            static_cast<uint16_t>(b + 1),
                            static_cast<uint16_t>(b + 3)};
        std::memcpy(&indices[q * 6], quad, sizeof quad);
    }
    glGenBuffers(1, &d.quadIndices);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, d.quadIndices);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * 2), indices.data(),
                 GL_STATIC_DRAW);

    glGenVertexArrays(1, &d.streamArray);
    glGenBuffers(1, &d.streamBuffer);
    glGenVertexArrays(1, &d.emptyArray);
    glBindVertexArray(0);

    // Values of attributes a layout leaves out: white, no normal, size 1.
    glVertexAttrib4f(2, 1, 1, 1, 1);
    glVertexAttrib3f(1, 0, 0, 0);
    glVertexAttrib2f(3, 0, 0);
    glVertexAttrib1f(4, 1);

    glGenSamplers(3, d.samplers);
    for (int i = 0; i < 3; ++i) {
        glSamplerParameteri(d.samplers[i], GL_TEXTURE_WRAP_S, GL_REPEAT);
        glSamplerParameteri(d.samplers[i], GL_TEXTURE_WRAP_T, GL_REPEAT);
    }
    glSamplerParameteri(d.samplers[0], GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glSamplerParameteri(d.samplers[0], GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glSamplerParameteri(d.samplers[1], GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glSamplerParameteri(d.samplers[1], GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glSamplerParameteri(d.samplers[2], GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glSamplerParameteri(d.samplers[2], GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glFrontFace(GL_CW);  // faces that appear counter-clockwise are the back faces
    glCullFace(GL_BACK);
    glEnable(GL_PROGRAM_POINT_SIZE);
    d.syncsToDisplay = SDL_GL_SetSwapInterval(1) == 0;
    if (!ensureSceneBuffer()) {
        releaseGpuDevice();
        return false;
    }
    gpuResetState();
    return true;
}

void releaseGpuDevice() {
    if (device == nullptr) return;
    Device& d = *device;
    for (MeshRecord& mesh : d.meshes) {
        if (mesh.vertexArray != 0) {
            glDeleteVertexArrays(1, &mesh.vertexArray);
            glDeleteBuffers(1, &mesh.vertexBuffer);
            if (mesh.indexBuffer != 0) glDeleteBuffers(1, &mesh.indexBuffer);
        }
    }
    GLuint buffers[4] = {d.quadBuffer, d.quadIndices, d.streamBuffer, 0};
    glDeleteBuffers(3, buffers);
    GLuint arrays[3] = {d.quadArray, d.streamArray, d.emptyArray};
    glDeleteVertexArrays(3, arrays);
    glDeleteSamplers(3, d.samplers);
    if (d.sceneFramebuffer != 0) {
        glDeleteFramebuffers(1, &d.sceneFramebuffer);
        glDeleteTextures(1, &d.sceneColour);
        glDeleteRenderbuffers(1, &d.sceneDepth);
    }
    for (const SceneProgram& scene : d.scenePrograms)
        if (scene.program != 0) glDeleteProgram(scene.program);
    if (d.presentProgram != 0) glDeleteProgram(d.presentProgram);
    SDL_GL_DeleteContext(d.context);
    delete device;
    device = nullptr;
}

bool gpuDeviceExists() {
    return device != nullptr;
}
const char* gpuRendererName() {
    return device != nullptr ? device->renderer : "";
}
bool gpuSyncsToDisplay() {
    return device != nullptr && device->syncsToDisplay;
}

void gpuResetState() {
    if (device == nullptr) return;
    flushQuads();
    RenderState fresh;
    fresh.texture = device->state.texture;
    fresh.world = device->state.world;
    fresh.view = device->state.view;
    fresh.projection = device->state.projection;
    device->state = fresh;
    device->stateDirty = true;
}

void gpuBeginFrame() {
    if (device == nullptr) return;
    bindScene();
    device->stateDirty = true;
}

void gpuEndFrame() {
    if (device != nullptr) flushQuads();
}

void gpuClearColour(uint32_t argb) {
    if (device == nullptr) return;
    flushQuads();
    bindScene();
    glClearColor(((argb >> 16) & 255) / 255.0f, ((argb >> 8) & 255) / 255.0f, (argb & 255) / 255.0f,
                 ((argb >> 24) & 255) / 255.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    if (device->countingFill)
        device->fill.cleared += static_cast<double>(device->sceneWidth) * device->sceneHeight;
}

void gpuClearDepth(float depth) {
    if (device == nullptr) return;
    flushQuads();
    bindScene();
    glDepthMask(GL_TRUE);
    glClearDepth(depth);
    glClear(GL_DEPTH_BUFFER_BIT);
    glDepthMask(device->state.depthWrite ? GL_TRUE : GL_FALSE);
}

void gpuSetGammaFactor(float factor) {
    if (device != nullptr) device->gammaFactor = factor;
}

// Draws a picture of the scene into the window's letterbox rectangle through the gamma
// curve.
void drawThroughCurve(GLuint scene, const PixelRect& box) {
    Device& d = *device;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDisable(GL_SCISSOR_TEST);
    glViewport(box.x, box.y, box.width, box.height);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glUseProgram(d.presentProgram);
    d.sceneProgram = -1;  // the next scene draw takes its program back
    glUniform1i(d.presentScene, 0);
    glUniform1f(d.presentGamma, d.gammaFactor);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, scene);
    glBindSampler(0, 0);
    glBindVertexArray(d.emptyArray);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glBindVertexArray(0);
}

// A gamma curve set after the frame began straight in the window (the next frame goes
// through the buffer): the frame is copied out of the window and drawn back through it,
// so the curve shows from the frame it was set in.
void curveDirectFrame() {
    Device& d = *device;
    const PixelRect& box = d.sceneBox;
    if (box.width <= 0 || box.height <= 0) return;
    GLuint copy = 0;
    glGenTextures(1, &copy);
    glBindTexture(GL_TEXTURE_2D, copy);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, box.x, box.y, box.width, box.height, 0);
    drawThroughCurve(copy, box);
    glDeleteTextures(1, &copy);
}

void gpuPresent() {
    if (device == nullptr) return;
    Device& d = *device;
    flushQuads();
    PixelRect drawable = mainDrawableSize();
    PixelRect box = letterboxRect(drawable.width, drawable.height);
    if (!d.frameStarted) bindScene();  // nothing drawn: the bars and the scene's place are black
    if (d.direct && d.gammaFactor != 1.0f) {
        curveDirectFrame();
    } else if (!d.direct) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glViewport(0, 0, drawable.width, drawable.height);
        glDisable(GL_SCISSOR_TEST);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        if (box.width > 0 && box.height > 0)
            drawThroughCurve(d.sceneColour,
                             {box.x, drawable.height - box.y - box.height, box.width, box.height});
    }
    if (d.captureRequested) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        readRows(0, 0, drawable.width, drawable.height, d.capture);
        d.captureWidth = drawable.width;
        d.captureHeight = drawable.height;
        d.captureRequested = false;
    }
    SDL_GL_SwapWindow(platformSdlWindow());
    d.frameStarted = false;
    d.stateDirty = true;
    d.lastDrawCalls = d.drawCalls;
    d.drawCalls = 0;
}

int gpuDrawCallsThisFrame() {
    return device != nullptr ? device->drawCalls : 0;
}
int gpuDrawCallsLastFrame() {
    return device != nullptr ? device->lastDrawCalls : 0;
}

void gpuCountFill(bool on) {
    if (device == nullptr) return;
    flushQuads();
    device->countingFill = on;
}

GpuFill gpuTakeFill() {
    if (device == nullptr) return {};
    flushQuads();
    GpuFill taken = device->fill;
    device->fill = {};
    return taken;
}

void gpuSetBatching(bool on) {
    if (device == nullptr) return;
    flushQuads();
    device->batching = on;
}

void gpuSetLighting(bool on) {
    if (device) changeState(device->state.lighting, on);
}
void gpuSetDepthTest(bool on) {
    if (device) changeState(device->state.depthTest, on);
}
void gpuSetDepthWrite(bool on) {
    if (device) changeState(device->state.depthWrite, on);
}
void gpuSetBlending(bool on) {
    if (device) changeState(device->state.blending, on);
}
void gpuSetBlendFactors(BlendFactor source, BlendFactor destination) {
    if (device == nullptr) return;
    changeState(device->state.source, source);
    changeState(device->state.destination, destination);
}
void gpuSetAlphaTest(bool on) {
    if (device) changeState(device->state.alphaTest, on);
}
void gpuSetAlphaReference(int reference) {
    if (device) changeState(device->state.alphaReference, reference);
}
void gpuSetPointSprites(bool on) {
    if (device) changeState(device->state.pointSprites, on);
}
void gpuSetFiltering(bool on) {
    if (device) changeState(device->state.filtering, on);
}
void gpuSetCulling(bool on) {
    if (device) changeState(device->state.culling, on);
}
void gpuSetWorld(const Matrix4& m) {
    if (device) changeState(device->state.world, m);
}
void gpuSetView(const Matrix4& m) {
    if (device) changeState(device->state.view, m);
}
void gpuSetProjection(const Matrix4& m) {
    if (device) changeState(device->state.projection, m);
}

const Matrix4& gpuProjection() {
    static const Matrix4 none = identityMatrix();
    return device != nullptr ? device->state.projection : none;
}

namespace {

bool allWhite(const uint8_t* pixels, int width, int height) {
    const size_t bytes = static_cast<size_t>(width) * height * 4;
    for (size_t i = 0; i < bytes; ++i)
        if (pixels[i] != 255) return false;
    return true;
}

}  // namespace

GpuTexture gpuCreateTexture(int width, int height, const uint8_t* pixels, int levels) {
    if (device == nullptr || width <= 0 || height <= 0) return 0;
    GLint limit = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &limit);
    if (width > limit || height > limit) return 0;
    flushQuads();
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    std::vector<uint8_t> blank;
    if (pixels == nullptr) {
        blank.assign(static_cast<size_t>(width) * height * 4, 0);
        pixels = blank.data();
    }
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, pixels);
    int maxLevel = levels > 1 ? levels - 1 : 0;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, maxLevel);
    if (maxLevel > 0) glGenerateMipmap(GL_TEXTURE_2D);
    device->stateDirty = true;
    if (glGetError() != GL_NO_ERROR) {
        glDeleteTextures(1, &texture);
        return 0;
    }
    ++device->textureCount;
    if (device->shapes.size() <= texture) device->shapes.resize(texture + 1);
    device->shapes[texture] = {width, height, maxLevel + 1, blank.empty() && allWhite(pixels, width, height)};
    return texture;
}

bool gpuUpdateTexture(GpuTexture texture, int width, int height, const uint8_t* pixels) {
    if (device == nullptr || texture == 0 || pixels == nullptr) return false;
    flushQuads();
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, pixels);
    if (texture < device->shapes.size()) {
        Device::TextureShape& shape = device->shapes[texture];
        const bool whole = width >= shape.width && height >= shape.height;
        shape.plainWhite = (whole || shape.plainWhite) && allWhite(pixels, width, height);
    }
    GLint maxLevel = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, &maxLevel);
    if (maxLevel > 0) glGenerateMipmap(GL_TEXTURE_2D);
    device->stateDirty = true;
    return glGetError() == GL_NO_ERROR;
}

bool gpuReadTexture(GpuTexture texture, int width, int height, std::vector<uint8_t>& out) {
    if (device == nullptr || texture == 0 || width <= 0 || height <= 0) return false;
    flushQuads();
    glBindTexture(GL_TEXTURE_2D, texture);
    GLint realWidth = 0, realHeight = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &realWidth);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &realHeight);
    device->stateDirty = true;
    if (realWidth != width || realHeight != height) return false;
    out.assign(static_cast<size_t>(width) * height * 4, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_BGRA, GL_UNSIGNED_BYTE, out.data());
    return glGetError() == GL_NO_ERROR;
}

void gpuReleaseTexture(GpuTexture texture) {
    if (device == nullptr || texture == 0) return;
    flushQuads();
    if (device->state.texture == texture) {
        device->state.texture = 0;
        device->stateDirty = true;
    }
    glDeleteTextures(1, &texture);
    if (texture < device->shapes.size()) device->shapes[texture] = {};
    --device->textureCount;
}

void gpuBindTexture(GpuTexture texture) {
    if (device != nullptr) changeState(device->state.texture, texture);
}

int gpuTextureCount() {
    return device != nullptr ? device->textureCount : 0;
}

void gpuDrawQuad(const GpuVertex corners[4]) {
    if (device == nullptr) return;
    Device& d = *device;
    if (d.batchQuads == kBatchQuads) flushQuads();
    std::memcpy(&d.batch[d.batchQuads * 4], corners, 4 * sizeof(GpuVertex));
    ++d.batchQuads;
    if (!d.batching) flushQuads();
}

void gpuDrawVertices(GpuPrimitive primitive, const void* vertices, int count, uint32_t flags) {
    if (device == nullptr || vertices == nullptr || count <= 0 || (flags & kVertexPosition) == 0) return;
    Device& d = *device;
    flushQuads();
    int stride = vertexStride(flags);
    if (static_cast<long>(count) * stride > kStreamBytes) return;  // larger arrays belong in a mesh
    applyState(primitive == GpuPrimitive::Points);
    glBindVertexArray(d.streamArray);
    glBindBuffer(GL_ARRAY_BUFFER, d.streamBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(count) * stride, vertices, GL_STREAM_DRAW);
    setVertexLayout(flags, nullptr);
    glDrawArrays(glPrimitive(primitive), 0, count);
    glBindVertexArray(0);
    ++d.drawCalls;
}

void gpuDrawLine(float x0, float y0, float z0, float x1, float y1, float z1, uint32_t argb) {
    struct LineVertex {
        float x, y, z;
        uint32_t colour;
    } line[2] = {{x0, y0, z0, argb}, {x1, y1, z1, argb}};
    gpuDrawVertices(GpuPrimitive::Lines, line, 2, kVertexPosition | kVertexDiffuse);
}

GpuMesh gpuCreateMesh(const MeshVertex* vertices, int vertexCount, const uint16_t* indices, int indexCount) {
    if (device == nullptr || vertices == nullptr || vertexCount <= 0) return 0;
    Device& d = *device;
    int slot = -1;
    for (int i = 0; i < kMeshCapacity && slot < 0; ++i)
        if (d.meshes[i].vertexArray == 0) slot = i;
    if (slot < 0) return 0;
    flushQuads();
    MeshRecord& mesh = d.meshes[slot];
    glGenVertexArrays(1, &mesh.vertexArray);
    glBindVertexArray(mesh.vertexArray);
    glGenBuffers(1, &mesh.vertexBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, mesh.vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertexCount) * sizeof(MeshVertex), vertices,
                 GL_STATIC_DRAW);
    setVertexLayout(kVertexPosition | kVertexNormal | kVertexTexture, nullptr);
    mesh.vertexCount = vertexCount;
    mesh.indexCount = 0;
    mesh.indexBuffer = 0;
    if (indices != nullptr && indexCount > 0) {
        glGenBuffers(1, &mesh.indexBuffer);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, mesh.indexBuffer);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indexCount) * 2, indices,
                     GL_STATIC_DRAW);
        mesh.indexCount = indexCount;
    }
    glBindVertexArray(0);
    return static_cast<GpuMesh>(slot + 1);
}

void gpuDrawMesh(GpuMesh handle) {
    if (device == nullptr || handle == 0 || handle > kMeshCapacity) return;
    MeshRecord& mesh = device->meshes[handle - 1];
    if (mesh.vertexArray == 0) return;
    flushQuads();
    applyState(false);
    glBindVertexArray(mesh.vertexArray);
    if (mesh.indexCount > 0)
        glDrawElements(GL_TRIANGLES, mesh.indexCount, GL_UNSIGNED_SHORT, nullptr);
    else
        glDrawArrays(GL_TRIANGLES, 0, mesh.vertexCount);
    glBindVertexArray(0);
    ++device->drawCalls;
}

void gpuReleaseMesh(GpuMesh handle) {
    if (device == nullptr || handle == 0 || handle > kMeshCapacity) return;
    MeshRecord& mesh = device->meshes[handle - 1];
    if (mesh.vertexArray == 0) return;
    glDeleteVertexArrays(1, &mesh.vertexArray);
    glDeleteBuffers(1, &mesh.vertexBuffer);
    if (mesh.indexBuffer != 0) glDeleteBuffers(1, &mesh.indexBuffer);
    mesh = MeshRecord{};
}

bool gpuReadScene(std::vector<uint8_t>& rgba, int* width, int* height) {
    if (device == nullptr) return false;
    Device& d = *device;
    flushQuads();
    if (d.direct) {
        if (d.sceneWidth <= 0 || d.sceneHeight <= 0) return false;
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        readRows(d.sceneBox.x, d.sceneBox.y, d.sceneWidth, d.sceneHeight, rgba);
    } else {
        if (d.sceneFramebuffer == 0) return false;
        glBindFramebuffer(GL_FRAMEBUFFER, d.sceneFramebuffer);
        readRows(0, 0, d.sceneWidth, d.sceneHeight, rgba);
    }
    *width = d.sceneWidth;
    *height = d.sceneHeight;
    return true;
}

void gpuCaptureNextPresent() {
    if (device != nullptr) device->captureRequested = true;
}

bool gpuTakeCapture(std::vector<uint8_t>& rgba, int* width, int* height) {
    if (device == nullptr || device->capture.empty()) return false;
    rgba.swap(device->capture);
    device->capture.clear();
    *width = device->captureWidth;
    *height = device->captureHeight;
    return true;
}

#pragma once
// The GPU device over OpenGL 3.3 core. The game draws a logical 800 x 600 screen into a
// scene buffer the size of the window's 4:3 letterbox rectangle (at real pixel size);
// present() copies it into the window with black bars and the gamma curve applied.
//
// Quads keep the order and state they are issued with, but consecutive quads that share
// texture, blend and state are sent as one draw call. Any state change, any other kind
// of drawing, a clear, a read-back or the end of the frame first sends what is queued.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/matrix.h"

// The vertex of the 2D and quad drawing: 24 bytes, colour as an ARGB word.
struct GpuVertex {
    float x, y, z;
    uint32_t colour;
    float u, v;
};
static_assert(sizeof(GpuVertex) == 24, "quad vertices are 24 bytes");

// The vertex of static meshes: 32 bytes.
struct MeshVertex {
    float x, y, z;
    float nx, ny, nz;
    float u, v;
};
static_assert(sizeof(MeshVertex) == 32, "mesh vertices are 32 bytes");

// Layout flags of caller vertex arrays; fields appear in this order when present.
enum GpuVertexFlags : uint32_t {
    kVertexPosition = 1,   // 3 floats
    kVertexNormal = 2,     // 3 floats
    kVertexPointSize = 4,  // 1 float
    kVertexDiffuse = 8,    // ARGB word
    kVertexSpecular = 16,  // ARGB word (carried, not lit)
    kVertexTexture = 32,   // 2 floats
};
int vertexStride(uint32_t flags);

enum class GpuPrimitive : uint8_t { Triangles, TriangleStrip, TriangleFan, Lines, LineStrip, Points };

enum class BlendFactor : uint8_t {
    Zero,
    One,
    SourceColour,
    InverseSourceColour,
    SourceAlpha,
    InverseSourceAlpha,
    DestinationColour,
    DestinationAlpha
};

using GpuTexture = uint32_t;  // 0 = none
using GpuMesh = uint32_t;     // 0 = none

// Device life. createGpuDevice needs the main window; false on failure.
bool createGpuDevice();
void releaseGpuDevice();
bool gpuDeviceExists();
const char* gpuRendererName();
// Whether the device accepted waiting for the display's refresh on present. Accepted is
// not kept: some displays still return at once (the frame pacer finds out).
bool gpuSyncsToDisplay();

// Sets the fixed state: no depth test or writes, alpha reference 128, culling of
// faces that appear counter-clockwise, lighting off, filtering off, blending off.
void gpuResetState();

// Frame.
void gpuBeginFrame();  // binds the scene buffer (resized to the window if needed)
void gpuEndFrame();    // sends what is queued
void gpuClearColour(uint32_t argb);
void gpuClearDepth(float depth);
void gpuSetGammaFactor(float factor);  // output = min(factor * input, 1); 1 is neutral
void gpuPresent();                     // letterboxed copy into the window, then swap

// Draw calls sent during the current frame and during the last presented one.
int gpuDrawCallsThisFrame();
int gpuDrawCallsLastFrame();
// Batching of quads (on by default); off sends one draw call per quad (for comparison).
void gpuSetBatching(bool on);

// Fill accounting, for benchmarks: the pixels of the scene every quad covers (clipped to
// the scene), by how they are written, and the pixels cleared. Off by default, and free
// then. Meshes and other vertex arrays are not counted.
struct GpuFill {
    double opaque;    // blending off: written over what was there
    double blended;   // alpha blending: read, mixed and written
    double additive;  // added onto what was there
    double cleared;
    long quads;
};
void gpuCountFill(bool on);
GpuFill gpuTakeFill();  // the counts since the last call, which starts them again

// State.
void gpuSetLighting(bool on);
void gpuSetDepthTest(bool on);
void gpuSetDepthWrite(bool on);
void gpuSetBlending(bool on);
void gpuSetBlendFactors(BlendFactor source, BlendFactor destination);
void gpuSetAlphaTest(bool on);
void gpuSetAlphaReference(int reference);  // 0..255; passes alpha >= reference
void gpuSetPointSprites(bool on);
void gpuSetFiltering(bool on);  // linear with mipmaps, or nearest
void gpuSetCulling(bool on);
void gpuSetWorld(const Matrix4& m);
void gpuSetView(const Matrix4& m);
void gpuSetProjection(const Matrix4& m);
const Matrix4& gpuProjection();

// Textures hold 32-bit texels given as blue, green, red, alpha bytes, rows from the top.
// pixels may be null (transparent black). levels >= 1 (mipmaps made from level 0).
GpuTexture gpuCreateTexture(int width, int height, const uint8_t* pixels, int levels);
bool gpuUpdateTexture(GpuTexture texture, int width, int height, const uint8_t* pixels);
bool gpuReadTexture(GpuTexture texture, int width, int height, std::vector<uint8_t>& out);
void gpuReleaseTexture(GpuTexture texture);
void gpuBindTexture(GpuTexture texture);
int gpuTextureCount();  // live textures, for leak checks

// Drawing.
void gpuDrawQuad(const GpuVertex corners[4]);  // a two-triangle strip in the order given
void gpuDrawVertices(GpuPrimitive primitive, const void* vertices, int count, uint32_t flags);
void gpuDrawLine(float x0, float y0, float z0, float x1, float y1, float z1, uint32_t argb);

// Static meshes: device vertex data with an optional 16-bit index list.
GpuMesh gpuCreateMesh(const MeshVertex* vertices, int vertexCount, const uint16_t* indices, int indexCount);
void gpuDrawMesh(GpuMesh mesh);
void gpuReleaseMesh(GpuMesh mesh);

// Read-back for tests and screenshots: 8-bit RGBA rows from the top.
// The scene buffer (what was drawn, before gamma), at its real pixel size:
bool gpuReadScene(std::vector<uint8_t>& rgba, int* width, int* height);
// The whole window as the next present() shows it (bars and gamma included):
void gpuCaptureNextPresent();
bool gpuTakeCapture(std::vector<uint8_t>& rgba, int* width, int* height);

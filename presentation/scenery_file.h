#pragma once
// Scene files: the binary list of a back's scenery elements. A 64-byte text that is
// not used, a signed 32-bit element count, then 65-byte entries packed without
// padding (little-endian). Kept free of drawing code so it can be checked on its own.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

constexpr size_t kSceneHeaderSize = 68;  // 64 bytes of text and the element count
constexpr size_t kSceneEntrySize = 65;
constexpr int kSceneNameCapacity = 32;

struct SceneEntry {
    char name[kSceneNameCapacity];  // game object name, always zero-terminated
    float x0, y0, x1, y1;           // rectangle in menu space, x0 <= x1 and y0 <= y1
    float rotation;                 // degrees
    float vx, vy;                   // flow of water, sway strength of leaves
    uint8_t mirrored;               // non-zero flips the texture horizontally
    int32_t early;                  // non-zero draws the element before the picture
};

namespace scene_detail {
inline float readFloat(const uint8_t* p) {
    float v;
    std::memcpy(&v, p, 4);
    // A damaged file must not put infinities or NaNs into drawing and timing sums.
    return std::isfinite(v) ? v : 0.0f;
}
}  // namespace scene_detail

// The entries of one scene file, at most capacity of them. The count is believed only
// as far as the file holds whole entries: a negative count gives none, a count beyond
// the file's end gives the entries that are there, so nothing past the end is read.
// Returns the number of entries written to out.
inline int parseSceneFile(const uint8_t* data, size_t size, SceneEntry* out, int capacity) {
    if (data == nullptr || size < kSceneHeaderSize || capacity <= 0) return 0;
    int32_t count;
    std::memcpy(&count, data + 64, 4);
    if (count <= 0) return 0;
    const size_t fitting = (size - kSceneHeaderSize) / kSceneEntrySize;
    size_t n = static_cast<size_t>(count);
    if (n > fitting) n = fitting;
    if (n > static_cast<size_t>(capacity)) n = static_cast<size_t>(capacity);
    for (size_t i = 0; i < n; ++i) {
        const uint8_t* p = data + kSceneHeaderSize + i * kSceneEntrySize;
        SceneEntry& e = out[i];
        std::memcpy(e.name, p, kSceneNameCapacity);
        e.name[kSceneNameCapacity - 1] = 0;
        float x0 = scene_detail::readFloat(p + 32), y0 = scene_detail::readFloat(p + 36);
        float x1 = scene_detail::readFloat(p + 40), y1 = scene_detail::readFloat(p + 44);
        // Sizes and areas derived from the rectangle stay positive whatever the order.
        e.x0 = x0 < x1 ? x0 : x1;
        e.x1 = x0 < x1 ? x1 : x0;
        e.y0 = y0 < y1 ? y0 : y1;
        e.y1 = y0 < y1 ? y1 : y0;
        e.rotation = scene_detail::readFloat(p + 48);
        e.vx = scene_detail::readFloat(p + 52);
        e.vy = scene_detail::readFloat(p + 56);
        e.mirrored = p[60];
        std::memcpy(&e.early, p + 61, 4);
    }
    return static_cast<int>(n);
}

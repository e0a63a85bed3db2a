// Arbitrary bytes as a scene file: every entry read must lie inside the bytes given,
// carry a terminated name, finite values and an ordered rectangle.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "presentation/scenery_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A copy of exactly the given length, so a read past its end is caught by the sanitizer.
    std::vector<uint8_t> bytes(data, data + size);
    SceneEntry entries[64];
    const int n = parseSceneFile(bytes.data(), bytes.size(), entries, 64);
    if (n < 0 || n > 64) __builtin_trap();
    if (n > 0 && kSceneHeaderSize + static_cast<size_t>(n) * kSceneEntrySize > size) __builtin_trap();
    for (int i = 0; i < n; ++i) {
        const SceneEntry& e = entries[i];
        if (std::memchr(e.name, 0, sizeof e.name) == nullptr) __builtin_trap();
        if (!(e.x0 <= e.x1) || !(e.y0 <= e.y1)) __builtin_trap();
        if (!std::isfinite(e.rotation) || !std::isfinite(e.vx) || !std::isfinite(e.vy)) __builtin_trap();
    }
    return 0;
}

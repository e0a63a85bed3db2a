#pragma once
// Scene files and game-object tables made in the test, byte for byte.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "presentation/game_objects.h"

struct TestElement {
    std::string name;
    float x0, y0, x1, y1;
    float rotation = 0, vx = 0, vy = 0;
    uint8_t mirrored = 0;
    int32_t early = 0;
};

inline std::string sceneBytes(const std::vector<TestElement>& elements, int32_t count) {
    std::string bytes(68 + 65 * elements.size(), '\0');
    std::memcpy(&bytes[0], "test scene", 10);
    std::memcpy(&bytes[64], &count, 4);
    for (size_t i = 0; i < elements.size(); ++i) {
        char* p = &bytes[68 + 65 * i];
        const TestElement& e = elements[i];
        std::memcpy(p, e.name.data(), e.name.size() < 31 ? e.name.size() : 31);
        const float f[7] = {e.x0, e.y0, e.x1, e.y1, e.rotation, e.vx, e.vy};
        std::memcpy(p + 32, f, sizeof f);
        p[60] = static_cast<char>(e.mirrored);
        std::memcpy(p + 61, &e.early, 4);
    }
    return bytes;
}

inline std::string sceneBytes(const std::vector<TestElement>& elements) {
    return sceneBytes(elements, static_cast<int32_t>(elements.size()));
}

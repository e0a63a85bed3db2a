#pragma once
// Scene files: a 64-byte text header, an element count and 65-byte elements
// (object name, rectangle in screen units with the origin at the centre and y up,
// rotation, flow vector, mirrored flag, early flag).
#include <cstdint>
#include <string>
#include <vector>

struct SceneElement {
    std::string name;  // game object name, up to 31 bytes
    double x0, y0, x1, y1;
    double rotation;  // degrees
    double vx, vy;    // flow of water and falls, sway strength of leaves
    uint8_t mirrored;
    int32_t early;  // non-zero: drawn before the picture
};

// The rectangle is stored with x0 < x1 and y0 < y1 whatever order it was given in,
// so every width, height and area the game derives from it is positive.
std::vector<uint8_t> encodeScene(const std::vector<SceneElement>& elements);

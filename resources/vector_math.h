#pragma once
// The numeric helpers shared by all 3D and particle code: a table-driven square root
// and the vector helpers built on it.
#include <cstdint>

#include "resources/vector3.h"

struct Vector2 {
    float x;
    float y;
};

// Fills the square-root table (65536 mantissas); start-up calls it once. fastSqrt
// fills it on first use if start-up has not.
void buildSqrtTable();

// Square root of x >= 0 from the table, to 15 bits of the mantissa; 0 for x <= 0.
float fastSqrt(float x);

float length(const Vector3& v);  // fastSqrt of the squared length
void normalize(Vector3& v);      // in place; a zero vector stays zero
Vector3 cross(const Vector3& a, const Vector3& b);

inline Vector3 operator-(const Vector3& a, const Vector3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vector3 operator+(const Vector3& a, const Vector3& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}

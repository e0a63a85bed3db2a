#include "resources/vector_math.h"

#include <cmath>
#include <cstring>

namespace {

// Indexed by the lowest exponent bit and the top 15 mantissa bits of x: with that bit
// set the unbiased exponent is even and the entry holds sqrt(m) for m in [1, 2); clear,
// it is odd and the entry holds sqrt(2m), m in [1, 2), i.e. sqrt over [2, 4).
uint32_t sqrtTable[65536];
bool sqrtTableBuilt = false;

uint32_t bitsOf(float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

}  // namespace

void buildSqrtTable() {
    for (uint32_t i = 0; i < 65536; ++i) {
        uint32_t mantissaBits = (i & 0x7FFFu) << 8;
        float m;
        uint32_t bits = 0x3F800000u | mantissaBits;
        std::memcpy(&m, &bits, sizeof m);
        double root = (i & 0x8000u) ? std::sqrt(static_cast<double>(m)) : std::sqrt(2.0 * m);
        sqrtTable[i] = bitsOf(static_cast<float>(root)) & 0x7FFFFFu;
    }
    sqrtTableBuilt = true;
}

float fastSqrt(float x) {
    if (!(x > 0.0f)) return 0.0f;
    if (!sqrtTableBuilt) buildSqrtTable();
    uint32_t bits = bitsOf(x);
    // Halve the exponent: ((bits - 1.0) >> 1) + 1.0, keeping only the exponent field.
    int32_t shifted = static_cast<int32_t>(bits - 0x3F800000u) >> 1;
    uint32_t exponent = (static_cast<uint32_t>(shifted) + 0x3F800000u) & 0x7F800000u;
    uint32_t result = exponent | sqrtTable[(bits >> 8) & 0xFFFFu];
    float out;
    std::memcpy(&out, &result, sizeof out);
    return out;
}

float length(const Vector3& v) {
    return fastSqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

void normalize(Vector3& v) {
    float l = length(v);
    if (l == 0.0f) return;
    v.x /= l;
    v.y /= l;
    v.z /= l;
}

Vector3 cross(const Vector3& a, const Vector3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

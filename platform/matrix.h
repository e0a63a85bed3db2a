#pragma once
// 4 x 4 matrices in the row-vector convention the drawing code uses: a point is a row
// (x, y, z, 1) multiplied from the left, so translation sits in the last row and
// world * view * projection applies the world transform first. Left-handed: +z goes
// into the screen.
#include <cmath>

struct Matrix4 {
    float m[4][4];
};

inline Matrix4 identityMatrix() {
    return {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
}

inline Matrix4 multiply(const Matrix4& a, const Matrix4& b) {
    Matrix4 r{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] =
                a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
    return r;
}

// Maps x in [-w/2, w/2] and y in [-h/2, h/2] to the screen, z in [near, far] to depth 0..1.
inline Matrix4 orthoMatrix(float w, float h, float zn, float zf) {
    return {{{2 / w, 0, 0, 0}, {0, 2 / h, 0, 0}, {0, 0, 1 / (zf - zn), 0}, {0, 0, zn / (zn - zf), 1}}};
}

// Vertical field of view fovY (radians), aspect = width / height; depth 0 at near, 1 at far.
inline Matrix4 perspectiveMatrix(float fovY, float aspect, float zn, float zf) {
    float yScale = 1.0f / std::tan(fovY / 2);
    float xScale = yScale / aspect;
    return {
        {{xScale, 0, 0, 0}, {0, yScale, 0, 0}, {0, 0, zf / (zf - zn), 1}, {0, 0, -zn * zf / (zf - zn), 0}}};
}

inline Matrix4 translationMatrix(float x, float y, float z) {
    Matrix4 r = identityMatrix();
    r.m[3][0] = x;
    r.m[3][1] = y;
    r.m[3][2] = z;
    return r;
}

// (x, y, z, 1) * m, with the perspective divide.
inline void transformPoint(const Matrix4& m, const float in[3], float out[3]) {
    float v[4];
    for (int j = 0; j < 4; ++j) v[j] = in[0] * m.m[0][j] + in[1] * m.m[1][j] + in[2] * m.m[2][j] + m.m[3][j];
    float w = v[3] != 0 ? v[3] : 1;
    out[0] = v[0] / w;
    out[1] = v[1] / w;
    out[2] = v[2] / w;
}

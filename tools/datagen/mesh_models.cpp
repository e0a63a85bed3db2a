// The composite model "pagoda.cgo": a mesh list naming two static meshes, a
// smooth turned roof (shared vertices, a texture seam where the wrap closes) and a
// flat-shaded square hall, both textured with "pagoda.tga".
#include <cstring>

#include "tools/datagen/art_common.h"
#include "tools/datagen/datagen.h"

namespace {

struct Mesh {
    bool smooth;
    float offset[3];
    float orientation[3];
    std::vector<float> positions;  // x, y, z per vertex
    std::vector<int32_t> faces;    // three vertex indices per face
    std::vector<float> uvs;        // u, v per face corner
};

std::vector<uint8_t> encodeMesh(const Mesh& m) {
    const int32_t vertices = static_cast<int32_t>(m.positions.size() / 3);
    const int32_t faces = static_cast<int32_t>(m.faces.size() / 3);
    std::vector<uint8_t> out(37, 0);
    out[0] = 'M';
    out[1] = 'S';
    out[2] = 'H';
    out[3] = m.smooth ? 1 : 0;
    std::memcpy(&out[4], m.offset, 12);
    std::memcpy(&out[16], m.orientation, 12);
    std::memcpy(&out[29], &vertices, 4);
    std::memcpy(&out[33], &faces, 4);
    auto append = [&out](const void* data, size_t bytes) {
        const uint8_t* p = static_cast<const uint8_t*>(data);
        out.insert(out.end(), p, p + bytes);
    };
    append(m.positions.data(), m.positions.size() * 4);
    append(m.faces.data(), m.faces.size() * 4);
    append(m.uvs.data(), m.uvs.size() * 4);
    return out;
}

// A roof turned around the y axis: rings of a curved profile, sweeping up at the eaves.
Mesh roof() {
    Mesh m{true, {0, 1.2f, 0}, {0, 0, 0}, {}, {}, {}};
    const int segments = 16;
    const float profile[5][2] = {{1.6f, -0.1f}, {1.3f, 0.05f}, {0.9f, 0.3f}, {0.45f, 0.6f}, {0.05f, 0.9f}};
    for (const auto& ring : profile)
        for (int s = 0; s < segments; ++s) {
            const double a = s * 2 * M_PI / segments;
            m.positions.push_back(static_cast<float>(ring[0] * std::cos(a)));
            m.positions.push_back(ring[1]);
            m.positions.push_back(static_cast<float>(ring[0] * std::sin(a)));
        }
    for (int r = 0; r + 1 < 5; ++r)
        for (int s = 0; s < segments; ++s) {
            const int a = r * segments + s, b = r * segments + (s + 1) % segments;
            const int c = (r + 1) * segments + s, d = (r + 1) * segments + (s + 1) % segments;
            const float u0 = static_cast<float>(s) / segments, u1 = static_cast<float>(s + 1) / segments;
            const float v0 = r / 4.0f, v1 = (r + 1) / 4.0f;
            for (int32_t i : {a, b, d}) m.faces.push_back(i);
            for (float f : {u0, v0, u1, v0, u1, v1}) m.uvs.push_back(f);
            for (int32_t i : {a, d, c}) m.faces.push_back(i);
            for (float f : {u0, v0, u1, v1, u0, v1}) m.uvs.push_back(f);
        }
    return m;
}

// The hall under the roof: a box of flat faces.
Mesh hall() {
    Mesh m{false, {0, 0.5f, 0}, {0, static_cast<float>(M_PI / 4), 0}, {}, {}, {}};
    for (int k = 0; k < 8; ++k) {
        m.positions.push_back(k & 1 ? 0.9f : -0.9f);
        m.positions.push_back(k & 2 ? 0.7f : -0.5f);
        m.positions.push_back(k & 4 ? 0.9f : -0.9f);
    }
    const int quads[6][4] = {{0, 1, 3, 2}, {4, 6, 7, 5}, {0, 4, 5, 1},
                             {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 5, 7, 3}};
    for (const auto& q : quads) {
        for (int32_t i : {q[0], q[1], q[2]}) m.faces.push_back(i);
        for (float f : {0.0f, 1.0f, 1.0f, 1.0f, 1.0f, 0.0f}) m.uvs.push_back(f);
        for (int32_t i : {q[0], q[2], q[3]}) m.faces.push_back(i);
        for (float f : {0.0f, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f}) m.uvs.push_back(f);
    }
    return m;
}

Image roofTexture() {
    Canvas c(128, 128);
    cairo_t* cr = c.cr;
    setRgb(cr, {0.20, 0.35, 0.30});
    cairo_paint(cr);
    for (int row = 0; row < 8; ++row)
        for (int col = 0; col < 8; ++col) {
            const double x = col * 16 + (row % 2) * 8, y = row * 16;
            cairo_arc(cr, x + 8, y + 14, 8, M_PI, 2 * M_PI);
            cairo_set_line_width(cr, 2);
            setRgb(cr, {0.1, 0.2, 0.18});
            cairo_stroke(cr);
        }
    return flattened(c.image(), {0, 0, 0});
}

bool makeModels(const std::string& out) {
    bool ok = true;
    const std::vector<uint8_t> roofBytes = encodeMesh(roof());
    const std::vector<uint8_t> hallBytes = encodeMesh(hall());
    ok &= writeOutputFile(out, "pagoda_roof.msh", roofBytes.data(), roofBytes.size());
    ok &= writeOutputFile(out, "pagoda_hall.msh", hallBytes.data(), hallBytes.size());
    ok &= writeTga(out, "pack/pagoda.tga", roofTexture());
    ok &= writeText(out, "pagoda.cgo",
                    "nummeshes=2\nmesh0=pagoda_roof.msh\ntexture0=pagoda.tga\nmesh1=pagoda_hall.msh\n"
                    "texture1=pagoda.tga\n");
    return ok;
}

}  // namespace

DATAGEN_STEP("models", makeModels);

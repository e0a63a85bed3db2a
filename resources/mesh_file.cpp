#include "resources/mesh_file.h"

#include <cstring>

#include "resources/vector_math.h"

namespace {

uint32_t readU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

float readF32(const uint8_t* p) {
    uint32_t bits = readU32(p);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

Vector3 readVector(const uint8_t* p) {
    return {readF32(p), readF32(p + 4), readF32(p + 8)};
}

struct Corner {
    float u, v;
};

}  // namespace

bool parseStaticMesh(const uint8_t* data, size_t size, StaticMeshData& out) {
    out = StaticMeshData{};
    if (data == nullptr || size < kMeshHeaderSize) return false;
    uint64_t vertexCount = readU32(data + 29);
    uint64_t faceCount = readU32(data + 33);
    if (kMeshHeaderSize + vertexCount * 12 + faceCount * 36 > size) return false;
    if (faceCount * 3 > kMeshVertexLimit * 3) return false;  // far beyond any 16-bit mesh

    const uint8_t* positions = data + kMeshHeaderSize;
    const uint8_t* faces = positions + vertexCount * 12;
    const uint8_t* texCoords = faces + faceCount * 12;
    size_t V = static_cast<size_t>(vertexCount), F = static_cast<size_t>(faceCount);

    std::vector<Vector3> points(V);
    for (size_t i = 0; i < V; ++i) points[i] = readVector(positions + i * 12);
    std::vector<uint32_t> cornerVertex(F * 3);
    for (size_t c = 0; c < F * 3; ++c) {
        cornerVertex[c] = readU32(faces + c * 4);
        if (cornerVertex[c] >= V) return false;
    }
    std::vector<Corner> corners(F * 3);
    for (size_t c = 0; c < F * 3; ++c)
        corners[c] = {readF32(texCoords + c * 8), 1.0f - readF32(texCoords + c * 8 + 4)};

    out.smooth = data[3] != 0;
    out.offset = readVector(data + 4);
    out.orientation = readVector(data + 16);
    if (V > 0) {
        Vector3 low = points[0], high = points[0];
        for (const Vector3& p : points) {
            low = {p.x < low.x ? p.x : low.x, p.y < low.y ? p.y : low.y, p.z < low.z ? p.z : low.z};
            high = {p.x > high.x ? p.x : high.x, p.y > high.y ? p.y : high.y, p.z > high.z ? p.z : high.z};
        }
        out.boxMinimum = low;
        out.boxHalfSize = {(high.x - low.x) / 2, (high.y - low.y) / 2, (high.z - low.z) / 2};
        out.boxCentre = low + out.boxHalfSize;
    }

    std::vector<Vector3> faceNormals(F);
    for (size_t f = 0; f < F; ++f) {
        const Vector3& p0 = points[cornerVertex[f * 3]];
        const Vector3& p1 = points[cornerVertex[f * 3 + 1]];
        const Vector3& p2 = points[cornerVertex[f * 3 + 2]];
        faceNormals[f] = cross(p2 - p0, p1 - p0);
        normalize(faceNormals[f]);
    }

    if (!out.smooth) {
        out.vertices.resize(F * 3);
        for (size_t c = 0; c < F * 3; ++c)
            out.vertices[c] = {points[cornerVertex[c]], faceNormals[c / 3], corners[c].u, corners[c].v};
        return true;
    }

    std::vector<Vector3> normals(V, Vector3{0, 0, 0});
    for (size_t c = 0; c < F * 3; ++c)
        normals[cornerVertex[c]] = normals[cornerVertex[c]] + faceNormals[c / 3];
    for (Vector3& n : normals) normalize(n);

    // Corners grouped by source vertex, each group in corner order.
    std::vector<size_t> groupStart(V + 1, 0);
    for (uint32_t vertex : cornerVertex) ++groupStart[vertex + 1];
    for (size_t i = 0; i < V; ++i) groupStart[i + 1] += groupStart[i];
    std::vector<size_t> grouped(F * 3);
    std::vector<size_t> fill(groupStart.begin(), groupStart.end() - 1);
    for (size_t c = 0; c < F * 3; ++c) grouped[fill[cornerVertex[c]]++] = c;

    constexpr uint32_t kUnassigned = 0xFFFFFFFFu;
    std::vector<uint32_t> assigned(F * 3, kUnassigned);
    for (size_t s = 0; s < V; ++s) {
        for (size_t i = groupStart[s]; i < groupStart[s + 1]; ++i) {
            size_t first = grouped[i];
            if (assigned[first] != kUnassigned) continue;
            if (out.vertices.size() >= kMeshVertexLimit) {
                out = StaticMeshData{};
                return false;
            }
            uint32_t index = static_cast<uint32_t>(out.vertices.size());
            Corner uv = corners[first];
            for (size_t j = i; j < groupStart[s + 1]; ++j) {
                size_t c = grouped[j];
                if (assigned[c] == kUnassigned && corners[c].u == uv.u && corners[c].v == uv.v)
                    assigned[c] = index;
            }
            assigned[first] = index;  // also when its (u, v) is not a number
            out.vertices.push_back({points[s], normals[s], uv.u, uv.v});
        }
    }
    out.indices.resize(F * 3);
    for (size_t c = 0; c < F * 3; ++c) out.indices[c] = static_cast<uint16_t>(assigned[c]);
    return true;
}

// The table square root, the vector helpers and the static mesh file.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "app/math.h"
#include "app/mesh.h"
#include "resources/mesh_file.h"

namespace {

void put(std::string& out, const void* data, size_t size) {
    out.append(static_cast<const char*>(data), size);
}
void putU32(std::string& out, uint32_t v) {
    put(out, &v, 4);
}
void putF32(std::string& out, float v) {
    put(out, &v, 4);
}

struct Face {
    uint32_t v[3];
    float uv[3][2];
};

std::string meshFile(bool smooth, const std::vector<Vector3>& points, const std::vector<Face>& faces) {
    std::string out = "abc";
    out.push_back(smooth ? 1 : 0);
    for (float f : {1.0f, 2.0f, 3.0f, 0.0f, 0.0f, 0.0f}) putF32(out, f);
    out.push_back(0);
    putU32(out, static_cast<uint32_t>(points.size()));
    putU32(out, static_cast<uint32_t>(faces.size()));
    for (const Vector3& p : points) put(out, &p, 12);
    for (const Face& f : faces) put(out, f.v, 12);
    for (const Face& f : faces) put(out, f.uv, 24);
    return out;
}

std::vector<Vector3> cubeCorners() {
    std::vector<Vector3> points;
    for (int i = 0; i < 8; ++i) points.push_back({float(i & 1), float((i >> 1) & 1), float((i >> 2) & 1)});
    return points;
}

// Twelve outward-wound triangles; each side gets its own texture coordinates unless
// sharedUv, in which case every corner of a vertex has the same (u, v).
std::vector<Face> cubeFaces(bool sharedUv) {
    const uint32_t sides[6][4] = {{0, 2, 6, 4}, {1, 5, 7, 3}, {0, 4, 5, 1},
                                  {2, 3, 7, 6}, {0, 1, 3, 2}, {4, 6, 7, 5}};
    const float quad[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    const int triangles[2][3] = {{0, 1, 2}, {0, 2, 3}};
    std::vector<Face> faces;
    for (int s = 0; s < 6; ++s) {
        for (const auto& corners : triangles) {
            Face f;
            for (int k = 0; k < 3; ++k) {
                f.v[k] = sides[s][corners[k]];
                f.uv[k][0] = sharedUv ? f.v[k] / 8.0f : quad[corners[k]][0] + 2.0f * s;
                f.uv[k][1] = sharedUv ? 0.0f : quad[corners[k]][1];
            }
            faces.push_back(f);
        }
    }
    return faces;
}

const uint8_t* bytes(const std::string& s) {
    return reinterpret_cast<const uint8_t*>(s.data());
}

}  // namespace

TEST(FastSqrt, MatchesTheLibraryToTheTablesResolution) {
    buildSqrtTable();
    EXPECT_EQ(fastSqrt(4.0f), 2.0f);
    EXPECT_EQ(fastSqrt(1.0f), 1.0f);
    EXPECT_NEAR(fastSqrt(2.0f), 1.41421f, 1e-4f);
    EXPECT_EQ(fastSqrt(0.0f), 0.0f);
    EXPECT_EQ(fastSqrt(-3.0f), 0.0f);
    for (float x = 1e-6f; x < 1e7f; x *= 1.37f) {
        float exact = std::sqrt(x);
        ASSERT_NEAR(fastSqrt(x), exact, exact * 4e-5f) << x;
    }
}

TEST(VectorHelpers, LengthNormalizeCrossAndRandom) {
    Vector3 v = {3, 0, 4};
    EXPECT_NEAR(length(v), 5.0f, 1e-3f);
    normalize(v);
    EXPECT_NEAR(v.x, 0.6f, 1e-4f);
    Vector3 zero = {0, 0, 0};
    normalize(zero);
    EXPECT_EQ(zero.x, 0.0f);
    EXPECT_EQ(zero.y, 0.0f);
    Vector3 z = cross({1, 0, 0}, {0, 1, 0});
    EXPECT_EQ(z.z, 1.0f);

    // The helpers scale the generator's values; the presentation's stream never moves
    // the rules' stream, so what is drawn cannot change the game.
    seedRandom(0);
    int first = nextRandom(), second = nextRandom();
    seedRandom(0);
    EXPECT_EQ(randomBelow(10), first % 10);
    for (int i = 0; i < 50; ++i) randomSigned(lookRandom, 1.0f);
    EXPECT_FLOAT_EQ(randomSigned(2.0f), (2.0f * second - 32767.0f) / 32767.0f * 2.0f);
}

TEST(StaticMeshFile, SmoothCubeSplitsAtEverySideSeam) {
    std::string file = meshFile(true, cubeCorners(), cubeFaces(false));
    StaticMeshData mesh;
    ASSERT_TRUE(parseStaticMesh(bytes(file), file.size(), mesh));
    EXPECT_EQ(mesh.vertices.size(), 24u);
    ASSERT_EQ(mesh.indices.size(), 36u);
    for (uint16_t index : mesh.indices) ASSERT_LT(index, 24u);
    // Averaged normals point out of the corner; v is flipped.
    for (const StaticMeshVertex& v : mesh.vertices) {
        if (v.position.x == 1 && v.position.y == 1 && v.position.z == 1) {
            EXPECT_NEAR(v.normal.x, 0.57735f, 1e-3f);
            EXPECT_NEAR(v.normal.z, 0.57735f, 1e-3f);
        }
    }
    EXPECT_EQ(mesh.vertices[0].v, 1.0f);  // first corner of vertex 0 has v = 0 in the file
    EXPECT_EQ(mesh.boxHalfSize.x, 0.5f);
    EXPECT_EQ(mesh.boxCentre.y, 0.5f);
    EXPECT_EQ(mesh.offset.z, 3.0f);
}

TEST(StaticMeshFile, SharedCoordinatesKeepOneVertexPerPosition) {
    std::string file = meshFile(true, cubeCorners(), cubeFaces(true));
    StaticMeshData mesh;
    ASSERT_TRUE(parseStaticMesh(bytes(file), file.size(), mesh));
    EXPECT_EQ(mesh.vertices.size(), 8u);
    // Emission order follows the source vertices.
    for (int i = 0; i < 8; ++i) EXPECT_EQ(mesh.vertices[i].u, i / 8.0f);
}

TEST(StaticMeshFile, FlatMeshHasThreeVerticesPerFaceWithFaceNormals) {
    std::string file = meshFile(false, cubeCorners(), cubeFaces(false));
    StaticMeshData mesh;
    ASSERT_TRUE(parseStaticMesh(bytes(file), file.size(), mesh));
    EXPECT_EQ(mesh.vertices.size(), 36u);
    EXPECT_TRUE(mesh.indices.empty());
    EXPECT_NEAR(mesh.vertices[0].normal.x, -1.0f, 1e-4f);  // the -x side
}

TEST(StaticMeshFile, RejectsBadIndicesAndShortFiles) {
    std::vector<Face> faces = cubeFaces(false);
    faces[5].v[1] = 8;  // one past the last vertex
    std::string bad = meshFile(true, cubeCorners(), faces);
    StaticMeshData mesh;
    EXPECT_FALSE(parseStaticMesh(bytes(bad), bad.size(), mesh));

    std::string good = meshFile(true, cubeCorners(), cubeFaces(false));
    std::vector<uint8_t> cut(good.begin(), good.end() - 1);
    EXPECT_FALSE(parseStaticMesh(cut.data(), cut.size(), mesh));

    std::string lying = good;
    uint32_t hugeCount = 0x40000000;
    std::memcpy(&lying[33], &hugeCount, 4);
    EXPECT_FALSE(parseStaticMesh(bytes(lying), lying.size(), mesh));
    EXPECT_TRUE(mesh.vertices.empty());
}

TEST(StaticMeshFile, LocalTransformRotatesThenMoves) {
    Matrix4 m = meshLocalTransform({10, 0, 0}, {0, 0, 1.5707964f});
    float in[3] = {1, 0, 0}, out[3];
    transformPoint(m, in, out);
    EXPECT_NEAR(out[0], 10.0f, 1e-5f);
    EXPECT_NEAR(out[1], 1.0f, 1e-5f);
}

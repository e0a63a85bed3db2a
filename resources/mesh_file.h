#pragma once
// The static mesh file: a binary list of positions, triangles and per-corner texture
// coordinates, turned into vertex data ready for the GPU. Smooth meshes share vertices
// (averaged normals, split where texture coordinates differ) and carry a 16-bit index
// list; flat meshes get three vertices per face and no index list.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "resources/vector3.h"

struct StaticMeshVertex {
    Vector3 position;
    Vector3 normal;
    float u, v;
};
static_assert(sizeof(StaticMeshVertex) == 32, "mesh vertices are 32 bytes");

struct StaticMeshData {
    bool smooth;
    Vector3 offset;       // translation of the mesh
    Vector3 orientation;  // rotation angles about x, y and z, radians
    Vector3 boxMinimum;   // bounding box of the positions
    Vector3 boxHalfSize;
    Vector3 boxCentre;
    std::vector<StaticMeshVertex> vertices;
    std::vector<uint16_t> indices;  // empty for flat meshes
};

constexpr size_t kMeshHeaderSize = 37;
constexpr size_t kMeshVertexLimit = 65535;  // output vertices a 16-bit index can reach

// Parses a mesh file. False (and out cleared) when the file is shorter than its counts
// say, a face names a vertex beyond the vertex count, or the result would need more
// than 65535 vertices.
bool parseStaticMesh(const uint8_t* data, size_t size, StaticMeshData& out);

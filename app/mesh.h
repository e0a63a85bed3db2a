#pragma once
// Static meshes and mesh lists: meshes are loaded once per file name and kept for the
// whole run with their vertex data on the GPU.
#include <cstdint>

#include "platform/gpu.h"
#include "platform/matrix.h"
#include "resources/vector_math.h"

struct TextureRecord;

constexpr int kStaticMeshCapacity = 256;
constexpr int kMeshListCapacity = 64;  // meshes one list may name; further entries are ignored

struct StaticMesh {
    char name[128];  // as requested: exact, case-sensitive
    bool smooth;
    Matrix4 localTransform;  // translation by the offset, rotation from the three angles
    Vector3 boxMinimum, boxHalfSize, boxCentre;
    int32_t vertexCount;  // output vertices
    int32_t indexCount;   // 0 for flat meshes
    GpuMesh gpuMesh;
    bool inUse;
};

struct StaticMeshTable {
    StaticMesh slots[kStaticMeshCapacity];  // when full, further meshes are not loaded (null)
    int count;
};
extern StaticMeshTable staticMeshTable;

struct MeshList {
    int count;
    StaticMesh* meshes[kMeshListCapacity];
    TextureRecord* textures[kMeshListCapacity];
    int32_t slots[kMeshListCapacity];  // free for the caller
};

// The rotation about x, then y, then z by the given angles (radians), as the quaternion
// product qz * qy * qx turned into a matrix, with the translation in the last row.
Matrix4 meshLocalTransform(const Vector3& offset, const Vector3& angles);

// A missing file ends the program with the "Can't load" message. A damaged file (counts
// beyond its length, a face naming a vertex beyond the vertex count, more than 65535
// vertices) gives null.
StaticMesh* loadStaticMesh(StaticMeshTable& table, const char* name);
StaticMesh* loadStaticMesh(const char* name);

// Reads "nummeshes=", "mesh%i=" and "texture%i=" and loads each mesh and texture.
void loadMeshList(const char* name, MeshList& list);

void drawStaticMesh(const StaticMesh* mesh);
void releaseAllMeshes(StaticMeshTable& table);

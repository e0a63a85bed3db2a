#include "app/mesh.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include "app/textures.h"
#include "resources/files.h"
#include "resources/keyvalue.h"
#include "resources/mesh_file.h"

StaticMeshTable staticMeshTable;

namespace {

struct Quaternion {
    float x, y, z, w;
};

Quaternion product(const Quaternion& a, const Quaternion& b) {
    return {a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y, a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
            a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w, a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z};
}

}  // namespace

Matrix4 meshLocalTransform(const Vector3& offset, const Vector3& angles) {
    Quaternion qx = {std::sin(angles.x / 2), 0, 0, std::cos(angles.x / 2)};
    Quaternion qy = {0, std::sin(angles.y / 2), 0, std::cos(angles.y / 2)};
    Quaternion qz = {0, 0, std::sin(angles.z / 2), std::cos(angles.z / 2)};
    Quaternion q = product(product(qz, qy), qx);
    float x = q.x, y = q.y, z = q.z, w = q.w;
    // Row-vector form: a point (x, y, z, 1) times this matrix is rotated, then moved.
    return {{{1 - 2 * (y * y + z * z), 2 * (x * y + z * w), 2 * (x * z - y * w), 0},
             {2 * (x * y - z * w), 1 - 2 * (x * x + z * z), 2 * (y * z + x * w), 0},
             {2 * (x * z + y * w), 2 * (y * z - x * w), 1 - 2 * (x * x + y * y), 0},
             {offset.x, offset.y, offset.z, 1}}};
}

StaticMesh* loadStaticMesh(StaticMeshTable& table, const char* name) {
    for (StaticMesh& mesh : table.slots)
        if (mesh.inUse && std::strcmp(mesh.name, name) == 0) return &mesh;
    StaticMesh* slot = nullptr;
    for (StaticMesh& mesh : table.slots) {
        if (!mesh.inUse) {
            slot = &mesh;
            break;
        }
    }
    if (slot == nullptr) return nullptr;
    uint32_t size = 0;
    uint8_t* bytes = loadFile(name, &size, true);
    if (bytes == nullptr) return nullptr;
    StaticMeshData data;
    bool parsed = parseStaticMesh(bytes, size, data);
    releaseFile(bytes);
    if (!parsed) return nullptr;

    *slot = StaticMesh{};
    std::snprintf(slot->name, sizeof slot->name, "%s", name);
    slot->smooth = data.smooth;
    slot->localTransform = meshLocalTransform(data.offset, data.orientation);
    slot->boxMinimum = data.boxMinimum;
    slot->boxHalfSize = data.boxHalfSize;
    slot->boxCentre = data.boxCentre;
    slot->vertexCount = static_cast<int32_t>(data.vertices.size());
    slot->indexCount = static_cast<int32_t>(data.indices.size());
    static_assert(sizeof(MeshVertex) == sizeof(StaticMeshVertex), "mesh vertex layouts agree");
    std::vector<MeshVertex> vertices(data.vertices.size());
    if (!vertices.empty())
        std::memcpy(vertices.data(), data.vertices.data(), vertices.size() * sizeof(MeshVertex));
    slot->gpuMesh = gpuCreateMesh(vertices.data(), slot->vertexCount, data.indices.data(), slot->indexCount);
    slot->inUse = true;
    ++table.count;
    return slot;
}

StaticMesh* loadStaticMesh(const char* name) {
    return loadStaticMesh(staticMeshTable, name);
}

void loadMeshList(const char* name, MeshList& list) {
    list = MeshList{};
    uint32_t size = 0;
    uint8_t* bytes = loadFile(name, &size, true);
    if (bytes == nullptr) return;
    // The last byte of the file is not part of the text (the files end with a spare byte).
    std::string_view text(reinterpret_cast<const char*>(bytes), size > 0 ? size - 1 : 0);
    int count = readInt(text, "nummeshes=");
    if (count < 0) count = 0;
    if (count > kMeshListCapacity) count = kMeshListCapacity;
    for (int i = 0; i < count; ++i) {
        char key[32], value[128];
        std::snprintf(key, sizeof key, "mesh%i=", i);
        if (readString(value, sizeof value, text, key) != nullptr) list.meshes[i] = loadStaticMesh(value);
        std::snprintf(key, sizeof key, "texture%i=", i);
        if (readString(value, sizeof value, text, key) != nullptr) list.textures[i] = loadTexture(value);
    }
    list.count = count;
    releaseFile(bytes);
}

void drawStaticMesh(const StaticMesh* mesh) {
    if (mesh != nullptr) gpuDrawMesh(mesh->gpuMesh);
}

void releaseAllMeshes(StaticMeshTable& table) {
    for (StaticMesh& mesh : table.slots) {
        if (mesh.inUse) gpuReleaseMesh(mesh.gpuMesh);
        mesh = StaticMesh{};
    }
    table.count = 0;
}

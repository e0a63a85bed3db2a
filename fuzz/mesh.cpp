// Arbitrary bytes as a static mesh file: every index of the result must name a vertex.
#include <cstddef>
#include <cstdint>

#include "resources/mesh_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    StaticMeshData mesh;
    if (parseStaticMesh(data, size, mesh)) {
        for (uint16_t index : mesh.indices)
            if (index >= mesh.vertices.size()) __builtin_trap();
    }
    return 0;
}

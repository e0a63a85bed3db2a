// Arbitrary bytes as a data pack: registering must never read past the block, and
// every registered entry must lie inside it.
#include <cstdlib>
#include <cstring>

#include "resources/files.h"

static FileRegistry registry;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1 << 20) return 0;
    uint8_t* block = static_cast<uint8_t*>(std::malloc(size ? size : 1));
    if (size) std::memcpy(block, data, size);
    registerPackBlock(registry, "fuzz.dat", block, static_cast<uint32_t>(size));
    for (int i = 1; i < registry.count; ++i) {
        const FileRecord& row = registry.rows[i];
        if (row.data < block || row.data + row.size > block + size) std::abort();
        uint32_t found = 0;
        if (!loadFile(registry, row.name, &found, false)) std::abort();
    }
    clearRegistry(registry);
    return 0;
}

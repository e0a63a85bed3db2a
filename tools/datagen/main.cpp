#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "tools/datagen/datagen.h"

static DatagenStep* firstStep = nullptr;

bool registerDatagenStep(DatagenStep* step) {
    // Keep the list sorted by name so the run order does not depend on link order.
    DatagenStep** place = &firstStep;
    while (*place && std::strcmp((*place)->name, step->name) < 0) place = &(*place)->next;
    step->next = *place;
    *place = step;
    return true;
}

bool writeOutputFile(const std::string& outDir, const std::string& relativePath, const void* data,
                     size_t size) {
    namespace fs = std::filesystem;
    fs::path path = fs::path(outDir) / relativePath;
    std::error_code error;
    fs::create_directories(path.parent_path(), error);
    {
        std::ifstream old(path, std::ios::binary);
        if (old) {
            std::vector<char> bytes((std::istreambuf_iterator<char>(old)), std::istreambuf_iterator<char>());
            if (bytes.size() == size && (size == 0 || std::memcmp(bytes.data(), data, size) == 0))
                return true;
        }
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size))) {
        std::fprintf(stderr, "datagen: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: datagen OUT_FOLDER [STEP...]\nsteps:");
        for (DatagenStep* step = firstStep; step; step = step->next) std::fprintf(stderr, " %s", step->name);
        std::fprintf(stderr, "\n");
        return 2;
    }
    const std::string outDir = argv[1];
    bool ok = true;
    int ran = 0;
    for (DatagenStep* step = firstStep; step; step = step->next) {
        bool wanted = argc == 2;
        for (int i = 2; i < argc; ++i) wanted = wanted || std::strcmp(argv[i], step->name) == 0;
        if (!wanted) continue;
        ++ran;
        if (!step->run(outDir)) {
            std::fprintf(stderr, "datagen: step %s failed\n", step->name);
            ok = false;
        }
    }
    if (argc > 2 && ran != argc - 2) {
        std::fprintf(stderr, "datagen: unknown step name\n");
        return 2;
    }
    return ok ? 0 : 1;
}

#pragma once
// The data generator: every picture, font, sound, music module, mesh and scene
// file of the game is made here, as original work, deterministically.
// Each source file registers its steps with DATAGEN_STEP; `datagen OUT [STEP...]`
// runs all steps (or the named ones) writing into the folder OUT.
#include <string>

using DatagenStepFunction = bool (*)(const std::string& outDir);

struct DatagenStep {
    const char* name;
    DatagenStepFunction run;
    DatagenStep* next;
};

// Adds a step to the list main() runs; used through DATAGEN_STEP at file scope.
bool registerDatagenStep(DatagenStep* step);

#define DATAGEN_CONCAT2(a, b) a##b
#define DATAGEN_CONCAT(a, b) DATAGEN_CONCAT2(a, b)
#define DATAGEN_STEP(stepName, function)                                                       \
    static DatagenStep DATAGEN_CONCAT(datagenStep_, __LINE__) = {stepName, function, nullptr}; \
    static const bool DATAGEN_CONCAT(datagenRegistered_, __LINE__) =                           \
        registerDatagenStep(&DATAGEN_CONCAT(datagenStep_, __LINE__))

// Writes bytes to outDir/relativePath, creating folders, and leaves an existing
// file with the same bytes untouched so its timestamp (and what depends on it) stays.
bool writeOutputFile(const std::string& outDir, const std::string& relativePath, const void* data,
                     size_t size);

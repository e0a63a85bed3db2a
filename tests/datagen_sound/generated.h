#pragma once
// Runs the generator's sound and music steps once per test run and hands out the
// folder they wrote.
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

// Runs `datagen OUT sounds music`; true when it succeeds.
inline bool runSoundSteps(const std::string& outDir) {
    std::filesystem::remove_all(outDir);
    std::string command = std::string("'") + DATAGEN_PROGRAM + "' '" + outDir + "' sounds music";
    return std::system(command.c_str()) == 0;
}

// A scratch folder of this test process (tests may run in parallel), removed at exit.
struct ScratchFolder {
    std::string path = std::string(QUELMAR_BINARY_DIR) + "/datagen_sound_check/" + std::to_string(getpid());
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

inline const std::string& scratchFolder() {
    static const ScratchFolder folder;
    return folder.path;
}

// The folder holding Sounds/ and music.mo3, generated on first use; empty if generation failed.
inline const std::string& generatedSoundDir() {
    static const std::string dir = [] {
        std::string out = scratchFolder() + "/a";
        return runSoundSteps(out) ? out : std::string();
    }();
    return dir;
}

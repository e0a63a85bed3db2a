// Any bytes as a saved game over a loaded level: a file is either refused or
// restored into a state the game then plays on without a fault.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/announce.h"
#include "core/field.h"
#include "core/flow.h"
#include "core/level.h"
#include "core/random.h"

#include "resources/files.h"

static GameState fuzzGame;
static constexpr std::string_view kLevelText = "figures=6\r\nlevel=\r\n011111111110\r\n0A0000000Q00\r\n";
static uint8_t image[kSavedGameSize];

// Every level reads the same small text from the registry.
static bool registerLevels() {
    for (int level = 0; level < kLevelCount; ++level) {
        char name[kLevelFileNameCapacity];
        levelFileName(level, name);
        registerMemoryFile(name, kLevelText.data(), static_cast<uint32_t>(kLevelText.size()));
    }
    return true;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool registered = registerLevels();
    (void)registered;
    seedRandom(2);
    fuzzGame.mode = 0;
    startLevel(fuzzGame, 3, kLevelText, {});
    // Short inputs are laid over a valid image of this level, so the fuzzer reaches
    // the checks behind the size test.
    const uint8_t* bytes = data;
    size_t length = size;
    if (size != kSavedGameSize && size >= 8) {
        writeSavedGame(fuzzGame, image);
        uint32_t at = 0;
        std::memcpy(&at, data, 4);
        at %= kSavedGameSize;
        const size_t count = std::min(size - 4, static_cast<size_t>(kSavedGameSize - at));
        std::memcpy(image + at, data + 4, count);
        bytes = image;
        length = kSavedGameSize;
    }
    if (readSavedGame(fuzzGame, bytes, length)) {
        for (int frame = 0; frame < 60; ++frame) updateGame(fuzzGame, 16.0f);
    }
    return 0;
}

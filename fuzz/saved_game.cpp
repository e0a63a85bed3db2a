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
static GameState loaded;  // the level as it stands after loading, made once
static constexpr std::string_view kLevelText = "figures=6\r\nlevel=\r\n011111111110\r\n0A0000000Q00\r\n";
static uint8_t valid[kSavedGameSize];  // a valid image of that level
static uint8_t image[kSavedGameSize];

// Every level reads the same small text from the registry. The level is started once:
// starting it fills the field, which costs far more than the reading under test, and
// the start is the same for every input.
static bool prepare() {
    for (int level = 0; level < kLevelCount; ++level) {
        char name[kLevelFileNameCapacity];
        levelFileName(level, name);
        registerMemoryFile(name, kLevelText.data(), static_cast<uint32_t>(kLevelText.size()));
    }
    seedRandom(2);
    loaded.mode = 0;
    startLevel(loaded, 3, kLevelText, {});
    writeSavedGame(loaded, valid);
    return true;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool prepared = prepare();
    (void)prepared;
    seedRandom(2);
    fuzzGame = loaded;
    // Short inputs are laid over a valid image of this level, so the fuzzer reaches
    // the checks behind the size test.
    const uint8_t* bytes = data;
    size_t length = size;
    if (size != kSavedGameSize && size >= 8) {
        std::memcpy(image, valid, kSavedGameSize);
        uint32_t at = 0;
        std::memcpy(&at, data, 4);
        at %= kSavedGameSize;
        const size_t count = std::min(size - 4, static_cast<size_t>(kSavedGameSize - at));
        std::memcpy(image + at, data + 4, count);
        bytes = image;
        length = kSavedGameSize;
    }
    if (readSavedGame(fuzzGame, bytes, length)) {
        // About a second of play in frames of 64 ms: the same rules as in 16 ms frames,
        // at a quarter of the frames, which are what an input costs.
        for (int frame = 0; frame < 15; ++frame) updateGame(fuzzGame, 64.0f);
    }
    return 0;
}

// Any bytes as a level text: parsing, filling, the move search and a few frames of
// play must stay inside the field and never crash.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/announce.h"
#include "core/field.h"
#include "core/flow.h"
#include "core/level.h"
#include "core/profile.h"
#include "core/random.h"
#include "core/rules.h"

#include "resources/files.h"

static GameState fuzzGame;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const int level = static_cast<int>(size % kLevelCount);
    // A restart after a lost level reads the same text, a won level the next one.
    for (int l : {level, level + 1}) {
        char name[kLevelFileNameCapacity];
        levelFileName(l, name);
        registerMemoryFile(name, data, static_cast<uint32_t>(size));
    }
    seedRandom(1);
    fuzzGame.mode = size > 0 ? data[0] & 1 : 0;
    startLevel(fuzzGame, level, text, text);
    // About 0.6 s of play in frames of 48 ms: the same rules as in 16 ms frames, at a
    // third of the frames, which are what an input costs.
    for (int frame = 0; frame < 12; ++frame) {
        if (frame % 4 == 0) {
            onLeftDown(fuzzGame, fuzzGame.hint.pick);
            onLeftUp(fuzzGame);
            onLeftDown(fuzzGame, fuzzGame.hint.target);
            onLeftUp(fuzzGame);
        }
        updateGame(fuzzGame, 48.0f);
    }
    return 0;
}

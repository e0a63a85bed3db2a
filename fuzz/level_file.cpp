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
    for (int frame = 0; frame < 40; ++frame) {
        if (frame % 10 == 0) {
            onLeftDown(fuzzGame, fuzzGame.hint.pick);
            onLeftUp(fuzzGame);
            onLeftDown(fuzzGame, fuzzGame.hint.target);
            onLeftUp(fuzzGame);
        }
        updateGame(fuzzGame, 16.0f);
    }
    return 0;
}

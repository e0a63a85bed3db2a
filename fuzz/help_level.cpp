// Any bytes as the tutorial file or a help page's file: parsing and a full round of the
// demonstration, with its reload, must stay inside the 4 x 4 fields and never crash.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "core/field.h"
#include "core/help_demo.h"
#include "core/tutorial.h"

static GameState fuzzGame;
static Tutorial fuzzTutorial;
static HelpDemo fuzzPage;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    // The level's figure table the demonstration starts from may hold anything.
    std::memset(fuzzGame.figureTable, 0, sizeof(fuzzGame.figureTable));
    std::memcpy(fuzzGame.figureTable, data, std::min(size, sizeof(fuzzGame.figureTable)));
    startTutorial(fuzzTutorial, fuzzGame, size > 0 && (data[0] & 1), text);
    for (int frame = 0; frame < 800; ++frame) updateTutorial(fuzzTutorial, 40.0f);
    // The same bytes as a page: the game's rules play whatever field and script they make.
    startHelpDemo(fuzzPage, text, fuzzTutorial.figureTable);
    for (int frame = 0; frame < 600; ++frame) updateHelpDemo(fuzzPage, 40.0f);
    return 0;
}

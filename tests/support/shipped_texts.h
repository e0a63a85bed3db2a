#pragma once
// The string tables the game ships, read from the source tree into the program's one
// table, for tests that compare what the menus show with the real texts.
#include <filesystem>

#include "presentation/text.h"

inline void loadShippedTexts() {
    const std::filesystem::path here = std::filesystem::current_path();
    std::filesystem::current_path(QUELMAR_SOURCE_DIR "/assets/pack");
    clearStringTable(stringTable);
    for (const char* name : {"strings.txt", "tips.txt", "menutext.txt"}) loadStringFile(name);
    std::filesystem::current_path(here);
}

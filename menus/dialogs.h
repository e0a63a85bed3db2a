#pragma once
// The draw routines of the dialogs and the helpers they share.
#include <cstddef>

#include "menus/menu_system.h"

// One of the node's items as a button; registers its hit box (call in child order).
void drawMenuButton(MenuNode& node, int index, float cx, float cy, float w, float h, float size);

void drawMessageBox(MenuNode& node);
void drawNameEntry(MenuNode& node);
void drawGameTip(MenuNode& node);
void drawSavedGameQuestion(MenuNode& node);
void drawWelcome(MenuNode& node);
void drawFinal(MenuNode& node);
void drawDefeat(MenuNode& node);
void drawLevelStatistics(MenuNode& node);
int shownStatisticsScore(const MenuSystem& m, const LevelStats& stats);

// Table texts used as formats: "%i"/"%d" and "%s" are filled in; nothing else is
// interpreted, so a damaged text cannot read past its arguments.
void formatTwoIntegers(char* out, size_t capacity, const char* format, int a, int b);
void formatName(char* out, size_t capacity, const char* format, const char* name);

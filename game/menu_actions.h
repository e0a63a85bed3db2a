#pragma once
// What the menu items do: one table of {node, item, action} records, looked up by the
// names of the node shown and the item chosen (the first record that matches wins; "*"
// matches any node). An item no record names opens the node of the same name.
#include "menus/menu_system.h"

using MenuActionRoutine = void (*)(MenuNode& node, MenuNode& item);
struct MenuAction {
    const char* node;  // "*" for any node
    const char* item;
    MenuActionRoutine run;
};
extern const MenuAction kMenuActions[];
extern const int kMenuActionCount;

// Carries out what the engine reports at the end of a fade-out: the chosen item's action,
// or going back.
void carryOut(const MenuChoice& choice);

// A menu the game asks for (the core's menu announcement): shown over the play screen;
// "info" returns to the help screen on the menu screen.
void openMenuFromGame(const char* name);
// When the splash hands over: the main menu, or the name entry when there is no player.
void showFirstMenu();

#pragma once
// The menus' place in the program. registerMenus is called once before the game starts:
// it installs the menu screen's and the play screen's overlay handlers, the loading
// step of the menu tree and the hooks the menus act through.

void registerMenus();
void installMenuHooks();

// A menu the game asks for (the core's menu announcement): shown over the play screen.
void openMenuFromGame(const char* name);

// For the game's announcement sink: serves a menu request and returns true; any other
// announcement is left alone (false).
struct Announcement;
bool handleMenuAnnouncement(const Announcement& what);

#pragma once
// The menus' place in the program. registerMenus is called once before the game starts:
// it installs the menu screen's and the play screen's overlay handlers, the loading
// steps (texts and the menu tree) and the hooks the menus act through.
#include <cstddef>
#include <string_view>

#include "core/profile.h"

void registerMenus();
void installMenuHooks();

// The texts of the three string tables, in load order (positions matter: the game tips
// and the item tips are walked by position).
constexpr int kMenuStringCapacity = 1024;
constexpr int kMenuStringKeyLength = 64;

struct MenuString {
    char key[kMenuStringKeyLength];
    const char* value;  // into the pool
};

struct MenuStrings {
    MenuString entries[kMenuStringCapacity];
    int count;
    char pool[256 * 1024];
    size_t poolUsed;
};
extern MenuStrings menuStrings;

// Entries past the capacity, or that do not fit the pool, are dropped.
void addMenuString(MenuStrings& table, std::string_view key, std::string_view value);
int findMenuString(const MenuStrings& table, const char* key);  // first match, or -1

// The player profiles as the menus change them (create, rename, remove, select).
constexpr int kMenuProfileCapacity = 8;
struct MenuProfiles {
    Profile profiles[kMenuProfileCapacity];
    int count;
    int current;
    Profile blank;  // what the game plays with while no profile exists
};
extern MenuProfiles menuProfiles;

// An empty name, a name already taken, or a ninth profile is refused.
bool createMenuProfile(MenuProfiles& list, const char* name);
// Only an empty name is refused; two profiles may end up with the same name this way.
bool renameMenuProfile(MenuProfiles& list, int index, const char* name);
void removeMenuProfile(MenuProfiles& list, int index);

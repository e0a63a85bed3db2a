#pragma once
// The menu engine: one tree of named nodes read from "menu.txt", and one engine that
// shows a node at a time, fades between nodes, moves the selection by keyboard and
// mouse and runs the action that belongs to a chosen item's name. The same engine
// runs over the menu screen and over the running game.
#include <cstdint>
#include <string_view>

#include "menus/widgets.h"

constexpr int kMenuNodeCapacity = 256;
constexpr int kMenuChildCapacity = 16;
constexpr int kMenuNameCapacity = 64;  // 63 characters and the terminator
constexpr int kTextEntryCapacity = 12;
constexpr int kMessageCapacity = 1024;

constexpr int kMenuKeyBackspace = 8;
constexpr int kMenuKeyEnter = 13;
constexpr int kMenuKeyEscape = 27;
constexpr int kMenuKeySpace = 32;
constexpr int kMenuKeyEnd = 35;
constexpr int kMenuKeyHome = 36;
constexpr int kMenuKeyLeft = 37;
constexpr int kMenuKeyUp = 38;
constexpr int kMenuKeyRight = 39;
constexpr int kMenuKeyDown = 40;
constexpr int kMenuKeyDelete = 46;

constexpr float kMenuFadeMs = 300.0f;
constexpr int kTypedKeyCapacity = 16;

// What the level statistics show; times in whole seconds.
struct LevelStats {
    int32_t score;
    int32_t time;
    int32_t bestScore;
    int32_t bestTime;
    const char* bestScoreName;
    const char* bestTimeName;
};

struct MenuNode;
using MenuDrawRoutine = void (*)(MenuNode& node);

struct MenuNode {
    char name[kMenuNameCapacity];
    char caption[kMenuNameCapacity];
    MenuNode* parent;
    MenuNode* children[kMenuChildCapacity];
    int32_t childCount;
    MenuDrawRoutine draw;
};

struct MenuTable {
    MenuNode nodes[kMenuNodeCapacity];
    int32_t count;
};

struct MenuSystem {
    MenuNode* current;
    int32_t selected;
    float hoverTimer;  // the hovered control is widgetRegistry.hoverIndex
    bool mouseOverSelected;
    bool mouseHeld;
    bool clickPending;
    int32_t pendingKey;                    // a key the engine itself sets (a click on an item or arrow)
    int32_t typedKeys[kTypedKeyCapacity];  // keys that arrived since the last update, in order
    int32_t typedKeyCount;                 // further keys in one frame are dropped
    bool textRefused;                      // a letter did not fit: later letters wait for an edit
    bool fadeIn, fadeOut;
    float fadeElapsed;
    float fadeProgress;  // 0 shown .. 1 gone
    float slideOffset;
    bool activateOnFadeEnd, backOnFadeEnd;
    bool showMainOnInput;
    // Text entry of the name boxes.
    bool textEntry;
    char text[kTextEntryCapacity + 1];
    int32_t cursor;
    int32_t textLength;
    int32_t previousSelected;
    float pulseTimer;
    uint32_t highlightText;  // ARGB, pulsing
    uint32_t highlightGlow;
    char message[kMessageCapacity];
    // Screens' state.
    int32_t actProfile;   // the profile to act on (rename, remove)
    int32_t hiscoreRow;   // highlighted row, -1 none
    int32_t hiscoreMode;  // table shown
    bool pendingFullScreen;
    bool hiscoreOverGame;  // the table was opened over the running game
    float creditsTimer;
    int32_t gameTipCounter;
    int32_t gameTip1Index;  // string position of the first game tip, -1 if missing
    // Level statistics.
    int32_t statsPhase;
    float statsElapsed;
    float statsTick;
    float dialogPulse;
    float mouseX, mouseY;  // menu space, read each update
    float frameDt;         // the last update's time step, for the drawing routines' timers
};

extern MenuTable menuTable;
extern MenuSystem menuSystem;

// Builds the tree from the menu file's text (the engine's loading step, and tests).
// The text need not end in a zero byte. Resets the engine and the table first.
void buildMenus(MenuTable& table, MenuSystem& menus, std::string_view fileText);
// Creates or finds node `name` (and, recursively, its block's items) with `parent`.
MenuNode* createMenuNode(MenuTable& table, std::string_view fileText, std::string_view name,
                         MenuNode* parent);
MenuNode* findMenuNode(MenuTable& table, std::string_view name);
// The first node the game needs that the menu file's text lacks ("main" also needs an
// item after its title line), or nullptr when every one is there.
const char* missingMenuNode(std::string_view fileText);
// Loads "menu.txt" and builds the tree with the draw routines attached. A file without
// the nodes the game needs ends the program with a message naming the file.
void loadMenus();

void showMenu(const char* name);
void showNode(MenuNode* node);
void messageBox(const char* text, bool okOnly);

// What the player chose when a fade-out ended: an item of a node, or going back from
// it. The game layer carries it out (its table of menu actions); the engine itself only
// moves between nodes.
enum class MenuEvent : uint8_t { None, Chosen, Back };
struct MenuChoice {
    MenuEvent event;
    MenuNode* node;  // the node shown when the choice was made
    MenuNode* item;  // the chosen item (Chosen only)
};

// Input while the menus take input. The pointer's moves select the item under it.
void menuKeyDown(int key);
void menuLeftDown();
void menuLeftUp();
void menuPointerMoved();

// Once per frame, before drawMenus: fades, hover, sliders and keys. Returns what was
// chosen at the end of a fade-out, for the game layer to carry out.
MenuChoice updateMenus(float dt);
void drawMenus();
// The current node's items the player can reach (the first-start name entry hides its
// "cancel": there is no player to go back to).
int reachableItemCount(const MenuNode& node);

// Parts of the engine the screens, dialogs and menu actions use.
int hoverDetection();
// The default of going back: the parent node (the credits, options and game menus have
// their own ways back first).
void backAction();
// The overlay over the game closes: input and time go back to the game.
void closeMenus();
// Effects the menus start ("scorewow" beside a new record) play in a pool of their own,
// drawn after the menus.
void startMenuEffect(const char* name, float x, float y);
void drawMenuEffects(float dt);
void runEntryAction(MenuNode& node);
// Registration in the widget registry; the index, or -1 when the list is full.
int addMenuControl(const MenuControl& control);
int addItemHitBox(const ItemHitBox& box);
bool nodeIs(const MenuNode* node, const char* name);
const char* menuText(const char* key);  // the string, or "" when missing
void menuPlaySound(const char* sample, int frequency = 44100);
// The list of a node's items centred on (x, y) at letter size `size`, registering hit boxes.
// The level statistics: the first Enter ends the count at once.
void finishStatisticsCount();
// One frame of the statistics count (sounds, "wow" and the phase steps).
void advanceStatistics(MenuSystem& m, const LevelStats& stats, float dt);
// Draw routines are attached by name once the tree is built.
void attachDrawRoutines(MenuTable& table);
void drawItemList(MenuNode& node, float x, float y, float size);

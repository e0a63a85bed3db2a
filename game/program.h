#pragma once
// The program: start-up, the deferred loading, the message-and-frame loop and shut-down.
// Everything the game is made of is started from here, in order, by direct calls.
struct PlatformEvent;

// The whole program. Returns the exit code: 0, also for a second copy that ends at
// once; 1 when the window or the GPU device cannot be made.
int runProgram();

// Turns one window event into the current screen's operation it stands for.
void handlePlatformEvent(const PlatformEvent& event);

// One active frame: clear, draw, present, frame time, update, screen switch.
void runFrame();

// The deferred loading, once, when the splash screen can show its progress: the packs,
// texts and fonts, player files, effects, backs, menus and their images, the field and
// the levels, the sounds, the collection's pictures.
void loadGameData();
// Its pictures and effects that the screens draw with: particle effects, scenery, menus
// and their images, the HUD and the field (packs, texts and fonts opened first).
void loadScreenData();

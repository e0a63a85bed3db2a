#pragma once
// The play screen's frame: the game core advances, the presentation follows it, the
// menus over the field take their turn, and the picture is composed back to front. And
// the few moments where the game moves between levels and screens.
#include "core/field.h"

// Plays `level` (0..79) from its start in the profile's mode: the profile's position
// moves there, the level is loaded and the play screen is shown.
void startLevel(int level);

// A menu (pause menu, statistics, defeat, message box) is open over the field: input and
// time go to the menus.
bool overlayOpen();

// One frame of the play screen: the core reads the pointer and advances by the frame
// time, the presentation's clocks follow, the overlay's menus are updated, and the screen
// is composed.
void runGameFrame();
// Whether the frame advances the game: not once a switch to another screen is pending,
// so the last picture of a play screen being left never plays on (the help screen's
// tutorial has no level under it, and a level ended by a menu stays as it was).
bool gameRunsThisFrame();
// Drawing only, back to front: scenery, side panel, time bar, stock, field, figures in
// flight, pause and "nomoremoves" texts, bolts, particles, flyers; then score popups,
// flying letters, floating texts, the tip balloon, the menus over the field, the pointer.
void composePlayScreen(GameState& g, float dt);

// The pointer follows the game: the hammer while one is armed, the help pointer while
// the tutorial explains, the ordinary one otherwise.
void followPointer();

// The play screen is left: what belongs to the level's pictures stops there (its
// particles do not resume on the map).
void leavePlayScreen();

// Saves a running game when the window closes or the program is told to end (once);
// true when a game was saved.
bool saveGameOnClose();

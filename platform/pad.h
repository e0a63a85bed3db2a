#pragma once
// Game pads through SDL's game-controller interface. Every pad plugged in, at start or
// while the game runs, is taken at once; its buttons, its d-pad and its left stick
// arrive as PadDown and PadUp events from pollPlatformEvent (platform/window.h).
//
// For tests a virtual pad can be attached: SDL shows it to the game-controller interface
// like a real one, so its presses take the same road as a player's.
#include <cstdint>

// Starts the pad service (after platformInit); false when the system has none, and
// the game plays on without pads.
bool startPads();
int padCount();  // pads taken now

// The virtual pad: attached (it then arrives as a PadAdded event), its buttons pressed
// and released, its left stick moved (axis 0 across, 1 down; -32768..32767), detached.
bool attachVirtualPad();
void detachVirtualPad();
bool virtualPadAttached();
void setVirtualPadButton(int32_t button, bool down);  // a PadButton
void setVirtualPadAxis(int axis, int value);

// Names of the pad buttons as the virtual pad's commands spell them ("a", "start",
// "up", ...); -1 for a name that is none of them.
int padButtonNamed(const char* name);
const char* padButtonName(int32_t button);

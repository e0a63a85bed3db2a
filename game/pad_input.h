#pragma once
// A pad plays the game through the keys the screens already take: its d-pad and left
// stick are the arrow keys (repeating while held), A is Enter, B goes back (on the field
// it drops a pick or an armed hammer first, as Backspace does), X shows the hint, Y arms
// the hammer, the right shoulder uses a clock, Start pauses the level (and confirms in
// the menus), Back opens the game menu (and goes back in the menus).
#include <cstdint>

// The key a pad button stands for on the screen shown now; 0 for none.
int32_t padKeyFor(int32_t button, bool onField);
// A button went down or up.
void padButtonDown(int32_t button);
void padButtonUp(int32_t button);
// Once per frame: a direction held long enough repeats (first after 400 ms, then every
// 120 ms of frame time).
void padFrame(float dt);

#pragma once
// The tutorial's instruction panel on the play screen: a framed box with its title, two
// paragraphs, the two demonstration fields playing their swaps with a pointer that
// glides, clicks and flashes, and the pulsing "ok" button that closes it. The panel only
// draws: the demonstration itself runs in the game core (core/tutorial.h).
#include <cstdint>

struct Tutorial;

// Where everything of the panel goes, in menu space.
struct TutorialPanelLayout {
    float boxX, boxY, boxWidth, boxHeight;  // the framed box, by its centre
    float titleX, titleY, titleSize;        // "instructions1", centred
    float textLeft[2], textRight[2];        // "treasuretip" over field 1, "squarehelp" over field 2
    float textTop, textSize;                // first line of both paragraphs
    float buttonX, buttonY;                 // the "ok" button's centre
    float buttonWidth, buttonHeight;        // its face; clicks inside it close the panel
    float buttonTextSize;
};
extern const TutorialPanelLayout kTutorialPanel;

// The paragraphs' keys, in the order of the layout's text boxes.
extern const char* const kTutorialTexts[2];

// The "ok" text's colour at game clock t (ms): orange-yellow, its green pulsing 150..200.
uint32_t tutorialButtonColour(float t);
// The demonstration's opacity 0..255 from its fade clock: it fades out over the 500 ms
// before the reload and back in after it.
uint32_t tutorialFadeAlpha(const Tutorial& t);

// The demonstration's pointer: its tip, the glow right after a click (0..1) and the
// demonstration's opacity (0..255). The game layer draws it with the game's own cursor.
struct DemoPointer {
    float x, y;
    float flash;
    uint32_t alpha;
};
DemoPointer demoPointer(const Tutorial& t);

// The panel's contents over its framed box (which the caller draws first, with the
// menus' window frame): title, paragraphs, the page's demonstration (the two swap
// fields, a piece's field with its stock and fuse, or the table of keys) and the "ok"
// button. pointerX/pointerY is the player's pointer (the button answers it); dt and
// clock in ms.
void drawTutorialPanel(Tutorial& t, float pointerX, float pointerY, float dt, float clock);
// The keys' table: its rows in the string table from "helpkey1" on, each "keys|what it
// does|pad", drawn in three columns.
constexpr int kHelpKeyRows = 12;

#pragma once
// Menu windows and widgets: the framed window behind every menu and dialog, buttons,
// check boxes and sliders bound to settings, the glow around the hovered control, the
// balloon panel and the game's own mouse cursor. Everything is drawn from the atlas
// "menutex.tga" (4 x 8 cells of 64 x 64 units) and a few plain images, in menu space.
//
// The widgets register what they draw in the WidgetRegistry: the menu engine clears
// its counts at the start of each frame (beginWidgetFrame), draws the current node,
// and then reads the controls and item hit boxes for hover, clicks and keys.
#include <cstdint>

struct TextureRecord;

// ---- Atlas -------------------------------------------------------------------------------

enum MenuSprite : int {
    kSpriteCornerTopLeft = 0,
    kSpriteCornerTopRight = 1,
    kSpriteCornerBottomLeft = 2,
    kSpriteCornerBottomRight = 3,
    kSpriteEdgeHorizontal = 4,  // also the slider bar
    kSpriteEdgeVertical = 5,
    kSpriteSparkle = 6,  // 6 to 9: the window's corner sparkles
    kSpriteOrnamentTop = 10,
    kSpriteOrnamentBottom = 11,
    kSpriteOrnamentLeft = 12,
    kSpriteOrnamentRight = 13,
    kSpriteArrowLeft = 14,
    kSpriteArrowRight = 15,
    kSpriteSliderEndA = 16,
    kSpriteSliderEndB = 17,
    kSpriteSliderKnob = 19,
    kSpriteCheckTicked = 20,
    kSpriteCheckEmpty = 21,
    kSpriteCursor = 22,
    kSpriteCursorGlow = 23,
};
constexpr int kMenuSpriteCount = 24;

struct SpriteCells {
    int column, row, width, height;  // in atlas cells
};
SpriteCells spriteCells(int sprite);  // sprites outside 0..23 give sprite 0
// Texture rectangle of a sprite: its cells inset by 0.003 against bleeding.
void spriteTextureRect(int sprite, float* s0, float* t0, float* s1, float* t1);

// The images of the menus, loaded once after the menu file.
struct MenuImages {
    TextureRecord* atlas;    // "menutex.tga"
    TextureRecord* white;    // "white.jpg"
    TextureRecord* winfill;  // "winfill.jpg"
    TextureRecord* balloon;  // "baloon.tga": panel pieces and the tip balloon's tail
    TextureRecord* button;   // "button.tga"
    TextureRecord* flare;    // "flare.jpg": window halo and corner sparkles
    TextureRecord* glow;     // "podsvet.jpg"
};
extern MenuImages menuImages;
void loadMenuImages();  // missing images are fatal

// ---- Registration ------------------------------------------------------------------------

enum MenuControlKind : uint8_t {
    kControlSlider = 0,
    kControlCheckBox = 1,
    kControlLeftArrow = 4,
    kControlRightArrow = 5,
    kControlLink = 7,
    kControlProfileRow = 8,
    kControlZoneSlot = 9,
};

struct MenuControl {
    float left, top, right, bottom;  // menu space: top > bottom
    uint8_t kind;                    // MenuControlKind
    uint8_t flag;                    // check box ticked; link under the mouse this frame
    uint16_t steps;                  // slider positions
    uint16_t value;                  // slider position, 0 .. steps - 1
};

struct ItemHitBox {
    float left, top, right, bottom;
};

constexpr int kMenuControlCapacity = 128;  // further registrations in a frame are dropped
constexpr int kItemHitBoxCapacity = 32;    // likewise

// What the widgets drew this frame. Controls keep their flag and value between frames
// (the n-th control drawn is the same control every frame), which is how a click
// reaches the setting a control is bound to.
struct WidgetRegistry {
    MenuControl controls[kMenuControlCapacity] = {};
    int controlCount = 0;
    ItemHitBox hitBoxes[kItemHitBoxCapacity] = {};
    int hitBoxCount = 0;  // buttons and list items share this numbering
    int hoverIndex = -1;  // control under the mouse, -1 for none
    int selectedItem = 0;
    bool fadingIn = false;  // while set, controls take their bound settings
    float windowClock = 0;  // ms, corner sparkles
    float glowClock = 0;    // ms, control glow
};
extern WidgetRegistry widgetRegistry;

// Start of a frame: the counts go to 0, the clocks advance by dt.
void beginWidgetFrame(WidgetRegistry& registry, float dt);
// Forgets the controls entirely (a new node is shown).
void clearWidgets(WidgetRegistry& registry);
// Registration; each returns the index, or -1 when the list is full.
int addControl(WidgetRegistry& registry, const MenuControl& control);
int addItemHitBox(WidgetRegistry& registry, float left, float top, float right, float bottom);
// The binding rule: while the node fades in the control takes the setting, afterwards
// the setting takes the control. Slider values stay within 0 .. steps - 1.
void bindCheckBox(WidgetRegistry& registry, int index, bool& setting);
void bindSlider(WidgetRegistry& registry, int index, int32_t& setting);

// ---- Drawing -----------------------------------------------------------------------------

extern float menuSpriteScale;  // 1 normally; the main menu draws its window at 0.5

// One sprite centred on (x, y) at the sprite scale, times scale.
void drawMenuSprite(int sprite, float x, float y, uint32_t colour = 0xFFFFFFFF, float scale = 1.0f);

// Edge tiling: the number of equal tiles along an edge of this length.
int edgeTileCount(float length, float spriteScale);

// The window frame: halo (both sides over 192), fill, edges, corners, ornaments (sides
// over 192) and the corner sparkles. left/top is the top-left corner in menu space.
void drawWindow(float left, float top, float width, float height);
void drawWindowCentred(float cx, float cy, float width, float height);

// (The bare button face, drawButtonFace, lives with the tip balloon, which shares it.)
// A button that is also the next item of the current node: caption (or the node's
// child caption when null), highlighted when it is the selected item, hit box registered.
void drawButton(float cx, float cy, float width, float height, float letterSize, const char* caption);

// A check box centred on (x, y) bound to flag; label (may be null) left-aligned at
// x + 47, size labelSize.
void drawCheckBox(float x, float y, bool& flag, const char* label, float labelSize = 12.0f);
// A horizontal slider from (ax, ay) to (bx, by) bound to value, in steps positions.
void drawSlider(float ax, float ay, float bx, float by, int32_t& value, int steps);

// The glow over the hovered control: narrow (10 units around, the zone map) or wide
// (32 x 16, options and profiles).
void drawControlGlow(bool narrow);

// The balloon panel over the rectangle left, top, right, bottom (menu space).
void drawPanel(float left, float top, float right, float bottom);

// ---- Mouse cursor ------------------------------------------------------------------------

enum CursorType : int { kCursorNormal = 0, kCursorHammer = 1, kCursorHelp = 2 };
// The custom-cursor setting and the one function that changes it: on, the system cursor
// is hidden and drawCustomCursor draws the game's own each frame (the hammer of the play
// screen while one is armed). The menus apply the setting once their images exist.
void setCustomCursor(bool on);
// Which pointer shows: the one owner of that fact. With the custom cursor off the
// system cursor changes at once.
void setCursorType(int type);
int cursorType();
// Each frame after everything else, while the custom cursor is on and the pointer is
// inside the 800 x 600 area.
void drawCustomCursor();

#pragma once
// The window, its input, the millisecond clock, the mouse cursor and message boxes.
// One window per run; everything here runs on the main thread.
#include <cstdint>

// Virtual-key codes delivered to the screens.
enum KeyCode : int32_t {
    kKeyBackspace = 8,
    kKeyTab = 9,
    kKeyEnter = 13,
    kKeyShift = 16,
    kKeyControl = 17,
    kKeyAlt = 18,
    kKeyPause = 19,
    kKeyEscape = 27,
    kKeySpace = 32,
    kKeyPageUp = 33,
    kKeyPageDown = 34,
    kKeyEnd = 35,
    kKeyHome = 36,
    kKeyLeft = 37,
    kKeyUp = 38,
    kKeyRight = 39,
    kKeyDown = 40,
    kKeyInsert = 45,
    kKeyDelete = 46,
    kKey0 = 48,  // "0".."9" are 48..57
    kKeyA = 65,  // "A".."Z" are 65..90
    kKeyNumpad0 = 96,
    kKeyF1 = 112,
};

enum class PlatformEventType : uint8_t {
    None,
    Quit,     // the process was asked to end (signal, session end): no saving of a game
    Close,    // the player closed the window
    KeyDown,  // key: virtual-key code; repeats while held
    KeyUp,
    MouseMove,  // x, y: window coordinates
    LeftDown,
    LeftUp,
    LeftDoubleClick,  // a second press within the double-click time, instead of LeftDown
    RightDown,
    RightUp,
    RightDoubleClick,
    MiddleDown,
    MiddleDoubleClick,
    Resized,      // the drawable size changed
    Activated,    // the window became active or was restored
    Deactivated,  // the window lost the focus or was minimised
    PadDown,      // key: PadButton; a pad's left stick pushed past its dead zone counts as the d-pad
    PadUp,
    PadAdded,    // a pad was plugged in (or found at start) and is taken; key: how many pads now
    PadRemoved,  // key: how many pads now
};

// A pad's buttons as the game reads them (the game-controller layout: A below, B right,
// X left, Y above).
enum PadButton : int32_t {
    kPadA,
    kPadB,
    kPadX,
    kPadY,
    kPadBack,
    kPadStart,
    kPadLeftShoulder,
    kPadRightShoulder,
    kPadUp,
    kPadDown,
    kPadLeft,
    kPadRight,
    kPadButtonCount
};

struct PlatformEvent {
    PlatformEventType type;
    int32_t key;  // KeyDown, KeyUp; PadDown, PadUp: the PadButton
    int32_t x;    // mouse events: window coordinates
    int32_t y;
};

// A rectangle in window or drawable pixels.
struct PixelRect {
    int x, y, width, height;
};

// Starts the video and timer services. False when no display can be reached.
bool platformInit();
void platformShutdown();
const char* platformError();  // what the last failed call said
// The window's icon: width x height pixels, 4 bytes each (blue, green, red, alpha).
void setMainWindowIcon(const uint8_t* bgra, int width, int height);

// Creates the one window titled title. Windowed: width x height, resizable, centred.
// Full screen: the desktop's own mode. False on failure. The GL context is made by gpu.h.
bool createMainWindow(const char* title, int width, int height, bool fullScreen);
void destroyMainWindow();
bool mainWindowExists();
void showMainWindow();  // raise, focus and show
void setMainWindowFullScreen(bool fullScreen);
void setMainWindowSize(int width, int height);  // windowed size, centred again
bool mainWindowMinimised();
PixelRect mainWindowSize();    // window coordinates (what mouse events use)
PixelRect mainDrawableSize();  // real pixels (differs on high-density screens)

// The largest 4:3 rectangle that fits in width x height, centred: where the logical
// 800 x 600 screen is shown. The rest is black bars.
PixelRect letterboxRect(int width, int height);

// Maps window coordinates into the logical 800 x 600 screen (top-left origin); points
// on the bars fall outside 0..800 x 0..600.
void windowToLogical(int windowX, int windowY, float* logicalX, float* logicalY);

// Takes the next waiting event; false when none is waiting.
bool pollPlatformEvent(PlatformEvent& event);
// Puts a Quit event into the queue (what a quit message does).
void postQuitEvent();

uint32_t millisecondClock();  // wraps after 49 days; take differences as unsigned
void sleepMilliseconds(uint32_t ms);

enum class CursorShape : uint8_t { Arrow, Hand, Help, Hammer, Hidden };
void setCursorShape(CursorShape shape);
CursorShape currentCursorShape();

// Shows a modal message box with an OK button, owned by the window when it exists.
// Without a display (or with QUELMAR_NO_MESSAGE_BOXES set, as the tests do) it only
// writes to standard error.
void showMessageBox(const char* caption, const char* text);

// The display modes the desktop offers (largest first as the system lists them).
struct PlatformDisplayMode {
    int width, height;
    int bits;  // 32 or 16; other depths are reported as their own bit count
};
int listDisplayModes(PlatformDisplayMode* out, int capacity);

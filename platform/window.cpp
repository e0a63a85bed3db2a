#include "platform/window.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/pad.h"

namespace {

struct WindowState {
    SDL_Window* window = nullptr;
    bool videoStarted = false;
    bool active = false;  // last activation state reported to the caller
    SDL_Cursor* cursors[5] = {};
    CursorShape shape = CursorShape::Arrow;
};
WindowState windowState;

int32_t virtualKey(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) return kKeyA + (key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9) return kKey0 + (key - SDLK_0);
    if (key >= SDLK_F1 && key <= SDLK_F12) return kKeyF1 + (key - SDLK_F1);
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return kKeyNumpad0 + 1 + (key - SDLK_KP_1);
    switch (key) {
        case SDLK_BACKSPACE:
            return kKeyBackspace;
        case SDLK_TAB:
            return kKeyTab;
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
            return kKeyEnter;
        case SDLK_LSHIFT:
        case SDLK_RSHIFT:
            return kKeyShift;
        case SDLK_LCTRL:
        case SDLK_RCTRL:
            return kKeyControl;
        case SDLK_LALT:
        case SDLK_RALT:
            return kKeyAlt;
        case SDLK_PAUSE:
            return kKeyPause;
        case SDLK_CAPSLOCK:
            return 20;
        case SDLK_ESCAPE:
            return kKeyEscape;
        case SDLK_SPACE:
            return kKeySpace;
        case SDLK_PAGEUP:
            return kKeyPageUp;
        case SDLK_PAGEDOWN:
            return kKeyPageDown;
        case SDLK_END:
            return kKeyEnd;
        case SDLK_HOME:
            return kKeyHome;
        case SDLK_LEFT:
            return kKeyLeft;
        case SDLK_UP:
            return kKeyUp;
        case SDLK_RIGHT:
            return kKeyRight;
        case SDLK_DOWN:
            return kKeyDown;
        case SDLK_INSERT:
            return kKeyInsert;
        case SDLK_DELETE:
            return kKeyDelete;
        case SDLK_KP_0:
            return kKeyNumpad0;
        case SDLK_KP_MULTIPLY:
            return 106;
        case SDLK_KP_PLUS:
            return 107;
        case SDLK_KP_MINUS:
            return 109;
        case SDLK_KP_PERIOD:
            return 110;
        case SDLK_KP_DIVIDE:
            return 111;
        case SDLK_SEMICOLON:
            return 186;
        case SDLK_EQUALS:
            return 187;
        case SDLK_COMMA:
            return 188;
        case SDLK_MINUS:
            return 189;
        case SDLK_PERIOD:
            return 190;
        case SDLK_SLASH:
            return 191;
        case SDLK_BACKQUOTE:
            return 192;
        case SDLK_LEFTBRACKET:
            return 219;
        case SDLK_BACKSLASH:
            return 220;
        case SDLK_RIGHTBRACKET:
            return 221;
        case SDLK_QUOTE:
            return 222;
        default:
            return 0;
    }
}

// The game's hammer cursor, 32 x 32, hot spot at the head's striking face (2, 2).
// '#' outline, 'h' head, 'w' wooden handle, '.' transparent.
const char* const kHammerRows[] = {
    "..######........................", ".#hhhhhh#.......................",
    "#hhhhhhhh#......................", "#hhhhhhhhh#.....................",
    "#hhhhhhhhhh#....................", ".#hhhhhhhhhh#...................",
    "..#hhhhhhhhhh#..................", "...#hhhhhhhhh#..................",
    "....#hhhhhhhh#..................", ".....#hhhhhh#ww#................",
    "......#hhhh#wwww#...............", ".......####wwwwww#..............",
    "..........#wwwwwww#.............", "...........#wwwwwww#............",
    "............#wwwwwww#...........", ".............#wwwwwww#..........",
    "..............#wwwwwww#.........", "...............#wwwwwww#........",
    "................#wwwwwww#.......", ".................#wwwwwww#......",
    "..................#wwwwwww#.....", "...................#wwwwwww#....",
    "....................#wwwwwww#...", ".....................#wwwwww#...",
    "......................#wwww#....", ".......................####.....",
};

SDL_Cursor* makeHammerCursor() {
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, 32, 32, 32, SDL_PIXELFORMAT_ARGB8888);
    if (surface == nullptr) return nullptr;
    SDL_FillRect(surface, nullptr, 0);
    auto* pixels = static_cast<uint32_t*>(surface->pixels);
    int rows = static_cast<int>(sizeof(kHammerRows) / sizeof(kHammerRows[0]));
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < 32 && kHammerRows[y][x] != 0; ++x) {
            uint32_t colour = 0;
            switch (kHammerRows[y][x]) {
                case '#':
                    colour = 0xFF201810;
                    break;
                case 'h':
                    colour = 0xFFA8B0BC;
                    break;
                case 'w':
                    colour = 0xFFB07838;
                    break;
                default:
                    break;
            }
            pixels[y * (surface->pitch / 4) + x] = colour;
        }
    }
    SDL_Cursor* cursor = SDL_CreateColorCursor(surface, 2, 2);
    SDL_FreeSurface(surface);
    return cursor;
}

}  // namespace

bool pendingPadEvent(PlatformEvent& event);  // pad.cpp
bool takePadEvent(const SDL_Event& sdl);     // pad.cpp

// SDL falls back to drivers that show nothing (offscreen, dummy) when there is no
// display; a game running there is invisible yet holds the lock. Such a driver is taken
// only when SDL_VIDEODRIVER asks for it by name.
static bool invisibleDriverRefused() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr) return false;
    if (std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0) return false;
    const char* asked = std::getenv("SDL_VIDEODRIVER");
    if (asked != nullptr && std::strstr(asked, driver) != nullptr) return false;
    return true;
}

bool platformInit() {
    if (windowState.videoStarted) return true;
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER | SDL_INIT_EVENTS) != 0) return false;
    if (invisibleDriverRefused()) {
        SDL_Quit();
        SDL_SetError(
            "there is no display (DISPLAY and WAYLAND_DISPLAY are not set or cannot be reached); "
            "SDL_VIDEODRIVER=offscreen runs the game without one");
        return false;
    }
    windowState.videoStarted = true;
    startPads();  // without a pad service the game plays on with keys and mouse
    return true;
}

void platformShutdown() {
    destroyMainWindow();
    for (SDL_Cursor*& cursor : windowState.cursors) {
        if (cursor != nullptr) SDL_FreeCursor(cursor);
        cursor = nullptr;
    }
    if (windowState.videoStarted) SDL_Quit();
    windowState.videoStarted = false;
}

void setMainWindowIcon(const uint8_t* bgra, int width, int height) {
    if (windowState.window == nullptr || bgra == nullptr) return;
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint8_t*>(bgra), width, height, 32,
                                                              width * 4, SDL_PIXELFORMAT_BGRA32);
    if (surface == nullptr) return;
    SDL_SetWindowIcon(windowState.window, surface);
    SDL_FreeSurface(surface);
}

const char* platformError() {
    return SDL_GetError();
}

bool createMainWindow(const char* title, int width, int height, bool fullScreen) {
    if (!platformInit()) return false;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);  // depth lives in the scene buffer
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI | SDL_WINDOW_HIDDEN;
    if (fullScreen) {
        // Created at the desktop's size as well, so the window fills the screen even
        // where no window manager carries out the full-screen request.
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
        SDL_DisplayMode desktop;
        if (SDL_GetDesktopDisplayMode(0, &desktop) == 0) {
            width = desktop.w;
            height = desktop.h;
        }
    }
    windowState.window =
        SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height, flags);
    if (windowState.window == nullptr) return false;
    SDL_SetWindowMinimumSize(windowState.window, 320, 240);
    windowState.active = true;
    return true;
}

void destroyMainWindow() {
    if (windowState.window != nullptr) SDL_DestroyWindow(windowState.window);
    windowState.window = nullptr;
}

bool mainWindowExists() {
    return windowState.window != nullptr;
}

// The GL device needs the window; it reaches it through this accessor only.
SDL_Window* platformSdlWindow() {
    return windowState.window;
}

void showMainWindow() {
    if (windowState.window == nullptr) return;
    SDL_ShowWindow(windowState.window);
    SDL_RaiseWindow(windowState.window);
}

void setMainWindowFullScreen(bool fullScreen) {
    if (windowState.window == nullptr) return;
    if (fullScreen) {
        SDL_DisplayMode desktop;
        if (SDL_GetDesktopDisplayMode(0, &desktop) == 0)
            SDL_SetWindowSize(windowState.window, desktop.w, desktop.h);
        // Where no window manager takes over full screen, the window would keep its
        // windowed position and hang partly off the screen: it starts at the corner.
        SDL_Rect bounds;
        if (SDL_GetDisplayBounds(0, &bounds) == 0)
            SDL_SetWindowPosition(windowState.window, bounds.x, bounds.y);
    }
    SDL_SetWindowFullscreen(windowState.window, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
}

void setMainWindowSize(int width, int height) {
    if (windowState.window == nullptr) return;
    SDL_SetWindowSize(windowState.window, width, height);
    SDL_SetWindowPosition(windowState.window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
}

bool mainWindowMinimised() {
    return windowState.window != nullptr &&
           (SDL_GetWindowFlags(windowState.window) & SDL_WINDOW_MINIMIZED) != 0;
}

PixelRect mainWindowSize() {
    PixelRect rect{0, 0, 800, 600};
    if (windowState.window != nullptr) SDL_GetWindowSize(windowState.window, &rect.width, &rect.height);
    return rect;
}

PixelRect mainDrawableSize() {
    PixelRect rect{0, 0, 800, 600};
    if (windowState.window != nullptr) SDL_GL_GetDrawableSize(windowState.window, &rect.width, &rect.height);
    return rect;
}

PixelRect letterboxRect(int width, int height) {
    if (width <= 0 || height <= 0) return {0, 0, 0, 0};
    // Widest 4:3 rectangle: limited by the width (w * 3 / 4 <= height) or by the height.
    int w = width, h = width * 3 / 4;
    if (h > height) {
        h = height;
        w = height * 4 / 3;
    }
    return {(width - w) / 2, (height - h) / 2, w, h};
}

void windowToLogical(int windowX, int windowY, float* logicalX, float* logicalY) {
    PixelRect size = mainWindowSize();
    PixelRect box = letterboxRect(size.width, size.height);
    if (box.width <= 0 || box.height <= 0) {
        *logicalX = static_cast<float>(windowX);
        *logicalY = static_cast<float>(windowY);
        return;
    }
    *logicalX = static_cast<float>(windowX - box.x) * 800.0f / static_cast<float>(box.width);
    *logicalY = static_cast<float>(windowY - box.y) * 600.0f / static_cast<float>(box.height);
}

bool pollPlatformEvent(PlatformEvent& event) {
    if (pendingPadEvent(event)) return true;
    SDL_Event sdl;
    while (SDL_PollEvent(&sdl)) {
        event = PlatformEvent{PlatformEventType::None, 0, 0, 0};
        if (takePadEvent(sdl)) {
            if (pendingPadEvent(event)) return true;
            continue;
        }
        switch (sdl.type) {
            case SDL_QUIT:
                // Also follows the close of the last window; the loop is ending by then anyway.
                event.type = PlatformEventType::Quit;
                return true;
            case SDL_KEYDOWN:
            case SDL_KEYUP:
                event.key = virtualKey(sdl.key.keysym.sym);
                if (event.key == 0) continue;
                event.type = sdl.type == SDL_KEYDOWN ? PlatformEventType::KeyDown : PlatformEventType::KeyUp;
                return true;
            case SDL_MOUSEMOTION:
                event.type = PlatformEventType::MouseMove;
                event.x = sdl.motion.x;
                event.y = sdl.motion.y;
                return true;
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP: {
                bool down = sdl.type == SDL_MOUSEBUTTONDOWN;
                // A second press within the double-click time becomes a double click;
                // a third counts as a plain press again, a fourth as a double click.
                bool doubleClick = down && sdl.button.clicks >= 2 && sdl.button.clicks % 2 == 0;
                event.x = sdl.button.x;
                event.y = sdl.button.y;
                if (sdl.button.button == SDL_BUTTON_LEFT) {
                    event.type = !down ? PlatformEventType::LeftUp
                                       : (doubleClick ? PlatformEventType::LeftDoubleClick
                                                      : PlatformEventType::LeftDown);
                } else if (sdl.button.button == SDL_BUTTON_RIGHT) {
                    event.type = !down ? PlatformEventType::RightUp
                                       : (doubleClick ? PlatformEventType::RightDoubleClick
                                                      : PlatformEventType::RightDown);
                } else if (sdl.button.button == SDL_BUTTON_MIDDLE && down) {
                    event.type =
                        doubleClick ? PlatformEventType::MiddleDoubleClick : PlatformEventType::MiddleDown;
                } else {
                    continue;
                }
                return true;
            }
            case SDL_WINDOWEVENT:
                switch (sdl.window.event) {
                    case SDL_WINDOWEVENT_CLOSE:
                        event.type = PlatformEventType::Close;
                        return true;
                    case SDL_WINDOWEVENT_SIZE_CHANGED:
                        event.type = PlatformEventType::Resized;
                        return true;
                    case SDL_WINDOWEVENT_FOCUS_GAINED:
                    case SDL_WINDOWEVENT_RESTORED:
                    case SDL_WINDOWEVENT_SHOWN:
                        // Restoring and focusing arrive as separate events; report one activation.
                        if (windowState.active || mainWindowMinimised()) continue;
                        windowState.active = true;
                        event.type = PlatformEventType::Activated;
                        return true;
                    case SDL_WINDOWEVENT_FOCUS_LOST:
                    case SDL_WINDOWEVENT_MINIMIZED:
                    case SDL_WINDOWEVENT_HIDDEN:
                        if (!windowState.active) continue;
                        windowState.active = false;
                        event.type = PlatformEventType::Deactivated;
                        return true;
                    default:
                        continue;
                }
            default:
                continue;
        }
    }
    return false;
}

void postQuitEvent() {
    SDL_Event sdl{};
    sdl.type = SDL_QUIT;
    SDL_PushEvent(&sdl);
}

uint32_t millisecondClock() {
    return SDL_GetTicks();
}

void sleepMilliseconds(uint32_t ms) {
    SDL_Delay(ms);
}

void setCursorShape(CursorShape shape) {
    windowState.shape = shape;
    if (!windowState.videoStarted) return;
    if (shape == CursorShape::Hidden) {
        SDL_ShowCursor(SDL_DISABLE);
        return;
    }
    int index = static_cast<int>(shape);
    if (windowState.cursors[index] == nullptr) {
        switch (shape) {
            case CursorShape::Arrow:
                windowState.cursors[index] = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW);
                break;
            case CursorShape::Hand:
                windowState.cursors[index] = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_HAND);
                break;
            // No system help cursor here: the arrow stands in.
            case CursorShape::Help:
                windowState.cursors[index] = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW);
                break;
            case CursorShape::Hammer:
                windowState.cursors[index] = makeHammerCursor();
                break;
            case CursorShape::Hidden:
                break;
        }
    }
    if (windowState.cursors[index] != nullptr) SDL_SetCursor(windowState.cursors[index]);
    SDL_ShowCursor(SDL_ENABLE);
}

CursorShape currentCursorShape() {
    return windowState.shape;
}

void showMessageBox(const char* caption, const char* text) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
    if (std::getenv("QUELMAR_NO_MESSAGE_BOXES") != nullptr) return;
    if (!windowState.videoStarted && !platformInit()) return;  // no display: stderr only
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, windowState.window);
}

int listDisplayModes(PlatformDisplayMode* out, int capacity) {
    if (!windowState.videoStarted) return 0;
    int count = SDL_GetNumDisplayModes(0);
    int stored = 0;
    for (int i = 0; i < count && stored < capacity; ++i) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(0, i, &mode) != 0) continue;
        int bytes = SDL_BYTESPERPIXEL(mode.format);
        int bits = bytes == 4 ? 32 : static_cast<int>(SDL_BITSPERPIXEL(mode.format));
        out[stored++] = {mode.w, mode.h, bits};
    }
    return stored;
}

// Window-system events as the screens receive them: virtual-key codes and the order of
// presses and double clicks.
#include <SDL.h>

#include "gl_fixture.h"

namespace {

void pushKey(SDL_Keycode key) {
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.keysym.sym = key;
    SDL_PushEvent(&event);
}

void pushButton(bool down, Uint8 button, Uint8 clicks) {
    SDL_Event event{};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.button = button;
    event.button.clicks = clicks;
    event.button.x = 10;
    event.button.y = 20;
    SDL_PushEvent(&event);
}

std::vector<PlatformEvent> drain() {
    std::vector<PlatformEvent> events;
    PlatformEvent event;
    while (pollPlatformEvent(event))
        if (event.type != PlatformEventType::MouseMove) events.push_back(event);
    return events;
}

}  // namespace

TEST_F(GlTest, KeysArriveAsVirtualKeyCodes) {
    drain();
    for (SDL_Keycode key : {SDLK_RETURN, SDLK_ESCAPE, SDLK_SPACE, SDLK_LEFT, SDLK_DOWN, SDLK_BACKSPACE,
                            SDLK_DELETE, SDLK_HOME, SDLK_a, SDLK_z, SDLK_0, SDLK_9, SDLK_F1})
        pushKey(key);
    std::vector<PlatformEvent> events = drain();
    std::vector<int32_t> codes;
    for (const PlatformEvent& e : events) codes.push_back(e.key);
    EXPECT_EQ(codes, (std::vector<int32_t>{13, 27, 32, 37, 40, 8, 46, 36, 65, 90, 48, 57, 112}));
}

TEST_F(GlTest, ASecondPressBecomesADoubleClickAndAThirdAPressAgain) {
    drain();
    for (Uint8 clicks : {1, 2, 3}) {
        pushButton(true, SDL_BUTTON_LEFT, clicks);
        pushButton(false, SDL_BUTTON_LEFT, clicks);
    }
    pushButton(true, SDL_BUTTON_RIGHT, 1);
    pushButton(true, SDL_BUTTON_RIGHT, 2);
    std::vector<PlatformEventType> types;
    for (const PlatformEvent& e : drain()) types.push_back(e.type);
    using T = PlatformEventType;
    EXPECT_EQ(types, (std::vector<T>{T::LeftDown, T::LeftUp, T::LeftDoubleClick, T::LeftUp, T::LeftDown,
                                     T::LeftUp, T::RightDown, T::RightDoubleClick}));
}

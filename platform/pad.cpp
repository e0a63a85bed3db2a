#include "platform/pad.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>

#include "platform/window.h"

namespace {

constexpr int kPadCapacity = 8;
constexpr int kPendingCapacity = 16;
// The left stick counts as pressed past this much of its travel and as released below
// the smaller value, so a stick resting near the edge does not flicker.
constexpr int kStickPress = 16000;
constexpr int kStickRelease = 10000;

struct PadState {
    bool started = false;
    SDL_GameController* pads[kPadCapacity] = {};
    int count = 0;
    int stick[2] = {0, 0};  // -1, 0, 1 across and down
    PlatformEvent pending[kPendingCapacity] = {};
    int pendingHead = 0;
    int pendingCount = 0;
    int virtualIndex = -1;  // device index of the virtual pad, -1 none
    SDL_Joystick* virtualJoystick = nullptr;
};
PadState padState;

const char* const kButtonNames[kPadButtonCount] = {
    "a", "b", "x", "y", "back", "start", "leftshoulder", "rightshoulder", "up", "down", "left", "right"};

int32_t padButtonOf(int sdlButton) {
    switch (sdlButton) {
        case SDL_CONTROLLER_BUTTON_A:
            return kPadA;
        case SDL_CONTROLLER_BUTTON_B:
            return kPadB;
        case SDL_CONTROLLER_BUTTON_X:
            return kPadX;
        case SDL_CONTROLLER_BUTTON_Y:
            return kPadY;
        case SDL_CONTROLLER_BUTTON_BACK:
            return kPadBack;
        case SDL_CONTROLLER_BUTTON_START:
            return kPadStart;
        case SDL_CONTROLLER_BUTTON_LEFTSHOULDER:
            return kPadLeftShoulder;
        case SDL_CONTROLLER_BUTTON_RIGHTSHOULDER:
            return kPadRightShoulder;
        case SDL_CONTROLLER_BUTTON_DPAD_UP:
            return kPadUp;
        case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
            return kPadDown;
        case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
            return kPadLeft;
        case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
            return kPadRight;
        default:
            return -1;
    }
}

int sdlButtonOf(int32_t button) {
    static const int buttons[kPadButtonCount] = {SDL_CONTROLLER_BUTTON_A,
                                                 SDL_CONTROLLER_BUTTON_B,
                                                 SDL_CONTROLLER_BUTTON_X,
                                                 SDL_CONTROLLER_BUTTON_Y,
                                                 SDL_CONTROLLER_BUTTON_BACK,
                                                 SDL_CONTROLLER_BUTTON_START,
                                                 SDL_CONTROLLER_BUTTON_LEFTSHOULDER,
                                                 SDL_CONTROLLER_BUTTON_RIGHTSHOULDER,
                                                 SDL_CONTROLLER_BUTTON_DPAD_UP,
                                                 SDL_CONTROLLER_BUTTON_DPAD_DOWN,
                                                 SDL_CONTROLLER_BUTTON_DPAD_LEFT,
                                                 SDL_CONTROLLER_BUTTON_DPAD_RIGHT};
    return button >= 0 && button < kPadButtonCount ? buttons[button] : -1;
}

void queue(PlatformEventType type, int32_t key) {
    if (padState.pendingCount >= kPendingCapacity) return;
    const int at = (padState.pendingHead + padState.pendingCount) % kPendingCapacity;
    padState.pending[at] = PlatformEvent{type, key, 0, 0};
    ++padState.pendingCount;
}

// One stick axis: a direction pressed past the dead zone, released inside it, or turned
// over to the other side (a release, then a press).
void stickMoved(int axis, int value) {
    int& was = padState.stick[axis];
    int now = was;
    if (value >= kStickPress)
        now = 1;
    else if (value <= -kStickPress)
        now = -1;
    else if (value < kStickRelease && value > -kStickRelease)
        now = 0;
    if (now == was) return;
    const int32_t negative = axis == 0 ? kPadLeft : kPadUp, positive = axis == 0 ? kPadRight : kPadDown;
    if (was != 0) queue(PlatformEventType::PadUp, was < 0 ? negative : positive);
    if (now != 0) queue(PlatformEventType::PadDown, now < 0 ? negative : positive);
    was = now;
}

void addPad(int deviceIndex) {
    if (padState.count >= kPadCapacity) return;
    SDL_GameController* pad = SDL_GameControllerOpen(deviceIndex);
    if (pad == nullptr) return;
    for (int i = 0; i < padState.count; ++i)
        if (padState.pads[i] == pad) return;  // already taken (SDL counts its opens)
    padState.pads[padState.count++] = pad;
    queue(PlatformEventType::PadAdded, padState.count);
}

void removePad(SDL_JoystickID instance) {
    for (int i = 0; i < padState.count; ++i) {
        SDL_Joystick* joystick = SDL_GameControllerGetJoystick(padState.pads[i]);
        if (joystick == nullptr || SDL_JoystickInstanceID(joystick) != instance) continue;
        SDL_GameControllerClose(padState.pads[i]);
        padState.pads[i] = padState.pads[--padState.count];
        padState.stick[0] = padState.stick[1] = 0;
        queue(PlatformEventType::PadRemoved, padState.count);
        return;
    }
}

}  // namespace

// The next pad event waiting, if any (window.cpp drains these before SDL's queue).
bool pendingPadEvent(PlatformEvent& event) {
    if (padState.pendingCount == 0) return false;
    event = padState.pending[padState.pendingHead];
    padState.pendingHead = (padState.pendingHead + 1) % kPendingCapacity;
    --padState.pendingCount;
    return true;
}

// Takes an SDL event that belongs to the pads; true when it was one of theirs (what it
// means, if anything, waits in pendingPadEvent).
bool takePadEvent(const SDL_Event& sdl) {
    switch (sdl.type) {
        case SDL_CONTROLLERDEVICEADDED:
            addPad(sdl.cdevice.which);
            return true;
        case SDL_CONTROLLERDEVICEREMOVED:
            removePad(sdl.cdevice.which);
            return true;
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP: {
            const int32_t button = padButtonOf(sdl.cbutton.button);
            if (button >= 0)
                queue(sdl.type == SDL_CONTROLLERBUTTONDOWN ? PlatformEventType::PadDown
                                                           : PlatformEventType::PadUp,
                      button);
            return true;
        }
        case SDL_CONTROLLERAXISMOTION:
            if (sdl.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX) stickMoved(0, sdl.caxis.value);
            if (sdl.caxis.axis == SDL_CONTROLLER_AXIS_LEFTY) stickMoved(1, sdl.caxis.value);
            return true;
        default:
            return false;
    }
}

bool startPads() {
    if (padState.started) return true;
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) return false;
    padState.started = true;
    return true;
}

int padCount() {
    return padState.count;
}

bool attachVirtualPad() {
    if (!padState.started || padState.virtualIndex >= 0) return false;
    // Its presses count while another window has the focus: a test's pad is its only player.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    SDL_VirtualJoystickDesc desc;
    SDL_zero(desc);
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.button_mask = (1u << SDL_CONTROLLER_BUTTON_MAX) - 1;
    desc.axis_mask = (1u << SDL_CONTROLLER_AXIS_MAX) - 1;
    desc.name = "virtual pad";
    const int index = SDL_JoystickAttachVirtualEx(&desc);
    if (index < 0) return false;
    padState.virtualIndex = index;
    padState.virtualJoystick = SDL_JoystickOpen(index);
    return padState.virtualJoystick != nullptr;
}

void detachVirtualPad() {
    if (padState.virtualIndex < 0) return;
    if (padState.virtualJoystick != nullptr) SDL_JoystickClose(padState.virtualJoystick);
    SDL_JoystickDetachVirtual(padState.virtualIndex);
    padState.virtualJoystick = nullptr;
    padState.virtualIndex = -1;
}

bool virtualPadAttached() {
    return padState.virtualJoystick != nullptr;
}

void setVirtualPadButton(int32_t button, bool down) {
    const int sdlButton = sdlButtonOf(button);
    if (padState.virtualJoystick == nullptr || sdlButton < 0) return;
    SDL_JoystickSetVirtualButton(padState.virtualJoystick, sdlButton, down ? 1 : 0);
}

void setVirtualPadAxis(int axis, int value) {
    if (padState.virtualJoystick == nullptr || axis < 0 || axis > 1) return;
    if (value < -32768) value = -32768;
    if (value > 32767) value = 32767;
    SDL_JoystickSetVirtualAxis(padState.virtualJoystick,
                               axis == 0 ? SDL_CONTROLLER_AXIS_LEFTX : SDL_CONTROLLER_AXIS_LEFTY,
                               static_cast<Sint16>(value));
}

int padButtonNamed(const char* name) {
    if (name == nullptr) return -1;
    for (int i = 0; i < kPadButtonCount; ++i)
        if (std::strcmp(name, kButtonNames[i]) == 0) return i;
    return -1;
}

const char* padButtonName(int32_t button) {
    return button >= 0 && button < kPadButtonCount ? kButtonNames[button] : "";
}

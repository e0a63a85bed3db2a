#include "game/pad_input.h"

#include "app/screen.h"
#include "core/cursor.h"
#include "core/field.h"
#include "game/play.h"
#include "game/screens.h"
#include "platform/window.h"

namespace {

constexpr float kFirstRepeatMs = 400.0f;
constexpr float kRepeatMs = 120.0f;

struct PadInput {
    int32_t heldDirection;  // the PadButton of the direction held, -1 none
    float heldMs;           // how long it has been held
    float nextRepeatMs;     // when it repeats next
};
PadInput padInput = {-1, 0.0f, 0.0f};

bool isDirection(int32_t button) {
    return button == kPadUp || button == kPadDown || button == kPadLeft || button == kPadRight;
}

// The field takes the keys: the play screen with no menu over it.
bool fieldTakesKeys() {
    return onPlayScreen() && !overlayOpen();
}

void sendKey(int32_t key) {
    if (key != 0 && screens.current != nullptr) screens.current->onKeyDown(key);
}

}  // namespace

int32_t padKeyFor(int32_t button, bool onField) {
    const auto key = [](int32_t code) { return code; };  // the field's keys and the window's, as one type
    switch (button) {
        case kPadUp:
            return kKeyUp;
        case kPadDown:
            return kKeyDown;
        case kPadLeft:
            return kKeyLeft;
        case kPadRight:
            return kKeyRight;
        case kPadA:
            return kKeyEnter;
        case kPadB:
            return onField ? key(kFieldKeyBack) : key(kKeyEscape);
        case kPadX:
            return onField ? key(kFieldKeyHint) : 0;
        case kPadY:
            return onField ? key(kFieldKeyHammer) : 0;
        case kPadRightShoulder:
            return onField ? key(kFieldKeyClock) : 0;
        case kPadStart:
            return onField ? key(kKeySpace) : key(kKeyEnter);
        case kPadBack:
            return kKeyEscape;
        default:
            return 0;
    }
}

void padButtonDown(int32_t button) {
    if (isDirection(button)) {
        padInput.heldDirection = button;
        padInput.heldMs = 0.0f;
        padInput.nextRepeatMs = kFirstRepeatMs;
    }
    sendKey(padKeyFor(button, fieldTakesKeys()));
}

void padButtonUp(int32_t button) {
    if (button == padInput.heldDirection) padInput.heldDirection = -1;
}

void padFrame(float dt) {
    if (padInput.heldDirection < 0) return;
    padInput.heldMs += dt;
    if (padInput.heldMs < padInput.nextRepeatMs) return;
    padInput.nextRepeatMs = padInput.heldMs + kRepeatMs;
    sendKey(padKeyFor(padInput.heldDirection, fieldTakesKeys()));
}

#include "app/screen.h"

ScreenRegistry screens = {nullptr, nullptr, false};

void requestScreen(ScreenRegistry& registry, Screen* next) {
    registry.pending = next;
    registry.switchPending = true;
}

void requestScreen(Screen* next) {
    requestScreen(screens, next);
}

void switchPendingScreen(ScreenRegistry& registry) {
    if (!registry.switchPending) return;
    registry.switchPending = false;
    if (registry.pending == nullptr) return;  // the current screen is never left empty
    if (registry.current != nullptr) registry.current->onLeave();
    registry.pending->onEnter();
    registry.current = registry.pending;
    registry.pending = nullptr;
}

void setCurrentScreen(ScreenRegistry& registry, Screen* screen) {
    registry.current = screen;
}

// The game program: everything happens in runGame.
#include "app/app.h"
#include "presentation/text.h"

int main() {
    registerTextLoading();
    return runGame();
}

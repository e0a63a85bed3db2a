// The game program: the play screen's parts register themselves, then everything
// happens in runGame.
#include "app/app.h"
#include "presentation/play_frame.h"

int main() {
    registerPlayScreen();
    return runGame();
}

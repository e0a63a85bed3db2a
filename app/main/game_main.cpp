// The game program: everything happens in runGame.
#include "app/app.h"
#include "presentation/scenery.h"

int main() {
    registerScenery();
    return runGame();
}

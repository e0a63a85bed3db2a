// The game program: everything happens in runGame.
#include "app/app.h"

int main() {
    return runGame();
}

// The game program: the menus connect themselves, then everything happens in runGame.
#include "app/app.h"
#include "menus/menu_wiring.h"

int main() {
    registerMenus();
    return runGame();
}

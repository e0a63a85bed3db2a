// The game program: the text, widget and menu parts connect themselves, then
// everything happens in runGame.
#include "app/app.h"
#include "menus/menu_wiring.h"
#include "menus/widgets.h"
#include "presentation/text.h"

int main() {
    registerTextLoading();
    registerWidgetLoading();
    registerMenus();
    return runGame();
}

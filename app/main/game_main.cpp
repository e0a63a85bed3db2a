// The game program: the text, HUD, scenery, widget and menu parts connect
// themselves, then everything happens in runGame.
#include "app/app.h"
#include "menus/menu_wiring.h"
#include "menus/widgets.h"
#include "presentation/hud.h"
#include "presentation/scenery.h"
#include "presentation/text.h"

int main() {
    registerTextLoading();
    registerHudLoading();
    registerScenery();
    registerWidgetLoading();
    registerMenus();
    return runGame();
}

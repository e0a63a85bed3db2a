// The game program: everything happens in runGame.
#include "app/app.h"
#include "menus/widgets.h"
#include "presentation/text.h"

int main() {
    registerTextLoading();
    registerWidgetLoading();
    return runGame();
}

// The game program: everything happens in runGame.
#include "app/app.h"
#include "presentation/hud.h"
#include "presentation/particles.h"
#include "presentation/scenery.h"
#include "presentation/text.h"

int main() {
    registerTextLoading();
    registerHudLoading();
    registerScenery();
    registerParticleLoading();
    return runGame();
}

// The game program: the play screen's parts register themselves, then everything
// happens in runGame.
#include "app/app.h"
#include "presentation/hud.h"
#include "presentation/particles.h"
#include "presentation/play_frame.h"
#include "presentation/text.h"

int main() {
    registerTextLoading();
    registerHudLoading();
    registerParticleLoading();
    registerPlayScreen();
    return runGame();
}

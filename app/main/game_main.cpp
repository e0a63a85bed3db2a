// The game program: the play screen's parts register themselves, then everything
// happens in runGame.
#include "app/app.h"
#include "presentation/particles.h"
#include "presentation/play_frame.h"

int main() {
    registerParticleLoading();
    registerPlayScreen();
    return runGame();
}

// The game program: everything happens in runGame.
#include "app/app.h"
#include "presentation/particles.h"

int main() {
    registerParticleLoading();
    return runGame();
}

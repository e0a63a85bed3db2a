// 10 Quelmars: everything starts in the game layer's program.
#include "game/program.h"

int main() {
    return runProgram();
}

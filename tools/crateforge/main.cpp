// crateforge: run in the folder of the game's loose files, it writes the four data
// packs there. It takes no arguments. Exit status 1 when anything failed.
#include "tools/crateforge/wrap.h"

int main() {
    int ok = 1;
    ok &= wrapFolder("targa", "*.tga");
    ok &= wrapFolder("jpeg", "*.jpg");
    ok &= wrapFolder("sounds", "*.ogg");
    ok &= wrapFolder("texts", "*.txt");
    return ok ? 0 : 1;
}

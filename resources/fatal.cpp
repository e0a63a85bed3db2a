#include "resources/fatal.h"

#include <cstdio>
#include <cstdlib>

static void defaultFatalHandler(const char* caption, const char* text) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
    std::exit(1);
}

static FatalHandler currentFatalHandler = defaultFatalHandler;

FatalHandler setFatalHandler(FatalHandler handler) {
    FatalHandler previous = currentFatalHandler;
    currentFatalHandler = handler ? handler : defaultFatalHandler;
    return previous;
}

void fatalError(const char* caption, const char* text) {
    currentFatalHandler(caption, text);
}

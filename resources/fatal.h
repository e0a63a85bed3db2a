#pragma once
// The one way the program stops on a missing file, image or device: a message to
// the player, then exit code 1. The window layer installs a handler that also shows
// a message box; tests install one that records the call and returns.

using FatalHandler = void (*)(const char* caption, const char* text);

// Replaces the handler; nullptr restores the default (standard error, then exit 1).
// Returns the previous handler.
FatalHandler setFatalHandler(FatalHandler handler);

// Reports a fatal failure through the current handler. The default handler never
// returns; a handler installed by a test may, and callers then fail quietly.
void fatalError(const char* caption, const char* text);

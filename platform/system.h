#pragma once
// Process-level services: the single-instance lock and the folders.
#include <cstddef>

// Takes the per-user advisory lock that marks a running copy of the game. Returns false
// when another live process holds it. The lock is released by the system when the
// process ends for any reason, so a crashed copy never blocks the next start. When the
// lock file cannot be opened at all, the game starts anyway (true).
// The file is $XDG_RUNTIME_DIR/10quelmars.lock (or /tmp/10quelmars-UID.lock);
// QUELMAR_INSTANCE_LOCK names another path (the tests use their own).
bool acquireSingleInstanceLock();

// The folder of the running executable, without a trailing slash; false if unknown.
bool executableFolder(char* out, size_t capacity);

bool changeFolder(const char* path);  // makes path the current folder
bool makeFolder(const char* path);    // creates it; true if it exists afterwards
bool currentFolder(char* out, size_t capacity);

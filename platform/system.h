#pragma once
// Process-level services: the single-instance lock and the folders.
#include <cstddef>

// The per-user advisory lock that marks a running copy of the game, on the file at
// path (created with mode 0600, never through a symbolic link). The system drops it
// when the process ends for any reason, so a crashed copy never blocks the next start.
// Failed leaves errno telling why the file could not be opened or locked.
enum class InstanceLock { Taken, HeldElsewhere, Failed };
InstanceLock takeInstanceLock(const char* path);

// The folder of the running executable, without a trailing slash; false if unknown.
bool executableFolder(char* out, size_t capacity);

bool changeFolder(const char* path);  // makes path the current folder
bool makeFolder(const char* path);    // creates it; true if it exists afterwards
// Creates path and every missing folder above it (mode 0700 for new ones, as they hold
// one user's files); true when it is a folder afterwards. errno tells why not.
bool makeFolders(const char* path);
bool isFolder(const char* path);
bool currentFolder(char* out, size_t capacity);

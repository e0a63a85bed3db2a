#include "app/user_folders.h"

#include <dirent.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "platform/system.h"
#include "platform/window.h"
#include "resources/files.h"

#ifndef QUELMAR_INSTALLED_DATA
#define QUELMAR_INSTALLED_DATA "../share/games/10quelmars"
#endif

GameFolders gameFolders = {};

namespace {

constexpr const char* kPlayerFileNames[] = {"records.dat", "hiscore.dat", "profiles.dat", "settings.dat"};

// out = a + b; false when it does not fit.
bool joinPath(char* out, size_t capacity, const char* a, const char* b) {
    const int n = std::snprintf(out, capacity, "%s%s", a, b);
    return n >= 0 && static_cast<size_t>(n) < capacity;
}

// Makes a folder path end in exactly one slash.
bool withSlash(char* out, size_t capacity, const char* folder) {
    const size_t length = std::strlen(folder);
    return joinPath(out, capacity, folder, length > 0 && folder[length - 1] == '/' ? "" : "/");
}

bool isSavedGameName(const char* name) {
    const size_t length = std::strlen(name);
    return length > 8 && (std::strcmp(name + length - 8, "_cls.sav") == 0 ||
                          std::strcmp(name + length - 8, "_ndl.sav") == 0);
}

// Copies one small file through the file layer's safe write; false when it failed.
bool copySmallFile(const char* from, const char* to) {
    static uint8_t buffer[1 << 20];  // player files are a few kilobytes; saved games 33 687 bytes
    uint32_t size = 0;
    if (readFileStatus(from, buffer, sizeof buffer, &size) != FileRead::Whole || size > sizeof buffer)
        return false;
    return writeWholeFile(to, buffer, size);
}

void showProblem(const char* caption, const char* text) {
    // The platform's box also writes the text to standard error.
    showMessageBox(caption, text);
}

}  // namespace

bool findDataFolder(const char* programFolder, char* out, size_t capacity) {
    char candidate[kGameFolderCapacity];
    if (const char* chosen = std::getenv("QUELMAR_DATA_DIR"); chosen != nullptr && chosen[0] != 0) {
        // Asked for by name: that folder or none, never a silent fallback.
        return isFolder(chosen) && realpath(chosen, candidate) != nullptr &&
               withSlash(out, capacity, candidate);
    }
    const char* const relative[] = {"/Data", "/" QUELMAR_INSTALLED_DATA};
    for (const char* tail : relative) {
        char joined[kGameFolderCapacity];
        if (!joinPath(joined, sizeof joined, programFolder, tail)) continue;
        if (isFolder(joined) && realpath(joined, candidate) != nullptr)
            return withSlash(out, capacity, candidate);
    }
    return false;
}

bool findUserFolder(char* out, size_t capacity) {
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    // The base directory rules ignore a relative XDG_DATA_HOME.
    if (dataHome != nullptr && dataHome[0] == '/') {
        char base[kGameFolderCapacity];
        return withSlash(base, sizeof base, dataHome) && joinPath(out, capacity, base, "10quelmars/");
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') return false;
    char base[kGameFolderCapacity];
    return withSlash(base, sizeof base, home) && joinPath(out, capacity, base, ".local/share/10quelmars/");
}

bool findGameFolders(GameFolders& folders) {
    std::memset(&folders, 0, sizeof folders);
    if (!executableFolder(folders.program, sizeof folders.program))
        currentFolder(folders.program, sizeof folders.program);
    if (!findDataFolder(folders.program, folders.data, sizeof folders.data)) {
        const char* chosen = std::getenv("QUELMAR_DATA_DIR");
        if (chosen != nullptr && chosen[0] != 0)
            std::fprintf(stderr, "10 Quelmars: QUELMAR_DATA_DIR=%s is not a folder\n", chosen);
        else
            std::fprintf(stderr, "10 Quelmars: no game data in %s/Data or %s/%s\n", folders.program,
                         folders.program, QUELMAR_INSTALLED_DATA);
        return false;
    }
    if (findUserFolder(folders.user, sizeof folders.user) &&
        !joinPath(folders.settings, sizeof folders.settings, folders.user, "settings/"))
        folders.settings[0] = 0;
    return true;
}

bool prepareUserFolder(GameFolders& folders) {
    folders.userWritable = false;
    if (folders.settings[0] == 0) {
        errno = ENOENT;
        reportWriteFailure("the user's data folder (neither XDG_DATA_HOME nor HOME is set)");
        // Nothing can be kept; the files go nowhere rather than into the shared data.
        setPlayerFolder("/nonexistent/10quelmars/settings/");
        return false;
    }
    setPlayerFolder(folders.settings);
    if (!makeFolders(folders.settings)) {
        reportWriteFailure(folders.settings);
        return false;
    }
    if (access(folders.settings, W_OK | X_OK) != 0) {
        reportWriteFailure(folders.settings);
        return false;
    }
    folders.userWritable = true;
    return true;
}

GameLock takeGameLock(const GameFolders& folders) {
    char path[kGameFolderCapacity];
    const char* chosen = std::getenv("QUELMAR_INSTANCE_LOCK");
    if (chosen != nullptr && chosen[0] != 0) {
        std::snprintf(path, sizeof path, "%s", chosen);
    } else {
        if (!folders.userWritable) return GameLock::Run;  // nothing can be written: nothing to guard
        if (!joinPath(path, sizeof path, folders.user, "10quelmars.lock")) return GameLock::Run;
    }
    switch (takeInstanceLock(path)) {
        case InstanceLock::Taken:
            return GameLock::Run;
        case InstanceLock::HeldElsewhere:
            std::fprintf(stderr, "10 Quelmars is already running for this user (it holds %s)\n", path);
            return GameLock::AnotherCopy;
        case InstanceLock::Failed:
            break;
    }
    const int why = errno;
    if (!folders.userWritable) return GameLock::Run;
    char text[kGameFolderCapacity + 256];
    std::snprintf(text, sizeof text,
                  "Cannot take the lock file %s: %s.\nWithout it a second copy of the game could undo "
                  "this one's progress, so the game stops.",
                  path, why == ELOOP ? "it is a symbolic link" : std::strerror(why));
    showProblem("10 Quelmars cannot start", text);
    return GameLock::Stop;
}

int adoptOldPlayerFiles(const char* oldSettings, const char* settingsFolder) {
    char to[kGameFolderCapacity], from[kGameFolderCapacity];
    // The user's folder counts as new while it has neither the profiles nor the settings.
    for (const char* name : {"profiles.dat", "settings.dat"})
        if (!joinPath(to, sizeof to, settingsFolder, name) || access(to, F_OK) == 0) return 0;
    if (!isFolder(oldSettings) || !isFolder(settingsFolder)) return 0;
    int copied = 0;
    const auto copy = [&](const char* name) {
        if (joinPath(from, sizeof from, oldSettings, name) && joinPath(to, sizeof to, settingsFolder, name) &&
            access(from, F_OK) == 0 && copySmallFile(from, to))
            ++copied;
    };
    if (DIR* folder = opendir(oldSettings)) {
        while (const dirent* entry = readdir(folder))
            if (isSavedGameName(entry->d_name)) copy(entry->d_name);
        closedir(folder);
    }
    // The two files that mark the folder as taken come last, so a copy cut short runs
    // again at the next start; the profiles before the settings, since they alone tell
    // how many players there are.
    for (const char* name : kPlayerFileNames) copy(name);
    if (copied > 0)
        std::fprintf(stderr, "10 Quelmars: copied %d player files from %s to %s\n", copied, oldSettings,
                     settingsFolder);
    return copied;
}

void reportWriteFailure(const char* path) {
    static bool said = false;
    if (said) return;
    said = true;
    const int why = errno;
    char text[kGameFolderCapacity + 512];
    std::snprintf(text, sizeof text,
                  "Cannot write %s: %s.\nThe game goes on, but progress from now on cannot be kept "
                  "until there is room on the disk and the folder can be written. Every file saved "
                  "before stays as it was.",
                  path, std::strerror(why));
    showProblem("10 Quelmars cannot save", text);
}

void reportReadFailure(const char* path) {
    const int why = errno;
    std::fprintf(stderr, "10 Quelmars: cannot read %s: %s; it is kept as it is and not replaced\n", path,
                 std::strerror(why));
}

GameLock setUpGameFolders(GameFolders& folders) {
    if (!findGameFolders(folders)) return GameLock::Stop;
    prepareUserFolder(folders);
    const GameLock lock = takeGameLock(folders);
    if (lock != GameLock::Run || !folders.userWritable) return lock;
    char oldSettings[kGameFolderCapacity];
    if (joinPath(oldSettings, sizeof oldSettings, folders.program, "/Data/settings/"))
        adoptOldPlayerFiles(oldSettings, folders.settings);
    return GameLock::Run;
}

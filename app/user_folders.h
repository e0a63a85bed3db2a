#pragma once
// Where the game's files live. The data (packs, levels, pictures) is read-only and may
// be shared by every user of the machine; each user's player files (settings, profiles,
// records, hiscores, saved games) live in that user's data folder. Start-up calls
// setUpGameFolders, which runs the steps below in order.
#include <cstddef>

constexpr int kGameFolderCapacity = 4096;

struct GameFolders {
    char program[kGameFolderCapacity];  // the executable's folder, no trailing slash
    char data[kGameFolderCapacity];     // the game's data, absolute, with a trailing slash
    char user[kGameFolderCapacity];  // $XDG_DATA_HOME/10quelmars/ (or ~/.local/share/...); "" without a home
    char settings[kGameFolderCapacity];  // user + "settings/": the player files
    bool userWritable;                   // the settings folder exists and takes new files
};
extern GameFolders gameFolders;

// The data folder, the first that exists of: $QUELMAR_DATA_DIR, "Data" beside the
// executable (the build tree), and the installed data folder relative to the executable
// (QUELMAR_INSTALLED_DATA, "../share/games/10quelmars" by default), so an installed
// game can be moved as a whole. False when none is there.
bool findDataFolder(const char* programFolder, char* out, size_t capacity);

// $XDG_DATA_HOME/10quelmars/ when that variable holds an absolute path, else
// $HOME/.local/share/10quelmars/. False when neither can be formed.
bool findUserFolder(char* out, size_t capacity);

// Fills the folders from the environment and the executable's place. False (with a
// message on standard error) when the game's data cannot be found.
bool findGameFolders(GameFolders& folders);

// Creates the user's settings folder with its parents and makes it the player folder
// of the file layer. When it cannot be made or written, says so once (standard error
// and a message box) and returns false: the game still runs, but keeps nothing.
bool prepareUserFolder(GameFolders& folders);

// The single-instance lock, "10quelmars.lock" in the user's folder ($QUELMAR_INSTANCE_LOCK
// names another file). Taken: run. HeldElsewhere: another copy runs on the same files,
// this one ends (a line on standard error). Failed: the lock cannot be taken although
// player files could be written, so two copies could undo each other's work: says why
// (standard error and a message box) and the game stops. Without a usable user folder
// there is nothing to protect and no lock is taken.
enum class GameLock { Run, AnotherCopy, Stop };
GameLock takeGameLock(const GameFolders& folders);

// Copies the player files of an older build, kept in "Data/settings" beside the
// executable (oldSettings), into the user's settings folder while that has neither
// "profiles.dat" nor "settings.dat". Returns how many files were copied; the old ones
// stay where they are.
int adoptOldPlayerFiles(const char* oldSettings, const char* settingsFolder);

// A player file that could not be written: says so once per run, on standard error and
// in a message box (unless QUELMAR_NO_MESSAGE_BOXES is set); errno is the reason.
// Every old file stays as it was and the game goes on.
void reportWriteFailure(const char* path);
// A player file that is there but cannot be read: said once per file, on standard
// error; the file is kept as it is and never replaced by defaults.
void reportReadFailure(const char* path);

// Start-up's one call: finds the folders, prepares the user's folder, takes the lock and
// adopts the player files an older build kept in "Data/settings" beside the executable.
// Stop also when the game's data cannot be found (said on standard error).
GameLock setUpGameFolders(GameFolders& folders);

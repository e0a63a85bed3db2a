#pragma once
// The player files in the player folder (the user's settings folder): the profile
// table, the level records and the hiscores, read in the deferred loading and written
// whole (temporary file, then rename) at shut-down, after a won level and whenever a
// profile, its name or its saved-game marks change. A file found at start that could
// not be read is never replaced. The settings record itself is app/settings.h; the records and the pure
// operations are core/profiles.h.
#include "core/profiles.h"

extern ProfileTable profileTable;
extern RecordTable recordTable;
extern HiscoreTable hiscoreTable;

// The ten default holder names of the records and hiscores (the string-table entry
// "defname1" and the nine after it), copied; a null name, or none given, is stood in
// for by the entry's own name.
void setDefaultNames(const char* const (&names)[kDefaultNameCount]);

// Reads "profiles.dat", "records.dat" and "hiscore.dat" from the player folder.
// Missing files give no profiles and the default records and hiscores; every whole
// profile in "profiles.dat" is taken, whatever count "settings.dat" holds.
void readProfiles();
void readRecords();

// Writes "settings.dat", "profiles.dat", "records.dat" and "hiscore.dat" into the
// player folder, creating it when needed. True when every file was replaced; a failed
// file keeps its old copy and the failure is reported (once per run).
bool writeAll();
// Writes "profiles.dat" and then "settings.dat" (the count and the current index).
bool writeProfiles();

// The operations of the profile screens on the program's table. They keep the
// settings' profile count and index and the core's gameProfile in step, write the
// profiles at once, and move or remove the profile's saved games with its name, in an
// order where a crash at any step leaves files that load and offer every saved game.
bool createProfile(const char* name);
void deleteProfile(int index);
bool renameProfile(int index, const char* name);
void selectProfile(int index);

// The game menu's save: the saved game, then the profile that now claims it.
// NothingToSave when the game cannot be saved at this moment; Failed when a file could
// not be written (already reported; the old files stay and the level goes on).
enum class SaveOutcome { NothingToSave, Saved, Failed };
struct GameState;
SaveOutcome saveRunningGame(GameState& g);
// The player chose a new game over the saved one: the mark goes, and the profiles are written.
void discardSavedGame();

// After a won level (the core's level-records announcement: value = score, x = elapsed
// ms; level = the level just played): the current profile's best score and time.
void recordWonLevel(int level, int score, float timeMs);

// Points gameProfile at the current profile (a blank one when there is none) and
// copies the table's count and index into the settings.
void syncCurrentProfile();

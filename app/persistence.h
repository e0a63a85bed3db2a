#pragma once
// The player files in the "settings" folder below the data folder: the profile table,
// the level records and the hiscores, read in the deferred loading and written whole
// (temporary file, then rename) at shut-down, after a won level and when profiles
// change. The settings record itself is app/settings.h; the records and the pure
// operations are core/profiles.h.
#include "core/profiles.h"

extern ProfileTable profileTable;
extern RecordTable recordTable;
extern HiscoreTable hiscoreTable;

// The ten default holder names of the records and hiscores (the string-table entry
// "defname1" and the nine after it), copied; a null name, or none given, is stood in
// for by the entry's own name.
void setDefaultNames(const char* const (&names)[kDefaultNameCount]);

// Reads "profiles.dat", "records.dat" and "hiscore.dat" from the current folder (the
// loading step runs with the settings folder current). Missing files give no
// profiles and the default records and hiscores.
void readProfiles();
void readRecords();

// Writes "settings.dat", "profiles.dat", "records.dat" and "hiscore.dat" into the
// settings folder below the data folder, creating it when needed, and returns to the
// data folder. True when every file was replaced; a failed file keeps its old copy.
bool writeAll();

// The operations of the profile screens on the program's table. They keep the
// settings' profile count and index and the core's gameProfile in step, and move or
// remove the profile's saved games with its name.
bool createProfile(const char* name);
void deleteProfile(int index);
bool renameProfile(int index, const char* name);
void selectProfile(int index);

// After a won level (the core's level-records announcement: value = score, x = elapsed
// ms; level = the level just played): the current profile's best score and time.
void recordWonLevel(int level, int score, float timeMs);

// Points gameProfile at the current profile (a blank one when there is none) and
// copies the table's count and index into the settings.
void syncCurrentProfile();

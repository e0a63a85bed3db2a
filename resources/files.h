#pragma once
// The file registry: every data file the game reads comes through here. Packs are
// read whole at start-up and decoded in place; a request by name is answered from
// the registry first and falls back to a loose file relative to the current folder.
#include <cstddef>
#include <cstdint>

constexpr int kFileRegistryCapacity = 1024;  // rows; see registerFile for the overflow policy
constexpr int kFileNameCapacity = 128;       // stored names: up to 127 bytes and a zero
constexpr int kPackNameLimit = 59;           // longest entry name the pack format carries
constexpr int kDiskPathCapacity = 4096;      // a path on disk, absolute ones included

struct FileRecord {
    char name[kFileNameCapacity];  // folded with foldName
    uint32_t size;                 // bytes of data
    uint8_t* data;                 // the file's bytes
    bool ownsData;                 // a loose file or a whole pack; clear for a pack entry
    bool fromDisk;                 // read from disk by loadFile: it can be read again
};

// Rows keep their registration order; removing a row shifts the later rows down.
// The table never grows: when all 1024 rows are taken, further pack entries are
// skipped (a request for them falls back to the disk) and a loose file cannot be
// loaded (fatal or null, as for a missing file), with a line on standard error.
struct FileRegistry {
    FileRecord rows[kFileRegistryCapacity];
    int count;
};

extern FileRegistry fileRegistry;  // the program's one registry, main thread only

// Called with the byte count of every registration (a pack, each entry, each loose
// file); the loading screen points it at its progress bar. nullptr for none.
using LoadProgressHook = void (*)(uint32_t bytes);
void setLoadProgressHook(LoadProgressHook hook);

// Lowers a..z and the bytes 224..255 by 32, in place, up to the zero byte.
void foldName(char* name);

// Reads a pack from the current folder and registers the pack and its entries.
// A pack that cannot be opened is skipped silently. A damaged pack is read up to
// its last complete entry.
void openPack(FileRegistry& registry, const char* packName);
void openPack(const char* packName);
// The three packs the game's data ships in: "targa.dat", "jpeg.dat" and "texts.dat".
void openDataPacks();

// Registers a pack already in memory under packName: the registry takes the block
// (allocated with malloc) and decodes its entries in place. openPack's second half.
void registerPackBlock(FileRegistry& registry, const char* packName, uint8_t* block, uint32_t length);

// Registers a copy of bytes held in memory under name, in place of a row of that name:
// a level text made by a tool or a test is then read as the file would be. False when
// the table is full or memory runs out.
bool registerMemoryFile(FileRegistry& registry, const char* name, const void* data, uint32_t size);
bool registerMemoryFile(const char* name, const void* data, uint32_t size);

// Finds a file by name (letter case ignored), in the registry first, then on disk.
// A missing file with fatal set reports "Can't load %s..." and ends the program;
// otherwise returns nullptr. The bytes belong to the registry until releaseFile.
// Names may use "\" as folder separator; it addresses the same path with "/".
uint8_t* loadFile(FileRegistry& registry, const char* name, uint32_t* size, bool fatal);
uint8_t* loadFile(const char* name, uint32_t* size = nullptr, bool fatal = true);

// Copies a file from disk into the caller's buffer without registering it (settings
// and profile files, which must never come from a stale registry row). At most
// capacity bytes are copied; *size receives the file's whole length, so a caller can
// tell a file that did not fit. Missing file: nullptr, no message.
uint8_t* readFileInto(const char* name, uint8_t* buffer, uint32_t capacity, uint32_t* size = nullptr);

// readFileInto with the reason of a failure: Missing only when there is no such file,
// Failed when one is there but cannot be read (errno tells why), so a caller never
// mistakes a file it could not read for a first start.
enum class FileRead { Whole, Missing, Failed };
FileRead readFileStatus(const char* name, uint8_t* buffer, uint32_t capacity, uint32_t* size);

// Removes the first row holding exactly this data pointer (freeing owned data).
bool releaseFile(FileRegistry& registry, const void* data);
bool releaseFile(const void* data);

// Releases a file loadFile read from disk, once its bytes have served (a picture made
// into a texture): a later loadFile reads it again. Pack entries and memory files are
// kept, as nothing could bring them back; false for them.
bool releaseDiskFile(FileRegistry& registry, const void* data);
bool releaseDiskFile(const void* data);

// Removes the first row whose stored (folded) name equals name byte for byte.
bool releaseFileByName(FileRegistry& registry, const char* name);
bool releaseFileByName(const char* name);

// Writes a whole file: the bytes go to a temporary file in the same folder, which
// then replaces the named file, so a crash or a full disk never leaves a half-written
// file behind (the old one stays); the folder is synced too, so the new name lasts
// through a power cut. Returns false when nothing was replaced, with errno telling why.
bool writeWholeFile(const char* name, const void* data, uint32_t size);

// Removes a file; false when it was not removed (errno tells why).
bool removeFileOnDisk(const char* name);

// Failure injection for tests of what a crash leaves behind: after `writes` more
// successful writeWholeFile or removeFileOnDisk calls, every later one fails without
// touching the disk, as if the program had been stopped there. -1 (the default) lifts it.
void setWriteBudget(int writes);

// The player files (settings, profiles, records, hiscores, saved games) live in one
// folder of the user's, apart from the game's data. Start-up names it (absolute,
// with a trailing slash); until then it is "settings/" below the current folder.
void setPlayerFolder(const char* folder);
const char* playerFolder();
// out = the player folder followed by name; false (and out empty) when it does not fit.
bool playerFilePath(char* out, size_t capacity, const char* name);

// Empties a registry, freeing what it owns (tests and shut-down).
void clearRegistry(FileRegistry& registry);

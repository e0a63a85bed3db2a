#include "resources/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "resources/fatal.h"

FileRegistry fileRegistry;

static LoadProgressHook loadProgressHook = nullptr;

void setLoadProgressHook(LoadProgressHook hook) {
    loadProgressHook = hook;
}

static void reportProgress(uint32_t bytes) {
    if (loadProgressHook) loadProgressHook(bytes);
}

void foldName(char* name) {
    for (unsigned char* p = reinterpret_cast<unsigned char*>(name); *p; ++p) {
        if ((*p >= 'a' && *p <= 'z') || *p >= 224) *p = static_cast<unsigned char>(*p - 32);
    }
}

// Copies name into out (truncated to the stored length) and folds it.
static void foldedCopy(char (&out)[kFileNameCapacity], const char* name) {
    std::strncpy(out, name, kFileNameCapacity - 1);
    out[kFileNameCapacity - 1] = 0;
    foldName(out);
}

// Copies name into out with every "\" turned into "/", the folder separator on disk.
static void diskPath(char (&out)[kDiskPathCapacity], const char* name) {
    size_t i = 0;
    for (; name[i] && i < sizeof(out) - 1; ++i) out[i] = name[i] == '\\' ? '/' : name[i];
    out[i] = 0;
}

// Takes the next row of the registry; nullptr when the table is full.
static FileRecord* registerFile(FileRegistry& registry, const char* name, uint8_t* data, uint32_t size,
                                bool ownsData) {
    if (registry.count >= kFileRegistryCapacity) {
        std::fprintf(stderr, "file registry full (%d files): %s not registered\n", kFileRegistryCapacity,
                     name);
        return nullptr;
    }
    FileRecord& row = registry.rows[registry.count++];
    foldedCopy(row.name, name);
    row.size = size;
    row.data = data;
    row.ownsData = ownsData;
    row.fromDisk = false;
    reportProgress(size);
    return &row;
}

static FileRecord* findRow(FileRegistry& registry, const char* name) {
    char folded[kFileNameCapacity];
    foldedCopy(folded, name);
    for (int i = 0; i < registry.count; ++i) {
        if (std::strcmp(registry.rows[i].name, folded) == 0) return &registry.rows[i];
    }
    return nullptr;
}

// Reads a whole regular file into a new block (at least one byte long, so an empty
// file still has a distinct pointer). Returns nullptr when it cannot be read whole.
static uint8_t* readWholeDiskFile(const char* name, uint32_t* size) {
    char path[kDiskPathCapacity];
    diskPath(path, name);
    FILE* file = std::fopen(path, "rb");
    if (!file) return nullptr;
    struct stat info;
    if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > 0xFFFFFFFFll) {
        std::fclose(file);
        return nullptr;
    }
    const uint32_t length = static_cast<uint32_t>(info.st_size);
    uint8_t* block = static_cast<uint8_t*>(std::malloc(length ? length : 1));
    if (!block) {
        std::fclose(file);
        return nullptr;
    }
    const size_t got = std::fread(block, 1, length, file);
    std::fclose(file);
    if (got != length) {
        std::free(block);
        return nullptr;
    }
    *size = length;
    return block;
}

// Combines content byte i with name[i mod n]. The name is first repeated into a key
// whose length is a multiple of both n and 64, so whole 64-bit words of content line
// up with whole words of the key and the loop runs a word at a time.
static void xorWithName(uint8_t* content, size_t size, const char* name, size_t n) {
    alignas(64) uint8_t key[4096];
    size_t period = 64;
    while (period % n) period += 64;  // lcm(n, 64) for n up to 63: at most 4032
    const size_t keyLength = sizeof key / period * period;
    for (size_t i = 0; i < keyLength; ++i) key[i] = static_cast<uint8_t>(name[i % n]);
    size_t done = 0;
    while (size - done >= keyLength) {
        uint8_t* chunk = content + done;
        for (size_t i = 0; i < keyLength; i += 8) {
            uint64_t word, mask;
            std::memcpy(&word, chunk + i, 8);
            std::memcpy(&mask, key + i, 8);
            word ^= mask;
            std::memcpy(chunk + i, &word, 8);
        }
        done += keyLength;
    }
    for (size_t i = 0; done + i < size; ++i) content[done + i] ^= key[i];
}

void openPack(FileRegistry& registry, const char* packName) {
    uint32_t length = 0;
    uint8_t* block = readWholeDiskFile(packName, &length);
    if (block) registerPackBlock(registry, packName, block, length);
}

void registerPackBlock(FileRegistry& registry, const char* packName, uint8_t* block, uint32_t length) {
    if (!registerFile(registry, packName, block, length, true)) {
        std::free(block);
        return;
    }
    // Entries: name, zero byte, 32-bit little-endian size, content XOR-ed with the
    // name. A damaged pack is read up to its last complete entry.
    constexpr size_t kMaxName = 63;
    size_t p = 0;
    while (p < length) {
        const size_t searchEnd = p + kMaxName + 1 < length ? p + kMaxName + 1 : length;
        const void* zero = std::memchr(block + p, 0, searchEnd - p);
        if (!zero) break;
        const char* name = reinterpret_cast<const char*>(block + p);
        const size_t n = static_cast<const uint8_t*>(zero) - (block + p);
        if (n == 0) break;  // an empty name cannot decode anything
        p += n + 1;
        if (length - p < 4) break;
        const uint32_t size = static_cast<uint32_t>(block[p]) | static_cast<uint32_t>(block[p + 1]) << 8 |
                              static_cast<uint32_t>(block[p + 2]) << 16 |
                              static_cast<uint32_t>(block[p + 3]) << 24;
        p += 4;
        if (size > length - p) break;
        xorWithName(block + p, size, name, n);
        if (!registerFile(registry, name, block + p, size, false)) break;
        p += size;
    }
}

void openPack(const char* packName) {
    openPack(fileRegistry, packName);
}

void openDataPacks() {
    static const char* const kPacks[] = {"targa.dat", "jpeg.dat", "texts.dat"};
    for (const char* pack : kPacks) openPack(pack);
}

bool registerMemoryFile(FileRegistry& registry, const char* name, const void* data, uint32_t size) {
    char folded[kFileNameCapacity];
    foldedCopy(folded, name);
    while (releaseFileByName(registry, folded)) {
    }
    // At least one byte, so an empty text still has a distinct pointer.
    auto* copy = static_cast<uint8_t*>(std::malloc(size > 0 ? size : 1));
    if (copy == nullptr) return false;
    if (size > 0) std::memcpy(copy, data, size);
    if (registerFile(registry, name, copy, size, true) != nullptr) return true;
    std::free(copy);
    return false;
}

bool registerMemoryFile(const char* name, const void* data, uint32_t size) {
    return registerMemoryFile(fileRegistry, name, data, size);
}

uint8_t* loadFile(FileRegistry& registry, const char* name, uint32_t* size, bool fatal) {
    if (FileRecord* row = findRow(registry, name)) {
        if (size) *size = row->size;
        return row->data;
    }
    uint32_t length = 0;
    uint8_t* block = readWholeDiskFile(name, &length);
    if (block) {
        if (FileRecord* row = registerFile(registry, name, block, length, true)) {
            row->fromDisk = true;
        } else {
            std::free(block);
            block = nullptr;
        }
    }
    if (!block) {
        if (fatal) {
            char text[kFileNameCapacity * 2 + 64];
            std::snprintf(text, sizeof text, "Can't load %s...\nProgram will now stop.", name);
            fatalError("Loading Error", text);
        }
        return nullptr;
    }
    if (size) *size = length;
    return block;
}

uint8_t* loadFile(const char* name, uint32_t* size, bool fatal) {
    return loadFile(fileRegistry, name, size, fatal);
}

uint8_t* readFileInto(const char* name, uint8_t* buffer, uint32_t capacity, uint32_t* size) {
    return readFileStatus(name, buffer, capacity, size) == FileRead::Whole ? buffer : nullptr;
}

FileRead readFileStatus(const char* name, uint8_t* buffer, uint32_t capacity, uint32_t* size) {
    char path[kDiskPathCapacity];
    diskPath(path, name);
    FILE* file = std::fopen(path, "rb");
    if (!file) return errno == ENOENT ? FileRead::Missing : FileRead::Failed;
    struct stat info;
    if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > 0xFFFFFFFFll) {
        std::fclose(file);
        errno = EINVAL;
        return FileRead::Failed;
    }
    const uint32_t length = static_cast<uint32_t>(info.st_size);
    const uint32_t wanted = length < capacity ? length : capacity;
    const size_t got = std::fread(buffer, 1, wanted, file);
    const int readError = std::ferror(file) ? errno : EIO;
    std::fclose(file);
    if (got != wanted) {
        errno = readError;
        return FileRead::Failed;
    }
    if (size) *size = length;
    return FileRead::Whole;
}

static void removeRow(FileRegistry& registry, int index) {
    if (registry.rows[index].ownsData) std::free(registry.rows[index].data);
    std::memmove(&registry.rows[index], &registry.rows[index + 1],
                 sizeof(FileRecord) * static_cast<size_t>(registry.count - index - 1));
    --registry.count;
}

bool releaseFile(FileRegistry& registry, const void* data) {
    if (!data) return false;
    for (int i = 0; i < registry.count; ++i) {
        if (registry.rows[i].data == data) {
            removeRow(registry, i);
            return true;
        }
    }
    return false;
}

bool releaseFile(const void* data) {
    return releaseFile(fileRegistry, data);
}

bool releaseDiskFile(FileRegistry& registry, const void* data) {
    for (int i = 0; i < registry.count && data != nullptr; ++i) {
        if (registry.rows[i].data != data) continue;
        if (!registry.rows[i].fromDisk) return false;
        removeRow(registry, i);
        return true;
    }
    return false;
}

bool releaseDiskFile(const void* data) {
    return releaseDiskFile(fileRegistry, data);
}

bool releaseFileByName(FileRegistry& registry, const char* name) {
    for (int i = 0; i < registry.count; ++i) {
        if (std::strncmp(registry.rows[i].name, name, kFileNameCapacity) == 0) {
            removeRow(registry, i);
            return true;
        }
    }
    return false;
}

bool releaseFileByName(const char* name) {
    return releaseFileByName(fileRegistry, name);
}

static int writeBudget = -1;

void setWriteBudget(int writes) {
    writeBudget = writes;
}

// Takes one write from the budget; false once it is spent.
static bool writeAllowed() {
    if (writeBudget < 0) return true;
    if (writeBudget == 0) {
        errno = EIO;
        return false;
    }
    --writeBudget;
    return true;
}

bool removeFileOnDisk(const char* name) {
    char path[kDiskPathCapacity];
    diskPath(path, name);
    return writeAllowed() && std::remove(path) == 0;
}

bool writeWholeFile(const char* name, const void* data, uint32_t size) {
    if (!writeAllowed()) return false;
    char path[kDiskPathCapacity];
    diskPath(path, name);
    char temporary[sizeof path + 8];
    std::snprintf(temporary, sizeof temporary, "%s.part", path);
    FILE* file = std::fopen(temporary, "wb");
    if (!file) return false;
    bool ok = std::fwrite(data, 1, size, file) == size;
    ok = std::fflush(file) == 0 && ok;
    ok = fsync(fileno(file)) == 0 && ok;
    ok = std::fclose(file) == 0 && ok;
    if (ok) ok = std::rename(temporary, path) == 0;
    if (!ok) {
        const int why = errno;
        std::remove(temporary);
        errno = why;
        return false;
    }
    // The rename lives in the folder: sync it so the new file survives a power cut.
    char folder[kDiskPathCapacity];
    std::snprintf(folder, sizeof folder, "%s", path);
    char* slash = std::strrchr(folder, '/');
    if (slash == nullptr)
        std::strcpy(folder, ".");
    else if (slash == folder)
        folder[1] = 0;
    else
        *slash = 0;
    const int folderFd = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        fsync(folderFd);
        close(folderFd);
    }
    return true;
}

static char playerFolderPath[kDiskPathCapacity] = "settings/";

void setPlayerFolder(const char* folder) {
    std::snprintf(playerFolderPath, sizeof playerFolderPath, "%s", folder);
}

const char* playerFolder() {
    return playerFolderPath;
}

bool playerFilePath(char* out, size_t capacity, const char* name) {
    const int n = std::snprintf(out, capacity, "%s%s", playerFolderPath, name);
    if (n < 0 || static_cast<size_t>(n) >= capacity) {
        if (capacity > 0) out[0] = 0;
        return false;
    }
    return true;
}

void clearRegistry(FileRegistry& registry) {
    for (int i = 0; i < registry.count; ++i) {
        if (registry.rows[i].ownsData) std::free(registry.rows[i].data);
    }
    registry.count = 0;
}

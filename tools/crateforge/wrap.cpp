#include "tools/crateforge/wrap.h"

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The regular files of the current folder whose names match pattern, ignoring
// letter case, in byte-wise name order so packs are the same on every machine.
std::vector<std::string> listMatches(const std::string& pattern) {
    std::vector<std::string> names;
    DIR* folder = opendir(".");
    if (!folder) return names;
    while (const dirent* entry = readdir(folder)) {
        if (fnmatch(pattern.c_str(), entry->d_name, FNM_CASEFOLD | FNM_PERIOD) != 0) continue;
        struct stat info;
        if (stat(entry->d_name, &info) != 0 || !S_ISREG(info.st_mode)) continue;
        names.emplace_back(entry->d_name);
    }
    closedir(folder);
    std::sort(names.begin(), names.end());
    return names;
}

// The game shows these before its packs are open, so they stay loose.
bool isSplashPicture(const std::string& name) {
    return name == "loadscreen.jpg" || name == "loadbar.jpg" || name == "splash1.jpg" ||
           name == "splash2.jpg";
}

bool readWhole(const std::string& name, std::vector<uint8_t>& bytes) {
    FILE* file = std::fopen(name.c_str(), "rb");
    if (!file) return false;
    bytes.clear();
    uint8_t chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    const bool ok = !std::ferror(file);
    std::fclose(file);
    return ok;
}

// Appends one entry to the pack; false when the pack could not be written.
bool appendEntry(FILE* pack, const std::string& name, std::vector<uint8_t>& content) {
    const size_t n = name.size();
    for (size_t i = 0; i < content.size(); ++i) content[i] ^= static_cast<uint8_t>(name[i % n]);
    const uint32_t size = static_cast<uint32_t>(content.size());
    const uint8_t sizeBytes[4] = {static_cast<uint8_t>(size), static_cast<uint8_t>(size >> 8),
                                  static_cast<uint8_t>(size >> 16), static_cast<uint8_t>(size >> 24)};
    return std::fwrite(name.c_str(), 1, n + 1, pack) == n + 1 && std::fwrite(sizeBytes, 1, 4, pack) == 4 &&
           (content.empty() || std::fwrite(content.data(), 1, content.size(), pack) == content.size());
}

// The game finds pack entries without regard to letter case, so of two names that
// differ only in case it can reach just one; both are packed as before, with a warning.
void warnAboutCaseTwins(const std::vector<std::string>& names) {
    std::vector<std::pair<std::string, std::string>> folded;
    for (const std::string& name : names) {
        std::string key = name;
        for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        folded.emplace_back(key, name);
    }
    std::sort(folded.begin(), folded.end());
    for (size_t i = 1; i < folded.size(); ++i)
        if (folded[i].first == folded[i - 1].first)
            std::fprintf(stderr,
                         "crateforge: warning: %s and %s differ only in letter case; the game can reach "
                         "only one of them\n",
                         folded[i - 1].second.c_str(), folded[i].second.c_str());
}

}  // namespace

int wrapFolder(const char* packName, const char* patterns, const char* folder) {
    char previous[4096];
    if (!getcwd(previous, sizeof previous)) previous[0] = 0;
    if (folder && chdir(folder) != 0) {
        std::fprintf(stderr, "crateforge: cannot enter folder %s: %s\n", folder, std::strerror(errno));
        return 0;
    }
    const std::string packFile = std::string(packName) + ".dat";
    // The pack is written beside its final name and renamed over the old pack only when
    // complete, so a full disk or a stopped run keeps the previous good pack.
    const std::string partFile = packFile + ".part";
    int ok = 1;
    struct stat existing;
    const bool blocked = stat(packFile.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode);
    FILE* pack = blocked ? nullptr : std::fopen(partFile.c_str(), "wb");
    if (blocked) errno = EISDIR;
    if (!pack) {
        std::fprintf(stderr, "crateforge: cannot create %s: %s; pack skipped\n",
                     blocked ? packFile.c_str() : partFile.c_str(), std::strerror(errno));
        ok = 0;
    } else {
        int count = 0;
        std::vector<uint8_t> content;
        std::string list = patterns;
        size_t start = 0;
        bool packBroken = false;
        while (start <= list.size() && !packBroken) {
            size_t comma = list.find(',', start);
            if (comma == std::string::npos) comma = list.size();
            const std::string pattern = list.substr(start, comma - start);
            start = comma + 1;
            const std::vector<std::string> names = listMatches(pattern);
            if (names.empty()) continue;
            warnAboutCaseTwins(names);
            std::printf("Start wrap: %s.\n\n", packName);
            for (const std::string& name : names) {
                if (name.find(".exe") != std::string::npos || name.find(".dat") != std::string::npos)
                    continue;
                if (isSplashPicture(name)) continue;
                if (name.size() > kMaxPackedNameLength) {
                    std::fprintf(stderr, "crateforge: %s: name longer than %d bytes; not packed\n",
                                 name.c_str(), kMaxPackedNameLength);
                    ok = 0;
                    continue;
                }
                if (!readWhole(name, content)) {
                    std::fprintf(stderr, "crateforge: cannot read %s: %s; not packed\n", name.c_str(),
                                 std::strerror(errno));
                    ok = 0;
                    continue;
                }
                if (content.size() > UINT32_MAX) {
                    std::fprintf(stderr, "crateforge: %s: larger than 4 GiB; not packed\n", name.c_str());
                    ok = 0;
                    continue;
                }
                if (!appendEntry(pack, name, content)) {
                    std::fprintf(stderr, "crateforge: cannot write %s: %s\n", packFile.c_str(),
                                 std::strerror(errno));
                    ok = 0;
                    packBroken = true;
                    break;
                }
                std::printf("%s.......Ok\n", name.c_str());
                ++count;
            }
        }
        bool written = !packBroken && std::fflush(pack) == 0 && fsync(fileno(pack)) == 0;
        const int why = errno;
        written = std::fclose(pack) == 0 && written;
        if (!written && !packBroken) {
            std::fprintf(stderr, "crateforge: cannot write %s: %s\n", packFile.c_str(),
                         std::strerror(why != 0 ? why : errno));
            ok = 0;
        }
        std::printf("\n%i files totally processed and encoded to %s.dat.\n\n\n", count, packName);
        if (!written) {
            std::remove(partFile.c_str());
            if (ok == 0) std::fprintf(stderr, "crateforge: %s left as it was\n", packFile.c_str());
        } else if (count == 0) {
            std::remove(partFile.c_str());
            std::remove(packFile.c_str());
        } else if (std::rename(partFile.c_str(), packFile.c_str()) != 0) {
            std::fprintf(stderr, "crateforge: cannot replace %s: %s\n", packFile.c_str(),
                         std::strerror(errno));
            std::remove(partFile.c_str());
            ok = 0;
        }
    }
    std::fflush(stdout);
    if (folder && previous[0] && chdir(previous) != 0) {
        std::fprintf(stderr, "crateforge: cannot return to folder %s\n", previous);
        ok = 0;
    }
    return ok;
}

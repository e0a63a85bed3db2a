#include "platform/system.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

bool acquireSingleInstanceLock() {
    char path[512];
    const char* chosen = std::getenv("QUELMAR_INSTANCE_LOCK");
    if (chosen != nullptr && chosen[0] != 0) {
        std::snprintf(path, sizeof path, "%s", chosen);
    } else if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && runtime[0] != 0) {
        std::snprintf(path, sizeof path, "%s/10quelmars.lock", runtime);
    } else {
        std::snprintf(path, sizeof path, "/tmp/10quelmars-%u.lock", static_cast<unsigned>(getuid()));
    }
    // The descriptor stays open for the life of the process: closing it would drop the lock.
    int fd = open(path, O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return true;
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
    bool held = errno == EWOULDBLOCK;
    close(fd);
    return !held;
}

bool executableFolder(char* out, size_t capacity) {
    if (capacity == 0) return false;
    char path[4096];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return false;
    path[length] = 0;
    char* slash = std::strrchr(path, '/');
    if (slash == nullptr) return false;
    *slash = 0;
    if (path[0] == 0) std::strcpy(path, "/");
    if (std::strlen(path) + 1 > capacity) return false;
    std::strcpy(out, path);
    return true;
}

bool changeFolder(const char* path) {
    return chdir(path) == 0;
}

bool makeFolder(const char* path) {
    if (mkdir(path, 0755) == 0) return true;
    struct stat info;
    return errno == EEXIST && stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

bool currentFolder(char* out, size_t capacity) {
    return getcwd(out, capacity) != nullptr;
}

#include "platform/system.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

InstanceLock takeInstanceLock(const char* path) {
    // The descriptor stays open for the life of the process: closing it would drop the lock.
    const int fd = open(path, O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY, 0600);
    if (fd < 0) return InstanceLock::Failed;
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) return InstanceLock::Taken;
    const int why = errno;
    close(fd);
    errno = why;
    return why == EWOULDBLOCK ? InstanceLock::HeldElsewhere : InstanceLock::Failed;
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

bool isFolder(const char* path) {
    struct stat info;
    return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

bool makeFolders(const char* path) {
    char partial[4096];
    const size_t length = std::strlen(path);
    if (length == 0 || length >= sizeof partial) {
        errno = ENAMETOOLONG;
        return false;
    }
    std::memcpy(partial, path, length + 1);
    for (size_t i = 1; i <= length; ++i) {
        if (partial[i] != '/' && partial[i] != 0) continue;
        const char kept = partial[i];
        partial[i] = 0;
        if (mkdir(partial, 0700) != 0 && errno != EEXIST) return false;
        if (!isFolder(partial)) {
            errno = ENOTDIR;
            return false;
        }
        partial[i] = kept;
    }
    return true;
}

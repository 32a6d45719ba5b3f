#include "OutputFile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The file path stands for: the target of a link that leads to one, else
// path itself.
std::string Target(const std::string& path) {
    struct stat st = {};
    if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The mode a new file gets from its creator: 0666 less the umask.
mode_t NewFileMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

bool WriteAll(int fd, const BYTE* data, std::size_t n) {
    while (n > 0) {
        const ssize_t done = write(fd, data, n);
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) {
            if (done == 0) errno = EIO;
            return false;
        }
        data += done;
        n -= static_cast<std::size_t>(done);
    }
    return true;
}

}  // namespace

std::string OutputPathProblem(const std::string& path) {
    struct stat st = {};
    if (stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return path + ": is a folder";
        if (!S_ISREG(st.st_mode)) return path + ": not a regular file";
    } else if (errno != ENOENT) {
        return path + ": " + std::strerror(errno);
    }
    const std::string folder = FolderOf(Target(path));
    if (stat(folder.c_str(), &st) != 0) {
        if (errno == ENOENT) return path + ": the folder " + folder + " does not exist";
        return path + ": " + folder + ": " + std::strerror(errno);
    }
    if (!S_ISDIR(st.st_mode)) return path + ": " + folder + " is not a folder";
    if (access(folder.c_str(), W_OK | X_OK) != 0) {
        return path + ": the folder " + folder + " is not writable (" + std::strerror(errno) + ")";
    }
    return {};
}

std::string WriteOutputFile(const std::string& path, std::span<const BYTE> bytes) {
    const std::string target = Target(path);
    // Only a regular file is ever replaced: never a folder, a device node
    // or a pipe that stands at path.
    struct stat existing = {};
    if (stat(target.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode)) {
        return path + (S_ISDIR(existing.st_mode) ? ": is a folder" : ": not a regular file");
    }
    const std::string folder = FolderOf(target);
    std::string temporary = folder + "/." + BaseOf(target) + ".XXXXXX";
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return path + ": no new file in " + folder + " (" + std::strerror(errno) + ")";

    struct stat old = {};
    const mode_t mode = stat(target.c_str(), &old) == 0 ? old.st_mode & 07777 : NewFileMode();
    bool ok = fchmod(fd, mode) == 0 && WriteAll(fd, bytes.data(), bytes.size()) && fsync(fd) == 0;
    int err = errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && rename(temporary.c_str(), target.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        unlink(temporary.c_str());
        return path + ": " + std::strerror(err);
    }
    // The rename itself lasts once the folder is on the disk.
    const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return {};
}

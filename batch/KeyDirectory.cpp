#include "KeyDirectory.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <utility>

namespace batch {
namespace {

constexpr const char* LOG_NAME = "used.log";
constexpr const char* RESERVED_DIR = ".reserved";

std::string ErrnoText(const std::string& what) { return what + ": " + std::strerror(errno); }

bool IsKeyName(const std::string& name) {
    if (name.empty() || name[0] == '.' || name.size() <= 4) return false;
    if (name.find_first_of("\t\n\r") != std::string::npos) return false;
    std::string ext = name.substr(name.size() - 4);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".bin";
}

// The log, open and locked for as long as the object lives.
class LockedLog {
public:
    explicit LockedLog(const std::string& dir) {
        fd_ = open((dir + "/" + LOG_NAME).c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (fd_ < 0) {
            error_ = ErrnoText(dir + "/" + LOG_NAME);
            return;
        }
        int rc;
        while ((rc = flock(fd_, LOCK_EX)) != 0 && errno == EINTR) {
        }
        if (rc != 0) {
            error_ = ErrnoText("locking " + dir + "/" + LOG_NAME);
            close(fd_);
            fd_ = -1;
        }
    }
    ~LockedLog() {
        if (fd_ >= 0) close(fd_);  // closing lets go of the lock
    }
    LockedLog(const LockedLog&) = delete;
    LockedLog& operator=(const LockedLog&) = delete;

    int Fd() const { return fd_; }
    const std::string& Error() const { return error_; }

    // The first field of every line.
    std::set<std::string> Keys() const {
        std::set<std::string> keys;
        std::string text;
        char chunk[4096];
        off_t at = 0;
        ssize_t n;
        while ((n = pread(fd_, chunk, sizeof chunk, at)) > 0) {
            text.append(chunk, static_cast<std::size_t>(n));
            at += n;
        }
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t end = text.find('\n', start);
            if (end == std::string::npos) end = text.size();
            const std::string line = text.substr(start, end - start);
            const std::string key = line.substr(0, line.find('\t'));
            if (!key.empty()) keys.insert(key);
            start = end + 1;
        }
        return keys;
    }

    // Appends one line and makes it durable.
    bool Append(const std::string& line) {
        std::size_t done = 0;
        while (done < line.size()) {
            const ssize_t n = write(fd_, line.data() + done, line.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                error_ = ErrnoText(std::string("writing ") + LOG_NAME);
                return false;
            }
            done += static_cast<std::size_t>(n);
        }
        if (fsync(fd_) != 0) {
            error_ = ErrnoText(std::string("writing ") + LOG_NAME);
            return false;
        }
        return true;
    }

private:
    int fd_ = -1;
    std::string error_;
};

// The key files of dir in name order; false when it can't be listed.
bool ListKeys(const std::string& dir, std::vector<std::string>* out, std::string* error) {
    DIR* d = opendir(dir.c_str());
    if (!d) {
        *error = ErrnoText(dir);
        return false;
    }
    while (const dirent* e = readdir(d)) {
        const std::string name = e->d_name;
        if (!IsKeyName(name)) continue;
        struct stat st {};
        if (stat((dir + "/" + name).c_str(), &st) == 0 && S_ISREG(st.st_mode)) out->push_back(name);
    }
    closedir(d);
    std::sort(out->begin(), out->end());
    return true;
}

std::string NowText() {
    const std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &t);
    return text;
}

// A location on one line of the log.
std::string LogField(std::string text) {
    std::replace_if(text.begin(), text.end(), [](char c) { return c == '\t' || c == '\n' || c == '\r'; }, ' ');
    return text;
}

}  // namespace

KeyDirectory::KeyDirectory(std::string dir) : dir_(std::move(dir)) {}

KeyDirectory::~KeyDirectory() {
    std::vector<std::string> keys;
    for (const auto& [key, fd] : held_) keys.push_back(key);
    for (const std::string& key : keys) Release(key);
}

std::optional<std::string> KeyDirectory::Reserve(std::string* error) {
    std::string message;
    if (!error) error = &message;
    error->clear();
    const std::lock_guard lock(mutex_);
    LockedLog log(dir_);
    if (log.Fd() < 0) {
        *error = log.Error();
        return std::nullopt;
    }
    std::vector<std::string> names;
    if (!ListKeys(dir_, &names, error)) return std::nullopt;
    const std::set<std::string> used = log.Keys();
    const std::string reserved = dir_ + "/" + RESERVED_DIR;
    if (mkdir(reserved.c_str(), 0755) != 0 && errno != EEXIST) {
        *error = ErrnoText(reserved);
        return std::nullopt;
    }
    for (const std::string& name : names) {
        if (used.count(name) || held_.count(name)) continue;
        const int fd = open((reserved + "/" + name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0) {
            *error = ErrnoText(reserved + "/" + name);
            return std::nullopt;
        }
        // Held elsewhere when the lock is taken. A holder removes its file
        // only with the log locked, so the file locked here is the one named.
        if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
            held_[name] = fd;
            return name;
        }
        close(fd);
    }
    return std::nullopt;
}

void KeyDirectory::ReleaseLocked(const std::string& key, int logFd) {
    const auto it = held_.find(key);
    if (it == held_.end()) return;
    // Without the log's lock the file stays: its lock goes all the same, and
    // the next allocator takes the key over.
    if (logFd >= 0) unlink((dir_ + "/" + RESERVED_DIR + "/" + key).c_str());
    close(it->second);
    held_.erase(it);
}

bool KeyDirectory::MarkUsed(const std::string& key, const std::string& location, std::string* error) {
    std::string message;
    if (!error) error = &message;
    const std::lock_guard lock(mutex_);
    if (!held_.count(key)) {
        *error = "key " + key + " is not held";
        return false;
    }
    LockedLog log(dir_);
    if (log.Fd() < 0 || !log.Append(key + "\t" + LogField(location) + "\t" + NowText() + "\n")) {
        *error = log.Error();
        // The key is in a device now: it stays held, whatever comes, until
        // the process ends.
        unrecorded_.push_back(held_[key]);
        held_.erase(key);
        return false;
    }
    ReleaseLocked(key, log.Fd());
    return true;
}

void KeyDirectory::Release(const std::string& key) {
    const std::lock_guard lock(mutex_);
    if (!held_.count(key)) return;
    LockedLog log(dir_);
    ReleaseLocked(key, log.Fd());
}

bool KeyDirectory::ReadKey(const std::string& key, std::vector<BYTE>* out, std::string* error) const {
    std::ifstream file(dir_ + "/" + key, std::ios::binary);
    if (!file) {
        *error = ErrnoText(dir_ + "/" + key);
        return false;
    }
    out->assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    if (file.bad()) {
        *error = "reading " + dir_ + "/" + key + " failed";
        return false;
    }
    return true;
}

std::set<std::string> KeyDirectory::UsedKeys(std::string* error) const {
    LockedLog log(dir_);
    if (log.Fd() < 0) {
        if (error) *error = log.Error();
        return {};
    }
    return log.Keys();
}

Hooks WithKeys(KeyDirectory& keys, PutKey put, Hooks inner) {
    Hooks hooks = inner;
    hooks.prepare = [&keys, put, inner](DeviceImage& device) -> std::string {
        std::string error;
        const std::optional<std::string> key = keys.Reserve(&error);
        if (!key) return error.empty() ? "No unused HDCP key left in " + keys.Dir() : "HDCP keys: " + error;
        device.key = *key;  // released at the end unless the device verified
        std::vector<BYTE> bytes;
        if (!keys.ReadKey(*key, &bytes, &error)) return "HDCP key " + *key + ": " + error;
        if (put) {
            error = put(bytes, device.image);
            if (!error.empty()) return "HDCP key " + *key + ": " + error;
        }
        return inner.prepare ? inner.prepare(device) : std::string();
    };
    hooks.conclude = [&keys, inner](DeviceResult& result) {
        if (!result.key.empty()) {
            std::string error;
            if (!result.ok) {
                keys.Release(result.key);
            } else if (!keys.MarkUsed(result.key, result.location, &error)) {
                result.ok = false;
                result.failure = "Programmed, but HDCP key " + result.key + " not recorded as used: " + error;
            }
        }
        if (inner.conclude) inner.conclude(result);
    };
    return hooks;
}

}  // namespace batch

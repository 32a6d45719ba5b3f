// A directory of HDCP key files, each to be given to one device only, ever.
//
// The keys are the *.bin files of the directory, handed out in name order.
// DIR/used.log lists the keys in use, one line each: key file name, device
// location and local time, separated by tabs. A key is written there only
// once its device has verified, and a key listed there is never handed out
// again. A key handed out and not yet recorded or released is held: by an
// open, locked file DIR/.reserved/KEY, which keeps every other allocator
// off it, in this process or another, and which lets go by itself when the
// process ends. Every look at the log and every change of a reservation
// happens with the log locked (flock).
#pragma once

#include "BatchDownload.h"

#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace batch {

class KeyDirectory {
public:
    explicit KeyDirectory(std::string dir);
    // Releases the keys still held.
    ~KeyDirectory();
    KeyDirectory(const KeyDirectory&) = delete;
    KeyDirectory& operator=(const KeyDirectory&) = delete;

    const std::string& Dir() const { return dir_; }

    // The first key in name order that the log does not list and nobody
    // holds; it is held from now on. Nothing when none is left (*error then
    // empty) or the directory can't be used (*error says why).
    std::optional<std::string> Reserve(std::string* error = nullptr);
    // Records a held key as used by the device at location, now, and lets
    // go of it. False (with *error) when the log can't be written; the key
    // then stays held until the process ends (neither Release nor the
    // destructor let go of it), for it is in a device.
    bool MarkUsed(const std::string& key, const std::string& location, std::string* error = nullptr);
    // Lets go of a held key, unused.
    void Release(const std::string& key);

    // The bytes of a key file; false (with *error) when it can't be read.
    bool ReadKey(const std::string& key, std::vector<BYTE>* out, std::string* error) const;
    // The keys the log lists.
    std::set<std::string> UsedKeys(std::string* error = nullptr) const;

private:
    void ReleaseLocked(const std::string& key, int logFd);

    std::string dir_;
    std::mutex mutex_;
    std::map<std::string, int> held_;  // key -> its locked reservation file
    std::vector<int> unrecorded_;      // reservations of keys used but not logged
};

// Places a key's bytes into a device's image copy; empty, or why not.
using PutKey = std::function<std::string(const std::vector<BYTE>& key, std::vector<BYTE>& image)>;

// The hooks of inner, with a key of keys for every device: before the
// download the next unused key is reserved, read and put into the device's
// image (then inner's prepare runs); at the end the key is recorded as used
// when the device verified, and released otherwise (then inner's conclude
// runs). A device for which no key is left fails before its download.
Hooks WithKeys(KeyDirectory& keys, PutKey put, Hooks inner = {});

}  // namespace batch

// The emulated bus behind EmulatorBackend: present chips and pending changes.
#pragma once

#include "Emulator.h"

#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace emu {

// "vq7170" -> ChipType::VQ7170 (the names of TypeName).
bool TypeFromName(const std::string& name, ChipType* out);

struct Bus {
    Bus();
    ~Bus();
    Bus(const Bus&) = delete;
    Bus& operator=(const Bus&) = delete;

    // Takes a chip off the bus (if present) and raises a Removal change.
    void Remove(Chip* chip);
    void RaiseLocked(hid::Change change);

    std::mutex mutex;
    std::vector<std::shared_ptr<Chip>> chips;  // present, in plug order
    std::deque<hid::Change> changes;
    int eventFd = -1;
    unsigned plugs = 0;
};

}  // namespace emu

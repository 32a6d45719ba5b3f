// The emulated-device list (QUILLMAR_EMULATE) on arbitrary text: a list is
// either taken with at most 64 devices an entry or refused with a message.
#include "Emulator.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string list(reinterpret_cast<const char*>(data), size);
    std::vector<emu::ChipConfig> configs;
    std::string error;
    if (emu::ParseEmulateList(list, &configs, &error)) {
        std::size_t entries = 1;
        for (char c : list) entries += c == ',';
        if (configs.size() > 64 * entries) std::abort();
        for (const emu::ChipConfig& c : configs) {
            if (c.reportId != 0 && c.reportId != 1) std::abort();
            if (c.flashSize == 0 || c.flashSize % emu::SECTOR_SIZE != 0) std::abort();
        }
        // Small lists are plugged in for real: the chips must come up.
        if (configs.size() <= 4) {
            emu::ScopedBackend bus;
            for (const emu::ChipConfig& c : configs) bus->Plug(c);
        }
    } else if (error.empty()) {
        std::abort();
    }
    return 0;
}

// Software models of the seven chip types as HID devices, standing in for
// the chips and the HID class driver. Used by the tests, the benches and by
// the application when QUILLMAR_EMULATE names chips.
#pragma once

#include "../engine/hid/Hid.h"

#include <chrono>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace emu {

enum class ChipType { VQ7140S, VQ7140XX, VQ7170, VQ7170S, VQ5520, VQ7340, VQ5632, Keyboard };

struct ChipConfig {
    ChipType type = ChipType::VQ7170;
    int reportId = 0;           // 0, or 1: the device takes report id 1 and replies one byte earlier
    int idVariant = 0;          // 0: first accepted identification byte; 1: the alternative (D7, B7)
    std::size_t eepromSize[2] = {2048, 8192};  // behind memory selector 0 (24C16) and 1 (24C64)
    std::size_t flashSize = 16u << 20;
    int eraseBusyPolls = 3;     // status polls answering "busy" after a chip erase
    std::string location;       // empty: made up from the plug order
    std::string path;           // empty: made up from the plug order
};

struct LoggedReport {
    enum Kind { Set, Get } kind;
    std::vector<BYTE> bytes;  // as sent, or as returned
    bool ok;
};

class Chip;
class EmulatorBackend;

// Parses the QUILLMAR_EMULATE syntax (see README) into chip configurations.
// Returns false with a message on a syntax error.
bool ParseSpec(const std::string& spec, std::vector<ChipConfig>* out, std::string* error);

std::shared_ptr<EmulatorBackend> MakeBackend();

}  // namespace emu

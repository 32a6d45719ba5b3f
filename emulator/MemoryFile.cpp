// A chip's memories in a file, so that emulated chips outlive a process.
//
// Layout: a first line "quillmar emulated chip memories 1", a second line
// "<type> ee0=<bytes> ee1=<bytes> flash=<bytes>", then the two EEPROMs as
// they are, then every flash sector that is not erased as a four-byte
// little-endian sector number followed by its 4096 bytes. The file is
// replaced as a whole (written beside it, then renamed), so an interrupted
// save leaves the old file.
#include "Emulator.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>

namespace emu {
namespace {

constexpr const char* MAGIC_LINE = "quillmar emulated chip memories 1";

std::string ShapeLine(const Chip& chip) {
    std::ostringstream line;
    line << TypeName(chip.type()) << " ee0=" << chip.EepromSize(0) << " ee1=" << chip.EepromSize(1)
         << " flash=" << chip.FlashSize();
    return line.str();
}

bool Fail(std::string* error, const std::string& path, const std::string& why) {
    if (error) *error = "QUILLMAR_EMULATE: memory file '" + path + "': " + why;
    return false;
}

struct ExitSaves {
    std::mutex mutex;
    std::vector<std::weak_ptr<Chip>> chips;
};

ExitSaves& TheExitSaves() {
    static ExitSaves saves;
    return saves;
}

void SaveAtExit() {
    ExitSaves& saves = TheExitSaves();
    std::lock_guard lock(saves.mutex);
    for (const std::weak_ptr<Chip>& weak : saves.chips) {
        const std::shared_ptr<Chip> chip = weak.lock();
        std::string error;
        if (chip && !SaveMemoryFile(*chip, chip->config().memoryFile, &error)) std::fprintf(stderr, "%s\n", error.c_str());
    }
}

bool AllErased(const std::vector<BYTE>& bytes) {
    for (BYTE b : bytes) {
        if (b != 0xFF) return false;
    }
    return true;
}

}  // namespace

bool LoadMemoryFile(Chip& chip, const std::string& path, std::string* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (errno == ENOENT) return true;  // a new chip: erased
        return Fail(error, path, std::strerror(errno));
    }
    std::string magic, shape;
    std::getline(in, magic);
    std::getline(in, shape);
    if (!in || magic != MAGIC_LINE) return Fail(error, path, "not a memory file");
    if (shape != ShapeLine(chip)) return Fail(error, path, "holds a '" + shape + "', not a '" + ShapeLine(chip) + "'");
    for (int selector = 0; selector < 2; ++selector) {
        std::vector<BYTE> bytes(chip.EepromSize(selector));
        in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!in) return Fail(error, path, "cut short");
        chip.WriteEeprom(selector, 0, bytes);
    }
    const std::size_t sectors = chip.FlashSize() / SECTOR_SIZE;
    std::vector<BYTE> sector(SECTOR_SIZE);
    for (;;) {
        BYTE number[4];
        in.read(reinterpret_cast<char*>(number), sizeof number);
        if (in.gcount() == 0 && in.eof()) break;
        const std::size_t index = number[0] | number[1] << 8 | number[2] << 16 | static_cast<std::size_t>(number[3]) << 24;
        in.read(reinterpret_cast<char*>(sector.data()), SECTOR_SIZE);
        if (!in) return Fail(error, path, "cut short");
        if (index >= sectors) return Fail(error, path, "flash sector " + std::to_string(index) + " out of range");
        chip.WriteFlash(index * SECTOR_SIZE, sector);
    }
    return true;
}

bool SaveMemoryFile(const Chip& chip, const std::string& path, std::string* error) {
    const std::string temp = path + ".new";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return Fail(error, temp, std::strerror(errno));
        out << MAGIC_LINE << '\n' << ShapeLine(chip) << '\n';
        for (int selector = 0; selector < 2; ++selector) {
            const std::vector<BYTE> bytes = chip.Eeprom(selector, 0, chip.EepromSize(selector));
            out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        }
        for (std::size_t index = 0; index < chip.FlashSize() / SECTOR_SIZE; ++index) {
            const std::vector<BYTE> bytes = chip.Flash(index * SECTOR_SIZE, SECTOR_SIZE);
            if (AllErased(bytes)) continue;
            const BYTE number[4] = {static_cast<BYTE>(index), static_cast<BYTE>(index >> 8),
                                    static_cast<BYTE>(index >> 16), static_cast<BYTE>(index >> 24)};
            out.write(reinterpret_cast<const char*>(number), sizeof number);
            out.write(reinterpret_cast<const char*>(bytes.data()), SECTOR_SIZE);
        }
        out.close();
        if (!out) {
            std::remove(temp.c_str());
            return Fail(error, temp, "write failed");
        }
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        const std::string why = std::strerror(errno);
        std::remove(temp.c_str());
        return Fail(error, path, why);
    }
    return true;
}

void SaveMemoryFileAtExit(const std::shared_ptr<Chip>& chip) {
    ExitSaves& saves = TheExitSaves();  // made before the handler is registered, so it outlives it
    std::lock_guard lock(saves.mutex);
    if (saves.chips.empty()) std::atexit(SaveAtExit);
    saves.chips.push_back(chip);
}

}  // namespace emu

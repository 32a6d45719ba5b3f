// The emulated HID bus: plugging, enumeration, opening, change events; and
// the tables of the chip types.
#include "Emulator.h"
#include "EmulatorBus.h"

#include "ChipTypes.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <iterator>
#include <ostream>
#include <stdexcept>

namespace emu {

// --- chip types ----------------------------------------------------------------

namespace {
struct TypeInfo {
    ChipType type;
    const char* name;
    WORD vendorId;
    WORD productId;
    WORD idAddr;
    std::array<BYTE, 3> id;
    BYTE altFirst;  // the alternative first identification byte; 0: none
    bool flash;
};

constexpr TypeInfo TYPES[] = {
    {ChipType::VQ7140S, "vq7140s", 0x5156, 0x0021, 0xF840, {0x00, 0x00, 0x00}, 0, false},
    {ChipType::VQ7140XX, "vq7140xx", 0x5156, 0x0021, 0xF850, {0xA7, 0x10, 0x0A}, 0, false},
    {ChipType::VQ7170, "vq7170", 0x5156, 0x7170, 0xF800, {0xA7, 0x10, 0x9A}, 0, false},
    {ChipType::VQ7170S, "vq7170s", 0x3B71, 0x7170, 0xF800, {0xC7, 0x10, 0x9A}, 0xD7, false},
    {ChipType::VQ5520, "vq5520", 0x3B71, 0x5632, 0xF000, {0xA7, 0x16, 0x0A}, 0xB7, true},
    {ChipType::VQ7340, "vq7340", 0x3B71, 0x7340, 0xFF00, {0xA7, 0x13, 0x0A}, 0xB7, true},
    {ChipType::VQ5632, "vq5632", 0x3B71, 0x5632, 0xFF00, {0xA7, 0x13, 0x0A}, 0xB7, true},
    // A plain keyboard: no feature reports at all.
    {ChipType::Keyboard, "keyboard", 0x1A2C, 0x0E24, 0, {0, 0, 0}, 0, false},
};

// The emulated chips are those of the chip-type list, in its order, with
// its names and USB ids; the keyboard comes last.
constexpr bool SameName(const char* a, const char* b) {
    while (*a != '\0' && *a == *b) ++a, ++b;
    return *a == *b;
}
constexpr bool MatchesChipTypes() {
    if (std::size(TYPES) != static_cast<std::size_t>(CHIP_TYPE_ROWS) + 1) return false;
    for (int row = 0; row < CHIP_TYPE_ROWS; ++row) {
        const TypeInfo& info = TYPES[row];
        const ChipDescriptor& chip = CHIP_TYPES[row];
        if (static_cast<int>(info.type) != row || !SameName(info.name, chip.shortName) ||
            info.vendorId != chip.vendorId || info.productId != chip.productId ||
            info.flash != ((chip.memoryTypes & MEMTYPE_FLASH) != 0))
            return false;
    }
    return TYPES[CHIP_TYPE_ROWS].type == ChipType::Keyboard;
}
static_assert(MatchesChipTypes(), "the emulated chips need one row per chip type, as CHIP_TYPES has them");

const TypeInfo& Info(ChipType type) {
    for (const auto& info : TYPES) {
        if (info.type == type) return info;
    }
    return TYPES[0];
}
}  // namespace

const char* TypeName(ChipType type) { return Info(type).name; }
bool HasFlash(ChipType type) { return Info(type).flash; }
WORD DefaultVendorId(ChipType type) { return Info(type).vendorId; }
WORD DefaultProductId(ChipType type) { return Info(type).productId; }
WORD IdentificationAddress(ChipType type) { return Info(type).idAddr; }

std::array<BYTE, 3> IdentificationBytes(ChipType type, int variant) {
    const TypeInfo& info = Info(type);
    std::array<BYTE, 3> id = info.id;
    if (variant != 0 && info.altFirst != 0) id[0] = info.altFirst;
    return id;
}

bool TypeFromName(const std::string& name, ChipType* out) {
    for (const auto& info : TYPES) {
        if (name == info.name) {
            *out = info.type;
            return true;
        }
    }
    return false;
}

// --- byte text ----------------------------------------------------------------------

std::vector<BYTE> Bytes(const std::string& hex) {
    std::vector<BYTE> out;
    int nibbles = 0;
    unsigned value = 0;
    for (char c : hex) {
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else if (c == ' ') continue;
        else throw std::invalid_argument("emu::Bytes: not a hex digit in \"" + hex + "\"");
        value = value << 4 | static_cast<unsigned>(d);
        if (++nibbles == 2) {
            out.push_back(static_cast<BYTE>(value));
            nibbles = 0;
            value = 0;
        }
    }
    if (nibbles != 0) throw std::invalid_argument("emu::Bytes: odd number of digits in \"" + hex + "\"");
    return out;
}

std::string Hex(std::span<const BYTE> bytes) {
    std::string out;
    out.reserve(bytes.size() * 3);
    char buf[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(buf, sizeof buf, i ? " %02X" : "%02X", bytes[i]);
        out += buf;
    }
    return out;
}

std::string ToString(const LoggedReport& report) {
    return std::string(report.kind == LoggedReport::Set ? "set " : "get ") + Hex(report.bytes) +
           (report.ok ? "" : " (failed)");
}

void PrintTo(const LoggedReport& report, std::ostream* os) { *os << ToString(report); }

// --- the bus --------------------------------------------------------------------------

Bus::Bus() : eventFd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

Bus::~Bus() {
    if (eventFd >= 0) close(eventFd);
}

void Bus::RaiseLocked(hid::Change change) {
    changes.push_back(change);
    const std::uint64_t one = 1;
    if (eventFd >= 0 && write(eventFd, &one, sizeof one) < 0) {
        // The counter can't overflow in practice; the queue holds the change anyway.
    }
}

void Bus::Remove(Chip* chip) {
    std::lock_guard lock(mutex);
    auto it = std::find_if(chips.begin(), chips.end(), [chip](const auto& c) { return c.get() == chip; });
    chip->MarkGone();
    if (it == chips.end()) return;
    chips.erase(it);
    RaiseLocked(hid::Change::Removal);
}

// --- an open device ----------------------------------------------------------------------

class EmuDevice final : public hid::Device {
public:
    EmuDevice(std::shared_ptr<Chip> chip, unsigned generation, hid::Access access)
        : chip_(std::move(chip)), generation_(generation), reports_(access == hid::Access::ReadWrite) {}

    bool SetFeature(const BYTE* report, std::size_t len) override {
        return SendFeature(report, len) == static_cast<long>(len);
    }
    bool GetFeature(BYTE* report, std::size_t len) override {
        return FetchFeature(report, len) == static_cast<long>(len);
    }
    long SendFeature(const BYTE* report, std::size_t len) override {
        return chip_->HostSetFeature(report, len, generation_, reports_);
    }
    long FetchFeature(BYTE* report, std::size_t len) override {
        return chip_->HostGetFeature(report, len, generation_, reports_);
    }
    bool GetAttributes(hid::Attributes* out) override { return chip_->HostAttributes(out, generation_); }

private:
    std::shared_ptr<Chip> chip_;
    unsigned generation_;
    bool reports_;
};

// --- the backend -------------------------------------------------------------------------

EmulatorBackend::EmulatorBackend() : bus_(std::make_shared<Bus>()) {}

EmulatorBackend::~EmulatorBackend() {
    // Chips may outlive the backend; they just stop being present.
    std::lock_guard lock(bus_->mutex);
    for (auto& chip : bus_->chips) chip->MarkGone();
}

std::shared_ptr<Chip> EmulatorBackend::Plug(const ChipConfig& config) {
    if (config.reportId != 0 && config.reportId != 1) throw std::invalid_argument("emu: report id must be 0 or 1");
    if (HasFlash(config.type) && (config.flashSize == 0 || config.flashSize % SECTOR_SIZE != 0)) {
        throw std::invalid_argument("emu: flash size must be a non-zero multiple of 4 KB");
    }
    auto chip = std::make_shared<Chip>(config);
    std::lock_guard lock(bus_->mutex);
    const unsigned n = ++bus_->plugs;
    std::string path = config.path.empty() ? "emu:" + std::to_string(n) : config.path;
    std::string location = config.location;
    if (location.empty()) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "0000.0000.0000.001.%03X.000.000.000.000", n & 0xFFF);
        location = buf;
    }
    chip->Attach(bus_, std::move(path), std::move(location));
    chip->MarkPresent();
    bus_->chips.push_back(chip);
    bus_->RaiseLocked(hid::Change::Arrival);
    return chip;
}

void EmulatorBackend::Unplug(const std::shared_ptr<Chip>& chip) {
    if (chip) bus_->Remove(chip.get());
}

bool EmulatorBackend::Replug(const std::shared_ptr<Chip>& chip) {
    if (!chip) return false;
    std::lock_guard lock(bus_->mutex);
    if (std::find(bus_->chips.begin(), bus_->chips.end(), chip) != bus_->chips.end()) return false;
    chip->MarkPresent();
    bus_->chips.push_back(chip);
    bus_->RaiseLocked(hid::Change::Arrival);
    return true;
}

std::vector<std::shared_ptr<Chip>> EmulatorBackend::Chips() const {
    std::lock_guard lock(bus_->mutex);
    return bus_->chips;
}

std::vector<hid::DeviceEntry> EmulatorBackend::Enumerate() {
    std::lock_guard lock(bus_->mutex);
    std::vector<hid::DeviceEntry> out;
    out.reserve(bus_->chips.size());
    for (const auto& chip : bus_->chips) out.push_back({chip->path(), chip->location()});
    return out;
}

std::unique_ptr<hid::Device> EmulatorBackend::Open(const std::string& path, hid::Access access) {
    std::lock_guard lock(bus_->mutex);
    for (const auto& chip : bus_->chips) {
        if (chip->path() == path) return std::make_unique<EmuDevice>(chip, chip->CurrentGeneration(), access);
    }
    errno = ENOENT;
    return nullptr;
}

int EmulatorBackend::ChangeFd() { return bus_->eventFd; }

std::vector<hid::Change> EmulatorBackend::TakeChanges() {
    std::lock_guard lock(bus_->mutex);
    std::uint64_t count;
    if (bus_->eventFd >= 0 && read(bus_->eventFd, &count, sizeof count) < 0) {
        // Nothing pending (EAGAIN).
    }
    std::vector<hid::Change> out(bus_->changes.begin(), bus_->changes.end());
    bus_->changes.clear();
    return out;
}

std::shared_ptr<EmulatorBackend> MakeBackend() { return std::make_shared<EmulatorBackend>(); }

ScopedBackend::ScopedBackend() : backend_(MakeBackend()) { hid::SetBackend(backend_); }

ScopedBackend::~ScopedBackend() { hid::SetBackend(MakeBackend()); }

}  // namespace emu

// The chip model: memories, the command set on 9-byte feature reports, bulk
// reports, faults and the report log.
#include "Emulator.h"
#include "EmulatorBus.h"

#include "../engine/ByteOrder.h"
#include "../engine/HidReport.h"
#include "../engine/Pause.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace emu {
namespace {

// Identification cells that other chip types find at 0xF840..0xF842, so that
// only a VQ7140S answers 00 00 00 there.
constexpr WORD VQ7140S_ID_ADDR = 0xF840;

// Bus set-up registers (see GateRules below).
constexpr BYTE SFR_P2 = 0xA0;
constexpr BYTE SFR_P3 = 0xB0;
constexpr WORD XDATA_5520_MUX = 0xF016;      // bit 2: EEPROM on the bus, else flash
constexpr WORD XDATA_7340_MODE = 0xF01F;     // bit 4: flash on the bus, else EEPROM
constexpr WORD XDATA_5520_WRITE_TEST = 0xC450;

// A report with latency lasts its latency in all, the chip's work included.
// The wait sleeps (RestUntil), so that dozens of emulated chips at work at
// once need no processor each.
void AwaitReportEnd(std::chrono::steady_clock::time_point deadline) {
    if (deadline != std::chrono::steady_clock::time_point{}) RestUntil(deadline);
}

}  // namespace

Chip::Chip(const ChipConfig& config)
    : config_(config),
      eraseBusyPolls_(config.eraseBusyPolls),
      idAddr_(IdentificationAddress(config.type)),
      stopAt_(config.stopAfter < 0 ? SIZE_MAX : static_cast<std::size_t>(config.stopAfter)),
      replyFault_(config.replyFault),
      latencyMicros_(config.latencyMicros) {
    if (config_.type != ChipType::Keyboard) {
        for (int s = 0; s < 2; ++s) eeprom_[s].assign(config_.eepromSize[s], 0xFF);
        if (HasFlash(config_.type)) {
            const std::size_t sectors = (config_.flashSize + SECTOR_SIZE - 1) / SECTOR_SIZE;
            flash_.resize(sectors);
        }
        if (config_.type != ChipType::VQ7140S) {
            for (int k = 0; k < 3; ++k) xdata_[VQ7140S_ID_ADDR + k] = 0xFF;
        }
        const auto id = IdentificationBytes(config_.type, config_.idVariant);
        for (int k = 0; k < 3; ++k) xdata_[static_cast<WORD>(idAddr_ + k)] = id[static_cast<std::size_t>(k)];
        if (config_.version) {
            const std::array<BYTE, 4>& v = *config_.version;
            for (int s = 0; s < 2; ++s)
                for (std::size_t k = 0; k < v.size(); ++k) WriteEepromByteLocked(s, 12 + k, v[k]);
            StoreFlashLocked(12, v.data(), v.size(), false);
        }
    }
    reply_[0] = static_cast<BYTE>(config_.reportId);
}

Chip::~Chip() = default;

std::string Chip::path() const {
    std::lock_guard lock(mutex_);
    return path_;
}

std::string Chip::location() const {
    std::lock_guard lock(mutex_);
    return location_;
}

bool Chip::present() const {
    std::lock_guard lock(mutex_);
    return present_;
}

// --- direct memory access ------------------------------------------------------

BYTE Chip::Xdata(WORD addr) const {
    std::lock_guard lock(mutex_);
    return xdata_[addr];
}

void Chip::SetXdata(WORD addr, BYTE value) {
    std::lock_guard lock(mutex_);
    xdata_[addr] = value;
}

BYTE Chip::Sfr(BYTE addr) const {
    std::lock_guard lock(mutex_);
    return sfr_[addr];
}

void Chip::SetSfr(BYTE addr, BYTE value) {
    std::lock_guard lock(mutex_);
    sfr_[addr] = value;
}

std::size_t Chip::EepromSize(int selector) const {
    return selector == 0 || selector == 1 ? eeprom_[selector].size() : 0;
}

std::vector<BYTE> Chip::Eeprom(int selector, std::size_t addr, std::size_t len) const {
    std::lock_guard lock(mutex_);
    std::vector<BYTE> out(len);
    for (std::size_t i = 0; i < len; ++i) out[i] = EepromByteLocked(selector, addr + i);
    return out;
}

void Chip::WriteEeprom(int selector, std::size_t addr, std::span<const BYTE> data) {
    std::lock_guard lock(mutex_);
    for (std::size_t i = 0; i < data.size(); ++i) WriteEepromByteLocked(selector, addr + i, data[i]);
}

std::size_t Chip::FlashSize() const { return flash_.size() * SECTOR_SIZE; }

std::vector<BYTE> Chip::Flash(std::size_t addr, std::size_t len) const {
    std::lock_guard lock(mutex_);
    std::vector<BYTE> out(len);
    ReadFlashLocked(addr, out.data(), len);
    return out;
}

void Chip::WriteFlash(std::size_t addr, std::span<const BYTE> data) {
    std::lock_guard lock(mutex_);
    StoreFlashLocked(addr, data.data(), data.size(), false);
}

void Chip::EraseFlash() {
    std::lock_guard lock(mutex_);
    EraseAllSectorsLocked();
}

std::size_t Chip::SectorEraseCount() const {
    std::lock_guard lock(mutex_);
    return sectorErases_;
}

std::size_t Chip::ChipEraseCount() const {
    std::lock_guard lock(mutex_);
    return chipErases_;
}

int Chip::EraseBusyPollsLeft() const {
    std::lock_guard lock(mutex_);
    return busyPollsLeft_;
}

void Chip::SetEraseBusyPolls(int polls) {
    std::lock_guard lock(mutex_);
    eraseBusyPolls_ = polls;
}

void Chip::SetIdentification(BYTE a, BYTE b, BYTE c) {
    std::lock_guard lock(mutex_);
    xdata_[idAddr_] = a;
    xdata_[static_cast<WORD>(idAddr_ + 1)] = b;
    xdata_[static_cast<WORD>(idAddr_ + 2)] = c;
}

void Chip::SetIdVariant(int variant) {
    const auto id = IdentificationBytes(config_.type, variant);
    SetIdentification(id[0], id[1], id[2]);
}

std::array<BYTE, 3> Chip::Identification() const {
    std::lock_guard lock(mutex_);
    return {xdata_[idAddr_], xdata_[static_cast<WORD>(idAddr_ + 1)], xdata_[static_cast<WORD>(idAddr_ + 2)]};
}

// --- faults, timing, log ---------------------------------------------------------

void Chip::FailSetFeatureFrom(unsigned n) {
    std::lock_guard lock(mutex_);
    failSetAt_ = setCount_ + std::max(n, 1u);
}

void Chip::FailGetFeatureFrom(unsigned n) {
    std::lock_guard lock(mutex_);
    failGetAt_ = getCount_ + std::max(n, 1u);
}

void Chip::FailReports(ReportRule rule) {
    std::lock_guard lock(mutex_);
    failRule_ = std::move(rule);
}

bool Chip::PickedToFailLocked(bool set, const BYTE* report, std::size_t len) const {
    return failRule_ && failRule_(set, report, len);
}

ReportRule NthReport(ReportRule pick, int n) {
    auto seen = std::make_shared<int>(0);
    return [pick = std::move(pick), seen, n](bool set, const BYTE* report, std::size_t len) {
        return pick(set, report, len) && ++*seen == n;
    };
}

void Chip::UnplugAfter(unsigned reports) {
    bool now = false;
    {
        std::lock_guard lock(mutex_);
        unplugAt_ = reportCount_ + reports;
        if (reports == 0 && present_) {
            present_ = false;
            unplugAt_ = 0;
            now = true;
        }
    }
    if (now) NotifyVanished();
}

void Chip::StopAnsweringAfter(unsigned reports) {
    std::lock_guard lock(mutex_);
    stopAt_ = reportCount_ + reports;
}

void Chip::SetBadCell(int selector, std::size_t addr) {
    std::lock_guard lock(mutex_);
    badCells_.push_back({selector, addr});
}

BYTE Chip::ReadThroughCellLocked(int selector, std::size_t addr, BYTE value) const {
    for (const BadCell& cell : badCells_) {
        if (cell.selector == selector && cell.addr == addr) return static_cast<BYTE>(value ^ 0x01);
    }
    return value;
}

void Chip::FaultReplies(ReplyFault fault) {
    std::lock_guard lock(mutex_);
    if (fault.at != 0) fault.at += getCount_;
    replyFault_ = fault;
}

void Chip::ClearFaults() {
    std::lock_guard lock(mutex_);
    replyFault_ = {};
    failSetAt_ = failGetAt_ = unplugAt_ = 0;
    failRule_ = nullptr;
    stopAt_ = SIZE_MAX;
    badCells_.clear();
}

void Chip::SetLatency(std::chrono::microseconds latency) {
    latencyMicros_.store(latency.count(), std::memory_order_relaxed);
}

std::chrono::steady_clock::time_point Chip::ReportDeadline() const {
    const long long us = latencyMicros_.load(std::memory_order_relaxed);
    if (us <= 0) return {};
    return std::chrono::steady_clock::now() + std::chrono::microseconds(us);
}

std::vector<LoggedReport> Chip::Log() const {
    std::lock_guard lock(mutex_);
    return log_;
}

void Chip::ClearLog() {
    std::lock_guard lock(mutex_);
    log_.clear();
}

void Chip::SetLogging(bool on) {
    std::lock_guard lock(mutex_);
    logging_ = on;
}

std::size_t Chip::SetFeatureCount() const {
    std::lock_guard lock(mutex_);
    return setCount_;
}

std::size_t Chip::GetFeatureCount() const {
    std::lock_guard lock(mutex_);
    return getCount_;
}

void Chip::LogLocked(LoggedReport::Kind kind, const BYTE* bytes, std::size_t len, bool ok) {
    if (!logging_) return;
    log_.push_back({kind, std::vector<BYTE>(bytes, bytes + len), ok});
}

bool Chip::CountReportLocked() {
    ++reportCount_;
    if (unplugAt_ != 0 && reportCount_ >= unplugAt_ && present_) {
        present_ = false;
        unplugAt_ = 0;
        return true;
    }
    return false;
}

void Chip::NotifyVanished() {
    if (auto bus = bus_.lock()) bus->Remove(this);
}

// --- the backend's side -------------------------------------------------------------

void Chip::Attach(std::weak_ptr<Bus> bus, std::string path, std::string location) {
    std::lock_guard lock(mutex_);
    bus_ = std::move(bus);
    path_ = std::move(path);
    location_ = std::move(location);
}

void Chip::MarkPresent() {
    std::lock_guard lock(mutex_);
    present_ = true;
    ++generation_;
}

unsigned Chip::CurrentGeneration() const {
    std::lock_guard lock(mutex_);
    return generation_;
}

void Chip::MarkGone() {
    std::lock_guard lock(mutex_);
    present_ = false;
}

// --- the HID side -------------------------------------------------------------------

bool Chip::HostAttributes(hid::Attributes* out, unsigned generation) const {
    std::lock_guard lock(mutex_);
    if (!AliveLocked(generation)) return false;
    out->vendorId = config_.vendorId ? config_.vendorId : DefaultVendorId(config_.type);
    out->productId = config_.productId ? config_.productId : DefaultProductId(config_.type);
    out->versionNumber = 0x0100;
    return true;
}

long Chip::HostSetFeature(const BYTE* report, std::size_t len, unsigned generation, bool access) {
    const auto deadline = ReportDeadline();
    bool vanished = false;
    bool ok = false;
    int err = EPIPE;
    {
        std::lock_guard lock(mutex_);
        if (PickedToFailLocked(true, report, len)) {
            errno = EPIPE;
            return -1;
        }
        ++setCount_;
        const bool faulted = (failSetAt_ != 0 && setCount_ >= failSetAt_) || reportCount_ >= stopAt_;
        if (!AliveLocked(generation)) err = ENODEV;
        else if (!access) err = EBADF;
        if (AliveLocked(generation) && access && !faulted && report && config_.type != ChipType::Keyboard) {
            const int id = len > 0 ? report[0] : -1;
            if (len == FEATURE_REPORT_SIZE && id == config_.reportId) {
                ok = ExecuteLocked(report);
            } else if (len == BULK_REPORT_SIZE && id == BULK_REPORT_ID && config_.reportId == 1 && !flash_.empty()) {
                ok = BulkSetLocked(report);
            }
        }
        if (report) LogLocked(LoggedReport::Set, report, len, ok);
        if (AliveLocked(generation)) vanished = CountReportLocked();
    }
    if (vanished) NotifyVanished();
    AwaitReportEnd(deadline);
    errno = err;
    return ok ? static_cast<long>(len) : -1;
}

long Chip::HostGetFeature(BYTE* report, std::size_t len, unsigned generation, bool access) {
    const auto deadline = ReportDeadline();
    bool vanished = false;
    bool ok = false;
    std::size_t got = len;
    int err = EPIPE;
    {
        std::lock_guard lock(mutex_);
        if (PickedToFailLocked(false, report, len)) {
            errno = EPIPE;
            return -1;
        }
        ++getCount_;
        const bool faulted = (failGetAt_ != 0 && getCount_ >= failGetAt_) || reportCount_ >= stopAt_;
        if (!AliveLocked(generation)) err = ENODEV;
        else if (!access) err = EBADF;
        if (AliveLocked(generation) && access && !faulted && report && config_.type != ChipType::Keyboard) {
            // A short reply leaves the request behind its bytes.
            std::vector<BYTE> request;
            if (replyFault_.kind == ReplyFault::Short) request.assign(report, report + len);
            const int id = len > 0 ? report[0] : -1;
            if (len == FEATURE_REPORT_SIZE && id == config_.reportId) {
                if (config_.reportId == 1) {
                    // The firmware's reply starts one byte early on numbered reports.
                    std::memcpy(report, reply_.data() + 1, FEATURE_REPORT_SIZE - 1);
                    report[FEATURE_REPORT_SIZE - 1] = 0;
                } else {
                    std::memcpy(report, reply_.data(), FEATURE_REPORT_SIZE);
                    report[0] = 0;
                }
                ok = true;
            } else if (len == BULK_REPORT_SIZE && id == BULK_REPORT_ID && config_.reportId == 1 && !flash_.empty()) {
                ok = BulkGetLocked(report);
            }
            if (ok) got = MisreplyLocked(report, request.data(), len);
        }
        if (report) LogLocked(LoggedReport::Get, report, len, ok);
        if (AliveLocked(generation)) vanished = CountReportLocked();
    }
    if (vanished) NotifyVanished();
    AwaitReportEnd(deadline);
    errno = err;
    return ok ? static_cast<long>(got) : -1;
}

std::size_t Chip::MisreplyLocked(BYTE* report, const BYTE* request, std::size_t len) {
    const ReplyFault& f = replyFault_;
    if (f.kind == ReplyFault::None || f.at == 0 || getCount_ < f.at || (f.once && getCount_ != f.at)) return len;
    if (f.kind == ReplyFault::Random) {
        for (std::size_t i = 0; i < len; ++i) {
            // xorshift32: the same faults give the same bytes on every run
            noise_ ^= noise_ << 13;
            noise_ ^= noise_ >> 17;
            noise_ ^= noise_ << 5;
            report[i] = static_cast<BYTE>(noise_);
        }
        return len;
    }
    const std::size_t n = std::min(f.bytes, len);
    std::memcpy(report + n, request + n, len - n);
    return n;
}

// --- memories as the chip sees them ------------------------------------------------------

void Chip::ReadFlashLocked(std::size_t addr, BYTE* out, std::size_t len) const {
    if (flash_.empty()) {
        std::memset(out, 0xFF, len);
        return;
    }
    std::size_t a = addr % FlashSize();
    while (len > 0) {
        const std::size_t in = a % SECTOR_SIZE;
        const std::size_t n = std::min(len, SECTOR_SIZE - in);
        const auto& sector = flash_[a / SECTOR_SIZE];
        if (sector) std::memcpy(out, sector->data() + in, n);
        else std::memset(out, 0xFF, n);
        out += n;
        len -= n;
        a = (a + n) % FlashSize();
    }
}

void Chip::StoreFlashLocked(std::size_t addr, const BYTE* data, std::size_t len, bool program) {
    if (flash_.empty()) return;
    std::size_t a = addr % FlashSize();
    while (len > 0) {
        const std::size_t in = a % SECTOR_SIZE;
        const std::size_t n = std::min(len, SECTOR_SIZE - in);
        auto& sector = flash_[a / SECTOR_SIZE];
        if (!sector && !std::all_of(data, data + n, [](BYTE b) { return b == 0xFF; })) {
            sector = std::make_unique<std::array<BYTE, SECTOR_SIZE>>();
            sector->fill(0xFF);
        }
        if (sector && program) {
            for (std::size_t k = 0; k < n; ++k) (*sector)[in + k] &= data[k];  // NOR: clears bits only
        } else if (sector) {
            std::memcpy(sector->data() + in, data, n);
        }
        data += n;
        len -= n;
        a = (a + n) % FlashSize();
    }
}

void Chip::EraseSectorLocked(std::size_t addr) {
    if (flash_.empty()) return;
    if (auto& sector = flash_[(addr % FlashSize()) / SECTOR_SIZE]) sector->fill(0xFF);
    ++sectorErases_;
}

void Chip::EraseAllSectorsLocked() {
    for (auto& sector : flash_)
        if (sector) sector->fill(0xFF);
}

BYTE Chip::EepromByteLocked(int selector, std::size_t addr) const {
    if (selector != 0 && selector != 1) return 0xFF;  // nothing answers on the bus
    const auto& mem = eeprom_[selector];
    return mem.empty() ? 0xFF : mem[addr % mem.size()];
}

void Chip::WriteEepromByteLocked(int selector, std::size_t addr, BYTE value) {
    if (selector != 0 && selector != 1) return;
    auto& mem = eeprom_[selector];
    if (!mem.empty()) mem[addr % mem.size()] = value;
}

// GateRules: with ChipConfig::gateBus the chip obeys its bus set-up.
// - VQ5520: XDATA 0xF016 bit 2 set puts the EEPROM on the shared bus, clear
//   the flash; an EEPROM byte is written only while SFR 0xA0 bit 5 is clear
//   and SFR 0xB0 bit 5 is set.
// - VQ7340/VQ5632: XDATA 0xF01F bit 4 set puts the flash on the bus, clear
//   the EEPROM; SFR 0xA0 bit 2 set write-protects the EEPROM.
// - The other types have their EEPROM on the bus always.
// Off the bus a memory reads 0xFF and ignores writes and erases.
bool Chip::EepromOnBusLocked(bool write) const {
    if (!config_.gateBus) return true;
    switch (config_.type) {
    case ChipType::VQ5520:
        if (!(xdata_[XDATA_5520_MUX] & 0x04)) return false;
        return !write || ((sfr_[SFR_P2] & 0x20) == 0 && (sfr_[SFR_P3] & 0x20) != 0);
    case ChipType::VQ7340:
    case ChipType::VQ5632:
        if (xdata_[XDATA_7340_MODE] & 0x10) return false;
        return !write || (sfr_[SFR_P2] & 0x04) == 0;
    default:
        return true;
    }
}

bool Chip::FlashOnBusLocked() const {
    if (!config_.gateBus) return true;
    switch (config_.type) {
    case ChipType::VQ5520: return (xdata_[XDATA_5520_MUX] & 0x04) == 0;
    case ChipType::VQ7340:
    case ChipType::VQ5632: return (xdata_[XDATA_7340_MODE] & 0x10) != 0;
    default: return true;
    }
}

void Chip::BusReadFlashLocked(std::size_t addr, BYTE* out, std::size_t len) const {
    if (FlashOnBusLocked()) ReadFlashLocked(addr, out, len);
    else std::memset(out, 0xFF, len);
    if (badCells_.empty() || flash_.empty()) return;
    for (std::size_t k = 0; k < len; ++k) out[k] = ReadThroughCellLocked(-1, (addr + k) % FlashSize(), out[k]);
}

void Chip::BusProgramFlashLocked(std::size_t addr, const BYTE* data, std::size_t len) {
    if (FlashOnBusLocked()) StoreFlashLocked(addr, data, len, true);
}

void Chip::WriteXdataLocked(WORD addr, BYTE value) {
    // The identification bytes are in ROM.
    if (addr >= idAddr_ && addr < idAddr_ + 3) return;
    if (addr == XDATA_5520_WRITE_TEST && config_.type == ChipType::VQ5520 && !config_.keepsC450) return;
    xdata_[addr] = value;
}

// --- the command set ----------------------------------------------------------------------

bool Chip::ExecuteLocked(const BYTE* report) {
    Command r;
    std::memcpy(r.data(), report, r.size());
    bool ok = true;
    switch (r[1]) {
    case HID_CMD_EEPROM_READ:
    case HID_CMD_EEPROM_WRITE:
        EepromCommandLocked(r);
        break;
    case HID_CMD_XDATA_READ:
    case HID_CMD_XDATA_WRITE:
    case HID_CMD_SFR_READ:
    case HID_CMD_SFR_WRITE:
        RegisterCommandLocked(r);
        break;
    default:
        // The EEPROM-only types know no flash command.
        if (!flash_.empty()) ok = FlashCommandLocked(r);
        break;
    }
    if (!ok) return false;
    reply_ = r;
    return true;
}

void Chip::EepromCommandLocked(Command& r) {
    const std::size_t addr = ReadBE16(&r[2]);
    if (r[1] == HID_CMD_EEPROM_READ) {
        const bool on = EepromOnBusLocked(false);
        const std::size_t size = r[8] <= 1 ? eeprom_[r[8]].size() : 0;
        for (std::size_t k = 0; k < 5; ++k) {
            const BYTE value = on ? EepromByteLocked(r[8], addr + k) : 0xFF;
            r[4 + k] = size ? ReadThroughCellLocked(r[8], (addr + k) % size, value) : value;
        }
    } else if (EepromOnBusLocked(true)) {
        WriteEepromByteLocked(r[8], addr, r[4]);
    }
}

void Chip::RegisterCommandLocked(Command& r) {
    switch (r[1]) {
    case HID_CMD_XDATA_READ: r[4] = xdata_[ReadBE16(&r[2])]; break;
    case HID_CMD_XDATA_WRITE: WriteXdataLocked(ReadBE16(&r[2]), r[4]); break;
    case HID_CMD_SFR_READ: r[3] = sfr_[r[2]]; break;
    case HID_CMD_SFR_WRITE: sfr_[r[2]] = r[3]; break;
    default: break;
    }
}

bool Chip::FlashCommandLocked(Command& r) {
    switch (r[1]) {
    case HID_CMD_FLASH_READ8:
        BusReadFlashLocked(ReadBE24(&r[2]), &r[1], 8);
        return true;
    case HID_CMD_FLASH_WRITE1:
        BusProgramFlashLocked(ReadBE24(&r[2]), &r[5], 1);
        return true;
    case HID_CMD_FLASH_WRITE4:
        BusProgramFlashLocked(ReadBE24(&r[2]), &r[5], 4);
        return true;
    case HID_CMD_FLASH_READ:
        return StreamReadLocked(r);
    case HID_CMD_FLASH_WRITE:
        return StreamWriteLocked(r);
    case HID_CMD_FLASH_BULK:
        // Only numbered-report devices have the bulk report.
        if (config_.reportId == 1) {
            bulkAddr_ = ReadBE32(&r[2]);
            bulkLeft_ = ReadBE16(&r[6]);
        }
        return true;
    case HID_CMD_FLASH_SECTOR_ERASE:
    case HID_CMD_FLASH_CHIP_ERASE:
    case HID_CMD_FLASH_STATUS:
        EraseCommandLocked(r);
        return true;
    default:
        return true;  // unknown commands are accepted and ignored
    }
}

void Chip::StartStreamLocked(const Command& r, Stream kind) {
    streamAddr_ = ReadBE24(&r[3]);
    streamLen_ = streamLeft_ = ReadBE16(&r[6]);
    stream_ = streamLeft_ ? kind : Stream::None;
}

bool Chip::StreamReadLocked(Command& r) {
    if (r[2] == 1) {  // start: address and length of the transfer
        StartStreamLocked(r, Stream::Read);
        return true;
    }
    // step: eight bytes at the start address plus the offset
    if (stream_ != Stream::Read) return false;
    const std::size_t off = ReadBE16(&r[6]);
    BusReadFlashLocked(ReadBE24(&r[3]) + off, &r[1], 8);
    if (off + 8 >= streamLen_) stream_ = Stream::None;
    return true;
}

bool Chip::StreamWriteLocked(Command& r) {
    if (r[2] == 1) {
        StartStreamLocked(r, Stream::Write);
        return true;
    }
    // step: the next six bytes, filler beyond the length ignored
    if (stream_ != Stream::Write) return false;
    const std::size_t n = std::min<std::size_t>(6, streamLeft_);
    BusProgramFlashLocked(streamAddr_, &r[3], n);
    streamAddr_ += n;
    streamLeft_ -= n;
    if (streamLeft_ == 0) stream_ = Stream::None;
    return true;
}

void Chip::EraseCommandLocked(Command& r) {
    switch (r[1]) {
    case HID_CMD_FLASH_SECTOR_ERASE:
        if (FlashOnBusLocked()) {
            // The VQ5520 takes a sector index, the others a byte address.
            const std::size_t addr = config_.type == ChipType::VQ5520 ? r[3] * SECTOR_SIZE : ReadBE24(&r[2]);
            EraseSectorLocked(addr);
        }
        break;
    case HID_CMD_FLASH_CHIP_ERASE:
        if (r[2] == 0xFF && FlashOnBusLocked()) {
            EraseAllSectorsLocked();
            ++chipErases_;
            busyPollsLeft_ = eraseBusyPolls_;
        }
        break;
    case HID_CMD_FLASH_STATUS: {
        // Status lands at [3], which a numbered-report fetch shows at [2].
        BYTE status = 0;
        if (busyPollsLeft_ != 0) {
            status = 0x01;
            if (busyPollsLeft_ > 0) --busyPollsLeft_;
        }
        r[3] = status;
        break;
    }
    default:
        break;
    }
}

bool Chip::BulkSetLocked(const BYTE* report) {
    if (bulkLeft_ == 0) return false;
    const std::size_t n = std::min(BULK_REPORT_DATA, bulkLeft_);
    BusProgramFlashLocked(bulkAddr_, report + 1, n);
    bulkAddr_ += n;
    bulkLeft_ -= n;
    return true;
}

bool Chip::BulkGetLocked(BYTE* report) {
    if (bulkLeft_ == 0) return false;
    const std::size_t n = std::min(BULK_REPORT_DATA, bulkLeft_);
    report[0] = BULK_REPORT_ID;
    BusReadFlashLocked(bulkAddr_, report + 1, n);
    std::memset(report + 1 + n, 0, BULK_REPORT_DATA - n);
    bulkAddr_ += n;
    bulkLeft_ -= n;
    return true;
}

}  // namespace emu

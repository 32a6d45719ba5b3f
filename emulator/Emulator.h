// Software models of the seven chip types (and of a plain keyboard) as HID
// devices on an emulated HID bus, in place of real chips. Used by the
// tests, the benches and by the application when QUILLMAR_EMULATE names chips.
//
// How tests use it
// ----------------
//   emu::ScopedBackend emu;                       // installs a fresh emulator
//   auto chip = emu->Plug({.type = emu::ChipType::VQ7340, .reportId = 1});
//   chip->WriteFlash(0, image);                   // preload memories directly
//   ... run the engine: hid::EnumeratePresent() lists "emu:1", ...
//   EXPECT_EQ(chip->Xdata(0xF051), 0x00);          // inspect memories
//   auto log = chip->Log();                        // every report, in order
//   EXPECT_EQ(log[0].bytes, emu::Bytes("01 B5 FF 01 00 00 00 00 00"));
//
// - ScopedBackend installs an EmulatorBackend with hid::SetBackend and, when it
//   goes, installs an empty one, so no test reaches real devices. Without it:
//   auto bus = emu::MakeBackend(); hid::SetBackend(bus);
// - Plug(config) adds a device (path "emu:N", N counting plugs from 1, and a
//   location on bus 1, port N) and raises an Arrival change; Unplug(chip)
//   removes it and raises a Removal change; Replug(chip) brings the same chip
//   (memories kept) back under its old path. Handles opened before an unplug
//   stay dead. ChangeFd() is readable while changes are pending.
// - Memories: Xdata/SetXdata (64 KB), Sfr/SetSfr (256), Eeprom/WriteEeprom per
//   memory selector (0: 2 KB 24C16, 1: 8 KB 24C64 by default; addresses wrap
//   at the size; erased 0xFF), Flash/WriteFlash/EraseFlash (16 MB by default,
//   4 KB sectors, erased 0xFF). Direct access is neither logged nor counted.
//   WriteFlash stores the bytes as given (no NOR rule); the chip's own flash
//   commands only clear bits until a sector or chip erase.
// - Log(): every SetFeature/GetFeature that reached the device, with the bytes
//   as sent or as returned and whether the call succeeded. ClearLog(),
//   SetLogging(false) (benches).
// - Faults: FailSetFeatureFrom(n) / FailGetFeatureFrom(n): the n-th call from
//   now on and every later one fails; FailReports(rule): exactly the reports
//   the rule picks fail before they reach the chip (neither logged nor
//   counted), so a job goes on after one failure; NthReport(pick, n) picks
//   only the n-th report pick selects. UnplugAfter(n): after n more reports
//   the chip vanishes as by Unplug. StopAnsweringAfter(n): after n more
//   reports every report fails while the chip stays plugged in (a chip that
//   hangs). SetBadCell(selector, addr): one EEPROM cell (selector 0 or 1) or
//   flash cell (selector -1) reads back, through the chip's commands, with
//   its low bit inverted. SetLatency() makes every report last that
//   long from its start, the chip's work included: never shorter, and on a
//   quiet machine a few microseconds longer (RestUntil: the wait sleeps, so
//   many chips at work at once need no processor each). FaultReplies(fault):
//   from the fault.at-th fetch from now on (or at that one only) replies come
//   short (the host's buffer keeps its request behind them) or as random
//   bytes; ChipConfig::replyFault counts from plugging. Failed calls set
//   errno: ENODEV for a chip that is gone, EBADF without access, EPIPE
//   otherwise.
//
// How a chip behaves
// ------------------
// - Report ids: a device with reportId 0 takes only 9-byte reports with id 0;
//   one with reportId 1 takes 9-byte reports with id 1 and, if it has flash,
//   4096-byte bulk reports with id 3; anything else fails, as a HID device
//   with or without numbered reports rejects it. An id-1 device replies one
//   byte earlier: GetFeature returns reply bytes 1..8 at 0..7.
// - The reply buffer is the chip's, not the handle's: a command leaves its
//   request there with the answer filled in, and every fetch returns it.
// - XDATA and SFR start at 0, but for the three identification bytes (read
//   only to the chip's commands; SetIdentification changes them) and, on all
//   types but the VQ7140S, FF FF FF at 0xF840. A keyboard has no feature
//   reports; a handle opened with hid::Access::None sends none either.
// - Sector erase: the VQ5520 takes a sector index at [3], the VQ7340 and
//   VQ5632 a byte address at [2..4] (its 4 KB sector is erased).
// - Commands the chip does not know are accepted and ignored. The EEPROM-only
//   types ignore flash commands.
// - Streamed flash reads and writes need their start report; bulk reports
//   need a preceding bulk set-up command. A step or bulk report outside a
//   transfer fails. Chip erase (0xFF with confirm byte 0xFF) erases at once;
//   the status command answers busy (non-zero at reply [2] seen with id 1)
//   for eraseBusyPolls polls afterwards (-1: forever), then 0.
// - Bus registers (VQ5520 mux, VQ7340 access mode, the EEPROM write toggles,
//   guard bytes) are plain SFR/XDATA cells that tests read back. With
//   ChipConfig::gateBus the chip also obeys them; see GateRules in
//   Chip.cpp.
#pragma once

#include "../engine/hid/Hid.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace emu {

enum class ChipType { VQ7140S, VQ7140XX, VQ7170, VQ7170S, VQ5520, VQ7340, VQ5632, Keyboard };

// Replies that come wrong. A Short reply carries only `bytes` bytes (the
// host's buffer keeps its request behind them, as hidraw leaves it); a
// Random one carries random bytes in full length. The fault starts at reply
// `at` (fetches counted from 1) and hits every later reply too, or that one
// reply only when `once` is set. at 0: no fault.
struct ReplyFault {
    enum Kind { None, Short, Random } kind = None;
    std::size_t bytes = 0;
    std::size_t at = 0;
    bool once = false;
    bool operator==(const ReplyFault&) const = default;
};

struct ChipConfig {
    ChipType type = ChipType::VQ7170;
    int reportId = 0;           // 0, or 1: the device takes report id 1 and replies one byte earlier
    int idVariant = 0;          // 0: first accepted identification byte; 1: the alternative (D7, B7)
    std::size_t eepromSize[2] = {2048, 8192};  // behind memory selector 0 (24C16) and 1 (24C64); 0: none
    std::size_t flashSize = 16u << 20;         // flash types only; a multiple of 4 KB
    int eraseBusyPolls = 3;     // status polls answering "busy" after a chip erase; -1: never done
    bool keepsC450 = true;      // VQ5520: XDATA 0xC450 keeps what is written
    bool gateBus = false;       // obey the bus set-up registers (off: only record them)
    unsigned latencyMicros = 0; // how long every report lasts at least
    long stopAfter = -1;        // reports answered from plugging on, then every report fails; -1: never
    // The version stamp of the image the chip holds when plugged: bytes
    // 12..15 of each memory (the image header's version field, where the
    // tool reads a device's version); the rest stays erased. None: every
    // memory erased. The emulate list gives its chips kEmulatedVersion.
    std::optional<std::array<BYTE, 4>> version = std::nullopt;
    ReplyFault replyFault = {}; // replies counted from plugging on
    WORD vendorId = 0;          // 0: the type's
    WORD productId = 0;         // 0: the type's
    std::string location = {};  // empty: made up from the plug order
    std::string path = {};      // empty: made up from the plug order
    std::string memoryFile = {};  // non-empty: EEPROM and flash kept in this file (see MemoryFile.cpp)
};

// Version stamp of the chips of an emulate list unless it says otherwise:
// 15 January 2026, 10 o'clock, shown as "26011510".
inline constexpr std::array<BYTE, 4> kEmulatedVersion = {26, 1, 15, 10};

struct LoggedReport {
    enum Kind { Set, Get } kind;
    std::vector<BYTE> bytes;  // as sent, or as returned
    bool ok;
    bool operator==(const LoggedReport&) const = default;
};

// "00 B5 F0 02" -> bytes; and back. For readable expectations in tests.
std::vector<BYTE> Bytes(const std::string& hex);
std::string Hex(std::span<const BYTE> bytes);
std::string ToString(const LoggedReport& report);
// Lets GoogleTest print log entries as "set 00 B5 ... (failed)".
void PrintTo(const LoggedReport& report, std::ostream* os);

inline constexpr std::size_t SECTOR_SIZE = 4096;

const char* TypeName(ChipType type);        // "vq7170", as in QUILLMAR_EMULATE
bool HasFlash(ChipType type);                // VQ5520, VQ7340, VQ5632
WORD DefaultVendorId(ChipType type);
WORD DefaultProductId(ChipType type);
WORD IdentificationAddress(ChipType type);   // XDATA address of the three bytes
std::array<BYTE, 3> IdentificationBytes(ChipType type, int variant);

// Picks reports for FailReports: set is true for SetFeature; report and len
// as the host passes them (a GetFeature's buffer holds the request).
using ReportRule = std::function<bool(bool set, const BYTE* report, std::size_t len)>;

// A rule that picks the n-th report (from 1) for which pick is true, and
// only that one.
ReportRule NthReport(ReportRule pick, int n = 1);

class EmulatorBackend;
class EmuDevice;
struct Bus;

class Chip {
public:
    explicit Chip(const ChipConfig& config);
    ~Chip();
    Chip(const Chip&) = delete;
    Chip& operator=(const Chip&) = delete;

    ChipType type() const { return config_.type; }
    int reportId() const { return config_.reportId; }
    const ChipConfig& config() const { return config_; }
    std::string path() const;
    std::string location() const;
    bool present() const;

    // --- memories (direct access: not logged, not counted) ---
    BYTE Xdata(WORD addr) const;
    void SetXdata(WORD addr, BYTE value);
    BYTE Sfr(BYTE addr) const;
    void SetSfr(BYTE addr, BYTE value);
    std::size_t EepromSize(int selector) const;
    std::vector<BYTE> Eeprom(int selector, std::size_t addr, std::size_t len) const;
    void WriteEeprom(int selector, std::size_t addr, std::span<const BYTE> data);
    std::size_t FlashSize() const;
    std::vector<BYTE> Flash(std::size_t addr, std::size_t len) const;
    void WriteFlash(std::size_t addr, std::span<const BYTE> data);  // stores as given
    void EraseFlash();                                               // all 0xFF
    // Sectors erased by the chip's own commands since plugging (tests count them).
    std::size_t SectorEraseCount() const;
    std::size_t ChipEraseCount() const;
    int EraseBusyPollsLeft() const;
    void SetEraseBusyPolls(int polls);  // for the next chip erase

    void SetIdentification(BYTE a, BYTE b, BYTE c);
    void SetIdVariant(int variant);
    std::array<BYTE, 3> Identification() const;

    // --- faults, timing ---
    void FailSetFeatureFrom(unsigned n);
    void FailGetFeatureFrom(unsigned n);
    void FailReports(ReportRule rule);  // empty: none
    void UnplugAfter(unsigned reports);
    void StopAnsweringAfter(unsigned reports);
    // selector 0 or 1: an EEPROM cell; -1: a flash cell. Direct access shows
    // the stored byte; the chip's read commands return it with bit 0 inverted.
    void SetBadCell(int selector, std::size_t addr);
    // Replies from the fault.at-th fetch from now on come short or random.
    void FaultReplies(ReplyFault fault);
    void ClearFaults();
    void SetLatency(std::chrono::microseconds latency);

    // --- log and counters ---
    std::vector<LoggedReport> Log() const;
    void ClearLog();
    void SetLogging(bool on);
    std::size_t SetFeatureCount() const;
    std::size_t GetFeatureCount() const;

private:
    friend class EmulatorBackend;
    friend class EmuDevice;
    friend struct Bus;

    enum class Stream { None, Read, Write };

    // The bytes sent or fetched, or -1 with errno set: ENODEV when the
    // chip is gone, EBADF without access, EPIPE when it stalls the report.
    long HostSetFeature(const BYTE* report, std::size_t len, unsigned generation, bool access);
    long HostGetFeature(BYTE* report, std::size_t len, unsigned generation, bool access);
    // The reply fault, if any, on the reply just put in report; its length.
    std::size_t MisreplyLocked(BYTE* report, const BYTE* request, std::size_t len);
    bool HostAttributes(hid::Attributes* out, unsigned generation) const;
    bool AliveLocked(unsigned generation) const { return present_ && generation == generation_; }
    using Command = std::array<BYTE, 9>;  // a request, answered in place
    // Runs one 9-byte command; false when the chip stalls it.
    bool ExecuteLocked(const BYTE* report);
    // One helper per command kind; each answers in r.
    void EepromCommandLocked(Command& r);
    void RegisterCommandLocked(Command& r);
    bool FlashCommandLocked(Command& r);  // false when a stream step comes outside its transfer
    void StartStreamLocked(const Command& r, Stream kind);
    bool StreamReadLocked(Command& r);
    bool StreamWriteLocked(Command& r);
    void EraseCommandLocked(Command& r);
    bool BulkSetLocked(const BYTE* report);
    bool BulkGetLocked(BYTE* report);
    void LogLocked(LoggedReport::Kind kind, const BYTE* bytes, std::size_t len, bool ok);
    // Afterwards: counts the report towards UnplugAfter; true when the chip just vanished.
    bool CountReportLocked();
    // True when failRule_ picks the report: it fails before reaching the chip.
    bool PickedToFailLocked(bool set, const BYTE* report, std::size_t len) const;
    void NotifyVanished();
    // When a report that starts now is done: now + the latency; without
    // latency the clock's epoch.
    std::chrono::steady_clock::time_point ReportDeadline() const;

    // Out-of-range addresses wrap at the flash size; without flash reads give 0xFF.
    void ReadFlashLocked(std::size_t addr, BYTE* out, std::size_t len) const;
    // program: NOR programming (clears bits only); else the bytes are stored as given.
    void StoreFlashLocked(std::size_t addr, const BYTE* data, std::size_t len, bool program);
    void EraseSectorLocked(std::size_t addr);
    void EraseAllSectorsLocked();
    BYTE EepromByteLocked(int selector, std::size_t addr) const;
    void WriteEepromByteLocked(int selector, std::size_t addr, BYTE value);
    bool EepromOnBusLocked(bool write) const;
    bool FlashOnBusLocked() const;
    // The chip's own flash access: 0xFF and no effect while the flash is off the bus.
    void BusReadFlashLocked(std::size_t addr, BYTE* out, std::size_t len) const;
    void BusProgramFlashLocked(std::size_t addr, const BYTE* data, std::size_t len);
    void WriteXdataLocked(WORD addr, BYTE value);

    // Set by the backend.
    void Attach(std::weak_ptr<Bus> bus, std::string path, std::string location);
    void MarkPresent();
    unsigned CurrentGeneration() const;
    void MarkGone();

    const ChipConfig config_;
    mutable std::mutex mutex_;
    std::weak_ptr<Bus> bus_;
    std::string path_;
    std::string location_;
    bool present_ = false;
    unsigned generation_ = 0;

    std::array<BYTE, 65536> xdata_{};
    std::array<BYTE, 256> sfr_{};
    std::vector<BYTE> eeprom_[2];
    // Flash in 4 KB sectors. Sectors never written read 0xFF and take no memory; an erased sector
    // keeps its memory (filled with 0xFF), so that a chip erased and written
    // again and again does not hand 16 MB back and forth with the allocator.
    std::vector<std::unique_ptr<std::array<BYTE, SECTOR_SIZE>>> flash_;
    std::size_t sectorErases_ = 0;
    std::size_t chipErases_ = 0;
    int eraseBusyPolls_;
    int busyPollsLeft_ = 0;
    WORD idAddr_;

    Command reply_{};
    Stream stream_ = Stream::None;
    std::size_t streamAddr_ = 0;   // start address (read) or cursor (write)
    std::size_t streamLeft_ = 0;   // bytes still to come
    std::size_t streamLen_ = 0;
    std::size_t bulkAddr_ = 0;
    std::size_t bulkLeft_ = 0;

    std::size_t setCount_ = 0;
    std::size_t getCount_ = 0;
    std::size_t reportCount_ = 0;
    std::size_t failSetAt_ = 0;    // 0: no fault
    std::size_t failGetAt_ = 0;
    std::size_t unplugAt_ = 0;
    ReportRule failRule_;
    std::size_t stopAt_ = SIZE_MAX;  // reportCount_ from which every report fails
    struct BadCell {
        int selector;
        std::size_t addr;
    };
    std::vector<BadCell> badCells_;
    ReplyFault replyFault_;          // at: the getCount_ it starts at
    std::uint32_t noise_ = 0x2545F491u;
    // A byte of a read command as it reaches the host: inverted in a bad cell.
    BYTE ReadThroughCellLocked(int selector, std::size_t addr, BYTE value) const;
    // Added to every report; read outside the lock, before the report.
    std::atomic<long long> latencyMicros_;

    bool logging_ = true;
    std::vector<LoggedReport> log_;
};

// The emulated HID bus: a hid::Backend whose devices are Chips.
class EmulatorBackend final : public hid::Backend {
public:
    EmulatorBackend();
    ~EmulatorBackend() override;

    std::shared_ptr<Chip> Plug(const ChipConfig& config);
    void Unplug(const std::shared_ptr<Chip>& chip);
    // Plugs a chip that was unplugged in again, memories kept; false if present.
    bool Replug(const std::shared_ptr<Chip>& chip);
    std::vector<std::shared_ptr<Chip>> Chips() const;  // present ones, in plug order

    std::vector<hid::DeviceEntry> Enumerate() override;
    std::unique_ptr<hid::Device> Open(const std::string& path, hid::Access access) override;
    int ChangeFd() override;
    std::vector<hid::Change> TakeChanges() override;

private:
    std::shared_ptr<Bus> bus_;
};

std::shared_ptr<EmulatorBackend> MakeBackend();

// Installs a fresh EmulatorBackend for the life of the object; afterwards an
// empty one, so nothing falls back to real devices.
class ScopedBackend {
public:
    ScopedBackend();
    ~ScopedBackend();
    ScopedBackend(const ScopedBackend&) = delete;
    ScopedBackend& operator=(const ScopedBackend&) = delete;
    EmulatorBackend* operator->() const { return backend_.get(); }
    const std::shared_ptr<EmulatorBackend>& get() const { return backend_; }

private:
    std::shared_ptr<EmulatorBackend> backend_;
};

// Memory files (ChipConfig::memoryFile): a chip's EEPROMs and flash kept
// across processes. LoadMemoryFile fills the chip from the file when it
// exists (a missing file leaves the chip as it is); SaveMemoryFile replaces
// the file with the chip's memories as they are now. Both return false with
// a message when the file can't be read or written, or belongs to a chip of
// another type or other memory sizes. SaveMemoryFileAtExit saves the chip
// into its ChipConfig::memoryFile when the process ends (exit or a return
// from main), if the chip still exists then; a failure is reported on
// standard error.
bool LoadMemoryFile(Chip& chip, const std::string& path, std::string* error);
bool SaveMemoryFile(const Chip& chip, const std::string& path, std::string* error);
void SaveMemoryFileAtExit(const std::shared_ptr<Chip>& chip);

// Parses the QUILLMAR_EMULATE syntax (see README, "Emulated chips") into chip
// configurations. Returns false with a message on a syntax error.
bool ParseEmulateList(const std::string& list, std::vector<ChipConfig>* out, std::string* error);

// Builds a backend with the chips of the list plugged in and installs it with
// hid::SetBackend. nullptr (and the message) on a syntax error.
std::shared_ptr<EmulatorBackend> InstallEmulateList(const std::string& list, std::string* error);

// InstallEmulateList of the environment variable QUILLMAR_EMULATE. nullptr when
// it is unset or empty (error left empty) or malformed (error set).
std::shared_ptr<EmulatorBackend> InstallFromEnvironment(std::string* error);

// The start-up rule of every front end: attaches the chips QUILLMAR_EMULATE
// names, with their report logs off (a session would otherwise keep a copy
// of every report). Unset or empty: no emulation, nothing changes. A value
// that does not parse installs an empty emulated bus, so that nothing
// reaches a real device, and returns the error text; the front end then
// stops without opening anything (exit status 2). Empty when it went well.
std::string StartEmulationFromEnvironment();

}  // namespace emu

// A VQ7340 or VQ5632 programmer connected to one emulated chip, with a
// virtual clock and a way to fail single chosen reports.
#pragma once

#include "ChipPatches.h"
#include "Emulator.h"
#include "ImageFormat.h"
#include "RecordingHost.h"
#include "TestData.h"
#include "hid/Hid.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <ostream>

inline void PrintTo(const RecordingHost::Status& s, std::ostream* os) {
    *os << '"' << s.text << "\" colour " << std::hex << s.colour << std::dec;
}

namespace flashtest {

// Decides per report whether the request fails before reaching the chip.
using FaultRule = std::function<bool(bool set, const BYTE* report, std::size_t len)>;

// Sits between the HID layer and the emulator. The emulator's own faults
// fail every call from the n-th on; this fails exactly the reports a rule
// picks, so a job can go on after one failure.
class PickyBackend final : public hid::Backend {
public:
    explicit PickyBackend(std::shared_ptr<hid::Backend> inner) : inner_(std::move(inner)) {}
    FaultRule rule;

    std::vector<hid::DeviceEntry> Enumerate() override { return inner_->Enumerate(); }
    std::unique_ptr<hid::Device> Open(const std::string& path, hid::Access access) override {
        auto device = inner_->Open(path, access);
        if (!device) return nullptr;
        return std::make_unique<Device>(std::move(device), *this);
    }
    int ChangeFd() override { return inner_->ChangeFd(); }
    std::vector<hid::Change> TakeChanges() override { return inner_->TakeChanges(); }

private:
    class Device final : public hid::Device {
    public:
        Device(std::unique_ptr<hid::Device> inner, PickyBackend& owner) : inner_(std::move(inner)), owner_(owner) {}
        bool SetFeature(const BYTE* report, std::size_t len) override {
            return !Fails(true, report, len) && inner_->SetFeature(report, len);
        }
        bool GetFeature(BYTE* report, std::size_t len) override {
            return !Fails(false, report, len) && inner_->GetFeature(report, len);
        }
        bool GetAttributes(hid::Attributes* out) override { return inner_->GetAttributes(out); }

    private:
        bool Fails(bool set, const BYTE* report, std::size_t len) const {
            return owner_.rule && owner_.rule(set, report, len);
        }
        std::unique_ptr<hid::Device> inner_;
        PickyBackend& owner_;
    };
    std::shared_ptr<hid::Backend> inner_;
};

// Fails the n-th report (1-based) for which pick is true, and only that one.
inline FaultRule FailNth(std::function<bool(bool set, const BYTE* r, std::size_t len)> pick, int n = 1) {
    auto seen = std::make_shared<int>(0);
    return [pick = std::move(pick), seen, n](bool set, const BYTE* r, std::size_t len) {
        return pick(set, r, len) && ++*seen == n;
    };
}

inline std::vector<BYTE> Join(std::vector<BYTE> a, const std::vector<BYTE>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

inline bool IsBulk(std::size_t len) { return len == BULK_REPORT_SIZE; }


// A stored image: header with code length codeLen, code, both sums.
inline std::vector<BYTE> StoredImage(WORD codeLen, unsigned seed) {
    std::vector<BYTE> image = RandomBytes(codeLen + 52u, seed);
    WriteBE16(image.data() + 2, codeLen);
    StoreChecksums(image.data(), ChecksumLayout::VQ7340);
    return image;
}

inline DWORD Be24(const std::vector<BYTE>& b, std::size_t at) {
    return static_cast<DWORD>(b[at] << 16 | b[at + 1] << 8 | b[at + 2]);
}
inline DWORD Be16(const std::vector<BYTE>& b, std::size_t at) { return static_cast<DWORD>(b[at] << 8 | b[at + 1]); }

// One flash transfer as the chip saw its start/set-up report.
struct Transfer {
    BYTE command;  // HID_CMD_FLASH_READ/WRITE, or HID_CMD_FLASH_BULK
    DWORD addr;
    DWORD len;
    bool operator==(const Transfer&) const = default;
};

struct Target {
    const char* label;
    emu::ChipType type;
    int reportId;
};

inline std::string TargetName(const Target& t) { return t.label; }
inline void PrintTo(const Target& t, std::ostream* os) { *os << t.label; }

// Both classes, each on a chip of either report id.
inline auto AllTargets() {
    using emu::ChipType;
    return ::testing::Values(Target{"VQ7340Id0", ChipType::VQ7340, 0}, Target{"VQ7340Id1", ChipType::VQ7340, 1},
                             Target{"VQ5632Id0", ChipType::VQ5632, 0}, Target{"VQ5632Id1", ChipType::VQ5632, 1});
}

class FlashFixture {
protected:
    RecordingHost host;
    emu::ScopedBackend bus;
    std::shared_ptr<PickyBackend> picky;
    std::shared_ptr<emu::Chip> chip;
    std::unique_ptr<CVQ7340Patch> patch;

    // Plugs one chip that obeys its bus set-up and connects the programmer
    // of its type to it; the log and the host start empty.
    void Connect(emu::ChipType type, int reportId, int eraseBusyPolls = 3) {
        picky = std::make_shared<PickyBackend>(bus.get());
        hid::SetBackend(picky);
        chip = bus->Plug({.type = type, .reportId = reportId, .eraseBusyPolls = eraseBusyPolls, .gateBus = true});
        if (type == emu::ChipType::VQ5632) patch = std::make_unique<CVQ5632Patch>();
        else patch = std::make_unique<CVQ7340Patch>();
        ASSERT_EQ(patch->ScanDevices(), 1);
        ASSERT_EQ(patch->m_bUseReportId1, reportId);
        chip->ClearLog();
        host.Clear();
    }

    // Flash on the bus, data stored at addr (when any), an empty log.
    void PrepareFlash(DWORD addr = 0, const std::vector<BYTE>& data = {}) {
        if (!data.empty()) chip->WriteFlash(addr, data);
        patch->SetAccessMode(ACCESS_FLASH);
        chip->ClearLog();
    }

    std::vector<emu::LoggedReport> Sets(BYTE command) const {
        std::vector<emu::LoggedReport> out;
        for (auto& r : chip->Log()) {
            if (r.kind == emu::LoggedReport::Set && r.bytes.size() == FEATURE_REPORT_SIZE && r.bytes[1] == command)
                out.push_back(r);
        }
        return out;
    }

    // Flash transfers in order, from their start or set-up reports.
    std::vector<Transfer> Transfers() const {
        std::vector<Transfer> out;
        for (auto& r : chip->Log()) {
            if (r.kind != emu::LoggedReport::Set || r.bytes.size() != FEATURE_REPORT_SIZE) continue;
            const auto& b = r.bytes;
            if (b[1] == HID_CMD_FLASH_BULK)
                out.push_back({b[1], static_cast<DWORD>(b[2]) << 24 | Be24(b, 3), Be16(b, 6)});
            else if ((b[1] == HID_CMD_FLASH_READ || b[1] == HID_CMD_FLASH_WRITE) && b[2] == 1)
                out.push_back({b[1], Be24(b, 3), Be16(b, 6)});
        }
        return out;
    }

    std::vector<DWORD> SectorErases() const {
        std::vector<DWORD> out;
        for (auto& r : Sets(HID_CMD_FLASH_SECTOR_ERASE)) out.push_back(Be24(r.bytes, 2));
        return out;
    }

    std::vector<std::string> Texts() const {
        std::vector<std::string> out;
        for (auto& s : host.statuses) out.push_back(s.text);
        return out;
    }
};

}  // namespace flashtest

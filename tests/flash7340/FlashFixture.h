// A VQ7340 or VQ5632 programmer connected to one emulated chip, with a
// virtual clock and single chosen reports failing through the emulator.
#pragma once

#include "ChipFixture.h"
#include "ChipPatches.h"
#include "Emulator.h"
#include "ImageFormat.h"
#include "RecordingHost.h"
#include "TestData.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace flashtest {

// Decides per report whether the request fails before reaching the chip.
using FaultRule = emu::ReportRule;

// Fails the n-th report (1-based) for which pick is true, and only that one.
inline FaultRule FailNth(FaultRule pick, int n = 1) { return emu::NthReport(std::move(pick), n); }

inline std::vector<BYTE> Join(std::vector<BYTE> a, const std::vector<BYTE>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

inline bool IsBulk(std::size_t len) { return len == BULK_REPORT_SIZE; }


// A stored image: header with code length codeLen, code, both sums.
inline std::vector<BYTE> StoredImage(WORD codeLen, unsigned seed) {
    return chiptest::ImageWithChecksums(RandomBytes(codeLen + 52u, seed), ChecksumLayout::VQ7340);
}

inline DWORD Be24(const std::vector<BYTE>& b, std::size_t at) { return ReadBE24(b.data() + at); }
inline DWORD Be16(const std::vector<BYTE>& b, std::size_t at) { return ReadBE16(b.data() + at); }

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

class FlashFixture : protected chiptest::ChipFixture {
protected:
    std::shared_ptr<emu::Chip> chip;
    std::unique_ptr<CVQ7340Patch> patch;

    // Plugs one chip that obeys its bus set-up and connects the programmer
    // of its type to it; the log and the host start empty. Reports picked
    // with Fail() fail from then on.
    void Connect(emu::ChipType type, int reportId, int eraseBusyPolls = 3) {
        if (type == emu::ChipType::VQ5632) patch = std::make_unique<CVQ5632Patch>();
        else patch = std::make_unique<CVQ7340Patch>();
        chip = ConnectChip(*patch, {.type = type, .reportId = reportId, .eraseBusyPolls = eraseBusyPolls, .gateBus = true});
        ASSERT_EQ(patch->m_bUseReportId1, reportId);
    }

    void Fail(FaultRule rule) { chip->FailReports(std::move(rule)); }

    // Flash on the bus, data stored at addr (when any), an empty log.
    void PrepareFlash(DWORD addr = 0, const std::vector<BYTE>& data = {}) {
        if (!data.empty()) chip->WriteFlash(addr, data);
        patch->SetAccessMode(ACCESS_FLASH);
        chip->ClearLog();
    }

    std::vector<std::vector<BYTE>> Sets(BYTE command) const { return chiptest::SentReports(chip->Log(), {command}); }

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
        for (auto& r : Sets(HID_CMD_FLASH_SECTOR_ERASE)) out.push_back(Be24(r, 2));
        return out;
    }

    std::vector<std::string> Texts() const {
        std::vector<std::string> out;
        for (auto& s : host.statuses) out.push_back(s.text);
        return out;
    }
};

}  // namespace flashtest

// The set-up the chip job tests share: a recording host on the virtual
// clock, an emulated bus, one connected chip, images with their checksums
// and a filter over the reports a chip was sent.
#pragma once

#include "ImageFormat.h"
#include "RecordingHost.h"
#include "DeviceJobs.h"
#include "VQPatch.h"

#include "Emulator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

inline void PrintTo(const RecordingHost::Status& s, std::ostream* os) {
    *os << '"' << s.text << "\" colour " << std::hex << s.colour << std::dec;
}

namespace chiptest {

// An image from 52 + codeLen bytes: the code length at 2..3 and both
// checksums of the layout stored behind the code.
inline std::vector<BYTE> ImageWithChecksums(std::vector<BYTE> image, ChecksumLayout layout) {
    WriteBE16(image.data() + 2, static_cast<WORD>(image.size() - IMAGE_HEADER_SIZE - 4));
    StoreChecksums(image.data(), layout);
    return image;
}

// The sends of a log in order: every one, or, when commands are given, the
// 9-byte requests of those commands.
inline std::vector<std::vector<BYTE>> SentReports(const std::vector<emu::LoggedReport>& log,
                                                  std::initializer_list<BYTE> commands = {}) {
    std::vector<std::vector<BYTE>> out;
    for (const auto& r : log) {
        if (r.kind != emu::LoggedReport::Set) continue;
        if (commands.size() != 0 &&
            (r.bytes.size() != FEATURE_REPORT_SIZE ||
             std::find(commands.begin(), commands.end(), r.bytes[1]) == commands.end()))
            continue;
        out.push_back(r.bytes);
    }
    return out;
}

// For FailReports: the sends (set) or the fetches (not set) of the 9-byte
// requests whose bytes behind the report id start with hex ("B5 F0 1F").
// A fetch is picked by the request its buffer holds.
inline emu::ReportRule RequestsStartingWith(bool set, const std::string& hex) {
    return [set, head = emu::Bytes(hex)](bool isSet, const BYTE* report, std::size_t len) {
        return isSet == set && len == FEATURE_REPORT_SIZE && head.size() < len &&
               std::equal(head.begin(), head.end(), report + 1);
    };
}

class ChipFixture {
protected:
    // Plugs one chip, connects the programmer to it and starts the chip's
    // log and the host afresh.
    std::shared_ptr<emu::Chip> ConnectChip(CVQPatch& patch, const emu::ChipConfig& config) {
        auto chip = bus->Plug(config);
        EXPECT_EQ(patch.ScanDevices(), 1);
        chip->ClearLog();
        host.Clear();
        return chip;
    }

    RecordingHost host;
    emu::ScopedBackend bus;
};

}  // namespace chiptest

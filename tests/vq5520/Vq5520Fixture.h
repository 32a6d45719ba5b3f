// A connected VQ5520 programmer on an emulated chip, run for report ids 0
// and 1, with helpers to pick requests out of the chip's report log.
#pragma once

#include "ChipFixture.h"
#include "ChipPatches.h"
#include "Emulator.h"
#include "ImageFormat.h"
#include "RecordingHost.h"
#include "TestData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace vq5520test {

using Reports = std::vector<std::vector<BYTE>>;

inline const RecordingHost::Status kErasing{"Flash擦除中......", STATUS_GREEN};
using namespace status;
inline const RecordingHost::Status kLinkError{"Flash 连接异常！", STATUS_RED};
inline const RecordingHost::Status& kReadDone = kReadingCompleted;


// A VQ5520 image with a code of codeLen bytes and both checksums in place.
inline std::vector<BYTE> MakeImage(WORD codeLen, unsigned seed) {
    std::vector<BYTE> image = chiptest::ImageWithChecksums(RandomBytes(codeLen + 52u, seed), ChecksumLayout::VQ7170);
    image[0] = 0xC3;
    image[1] = 0x3C;
    return image;
}

class Vq5520Test : public ::testing::TestWithParam<int>, protected chiptest::ChipFixture {
protected:
    void SetUp() override {
        chip = ConnectChip(patch, {.type = emu::ChipType::VQ5520, .reportId = Id(), .idVariant = Id(), .gateBus = true});
        ASSERT_EQ(patch.m_bUseReportId1, Id());
    }

    int Id() const { return GetParam(); }

    // A 9-byte request as this device gets it: report id, then the bytes given.
    std::vector<BYTE> Req(const char* hex) const {
        return Req(emu::Bytes(hex));
    }

    std::vector<BYTE> Req(std::initializer_list<BYTE> bytes) const { return Req(std::vector<BYTE>(bytes)); }
    std::vector<BYTE> Req(std::vector<BYTE> body) const {
        body.insert(body.begin(), static_cast<BYTE>(Id()));
        body.resize(FEATURE_REPORT_SIZE, 0);
        return body;
    }

    // Requests sent with one of the given commands, in order.
    std::vector<std::vector<BYTE>> Sent(std::initializer_list<BYTE> commands) const {
        return chiptest::SentReports(chip->Log(), commands);
    }

    // Number of sends up to and including the k-th (from 1) send of a command,
    // in the log of a run; 0 when there are fewer.
    std::size_t SendNumberOf(BYTE command, int k) const {
        std::size_t sends = 0;
        for (const auto& e : chip->Log()) {
            if (e.kind != emu::LoggedReport::Set) continue;
            ++sends;
            if (e.bytes.size() > 1 && e.bytes[1] == command && --k == 0) return sends;
        }
        return 0;
    }

    // Runs job once to find the k-th send of a command, then again with that
    // send and every later one failing; the log and the host then hold the
    // second run only.
    template <typename Job>
    void RunFailingFrom(BYTE command, int k, Job job) {
        job();
        const std::size_t n = SendNumberOf(command, k);
        ASSERT_NE(n, 0u);
        chip->ClearLog();
        host.Clear();
        chip->FailSetFeatureFrom(static_cast<unsigned>(n));
        job();
    }

    // The last request of the log, which must be a failed send of these bytes.
    void ExpectEndsWithFailedSend(const std::vector<BYTE>& bytes) const {
        const auto log = chip->Log();
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(log.back(), (emu::LoggedReport{emu::LoggedReport::Set, bytes, false}));
    }

    std::shared_ptr<emu::Chip> chip;
    CVQ5520Patch patch;
};

}  // namespace vq5520test

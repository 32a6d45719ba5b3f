// Read-backs of several devices at once: each job on a thread of its own,
// with its own chip programmer and host, gives its own device's image and
// findings; nothing passes between them.
#include "ChipFixture.h"
#include "ChipTypes.h"
#include "DeviceJobs.h"
#include "Emulator.h"
#include "RecordingHost.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using emu::ChipType;

struct ReadCase {
    ChipType type;
    int reportId;
    BYTE memoryType;
    ChecksumLayout layout;
    bool replacesImage;  // the window's image takes the bytes read
};

// An image of 52 + codeLen bytes whose code is filled from seed.
std::vector<BYTE> StoredImage(std::size_t codeLen, BYTE seed) {
    std::vector<BYTE> image(IMAGE_HEADER_SIZE + codeLen + 4);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<BYTE>(seed + i * 7);
    return image;
}

class ConcurrentRead : public ::testing::TestWithParam<ReadCase> {
protected:
    emu::ScopedBackend bus;
};

TEST_P(ConcurrentRead, TwoDevicesReadAtOnceEachGiveTheirOwnImage) {
    const ReadCase& c = GetParam();
    const int row = static_cast<int>(c.type);
    // Different lengths, so that a finding that strayed to the other job shows.
    const std::vector<BYTE> images[2] = {chiptest::ImageWithChecksums(StoredImage(300, 0x11), c.layout),
                                         chiptest::ImageWithChecksums(StoredImage(517, 0x5C), c.layout)};
    std::shared_ptr<emu::Chip> chips[2];
    for (int i = 0; i < 2; ++i) {
        chips[i] = bus->Plug({.type = c.type, .reportId = c.reportId});
        chips[i]->SetLatency(std::chrono::microseconds(20));
        if (c.memoryType == MEMTYPE_FLASH) chips[i]->WriteFlash(0, images[i]);
        else chips[i]->WriteEeprom(MemorySelector(c.memoryType), 0, images[i]);
    }

    JobResult results[2];
    RecordingHost::Status lastSeen[2];
    std::thread jobs[2];
    for (int i = 0; i < 2; ++i) {
        jobs[i] = std::thread([&, i] {
            RecordingHost own;
            const ScopedThreadHost scope(own);
            const auto patch = MakeChipPatch(row);
            patch->m_strScanOnly = chips[i]->path();
            ASSERT_EQ(patch->ScanDevices(), 1);
            results[i] = ReadBack(*patch, c.memoryType, DescriptorOf(row).readLength, false);
            lastSeen[i] = own.LastStatus();
        });
    }
    for (std::thread& job : jobs) job.join();

    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        const JobResult& r = results[i];
        ASSERT_TRUE(r.ok) << r.reason;
        ASSERT_TRUE(r.image.has_value());
        const std::vector<BYTE> read(r.image->Bytes().begin(), r.image->Bytes().end());
        EXPECT_EQ(read, images[i]);
        EXPECT_EQ(r.found.readLen, images[i].size());
        EXPECT_EQ(r.found.codeLen, static_cast<WORD>(images[i].size() - IMAGE_HEADER_SIZE - 4));
        EXPECT_EQ(r.found.imageBytes, c.replacesImage ? images[i].size() : 0u);
        EXPECT_EQ(r.statuses.back().text, "Reading completed!");
        EXPECT_EQ(lastSeen[i].text, "Reading completed!");
    }
}

INSTANTIATE_TEST_SUITE_P(ChipTypes, ConcurrentRead,
                         ::testing::Values(ReadCase{ChipType::VQ7170, 0, MEMTYPE_24C32_64, ChecksumLayout::VQ7170, true},
                                           ReadCase{ChipType::VQ5520, 1, MEMTYPE_FLASH, ChecksumLayout::VQ7170, true},
                                           ReadCase{ChipType::VQ7340, 1, MEMTYPE_FLASH, ChecksumLayout::VQ7340, false}),
                         [](const auto& info) { return std::string(CHIP_TYPES[static_cast<int>(info.param.type)].shortName); });

}  // namespace

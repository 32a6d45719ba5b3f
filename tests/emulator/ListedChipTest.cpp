// Chips as the emulated-device list makes them: a short reply without "+"
// is one reply only, and the version stamp the tool reads a device's
// version from stands in every memory it may be read from.
#include "Emulator.h"
#include "hid/Hid.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using emu::Bytes;

std::shared_ptr<emu::Chip> PlugListed(emu::ScopedBackend& bus, const std::string& entry) {
    std::vector<emu::ChipConfig> configs;
    std::string error;
    EXPECT_TRUE(emu::ParseEmulateList(entry, &configs, &error)) << entry << ": " << error;
    return configs.empty() ? nullptr : bus->Plug(configs.front());
}

// Which of five XDATA reads in a row come back whole: short=3@K changes the
// K-th reply only, short=3@K+ that one and every later one.
TEST(ListedChipTest, ShortReplyWithoutPlusIsOneReplyOnly) {
    const struct {
        const char* entry;
        std::vector<bool> whole;
        const char* reason;  // of the first reply that is not
    } cases[] = {
        {"vq7170:short=3@2", {true, false, true, true, true}, "short reply: 3 of 9 bytes"},
        {"vq7170:short=3@4", {true, true, true, false, true}, "short reply: 3 of 9 bytes"},
        {"vq7170:short=3@2+", {true, false, false, false, false}, "short reply: 3 of 9 bytes"},
        {"vq7170:short=8@1", {false, true, true, true, true}, "short reply: 8 of 9 bytes"},
        {"vq7170", {true, true, true, true, true}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry);
        emu::ScopedBackend bus;
        const auto chip = PlugListed(bus, c.entry);
        ASSERT_TRUE(chip);
        const HANDLE h = hid::Open(chip->path(), hid::Access::ReadWrite);
        std::vector<bool> whole;
        std::string reason;
        for (int i = 0; i < 5; ++i) {
            std::vector<BYTE> r = Bytes("00 B5 F8 00 00 00 00 00 00");
            ASSERT_TRUE(hid::SetFeature(h, r.data(), r.size()));
            whole.push_back(hid::GetFeature(h, r.data(), r.size()));
            if (!whole.back() && reason.empty()) reason = hid::LastError(h);
        }
        EXPECT_EQ(whole, c.whole);
        EXPECT_EQ(reason, c.reason);
        hid::Close(h);
    }
}

// The version stamp stands at bytes 12..15 of both EEPROMs and of the
// flash; everything else of the memories is erased.
TEST(ListedChipTest, VersionStampInEveryMemory) {
    const struct {
        const char* entry;
        std::vector<BYTE> stamp;
    } cases[] = {
        {"vq5520", {26, 1, 15, 10}},
        {"vq7170", {26, 1, 15, 10}},
        {"vq7340:version=12345678", {12, 34, 56, 78}},
        {"vq5632:version=none", {0xFF, 0xFF, 0xFF, 0xFF}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry);
        emu::ScopedBackend bus;
        const auto chip = PlugListed(bus, c.entry);
        ASSERT_TRUE(chip);
        std::vector<std::vector<BYTE>> memories = {chip->Eeprom(0, 0, 32), chip->Eeprom(1, 0, 32)};
        if (emu::HasFlash(chip->type())) memories.push_back(chip->Flash(0, 32));
        for (std::size_t m = 0; m < memories.size(); ++m) {
            std::vector<BYTE> expected(32, 0xFF);
            std::copy(c.stamp.begin(), c.stamp.end(), expected.begin() + 12);
            EXPECT_EQ(memories[m], expected) << "memory " << m;
        }
    }
}

}  // namespace

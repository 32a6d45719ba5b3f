// Replies that come short or garbled, from the emulated-device list or set
// by a test, and the reasons the HID layer keeps for an emulated chip's
// failed calls.
#include "Emulator.h"
#include "hid/Hid.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using emu::Bytes;
using emu::ReplyFault;

TEST(ReplyFaultTest, ListOptions) {
    const struct {
        const char* list;
        ReplyFault fault;
    } good[] = {
        {"vq7170:short=5@3", {ReplyFault::Short, 5, 3, true}},
        {"vq7340:id1:SHORT=0@1+", {ReplyFault::Short, 0, 1, false}},
        {"vq5520:short=0x10@0x20+", {ReplyFault::Short, 16, 32, false}},
        {"vq7140s:random=7", {ReplyFault::Random, 0, 7, true}},
        {"vq5632:random=2+", {ReplyFault::Random, 0, 2, false}},
        {"vq7170", {}},
    };
    for (const auto& c : good) {
        std::vector<emu::ChipConfig> configs;
        std::string error;
        ASSERT_TRUE(emu::ParseEmulateList(c.list, &configs, &error)) << c.list << ": " << error;
        EXPECT_EQ(configs.at(0).replyFault, c.fault) << c.list;
    }
    for (const char* bad : {"vq7170:short=5", "vq7170:short=@3", "vq7170:short=5@0", "vq7170:short=5@", "vq7170:short=4097@1",
                            "vq7170:short=5@3++", "vq7170:random=0", "vq7170:random=", "vq7170:random=x+", "keyboard:random=1"}) {
        std::vector<emu::ChipConfig> configs;
        std::string error;
        EXPECT_FALSE(emu::ParseEmulateList(bad, &configs, &error)) << bad;
        EXPECT_NE(error.find("QUILLMAR_EMULATE"), std::string::npos) << bad;
    }
}

// An XDATA read of 0xF800 (A7 on a VQ7170), fetched with the bytes the
// caller needs; LastError afterwards.
struct Fetched {
    bool ok;
    std::vector<BYTE> reply;
    std::string why;
};
Fetched ReadIdByte(HANDLE h, std::size_t need) {
    std::vector<BYTE> r = Bytes("00 B5 F8 00 11 22 33 44 55");
    const bool sent = hid::SetFeature(h, r.data(), r.size());
    const bool ok = hid::GetFeature(h, r.data(), r.size(), need) && sent;
    return {ok, r, hid::LastError(h)};
}

TEST(ReplyFaultTest, ShortAndRandomRepliesThroughTheLayer) {
    const struct {
        const char* list;
        std::size_t need[3];  // of fetches 1..3
        bool ok[3];
        const char* why[3];
    } cases[] = {
        {"vq7170:short=4@2", {9, 5, 9}, {true, false, true}, {"", "short reply: 4 of 5 bytes", "short reply: 4 of 5 bytes"}},
        {"vq7170:short=5@2", {9, 5, 9}, {true, true, true}, {"", "", ""}},
        {"vq7170:short=5@2+", {9, 9, 5}, {true, false, true}, {"", "short reply: 5 of 9 bytes", "short reply: 5 of 9 bytes"}},
        {"vq7170:short=0@1+", {1, 1, 0}, {false, false, false},
         {"short reply: 0 of 1 bytes", "short reply: 0 of 1 bytes", "short reply: 0 of 1 bytes"}},
    };
    for (const auto& c : cases) {
        emu::ScopedBackend bus;
        std::vector<emu::ChipConfig> configs;
        ASSERT_TRUE(emu::ParseEmulateList(c.list, &configs, nullptr));
        auto chip = bus->Plug(configs.at(0));
        const HANDLE h = hid::Open(chip->path(), hid::Access::ReadWrite);
        for (int i = 0; i < 3; ++i) {
            const Fetched f = ReadIdByte(h, c.need[i]);
            EXPECT_EQ(f.ok, c.ok[i]) << c.list << " fetch " << i + 1;
            EXPECT_EQ(f.why, c.why[i]) << c.list << " fetch " << i + 1;
            if (f.ok) {
                EXPECT_EQ(f.reply[4], 0xA7) << c.list << " fetch " << i + 1;
            }
        }
        hid::Close(h);
    }
}

TEST(ReplyFaultTest, RandomReplyIsWholeButNotTheChips) {
    emu::ScopedBackend bus;
    auto chip = bus->Plug({.type = emu::ChipType::VQ7170});
    const HANDLE h = hid::Open(chip->path(), hid::Access::ReadWrite);
    const std::vector<BYTE> clean = ReadIdByte(h, 9).reply;
    chip->FaultReplies({ReplyFault::Random, 0, 2, true});
    const Fetched first = ReadIdByte(h, 9), second = ReadIdByte(h, 9), third = ReadIdByte(h, 9);
    EXPECT_TRUE(first.ok && second.ok && third.ok);
    EXPECT_EQ(first.reply, clean);
    EXPECT_NE(second.reply, clean);
    EXPECT_EQ(third.reply, clean);
    hid::Close(h);
}

// The reasons the layer keeps for the emulator's failures.
TEST(ReplyFaultTest, ReasonsOfFailedCalls) {
    emu::ScopedBackend bus;
    auto chip = bus->Plug({.type = emu::ChipType::VQ7170});
    EXPECT_EQ(hid::Open("emu:9", hid::Access::ReadWrite), INVALID_HANDLE_VALUE);
    EXPECT_EQ(hid::LastOpenError(), "No such file or directory");
    const HANDLE h = hid::Open(chip->path(), hid::Access::ReadWrite);
    EXPECT_EQ(hid::LastOpenError(), "");
    chip->StopAnsweringAfter(0);
    EXPECT_FALSE(ReadIdByte(h, 5).ok);
    EXPECT_EQ(hid::LastError(h), "Broken pipe");
    bus->Unplug(chip);
    std::vector<BYTE> r(9);
    EXPECT_FALSE(hid::GetFeature(h, r.data(), r.size()));
    EXPECT_EQ(hid::LastError(h), "No such device");
    hid::Close(h);
    EXPECT_FALSE(hid::GetFeature(h, r.data(), r.size()));
    EXPECT_EQ(hid::LastError(h), "invalid handle");
}

}  // namespace

// Replies that come short or garbled, as the emulated-device list asks for
// them (what they do to the jobs: the fault matrix), and the reasons the HID
// layer keeps for an emulated chip's failed calls.
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

// An XDATA read of 0xF800 (A7 on a VQ7170): whether it went through.
bool ReadIdByte(HANDLE h) {
    std::vector<BYTE> r = Bytes("00 B5 F8 00 11 22 33 44 55");
    return hid::SetFeature(h, r.data(), r.size()) && hid::GetFeature(h, r.data(), r.size(), 5);
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
    EXPECT_FALSE(ReadIdByte(h));
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

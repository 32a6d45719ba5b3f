// The faults that make a chip misbehave on purpose: a chip that stops
// answering after N reports (also from QUILLMAR_EMULATE) and a memory cell
// that reads back other than was written.
#include "Emulator.h"
#include "HidReport.h"
#include "hid/Hid.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using emu::Bytes;

// One 9-byte exchange on an open handle: the send's and the fetch's result.
struct Exchange {
    bool sent, fetched;
    std::vector<BYTE> reply;
};
Exchange Exchange9(HANDLE h, const std::string& request) {
    std::vector<BYTE> r = Bytes(request);
    const bool sent = hid::SetFeature(h, r.data(), r.size());
    const bool fetched = hid::GetFeature(h, r.data(), r.size());
    return {sent, fetched, r};
}

TEST(FaultOptionTest, StopOptionParsed) {
    std::vector<emu::ChipConfig> configs;
    std::string error;
    ASSERT_TRUE(emu::ParseEmulateList("vq7170:stop=8, vq7340:id1:STOP=0x10, vq5520", &configs, &error)) << error;
    ASSERT_EQ(configs.size(), 3u);
    EXPECT_EQ(configs[0].stopAfter, 8);
    EXPECT_EQ(configs[1].stopAfter, 16);
    EXPECT_EQ(configs[2].stopAfter, -1);
    for (const char* bad : {"vq7170:stop=", "vq7170:stop=-1", "vq7170:stop=1k", "keyboard:stop=3"}) {
        EXPECT_FALSE(emu::ParseEmulateList(bad, &configs, &error)) << bad;
        EXPECT_NE(error.find("QUILLMAR_EMULATE"), std::string::npos) << bad;
    }
}

TEST(FaultOptionTest, ChipStopsAnsweringAfterItsReports) {
    emu::ScopedBackend bus;
    auto chip = bus->Plug({.type = emu::ChipType::VQ7170, .stopAfter = 3});
    const HANDLE h = hid::Open(chip->path(), hid::Access::ReadWrite);
    const Exchange first = Exchange9(h, "00 B5 F8 00 00 00 00 00 00");  // reports 1 and 2
    EXPECT_TRUE(first.sent && first.fetched);
    EXPECT_EQ(first.reply[4], 0xA7);
    const Exchange second = Exchange9(h, "00 B5 F8 01 00 00 00 00 00");  // report 3 answered, 4 not
    EXPECT_TRUE(second.sent);
    EXPECT_FALSE(second.fetched);
    const Exchange third = Exchange9(h, "00 B5 F8 01 00 00 00 00 00");
    EXPECT_FALSE(third.sent || third.fetched);
    EXPECT_TRUE(chip->present());  // hung, not gone
    chip->ClearFaults();
    EXPECT_TRUE(Exchange9(h, "00 B5 F8 01 00 00 00 00 00").fetched);
    chip->StopAnsweringAfter(0);
    EXPECT_FALSE(Exchange9(h, "00 B5 F8 01 00 00 00 00 00").sent);
    hid::Close(h);
}

TEST(FaultOptionTest, BadCellReadsBackOtherThanWritten) {
    emu::ScopedBackend bus;
    auto chip = bus->Plug({.type = emu::ChipType::VQ5520, .reportId = 0, .flashSize = 64 * 1024});
    chip->WriteEeprom(0, 0, Bytes("10 11 12 13 14 15"));
    chip->WriteFlash(0x100, Bytes("20 21 22 23 24 25 26 27"));
    chip->SetBadCell(0, 2);
    chip->SetBadCell(-1, 0x107);
    chip->SetBadCell(1, 2);  // the other EEPROM: no effect on selector 0
    const HANDLE h = hid::Open(chip->path(), hid::Access::ReadWrite);
    EXPECT_EQ(Exchange9(h, "00 E5 00 00 00 00 00 00 00").reply, Bytes("00 E5 00 00 10 11 13 13 14"));
    EXPECT_EQ(Exchange9(h, "00 F5 00 01 00 00 00 00 00").reply, Bytes("00 20 21 22 23 24 25 26 26"));
    // Direct access shows what is stored.
    EXPECT_EQ(chip->Eeprom(0, 2, 1), Bytes("12"));
    EXPECT_EQ(chip->Flash(0x107, 1), Bytes("27"));
    // The bad cell of a wrapped address is the same cell.
    EXPECT_EQ(Exchange9(h, "00 E5 08 00 00 00 00 00 00").reply[6], 0x13);
    hid::Close(h);
}

}  // namespace

// Jobs at the edges the other tests pass by: one wrong byte at the first, a
// middle and the last address; lengths on and just past each transfer step;
// EEPROM-only chips behind report-id-1 devices; a full device list; a chip
// that hangs after the number of reports the emulator option names.
#include "FaultRig.h"

#include "hid/Hid.h"

#include <array>

namespace faults {
namespace {

std::vector<BYTE> Data(std::size_t n, unsigned seed) {
    std::vector<BYTE> out(n);
    unsigned x = seed;
    for (BYTE& b : out) b = static_cast<BYTE>((x = x * 1103515245u + 12345u) >> 16);
    return out;
}

const RecordingHost::Status kVerifyError{"Verify error!", STATUS_RED};

// 256 bytes: the whole image lies in the verify window of every family.
TEST(BoundaryTest, OneBadCellFailsTheVerify) {
    constexpr std::size_t kLen = 256;
    for (const Target& t : kTargets) {
        for (const std::size_t bad : {std::size_t{0}, kLen / 2, kLen - 1}) {
            SCOPED_TRACE(std::string(t.name) + ", bad cell at " + std::to_string(bad));
            Rig rig(t);
            ASSERT_TRUE(rig.connected);
            rig.chip->SetBadCell(t.memType == MEMTYPE_FLASH ? -1 : rig.Selector(), bad);
            const auto data = Data(kLen, 5);
            rig.patch->Download(t.memType, kLen, data.data());
            EXPECT_EQ(rig.host.LastStatus(), kVerifyError);
            EXPECT_EQ(rig.host.progress.back(), 100);
            EXPECT_EQ(rig.Stored(kLen), data);  // written right, read back wrong
        }
    }
}

// Each transfer step of the families (five-byte EEPROM pieces, four-byte
// flash writes and eight-byte reads, six- and eight-byte streamed steps,
// 4095-byte bulk reports, 4096-byte job steps), exactly and one byte more.
TEST(BoundaryTest, LengthsOnAndPastEachStep) {
    for (const Target& t : kTargets) {
        const bool flash = t.memType == MEMTYPE_FLASH;
        std::vector<DWORD> lengths = {40, 41, 48, 49, 120, 121};
        if (flash) lengths.insert(lengths.end(), {4095, 4096, 4097, 8190, 8191, 8192, 8193});
        for (const DWORD len : lengths) {
            SCOPED_TRACE(std::string(t.name) + ", " + std::to_string(len) + " bytes");
            Rig rig(t);
            ASSERT_TRUE(rig.connected);
            const auto data = Data(len, len);
            EXPECT_TRUE(Download(*rig.patch, data, t.memType).ok);
            EXPECT_TRUE(IsSuccessText(rig.host.LastStatus().text)) << rig.host.LastStatus().text;
            auto stored = data;
            stored.push_back(0xFF);  // nothing written behind the image
            EXPECT_EQ(rig.Stored(len + 1), stored);

            rig.host.Clear();
            const JobResult r = ReadBack(*rig.patch, t.memType, len, true);
            EXPECT_EQ(rig.host.LastStatus().text, "Reading completed!");
            EXPECT_EQ(chiptest::ReadBytes(r), data);
            auto block = data;
            block.push_back(0);  // nothing read beyond
            EXPECT_EQ(chiptest::ReadBlock(r, len + 1), block);
        }
    }
}

// The EEPROM-only chips send every EEPROM request with report id 0, which a
// report-id-1 device refuses; only the guard writes try id 1 after id 0.
// Such a download can't be verified and says so.
TEST(BoundaryTest, EepromOnlyChipsBehindReportIdOneDevices) {
    for (const ChipType type : {ChipType::VQ7140XX, ChipType::VQ7170, ChipType::VQ7170S}) {
        const Target t{emu::TypeName(type), type, 1, MEMTYPE_24C01_16};
        SCOPED_TRACE(t.name);
        Rig rig(t);
        ASSERT_TRUE(rig.connected);
        const std::vector<BYTE> zeros(16, 0);
        rig.patch->Download(MEMTYPE_24C01_16, 16, zeros.data());
        EXPECT_EQ(rig.host.LastStatus(), kVerifyError);
        const auto log = rig.chip->Log();
        std::vector<std::string> guardWrites;
        for (const auto& r : log) {
            if (r.kind == LoggedReport::Set && r.bytes[1] == HID_CMD_XDATA_WRITE) guardWrites.push_back(ToString(r));
        }
        ASSERT_GE(guardWrites.size(), 2u);
        EXPECT_EQ(guardWrites[0], "set 00 B6 F0 02 00 00 00 00 00 (failed)");
        EXPECT_EQ(guardWrites[1], "set 01 B6 F0 02 00 00 00 00 00");
        EXPECT_EQ(rig.chip->Xdata(0xF002), 0x00);  // the guard stays 0 after a failed verify

        // A read fails the same way and changes nothing.
        rig.host.Clear();
        const JobResult r = ReadBack(*rig.patch, MEMTYPE_24C01_16, 16, false);
        EXPECT_EQ(rig.host.LastStatus(), (RecordingHost::Status{"Reading failed!", STATUS_RED}));
        EXPECT_FALSE(r.image);
        EXPECT_EQ(chiptest::FoundOf(r.found), chiptest::FailedRead(16));
    }
}

// The device list holds 255 entries and keeps one empty behind the last
// device: 254 chips are all listed, a 255th is not.
TEST(BoundaryTest, DeviceListAtItsLimit) {
    for (const std::size_t plugged : {254u, 255u}) {
        RecordingHost host;
        emu::ScopedBackend bus;
        for (std::size_t i = 0; i < plugged; ++i) bus->Plug({.type = ChipType::VQ7170});
        CVQ7170Patch patch;
        EXPECT_EQ(patch.ScanDevices(), 254) << plugged;
        EXPECT_TRUE(patch.m_strDevicePath[254].empty());
        EXPECT_EQ(patch.m_strDevicePath[253], "emu:254");
        EXPECT_EQ(patch.m_bConnected, 1);
    }
}

// Chips of the emulated-device list that fail once connected: "stop=8" hangs
// after the scan and the version read (eight reports), "short=4@5+" answers
// every reply after their four with too few bytes. Every job then fails and
// says so.
TEST(BoundaryTest, ChipThatFailsAfterConnecting) {
    for (const char* list : {"vq7170:stop=8", "vq7170:short=4@5+"}) {
        SCOPED_TRACE(list);
        RecordingHost host;
        emu::ScopedBackend bus;
        std::string error;
        std::vector<emu::ChipConfig> configs;
        ASSERT_TRUE(emu::ParseEmulateList(list, &configs, &error)) << error;
        auto chip = bus->Plug(configs.at(0));
        CVQ7170Patch patch;
        ASSERT_EQ(patch.ScanDevices(), 1);
        BYTE version[4] = {};
        patch.ReadDeviceVersion(MEMTYPE_24C01_16, version);
        EXPECT_EQ(chip->SetFeatureCount() + chip->GetFeatureCount(), 8u);
        const std::vector<BYTE> zeros(64, 0);
        patch.Download(MEMTYPE_24C01_16, 64, zeros.data());
        EXPECT_EQ(host.LastStatus(), kVerifyError);
        EXPECT_FALSE(ReadBack(patch, MEMTYPE_24C01_16, 64, true).ok);
        EXPECT_EQ(host.LastStatus(), (RecordingHost::Status{"Reading failed!", STATUS_RED}));
    }
}

// A VQ5520 flash download writes four bytes a report while four are left
// and the last one to three bytes one by one: a length that is a multiple
// of 4 ends on a four-byte write, one byte more adds a single-byte write.
TEST(BoundaryTest, Vq5520FlashWriteReports) {
    const struct {
        int reportId;
        DWORD len;
        std::vector<const char*> writes;
    } cases[] = {
        {0, 8, {"00 34 00 00 00 10 11 12 13", "00 34 00 00 04 14 15 16 17"}},
        {0, 9, {"00 34 00 00 00 10 11 12 13", "00 34 00 00 04 14 15 16 17", "00 F6 00 00 08 18 00 00 00"}},
        {1, 4, {"01 34 00 00 00 10 11 12 13"}},
        {1, 5, {"01 34 00 00 00 10 11 12 13", "01 F6 00 00 04 14 00 00 00"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("id " + std::to_string(c.reportId) + ", " + std::to_string(c.len) + " bytes");
        Rig rig({"VQ5520", ChipType::VQ5520, c.reportId, MEMTYPE_FLASH});
        ASSERT_TRUE(rig.connected);
        std::vector<BYTE> data(c.len);
        for (DWORD i = 0; i < c.len; ++i) data[i] = static_cast<BYTE>(0x10 + i);
        rig.patch->Download(MEMTYPE_FLASH, c.len, data.data());
        EXPECT_EQ(rig.host.LastStatus(), (RecordingHost::Status{"Successful!", STATUS_GREEN}));
        std::vector<std::vector<BYTE>> expected;
        for (const char* w : c.writes) expected.push_back(emu::Bytes(w));
        EXPECT_EQ(chiptest::SentReports(rig.chip->Log(), {HID_CMD_FLASH_WRITE4, HID_CMD_FLASH_WRITE1}), expected);
    }
}

// The flash magics (3C C3 of the VQ7340/VQ5632, C3 3C of the VQ5520) mean
// nothing to a chip type without flash: its image counts as memory type 1,
// and asking such a chip for flash leaves the magic as it is (the VQ7140S
// writes its only magic, 5A A5, for every type).
TEST(BoundaryTest, FlashMagicOnChipsWithoutFlash) {
    const struct {
        int row;
        BYTE afterSetFlash[2];  // bytes 0..1 after SetImageMemoryType(MEMTYPE_FLASH) of 3C C3
    } rows[] = {{0, {0x5A, 0xA5}}, {1, {0x3C, 0xC3}}, {2, {0x3C, 0xC3}}, {3, {0x3C, 0xC3}}};
    for (const auto& r : rows) {
        const auto patch = MakeChipPatch(r.row);
        SCOPED_TRACE(r.row);
        EXPECT_EQ(patch->GetSupportedMemoryTypes() & MEMTYPE_FLASH, 0);
        for (const auto& magic : {std::array<BYTE, 2>{0x3C, 0xC3}, std::array<BYTE, 2>{0xC3, 0x3C}}) {
            EXPECT_EQ(patch->GetImageMemoryType(magic.data()), MEMTYPE_24C01_16) << int(magic[0]);
        }
        BYTE image[2] = {0x3C, 0xC3};
        patch->SetImageMemoryType(image, MEMTYPE_FLASH);
        EXPECT_EQ(image[0], r.afterSetFlash[0]);
        EXPECT_EQ(image[1], r.afterSetFlash[1]);
    }
}

}  // namespace
}  // namespace faults

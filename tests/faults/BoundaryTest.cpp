// Jobs at the edges the other tests pass by: one wrong byte at the first, a
// middle and the last address; lengths on and just past each transfer step;
// EEPROM-only chips behind report-id-1 devices; a full device list; a chip
// that hangs after the number of reports the emulator option names.
#include "FaultRig.h"

#include "hid/Hid.h"

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
            rig.patch->Download(t.memType, len, data.data());
            EXPECT_TRUE(IsSuccessText(rig.host.LastStatus().text)) << rig.host.LastStatus().text;
            auto stored = data;
            stored.push_back(0xFF);  // nothing written behind the image
            EXPECT_EQ(rig.Stored(len + 1), stored);

            rig.host.Clear();
            rig.host.modifyLengthChecked = true;
            g_readLen = len;
            std::memset(g_workBuf, 0x5A, len + 1);
            rig.patch->ReadBack(t.memType, len, g_workBuf);
            EXPECT_EQ(rig.host.LastStatus().text, "Reading completed!");
            EXPECT_TRUE(std::equal(data.begin(), data.end(), g_workBuf));
            EXPECT_EQ(g_workBuf[len], 0x5A);  // nothing read beyond
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
        rig.patch->ReadBack(MEMTYPE_24C01_16, 16, g_workBuf);
        EXPECT_EQ(rig.host.LastStatus(), (RecordingHost::Status{"Reading failed!", STATUS_RED}));
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

// A chip of the emulated-device list "vq7170:stop=8": a scan and a version
// read take the eight reports, every job after them fails and says so.
TEST(BoundaryTest, ChipThatHangsAfterConnecting) {
    RecordingHost host;
    emu::ScopedBackend bus;
    std::string error;
    std::vector<emu::ChipConfig> configs;
    ASSERT_TRUE(emu::ParseEmulateList("vq7170:stop=8", &configs, &error)) << error;
    auto chip = bus->Plug(configs.at(0));
    CVQ7170Patch patch;
    ASSERT_EQ(patch.ScanDevices(), 1);
    BYTE version[4] = {};
    patch.ReadDeviceVersion(MEMTYPE_24C01_16, version);
    EXPECT_EQ(chip->SetFeatureCount() + chip->GetFeatureCount(), 8u);
    const std::vector<BYTE> zeros(64, 0);
    patch.Download(MEMTYPE_24C01_16, 64, zeros.data());
    EXPECT_EQ(host.LastStatus(), kVerifyError);
    host.modifyLengthChecked = true;
    patch.ReadBack(MEMTYPE_24C01_16, 64, g_workBuf);
    EXPECT_EQ(host.LastStatus(), (RecordingHost::Status{"Reading failed!", STATUS_RED}));
}

}  // namespace
}  // namespace faults

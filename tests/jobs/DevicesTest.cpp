// Connecting, the device list, and device arrival and removal, through the
// real window with emulated chips.
#include "JobsFixture.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QTest>

namespace {

class Devices : public JobsTest {
protected:
    std::shared_ptr<emu::Chip> PlugWithVersion(emu::ChipConfig config, std::vector<BYTE> version) {
        auto chip = bus->Plug(config);
        chip->WriteEeprom(0, 12, version);
        return chip;
    }
    int DeviceCount() const { return dlg->ComboGetCount(IDC_DEVICE); }
};

}  // namespace

TEST_F(Devices, TwoChipsListedSecondSelectedWithItsVersion) {
    auto first = PlugWithVersion(Vq7170(), {22, 3, 15, 12});
    auto second = PlugWithVersion(Vq7170(), {23, 11, 2, 9});
    Open(ROW_VQ7170);
    ASSERT_EQ(DeviceCount(), 2);
    EXPECT_EQ(dlg->ComboGetText(IDC_DEVICE, 0), QStringLiteral(" 1. [1-1-0-0-0-0]"));
    EXPECT_EQ(dlg->ComboGetText(IDC_DEVICE, 1), QStringLiteral(" 2. [1-2-0-0-0-0]"));
    EXPECT_EQ(dlg->ComboGetCurSel(IDC_DEVICE), 1);
    EXPECT_EQ(Text(IDC_DEVICE_VERSION), QStringLiteral("23110209"));
    EXPECT_EQ(Status(), QStringLiteral("Connected!"));
    EXPECT_EQ(StatusColour(), STATUS_GREEN);
    EXPECT_TRUE(ShowsIcon(g_hIconConnected));
    EXPECT_EQ(g_nDeviceCount, 2);

    // Picking the first opens it: its version shows and the next job goes to it.
    first->ClearLog();
    second->ClearLog();
    dlg->ComboSetCurSel(IDC_DEVICE, 0);
    dlg->SendNotify(IDC_DEVICE, CBN_SELCHANGE);
    EXPECT_EQ(Text(IDC_DEVICE_VERSION), QStringLiteral("22031512"));
    EXPECT_GT(CommandCount(*first, HID_CMD_EEPROM_READ), 0u);
    EXPECT_EQ(second->Log().size(), 0u);

    ShowImage(Pattern(40, 1));
    Click(IDC_DOWNLOAD);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(first->Eeprom(0, 0, 40), Pattern(40, 1));
    EXPECT_EQ(CommandCount(*second, HID_CMD_EEPROM_WRITE), 0u);
}

TEST_F(Devices, LocationOfTwoFieldsGivesEmptyBrackets) {
    bus->Plug(Vq7170(0, "0000.0014"));
    Open(ROW_VQ7170);
    ASSERT_EQ(DeviceCount(), 1);
    EXPECT_EQ(dlg->ComboGetText(IDC_DEVICE, 0), QStringLiteral(" 1. []"));
}

TEST_F(Devices, ConnectWithoutChipShowsDisconnected) {
    bus->Plug({.type = emu::ChipType::VQ7140XX});  // another type
    Open(ROW_VQ7170);
    EXPECT_EQ(Status(), QStringLiteral("Disconnected!"));
    EXPECT_EQ(StatusColour(), STATUS_RED);
    EXPECT_EQ(DeviceCount(), 0);
    EXPECT_EQ(Text(IDC_DEVICE_VERSION), QString());
    EXPECT_TRUE(ShowsIcon(g_hIconDisconnected));
    EXPECT_EQ(g_nDeviceCount, 0);
}

TEST_F(Devices, DownloadWithoutDeviceTurnsDisconnectedAfterASecond) {
    Open(ROW_VQ7170);
    ShowImage(Pattern(16, 3));
    QElapsedTimer clock;
    clock.start();
    Click(IDC_DOWNLOAD);
    EXPECT_EQ(Status(), QStringLiteral("Please connect the device!"));
    EXPECT_EQ(StatusColour(), STATUS_RED);
    EXPECT_EQ(g_bBusy, 0);
    ASSERT_TRUE(WaitFor([] { return Status() == QStringLiteral("Disconnected!"); }, 5000));
    EXPECT_GE(clock.elapsed(), 900);
    EXPECT_EQ(StatusColour(), STATUS_RED);
}

TEST_F(Devices, ChipArrivingWithinTheSecondKeepsConnected) {
    Open(ROW_VQ7170);
    Click(IDC_DOWNLOAD);
    EXPECT_EQ(Status(), QStringLiteral("Please connect the device!"));
    auto chip = bus->Plug(Vq7170());
    ASSERT_TRUE(WaitFor([] { return Status() == QStringLiteral("Connected!"); }, 900));
    QTest::qWait(1300);  // past the one-second mark
    EXPECT_EQ(Status(), QStringLiteral("Connected!"));
    EXPECT_EQ(CommandCount(*chip, HID_CMD_EEPROM_WRITE), 0u);  // "AUTO DownLoad" is not ticked
}

TEST_F(Devices, ArrivalWithAutoDownloadDownloads) {
    Open(ROW_VQ7170);
    ShowImage(Pattern(64, 9));
    Click(IDC_AUTO_DOWNLOAD);
    ASSERT_TRUE(dlg->IsDlgButtonChecked(IDC_AUTO_DOWNLOAD));
    auto chip = bus->Plug(Vq7170());
    ASSERT_TRUE(WaitFor([&] { return CommandCount(*chip, HID_CMD_EEPROM_WRITE) == 64 && g_bBusy == 0; }));
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(chip->Eeprom(0, 0, 64), Pattern(64, 9));
    EXPECT_EQ(Status(), QStringLiteral("Successful!"));
    EXPECT_EQ(DeviceCount(), 1);
}

TEST_F(Devices, ArrivalWithoutAutoDownloadOnlyRebuildsTheList) {
    Open(ROW_VQ7170);
    ShowImage(Pattern(16, 9));
    auto chip = bus->Plug(Vq7170());
    ASSERT_TRUE(WaitFor([&] { return DeviceCount() == 1; }));
    QTest::qWait(50);
    EXPECT_EQ(g_bBusy, 0);
    EXPECT_EQ(CommandCount(*chip, HID_CMD_EEPROM_WRITE), 0u);
    EXPECT_EQ(Status(), QStringLiteral("Connected!"));
}

TEST_F(Devices, KeyboardArrivalDownloadsToTheConnectedChip) {
    auto chip = bus->Plug(Vq7170());
    Open(ROW_VQ7170);
    ShowImage(Pattern(32, 5));
    Click(IDC_AUTO_DOWNLOAD);
    bus->Plug({.type = emu::ChipType::Keyboard});
    ASSERT_TRUE(WaitFor([&] { return CommandCount(*chip, HID_CMD_EEPROM_WRITE) == 32 && g_bBusy == 0; }));
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(chip->Eeprom(0, 0, 32), Pattern(32, 5));
    EXPECT_EQ(DeviceCount(), 1);  // the keyboard is not listed
}

TEST_F(Devices, UnplugShowsDisconnected) {
    auto chip = bus->Plug(Vq7170());
    Open(ROW_VQ7170);
    ASSERT_EQ(Status(), QStringLiteral("Connected!"));
    ASSERT_TRUE(ShowsIcon(g_hIconConnected));
    bus->Unplug(chip);
    ASSERT_TRUE(WaitFor([] { return Status() == QStringLiteral("Disconnected!"); }));
    EXPECT_EQ(StatusColour(), STATUS_RED);
    EXPECT_TRUE(ShowsIcon(g_hIconDisconnected));
    EXPECT_EQ(DeviceCount(), 0);
    EXPECT_EQ(Text(IDC_DEVICE_VERSION), QString());
}

TEST_F(Devices, UnplugOfOneOfTwoKeepsTheOther) {
    auto first = PlugWithVersion(Vq7170(), {1, 2, 3, 4});
    auto second = PlugWithVersion(Vq7170(), {5, 6, 7, 8});
    Open(ROW_VQ7170);
    bus->Unplug(second);
    ASSERT_TRUE(WaitFor([&] { return DeviceCount() == 1; }));
    EXPECT_EQ(Status(), QStringLiteral("Connected!"));
    EXPECT_EQ(Text(IDC_DEVICE_VERSION), QStringLiteral("01020304"));
}

TEST_F(Devices, ArrivalDuringAJobWaitsForItsEnd) {
    const std::vector<BYTE> image = Pattern(200, 17);
    auto chip = StartSlowDownload(image);
    auto other = bus->Plug(Vq7170());
    QTest::qWait(50);  // the arrival reaches the dialog while the job runs
    ASSERT_EQ(g_bBusy, 1) << "latency too small: the job ended before the arrival";
    EXPECT_EQ(DeviceCount(), 1);
    EXPECT_EQ(other->Log().size(), 0u);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(Status(), QStringLiteral("Connected!"));  // the put-off rescan ran after "Successful!"
    EXPECT_EQ(chip->Eeprom(0, 0, image.size()), image);
    for (const emu::LoggedReport& r : chip->Log()) EXPECT_TRUE(r.ok) << emu::ToString(r);
    EXPECT_EQ(DeviceCount(), 2);
    EXPECT_EQ(dlg->ComboGetCurSel(IDC_DEVICE), 1);
}

// Start-up with an emulate list: one that does not parse stops the tool
// (the reason on standard error and in a message box, no window, no real
// device, exit status 2); the chips of one that does look like chips with
// an image, version and all.
#include "AppTestEnv.h"
#include "DialogFixture.h"
#include "DlgMessageBox.h"
#include "Emulator.h"
#include "Globals.h"
#include "Hid.h"
#include "QtEngineHost.h"
#include "ResourceIds.h"
#include "TessadaneApp.h"
#include "TessadaneDlg.h"
#include "UserClick.h"

#include <QApplication>
#include <QTimer>

#include <gtest/gtest.h>

TEST(StartUp, BadEmulateListStopsTheToolBeforeItsWindowOpens) {
    TestApplication();
    const std::string error = "QUILLMAR_EMULATE: unknown option 'id2'";  // (the list's syntax: the emulator tests)
    qputenv("QUILLMAR_EMULATE", "vq7170,vq5520:id2");
    theApp.m_nExitCode = 0;
    QString boxText;
    bool windowOpened = false;
    QTimer::singleShot(0, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            windowOpened |= qobject_cast<CTessadaneDlg*>(w) != nullptr && w->isVisible();
        auto* box = qobject_cast<CDlgMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        boxText = box->text();
        ClickAsUser(box->button(QMessageBox::Ok));
    });
    testing::internal::CaptureStderr();
    EXPECT_FALSE(theApp.InitInstance());
    const std::string stderrText = testing::internal::GetCapturedStderr();

    EXPECT_NE(stderrText.find(error + "\n"), std::string::npos) << stderrText;  // (Qt may add its own warnings)
    EXPECT_EQ(boxText.toStdString(), error);
    EXPECT_FALSE(windowOpened);
    EXPECT_EQ(theApp.ExitInstance(), 2);
    const auto bus = std::dynamic_pointer_cast<emu::EmulatorBackend>(hid::CurrentBackend());
    ASSERT_NE(bus, nullptr) << "the real devices are in place";
    EXPECT_TRUE(bus->Chips().empty());
    qunsetenv("QUILLMAR_EMULATE");
    theApp.m_nExitCode = 0;
}

namespace {
class EmulatedSession : public DialogFixture<CQtEngineHost> {};
}  // namespace

// The chips of an emulate list hold a version stamp, which the device
// version box shows once the start-up connect has found them.
TEST_F(EmulatedSession, DeviceVersionBoxShowsTheChipsVersion) {
    const struct {
        int row;
        const char* list;
        const char* shown;
    } cases[] = {
        {ROW_VQ7140S, "vq7140s", "26011510"},   {ROW_VQ7140XX, "vq7140xx", "26011510"},
        {ROW_VQ7170, "vq7170", "26011510"},     {ROW_VQ7170S, "vq7170s", "26011510"},
        {ROW_VQ5520, "vq5520", "26011510"},     {ROW_VQ7340, "vq7340:id1", "26011510"},
        {ROW_VQ5632, "vq5632", "26011510"},     {ROW_VQ7340, "vq7340:version=00260306", "00260306"},
        {ROW_VQ5520, "vq5520:id1:version=99123123", "99123123"}, {ROW_VQ7170, "vq7170:version=none", "255255255255"},
    };
    for (const auto& c : cases) {
        qputenv("QUILLMAR_EMULATE", c.list);
        ASSERT_TRUE(InstallEmulatorFromEnvironment()) << c.list;
        Open(c.row);
        EXPECT_EQ(dlg->GetDlgItemText(IDC_DEVICE_VERSION).toStdString(), c.shown) << c.list;
    }
    qunsetenv("QUILLMAR_EMULATE");
    dlg.reset();
    hid::SetBackend(emu::MakeBackend());
}

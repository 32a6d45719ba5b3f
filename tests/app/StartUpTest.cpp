// Start-up with an emulate list that does not parse: the tool says why on
// standard error and in a message box, opens no window, touches no real
// device and ends with exit status 2.
#include "AppTestEnv.h"
#include "DlgMessageBox.h"
#include "Emulator.h"
#include "Globals.h"
#include "Hid.h"
#include "TessadaneDlg.h"
#include "UserClick.h"

#include <QApplication>
#include <QTimer>

#include <gtest/gtest.h>

TEST(StartUp, BadEmulateListStopsTheToolBeforeItsWindowOpens) {
    TestApplication();
    const struct {
        const char* value;
        const char* error;
    } cases[] = {
        {"vq7171", "QUILLMAR_EMULATE: unknown chip type 'vq7171'"},
        {"vq7170,vq5520:id2", "QUILLMAR_EMULATE: unknown option 'id2'"},
        {"vq7170*0", "QUILLMAR_EMULATE: count in 'vq7170*0' is not 1..64"},
    };
    for (const auto& c : cases) {
        qputenv("QUILLMAR_EMULATE", c.value);
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
        EXPECT_FALSE(theApp.InitInstance()) << c.value;
        const std::string stderrText = testing::internal::GetCapturedStderr();

        // (Qt may add its own warnings around it.)
        EXPECT_NE(stderrText.find(std::string(c.error) + "\n"), std::string::npos) << stderrText;
        EXPECT_EQ(boxText.toStdString(), c.error) << c.value;
        EXPECT_FALSE(windowOpened) << c.value;
        EXPECT_EQ(theApp.ExitInstance(), 2) << c.value;
        const auto bus = std::dynamic_pointer_cast<emu::EmulatorBackend>(hid::CurrentBackend());
        ASSERT_NE(bus, nullptr) << c.value << ": the real devices are in place";
        EXPECT_TRUE(bus->Chips().empty()) << c.value;
    }
    qunsetenv("QUILLMAR_EMULATE");
    theApp.m_nExitCode = 0;
}

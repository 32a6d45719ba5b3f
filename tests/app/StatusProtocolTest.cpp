// The engine's view of the user interface: status text and colour, progress,
// the check box, the page refresh and message boxes, from any thread.
#include "AppTestEnv.h"
#include "Globals.h"
#include "QtEngineHost.h"
#include "ResourceIds.h"
#include "TessadaneDlg.h"

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace {

class StatusProtocol : public ::testing::Test {
protected:
    void SetUp() override {
        TestApplication();
        SetEngineHost(&host);
        dlg = std::make_unique<CTessadaneDlg>();
        ASSERT_TRUE(dlg->CreateFromTemplate());
        dlg->show();
        QCoreApplication::processEvents();
    }
    void TearDown() override {
        dlg.reset();
        SetEngineHost(nullptr);
    }

    enum class Hue { Green, Red };
    // Pixels of a hue inside pane 0 of the status bar, and the leftmost one.
    int CountPane0(Hue hue, int* leftmost = nullptr) {
        const QImage img = g_statusBar.GetWnd()->grab().toImage();
        const QRect pane = g_statusBar.GetItemRect(0);
        int n = 0;
        int left = INT32_MAX;
        for (int y = 0; y < img.height(); ++y) {
            for (int x = 0; x < img.width(); ++x) {
                const QColor c = img.pixelColor(x, y);
                const bool match = hue == Hue::Green ? (c.green() > 90 && c.red() < 60 && c.blue() < 60)
                                                      : (c.red() > 150 && c.green() < 70 && c.blue() < 70);
                if (!match) continue;
                EXPECT_TRUE(pane.contains(x, y)) << "coloured pixel outside pane 0 at " << x << "," << y;
                ++n;
                left = std::min(left, x);
            }
        }
        if (leftmost) *leftmost = left;
        return n;
    }

    CQtEngineHost host;
    std::unique_ptr<CTessadaneDlg> dlg;
};

// An option page that counts its refreshes and notes the thread.
class CountingPage : public COptionPage {
public:
    CountingPage() : COptionPage(IDD_PAGE_VQ7170) {}
    void LoadFromImage() override {
        ++loads;
        thread = QThread::currentThread();
    }
    int loads = 0;
    QThread* thread = nullptr;
};

}  // namespace

TEST_F(StatusProtocol, StatusTextFromAWorkerIsDrawnInItsColour) {
    // The scan at start-up found no chip.
    EXPECT_TRUE(g_statusBar.IsOwnerDrawn(0));
    EXPECT_EQ(g_statusBar.m_pPaneTexts[0], QStringLiteral("Disconnected!"));
    EXPECT_EQ(CountPane0(Hue::Green), 0);

    RunOnWorkerThread([] { SetStatusText("Successful!", STATUS_GREEN); });
    EXPECT_TRUE(g_statusBar.IsOwnerDrawn(0));
    EXPECT_EQ(g_statusBar.m_pPaneTexts[0], QStringLiteral("Successful!"));
    EXPECT_EQ(g_statusBar.m_pPaneColors[0], STATUS_GREEN);
    int left = 0;
    EXPECT_GT(CountPane0(Hue::Green, &left), 20);
    EXPECT_GE(left, g_statusBar.GetItemRect(0).left() + 1);
    EXPECT_LE(left, g_statusBar.GetItemRect(0).left() + 4);
    EXPECT_EQ(CountPane0(Hue::Red), 0);

    RunOnWorkerThread([] { SetStatusText("Verify error!", STATUS_RED); });
    EXPECT_GT(CountPane0(Hue::Red), 20);
    EXPECT_EQ(CountPane0(Hue::Green), 0);

    SetStatusText("Flash擦除中......", STATUS_GREEN);  // from the user-interface thread
    EXPECT_EQ(g_statusBar.m_pPaneTexts[0], QStringLiteral("Flash擦除中......"));
    EXPECT_GT(CountPane0(Hue::Green), 20);
}

TEST_F(StatusProtocol, ProgressFromAWorker) {
    RunOnWorkerThread([] {
        SetProgress(42);
        SetProgress(42);
    });
    EXPECT_EQ(g_progress.GetWnd()->value(), 42);
    EXPECT_EQ(g_progress.GetPos(), 42);
    RunOnWorkerThread([] { SetProgress(250); });
    EXPECT_EQ(g_progress.GetWnd()->value(), 100);
    SetProgress(0);
    EXPECT_EQ(g_progress.GetWnd()->value(), 0);
}

TEST_F(StatusProtocol, ModifyLengthCheckBoxFromAWorker) {
    bool checked = true;
    RunOnWorkerThread([&] { checked = Host().IsModifyLengthChecked(); });
    EXPECT_FALSE(checked);
    dlg->CheckDlgButton(IDC_MODIFY_LENGTH, BST_CHECKED);
    RunOnWorkerThread([&] { checked = Host().IsModifyLengthChecked(); });
    EXPECT_TRUE(checked);
}

TEST_F(StatusProtocol, PageRefreshRunsOnTheUserInterfaceThread) {
    CountingPage page;
    COptionPage* shown = g_pCurPage;
    g_pCurPage = &page;
    RunOnWorkerThread([] { Host().RefreshOptionPage(); });
    EXPECT_EQ(page.loads, 1);
    EXPECT_EQ(page.thread, QCoreApplication::instance()->thread());
    g_pCurPage = nullptr;
    Host().RefreshOptionPage();  // no page: nothing happens
    g_pCurPage = shown;
}

TEST_F(StatusProtocol, MessageBoxHasTheApplicationCaptionAndOk) {
    QString title, text;
    int buttons = 0;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        buttons = static_cast<int>(box->buttons().size());
        box->button(QMessageBox::Ok)->click();
    });
    Host().MessageBox("Not a valid firmware!\n");
    EXPECT_EQ(title, theApp.m_pszAppName);
    EXPECT_EQ(title, QStringLiteral("app_tests"));  // this executable's name
    EXPECT_EQ(text, QStringLiteral("Not a valid firmware!\n"));
    EXPECT_EQ(buttons, 1);
}

TEST_F(StatusProtocol, EveryStatusTextFitsPaneZero) {
    // Drawn one pixel right of the pane's left edge; the progress bar covers
    // what runs on past the pane.
    const QFontMetrics fm(g_statusBar.GetWnd()->font());
    const int room = g_statusBar.GetItemRect(0).width() - 1;
    ASSERT_EQ(g_statusBar.GetItemRect(0).width(), 150);
    for (const char* text :
         {"Please connect the device!", "Opened file successfully!", "Open file failed!", "Connected!",
          "Disconnected!", "Downloading......", "Verifying......", "Successful!", "Verify error!", "Reading......",
          "Reading completed!", "Flash Erasing......", "Erase Done!", "Erase error!", "Upgrading......",
          "Verifing......", "Upgrade Successful", "Flash擦除中......", "Flash 连接异常！"}) {
        EXPECT_LE(fm.horizontalAdvance(QString::fromUtf8(text)), room) << text;
    }
}

// The engine's view of the user interface: status text and colour, progress,
// the check box, the page refresh and message boxes, from any thread.
#include "AppShell.h"
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
#include <QTest>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

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
    // A worker's position reaches the bar within a frame.
    EXPECT_TRUE(QTest::qWaitFor([] { return g_progress.GetWnd()->value() == 42; }, 1000));
    EXPECT_EQ(g_progress.GetPos(), 42);
    RunOnWorkerThread([] { SetProgress(250); });
    EXPECT_TRUE(QTest::qWaitFor([] { return g_progress.GetWnd()->value() == 100; }, 1000));
    SetProgress(0);
    EXPECT_EQ(g_progress.GetWnd()->value(), 0);
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* w) { w->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    }
    int paints = 0;
};

// A worker's progress and status texts never paint inside the call: the
// values change at once, the paints follow on the next pass of the loop.
TEST_F(StatusProtocol, ProgressAndStatusPaintOnTheNextPassNotInsideTheCall) {
    PaintCounter bar(g_progress.GetWnd()), status(g_statusBar.GetWnd());
    struct Step {
        const char* what;
        std::function<void()> call;
        PaintCounter* painted;
    };
    const Step steps[] = {
        {"progress", [] { SetProgress(57); }, &bar},
        {"progress, clamped", [] { SetProgress(-5); }, &bar},
        {"status text", [] { SetStatusText("Verifing......", STATUS_GREEN); }, &status},
    };
    for (const Step& step : steps) {
        QCoreApplication::processEvents();
        bar.paints = status.paints = 0;  // the bar lies on the status bar: its paints paint both
        step.call();  // on the user-interface thread: changes at once
        EXPECT_EQ(step.painted->paints, 0) << step.what;
        QCoreApplication::processEvents();
        EXPECT_GE(step.painted->paints, 1) << step.what;
    }
    EXPECT_EQ(g_progress.GetWnd()->value(), 0);
    EXPECT_EQ(g_statusBar.m_pPaneTexts[0], QStringLiteral("Verifing......"));
}

// A worker's progress does not wait for the user-interface thread (which may
// be busy); it arrives there after the calls made before it and before the
// status texts set after it, and the last position always arrives.
TEST_F(StatusProtocol, ProgressFromAWorkerKeepsItsPlaceAmongTheStatusTexts) {
    std::vector<std::pair<int, QString>> seen;  // bar value, status text at that moment
    QObject::connect(g_progress.GetWnd(), &QProgressBar::valueChanged,
                     [&seen](int v) { seen.emplace_back(v, g_statusBar.m_pPaneTexts[0]); });

    // The user-interface thread is not running its loop while the worker sets them.
    std::mutex m;
    std::condition_variable cv;
    bool done = false;
    std::thread worker([&] {
        for (int pos = 1; pos <= 40; ++pos) SetProgress(pos);
        std::lock_guard lock(m);
        done = true;
        cv.notify_one();
    });
    {
        std::unique_lock lock(m);
        EXPECT_TRUE(cv.wait_for(lock, std::chrono::seconds(10), [&] { return done; }))
            << "the worker waited for the user-interface thread";
    }
    QCoreApplication::processEvents();  // lets a waiting worker go on, whatever happened
    worker.join();
    EXPECT_TRUE(QTest::qWaitFor([] { return g_progress.GetWnd()->value() == 40; }, 1000));
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back().first, 40);
    EXPECT_EQ(g_progress.GetPos(), 40);

    seen.clear();
    RunOnWorkerThread([] {
        SetProgress(50);
        SetStatusText("Upgrading......", STATUS_GREEN);
        SetProgress(70);
        SetProgress(80);
        SetStatusText("Verifing......", STATUS_GREEN);
        SetProgress(100);
    });
    EXPECT_TRUE(QTest::qWaitFor([] { return g_progress.GetWnd()->value() == 100; }, 1000));
    const std::vector<std::pair<int, QString>> expected = {
        {50, QStringLiteral("Disconnected!")},   // shown before the text that followed it
        {80, QStringLiteral("Upgrading......")},  // 70 may be passed over
        {100, QStringLiteral("Verifing......")},
    };
    std::vector<std::pair<int, QString>> kept;
    for (const auto& s : seen)
        if (s.first != 70) kept.push_back(s);
    EXPECT_EQ(kept, expected);
    EXPECT_EQ(g_progress.GetWnd()->value(), 100);
}

// A position on its way when the dialog goes does not hold up the bar of
// the next dialog.
TEST_F(StatusProtocol, ProgressReachesTheBarOfTheNextDialog) {
    SetProgress(5);  // the bar moved just now: a worker's next position waits for the frame's end
    RunOnWorkerThread([] { SetProgress(30); });
    dlg.reset();
    dlg = std::make_unique<CTessadaneDlg>();
    ASSERT_TRUE(dlg->CreateFromTemplate());
    dlg->show();
    RunOnWorkerThread([] { SetProgress(60); });
    EXPECT_TRUE(QTest::qWaitFor([] { return g_progress.GetWnd()->value() == 60; }, 1000));
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
    Shell().MessageBox("Not a valid firmware!\n");
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

// The status log after real jobs on an emulated chip, saved from its
// window; a file dropped while a job runs.
#include "JobsFixture.h"
#include "StatusLogDlg.h"

#include <QContextMenuEvent>
#include <QFile>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <utility>

namespace {

class StatusLogJobs : public JobsTest {};

}  // namespace

TEST_F(StatusLogJobs, AFailedThenASuccessfulJobAreInTheLog) {
    auto chip = bus->Plug(Vq7170());
    chip->SetBadCell(0, 5);
    g_statusBar.Log().Clear();
    Open(ROW_VQ7170);
    ShowImage(Pattern(64, 1));
    const std::size_t before = g_statusBar.Log().Entries().size();
    ASSERT_GE(before, 1u);  // the connect's
    Click(IDC_DOWNLOAD);
    ASSERT_TRUE(WaitIdle());
    Click(IDC_READ);
    ASSERT_TRUE(WaitIdle());

    std::vector<std::pair<std::string, COLORREF>> seen;
    for (std::size_t i = before - 1; i < g_statusBar.Log().Entries().size(); ++i)
        seen.emplace_back(g_statusBar.Log().Entries()[i].text.toStdString(), g_statusBar.Log().Entries()[i].colour);
    const std::vector<std::pair<std::string, COLORREF>> want = {
        {"Connected!", STATUS_GREEN},   {"Downloading......", STATUS_GREEN}, {"Verifying......", STATUS_GREEN},
        {"Verify error!", STATUS_RED},  {"Reading......", STATUS_GREEN},     {"Reading completed!", STATUS_GREEN},
    };
    EXPECT_EQ(seen, want);

    // Saved from the log window of the context menu.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("status.txt"));
    modal.QueuePath(path);
    QTimer::singleShot(0, [&] {
        QTimer::singleShot(0, [&] {
            auto* log = qobject_cast<CStatusLogDlg*>(QApplication::activeModalWidget());
            ASSERT_NE(log, nullptr);
            log->SaveButton()->click();  // the file dialog is answered as it opens
            log->reject();
        });
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Down);  // "Status log…"
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Return);
    });
    QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(2, 2), dlg->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(dlg.get(), &event);
    const QString text = StatusLogText(g_statusBar.Log().Entries());
    EXPECT_TRUE(text.contains(QStringLiteral("  red    Verify error!\n"))) << text.toStdString();
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(f.readAll()), text);
}

// Open File can't be pressed while a job runs, and a drop is refused then
// as a press of a busy button is.
TEST_F(StatusLogJobs, AFileDroppedDuringAJobIsRefused) {
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("patch.bin")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(QByteArray(300, '\x22')) == 300);
    file.close();
    StartSlowDownload(Pattern(64, 1));
    const int beeps = BeepCount();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(file.fileName())});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(dlg.get(), &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(dlg.get(), &drop);
    ASSERT_TRUE(WaitFor([&] { return !modal.boxes.empty(); }));
    EXPECT_EQ(modal.boxes[0].text, QStringLiteral("Downloading, please wait!"));
    EXPECT_EQ(BeepCount(), beeps + 1);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(ViewBytes(), Pattern(64, 1));
    EXPECT_EQ(Status(), QStringLiteral("Successful!"));
}

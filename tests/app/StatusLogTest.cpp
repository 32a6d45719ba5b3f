// The status log: the bounded list, its lines, the saved file and its
// window (opened from the context menu after real jobs: tests/jobs).
#include "AppTestEnv.h"
#include "StatusLogDlg.h"
#include "TestShellHost.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

StatusLogEntry Entry(int n, COLORREF colour = STATUS_GREEN) {
    return {QDateTime(QDate(2026, 3, 1), QTime(14, 2, 11, 42)), QString::number(n), colour};
}

}  // namespace

TEST(StatusLog, KeepsTheNewestUpToItsCapacity) {
    const struct {
        std::size_t capacity, added, kept;
    } cases[] = {{3, 2, 2}, {3, 3, 3}, {3, 4, 3}, {3, 7, 3}, {0, 2, 0}};
    for (const auto& c : cases) {
        CStatusLog log(c.capacity);
        std::size_t heard = 0;
        log.SetListener([&](const StatusLogEntry&) { ++heard; });
        for (std::size_t i = 0; i < c.added; ++i) log.Add(Entry(static_cast<int>(i)));
        ASSERT_EQ(log.Entries().size(), c.kept) << c.capacity << "/" << c.added;
        if (c.kept) {
            EXPECT_EQ(log.Entries().front().text.toULongLong(), c.added - c.kept);
        }
        EXPECT_EQ(heard, c.capacity ? c.added : 0u);
    }
    EXPECT_EQ(CStatusLog().Capacity(), 10000u);
}

TEST(StatusLog, OneLinePerEntryWithTimeAndColour) {
    const struct {
        const char* text;
        COLORREF colour;
        const char* line;
    } cases[] = {
        {"Verify error!", STATUS_RED, "2026-03-01 14:02:11.042  red    Verify error!"},
        {"Flash擦除中......", STATUS_GREEN, "2026-03-01 14:02:11.042  green  Flash擦除中......"},
        {"two\nlines\r\n", 0x00FF8000, "2026-03-01 14:02:11.042  #0080ff  two lines "},
    };
    std::deque<StatusLogEntry> entries;
    QString all;
    for (const auto& c : cases) {
        entries.push_back({Entry(0).time, QString::fromUtf8(c.text), c.colour});
        EXPECT_EQ(StatusLogLine(entries.back()), QString::fromUtf8(c.line));
        all += QString::fromUtf8(c.line) + QLatin1Char('\n');
    }
    EXPECT_EQ(StatusLogText(entries), all);
    std::tm t{};
    t.tm_year = 126, t.tm_mon = 2, t.tm_mday = 1, t.tm_hour = 9, t.tm_min = 5;
    EXPECT_EQ(StatusLogFileName(t), QStringLiteral("Status_log_20260301_0905.txt"));
}

// The window: the lines so far and those that come while it is open, as
// many as the log keeps; Copy takes the selected lines or all; Save writes
// all of them, or says why it could not and leaves the file as it was.
TEST(StatusLog, TheWindowShowsCopiesAndSaves) {
    TestApplication();
    TestShellHost shell;
    SetAppShell(&shell);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("log.txt"));
    shell.paths = {path.toStdString(), dir.filePath(QStringLiteral("no/log.txt")).toStdString()};
    CStatusLog log(3);
    log.Add(Entry(0, STATUS_RED));
    CStatusLogDlg window(log);
    for (int n = 1; n < 5; ++n) log.Add(Entry(n));
    const QString text = StatusLogText(log.Entries());
    EXPECT_EQ(window.View()->toPlainText() + QLatin1Char('\n'), text);
    window.CopyButton()->click();
    EXPECT_EQ(QApplication::clipboard()->text(), text);
    QTest::keyClick(window.View(), Qt::Key_End, Qt::ShiftModifier);
    window.CopyButton()->click();
    EXPECT_EQ(QApplication::clipboard()->text(), StatusLogLine(log.Entries().front()));
    window.SaveButton()->click();
    window.SaveButton()->click();
    SetAppShell(nullptr);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(f.readAll()), text);
    ASSERT_EQ(shell.asked.size(), 2u);
    EXPECT_EQ(shell.asked[0].spec.filter + shell.asked[0].spec.defaultExt, "Text File(*.txt)|*.txt|txt");
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0].rfind("Save status log failed!\n" + dir.filePath(QStringLiteral("no/log.txt")).toStdString() + ": ", 0), 0u)
        << shell.messages[0];
}

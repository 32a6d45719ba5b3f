// The command line: "Quillmar [FILE]"; --help and --version without a
// window, nor a display; the file opened as Open File opens it for the
// remembered chip type.
#include "AppTestEnv.h"
#include "CommandLine.h"
#include "Globals.h"
#include "TessadaneDlg.h"
#include "TestShellHost.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

TEST(CommandLine, Parsing) {
    using A = CommandLine::Action;
    const struct {
        std::vector<std::string> args;
        A action;
        std::string file, error;
    } cases[] = {
        {{}, A::Run, "", ""},
        {{"patch.hex"}, A::Run, "patch.hex", ""},
        {{"-"}, A::Run, "-", ""},
        {{"--", "--help"}, A::Run, "--help", ""},
        {{"a.hex", "--help", "--bogus"}, A::Help, "", ""},
        {{"--version", "-h"}, A::Version, "", ""},
        {{"--bogus", "-x", "a.hex", "b.bin"}, A::Misuse, "", "unknown option '--bogus'"},
        {{"a.hex", "--", "b.bin", "c.bin"}, A::Misuse, "", "more than one file: 'a.hex' and 'b.bin'"},
    };
    for (const auto& c : cases) {
        const CommandLine line = ParseCommandLine(c.args);
        EXPECT_EQ(line.action, c.action) << c.args.size();
        EXPECT_EQ(line.file, c.file) << c.args.size();
        EXPECT_EQ(line.error, c.error) << c.args.size();
    }
    EXPECT_EQ(AnswerWithoutWindow(ParseCommandLine({"-x"}), "Quillmar"), 2);
}

// The program itself, where there is no display to open a window on.
TEST(CommandLine, HelpAndVersionNeedNoDisplay) {
    const struct {
        QStringList args;
        std::string out;
    } cases[] = {
        {{QStringLiteral("--help")}, HelpText("Quillmar")},
        {{QStringLiteral("-platform"), QStringLiteral("xcb"), QStringLiteral("-v")}, "Quillmar 1.9.13.56\n"},
    };
    for (const auto& c : cases) {
        QProcess tool;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(QString::fromLatin1(name));
        tool.setProcessEnvironment(env);
        tool.start(QStringLiteral(QUILLMAR_EXECUTABLE), c.args);
        ASSERT_TRUE(tool.waitForFinished(30000));
        EXPECT_EQ(tool.exitCode(), 0);
        EXPECT_EQ(tool.readAllStandardOutput().toStdString(), c.out);
    }
}

TEST(CommandLine, TheFileOpensAsOpenFileWould) {
    TestApplication();
    QTemporaryDir dir;
    const QString bin = dir.filePath(QStringLiteral("patch.bin"));
    QFile f(bin);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(QByteArray(300, '\x11')) == 300);
    f.close();
    const struct {
        int row;
        QString path;
        std::vector<std::string> messages;
        const char* status;
        DWORD imageLen;  // 52: the page's default image
    } cases[] = {
        {ROW_VQ7170, bin, {}, "Opened file successfully!", 300},
        {ROW_VQ5632, bin, {"Length(0x1111) Overflow!!!\n"}, "Open file failed!", 52},
        {ROW_VQ7170, dir.filePath(QStringLiteral("gone.hex")), {"Open HEX file failed!\n"}, "Open file failed!", 52},
    };
    TestShellHost shell;
    SetAppShell(&shell);
    for (const auto& c : cases) {
        StoreChipType(c.row);
        g_statusBar.Log().Clear();
        theApp.m_strFileToOpen = c.path.toStdString();
        QTimer watch;
        QElapsedTimer waited;
        waited.start();
        QObject::connect(&watch, &QTimer::timeout, [&] {
            // The start-up connect's text first, then the file's.
            if (theApp.m_pMainWnd && (g_statusBar.Log().Entries().size() >= 2 || waited.elapsed() > 10000))
                theApp.m_pMainWnd->close();
        });
        watch.start(10);
        theApp.InitInstance();
        ASSERT_EQ(g_statusBar.Log().Entries().size(), 2u) << c.row;
        EXPECT_EQ(shell.TakeMessages(), c.messages) << c.row;
        EXPECT_EQ(g_statusBar.Log().Entries().back().text, QString::fromLatin1(c.status));
        EXPECT_EQ(g_imageLen, c.imageLen);
    }
    theApp.m_strFileToOpen.clear();
    SetAppShell(nullptr);
    EXPECT_EQ(QGuiApplication::desktopFileName(), QString::fromLatin1(kDesktopFileName));
}

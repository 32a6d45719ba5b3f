// Renders the main dialog (and the about box) into PNG files, for looking at
// the layout: quillmar_screenshot <folder> [chip-type row] [status text]
#include "AboutDlg.h"
#include "AppTestEnv.h"
#include "Globals.h"
#include "QtEngineHost.h"
#include "TessadaneDlg.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <folder> [chip-type row] [status text]\n", argv[0]);
        return 2;
    }
    TestApplication();
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    if (argc > 2) theApp.WriteProfileInt(QStringLiteral("Settings"), QStringLiteral("ChipType"), std::atoi(argv[2]));

    CQtEngineHost host;
    SetEngineHost(&host);
    int failures = 0;
    {
        CTessadaneDlg dlg;
        dlg.CreateFromTemplate();
        dlg.show();
        if (argc > 3) SetStatusText(argv[3], STATUS_GREEN);
        g_progress.SetPos(40);
        QApplication::processEvents();
        const QString mainPng = folder + QStringLiteral("/main.png");
        if (!dlg.grab().save(mainPng)) ++failures;
        std::printf("%s\n", qPrintable(mainPng));

        CAboutDlg about(&dlg);
        about.CreateFromTemplate();
        about.show();
        QApplication::processEvents();
        const QString aboutPng = folder + QStringLiteral("/about.png");
        if (!about.grab().save(aboutPng)) ++failures;
        std::printf("%s\n", qPrintable(aboutPng));
    }
    SetEngineHost(nullptr);
    return failures == 0 ? 0 : 1;
}

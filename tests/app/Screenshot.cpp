// Renders the main dialog (and the about box) into PNG files, for looking at
// the layout: quillmar_screenshot <folder> [chip-type row] [status text]
// Writes main.png (the remembered or given chip type), about.png and
// page-<row>.png for every chip-type row, with that row's option page shown.
#include "AboutDlg.h"
#include "AppTestEnv.h"
#include "Globals.h"
#include "QtEngineHost.h"
#include "TessadaneDlg.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

namespace {

// Saves what `widget` shows into folder/name; false when the file could not be written.
bool SavePicture(QWidget& widget, const QString& folder, const QString& name) {
    QApplication::processEvents();
    const QString path = folder + QLatin1Char('/') + name;
    const bool saved = widget.grab().save(path);
    std::printf("%s\n", qPrintable(path));
    return saved;
}

}  // namespace

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
        if (!SavePicture(dlg, folder, QStringLiteral("main.png"))) ++failures;
        {
            CAboutDlg about(&dlg);
            about.CreateFromTemplate();
            about.show();
            if (!SavePicture(about, folder, QStringLiteral("about.png"))) ++failures;
        }
        for (int row = 0; row < CHIP_TYPE_COUNT; ++row) {
            ChooseChipType(dlg, row);
            if (!SavePicture(dlg, folder, QStringLiteral("page-%1.png").arg(row))) ++failures;
        }
    }
    SetEngineHost(nullptr);
    return failures == 0 ? 0 : 1;
}

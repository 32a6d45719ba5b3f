// The main dialog on the desktop: the close box as the one way out, Ctrl+O
// and Ctrl+S, a file given on the command line or dropped onto the window,
// and the status log window.
#include "FileDrop.h"
#include "Globals.h"
#include "ResourceIds.h"
#include "StatusLogDlg.h"
#include "TessadaneDlg.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QDropEvent>
#include <QFile>
#include <QKeySequence>
#include <QMimeData>
#include <QShortcut>
#include <QTimer>

#include <optional>

void CTessadaneDlg::InstallDesktopBindings() {
    const struct {
        QKeyCombination keys;
        int button;
    } shortcuts[] = {{Qt::CTRL | Qt::Key_O, IDC_OPEN_FILE}, {Qt::CTRL | Qt::Key_S, IDC_SAVE_TO_BIN}};
    for (const auto& s : shortcuts) {
        auto* shortcut = new QShortcut(QKeySequence(s.keys), this);
        const int id = s.button;
        connect(shortcut, &QShortcut::activated, this, [this, id] { PressDlgButton(id); });
    }
    // Files dropped onto any control come to the window too (eventFilter).
    setAcceptDrops(true);
    qApp->installEventFilter(this);
}

void CTessadaneDlg::PressDlgButton(int id) {
    // A disabled button (a job runs) ignores the click, as it does the mouse.
    if (auto* button = DlgItem<QAbstractButton>(id)) button->click();
}

void CTessadaneDlg::closeEvent(QCloseEvent* e) {
    if (!isVisible()) {
        e->accept();
        return;
    }
    if (!CanEndDialog()) {
        e->ignore();
        return;
    }
    EndDialog(kDlgIdCancel);
    e->accept();
}

bool CTessadaneDlg::eventFilter(QObject* watched, QEvent* e) {
    // Drops reach widgets only; the calls workers post onto this thread go
    // to an object that is none, and pass untouched.
    if (!watched->isWidgetType()) return CDialogWnd::eventFilter(watched, e);
    const QEvent::Type type = e->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return CDialogWnd::eventFilter(watched, e);
    auto* target = qobject_cast<QWidget*>(watched);
    auto* drop = static_cast<QDropEvent*>(e);  // the drag events are drop events too
    if (!target || (target != this && !isAncestorOf(target)) || !drop->mimeData() || !drop->mimeData()->hasUrls())
        return CDialogWnd::eventFilter(watched, e);
    // The window takes files wherever they are dropped, also over an edit,
    // which would take their names as text. Always as a copy: the source
    // keeps its file.
    if (!(drop->possibleActions() & Qt::CopyAction)) {
        drop->ignore();
        return true;
    }
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    if (type == QEvent::Drop) OnDropFiles(drop->mimeData()->urls());
    return true;
}

void CTessadaneDlg::OnDropFiles(const QList<QUrl>& urls) {
    const std::optional<QString> file = DroppedImageFile(urls);
    // After the drop has ended: its source waits for that, and the load may
    // show message boxes.
    QTimer::singleShot(0, this, [this, file] {
        if (RefusedWhileBusy()) return;
        if (file)
            OpenFileFromPath(QFile::encodeName(*file).toStdString());
        else
            RefuseDroppedFiles();
    });
}

void CTessadaneDlg::OpenFileOnceShown(const std::string& path) {
    QTimer::singleShot(0, this, [this, path] { OpenFileFromPath(path); });
}

void CTessadaneDlg::OnStatusLog() {
    CStatusLogDlg dlg(g_statusBar.Log(), this);
    dlg.exec();
}

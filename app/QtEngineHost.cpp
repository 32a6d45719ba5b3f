#include "QtEngineHost.h"

#include "DlgMessageBox.h"
#include "Globals.h"
#include "Pause.h"
#include "UiThread.h"

#include <QApplication>
#include <QFileDialog>

#include <atomic>
#include <chrono>

QString QtFileFilter(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        const QString patterns = parts[i + 1].trimmed().split(QLatin1Char(';'), Qt::SkipEmptyParts).join(QLatin1Char(' '));
        if (description.isEmpty() && patterns.isEmpty()) continue;
        // The dialog shows what comes before the last brackets: the
        // description exactly as given, patterns and all.
        filters << description + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}

namespace {

QWidget* DialogOwner() {
    if (theApp.m_pMainWnd) return theApp.m_pMainWnd;
    return QApplication::activeWindow();
}

std::string RunFileDialog(const FileDialogSpec& spec, bool open) {
    return RunOnUiThread([&]() -> std::string {
        QFileDialog dlg(DialogOwner(), QString::fromStdString(spec.title));
        dlg.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
        dlg.setFileMode(open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
        dlg.setNameFilter(QtFileFilter(spec.filter));
        // Each filter shows its description, which names its patterns itself.
        dlg.setOption(QFileDialog::HideNameFilterDetails);
        if (!spec.defaultExt.empty()) dlg.setDefaultSuffix(QString::fromStdString(spec.defaultExt));
        if (!spec.initialName.empty()) dlg.selectFile(QString::fromStdString(spec.initialName));
        if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return {};
        return dlg.selectedFiles().first().toStdString();
    });
}

std::atomic<int> g_nBeeps{0};

}  // namespace

void ShowAppMessageBox(QWidget* owner, const QString& text) {
    RunOnUiThread([&] {
        CDlgMessageBox box(theApp.m_pszAppName, text, owner ? owner : DialogOwner());
        box.exec();
    });
}

void MessageBeep(UINT) {
    g_nBeeps.fetch_add(1, std::memory_order_relaxed);
    RunOnUiThread([] { QApplication::beep(); });
}

int BeepCount() { return g_nBeeps.load(std::memory_order_relaxed); }

void CQtEngineHost::SetStatusText(const std::string& text, COLORREF colour) {
    RunOnUiThread([&] {
        g_progress.ShowPendingPos();  // a position set before the text shows before it
        g_statusBar.SetStatusText(QString::fromStdString(text), colour);
    });
}

void CQtEngineHost::SetProgress(int pos) {
    // A position already set changes nothing.
    if (g_progress.GetPos() == pos) return;
    g_progress.SetPos(pos);
}

void CQtEngineHost::Sleep(DWORD ms) { PauseFor(std::chrono::milliseconds(ms)); }

std::tm CQtEngineHost::LocalTime() { return LocalTimeNow(); }

std::string CQtShell::OpenFileDialog(const FileDialogSpec& spec) { return RunFileDialog(spec, true); }

std::string CQtShell::SaveFileDialog(const FileDialogSpec& spec) { return RunFileDialog(spec, false); }

void CQtShell::MessageBox(const std::string& text) { ShowAppMessageBox(nullptr, QString::fromStdString(text)); }

namespace {
CQtShell g_qtShell;
std::atomic<IAppShell*> g_shell{&g_qtShell};
}  // namespace

IAppShell& Shell() { return *g_shell.load(std::memory_order_acquire); }

void SetAppShell(IAppShell* shell) { g_shell.store(shell ? shell : &g_qtShell, std::memory_order_release); }

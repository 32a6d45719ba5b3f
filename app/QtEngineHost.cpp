#include "QtEngineHost.h"

#include "DlgMessageBox.h"
#include "Globals.h"
#include "Pause.h"
#include "UiThread.h"

#include <QAbstractFileIconProvider>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QLocale>
#include <QMimeDatabase>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTreeView>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <vector>

namespace {

struct FilterPair {
    QString description;
    QStringList patterns;
};

// The pairs of a "description|patterns|..." filter, patterns split at ';';
// pairs with neither left out.
std::vector<FilterPair> FilterPairs(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    std::vector<FilterPair> pairs;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        FilterPair pair{parts[i].trimmed(), parts[i + 1].trimmed().split(QLatin1Char(';'), Qt::SkipEmptyParts)};
        if (!pair.description.isEmpty() || !pair.patterns.isEmpty()) pairs.push_back(std::move(pair));
    }
    return pairs;
}

QStringList FilterPatterns(const std::string& filter) {
    QStringList patterns;
    for (const FilterPair& pair : FilterPairs(filter)) patterns << pair.patterns;
    return patterns;
}

}  // namespace

QString QtFileFilter(const std::string& filter) {
    QStringList filters;
    // The dialog shows what comes before the last brackets: the description
    // exactly as given, patterns and all.
    for (const FilterPair& pair : FilterPairs(filter))
        filters << pair.description + QStringLiteral(" (") + pair.patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    return filters.join(QStringLiteral(";;"));
}

namespace {

QWidget* DialogOwner() {
    if (theApp.m_pMainWnd) return theApp.m_pMainWnd;
    return QApplication::activeWindow();
}

// The width the widest of texts takes as an entry of view (its text with the
// margins an entry keeps), as the view's own entries ask for it.
int EntryWidth(const QAbstractItemView& view, const QStringList& texts) {
    QStyleOptionViewItem option;
    option.initFrom(&view);
    option.font = view.font();
    option.features = QStyleOptionViewItem::HasDisplay;
    int widest = 0;
    for (const QString& text : texts) {
        option.text = text;
        widest = std::max(widest, view.style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), &view).width());
    }
    return widest;
}

// What the Size, Type and Date Modified columns of a file dialog may show:
// sizes of every order of magnitude, the types of the files the filters let
// through and of a folder, a date and time with the widest month.
QStringList SizeTexts() {
    const QLocale locale = QLocale::system();
    QStringList texts;
    for (qint64 size = 1023; size < (qint64{1} << 50); size = size * 1024 + 1023) texts << locale.formattedDataSize(size);
    return texts;
}

QStringList TypeTexts(const QFileDialog& dlg, const QStringList& patterns) {
    QStringList texts;
    if (const QAbstractFileIconProvider* types = dlg.iconProvider()) {
        texts << types->type(QFileInfo(QDir::tempPath()));
        for (const QString& pattern : patterns) {
            const QString name = QString(pattern).replace(QLatin1Char('*'), QStringLiteral("name"));
            texts << types->type(QFileInfo(QDir::temp().filePath(name)));
        }
    }
    // The type of a file is told by its contents too: Intel HEX is text, an
    // image of the chip's memory raw binary.
    const QMimeDatabase mimes;
    for (const char* mime : {"text/plain", "application/octet-stream"})
        texts << mimes.mimeTypeForName(QString::fromLatin1(mime)).comment();
    return texts;
}

QStringList DateTexts() {
    const QLocale locale = QLocale::system();
    QStringList texts;
    for (int month = 1; month <= 12; ++month)
        texts << locale.toString(QDateTime(QDate(2000, month, 28), QTime(23, 59, 59)), QLocale::ShortFormat);
    return texts;
}

// Qt's own file dialog opens with its detail columns sized for short texts
// in a small font. Once it is shown (and its parts have their sizes), Size,
// Type and Date Modified get the width their titles and texts need, and the
// dialog widens until every column fits its view, the name column keeping
// its width beside them. Nothing for a dialog of the desktop's.
class CDetailColumnsFit : public QObject {
public:
    CDetailColumnsFit(QFileDialog& dlg, QStringList patterns) : QObject(&dlg), m_dlg(dlg), m_patterns(std::move(patterns)) {
        dlg.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* e) override {
        if (watched == &m_dlg && e->type() == QEvent::Show) Fit();
        return false;
    }

private:
    void Fit() {
        auto* tree = m_dlg.findChild<QTreeView*>(QStringLiteral("treeView"));
        if (!tree || tree->header()->count() < 4) return;
        QHeaderView* header = tree->header();
        const QStringList texts[] = {SizeTexts(), TypeTexts(m_dlg, m_patterns), DateTexts()};
        for (int column = 1; column <= 3; ++column) {
            const int need = std::max(header->sectionSizeHint(column), EntryWidth(*tree, texts[column - 1]));
            if (need > header->sectionSize(column)) header->resizeSection(column, need);
        }
        // The columns, with room for a vertical scroll bar, against the view.
        int sections = tree->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, tree);
        for (int column = 0; column < header->count(); ++column)
            if (!header->isSectionHidden(column)) sections += header->sectionSize(column);
        const int widen = sections - tree->viewport()->width();
        if (widen <= 0) return;
        int width = m_dlg.width() + widen;
        if (const QScreen* screen = m_dlg.screen()) width = std::min(width, screen->availableGeometry().width());
        m_dlg.resize(width, m_dlg.height());
    }

    QFileDialog& m_dlg;
    QStringList m_patterns;
};

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
        new CDetailColumnsFit(dlg, FilterPatterns(spec.filter));
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

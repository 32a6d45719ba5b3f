#include "StatusLogDlg.h"

#include "AppShell.h"
#include "EngineHost.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSaveFile>
#include <QStringList>
#include <QVBoxLayout>

CStatusLogDlg::CStatusLogDlg(CStatusLog& log, QWidget* parent) : QDialog(parent), m_log(log) {
    setWindowTitle(QStringLiteral("Status log"));
    m_view = new QPlainTextEdit(this);
    m_view->setReadOnly(true);
    m_view->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_view->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // The view drops its oldest lines as the log does.
    m_view->setMaximumBlockCount(static_cast<int>(log.Capacity()));
    QStringList lines;
    for (const StatusLogEntry& e : log.Entries()) lines << StatusLogLine(e);
    m_view->setPlainText(lines.join(QLatin1Char('\n')));
    m_view->verticalScrollBar()->setValue(m_view->verticalScrollBar()->maximum());

    auto* buttons = new QDialogButtonBox(this);
    m_copy = buttons->addButton(QStringLiteral("Copy"), QDialogButtonBox::ActionRole);
    m_save = buttons->addButton(QStringLiteral("Save\u2026"), QDialogButtonBox::ActionRole);
    QPushButton* close = buttons->addButton(QDialogButtonBox::Close);
    close->setDefault(true);
    connect(m_copy, &QPushButton::clicked, this, [this] { OnCopy(); });
    connect(m_save, &QPushButton::clicked, this, [this] { OnSave(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_view);
    layout->addWidget(buttons);
    const QFontMetrics metrics(m_view->font());
    resize(metrics.horizontalAdvance(QLatin1Char('0')) * 72, metrics.lineSpacing() * 24);

    // Texts that come while the window is open join it at once.
    m_log.SetListener([this](const StatusLogEntry& e) { m_view->appendPlainText(StatusLogLine(e)); });
}

CStatusLogDlg::~CStatusLogDlg() { m_log.SetListener({}); }

void CStatusLogDlg::OnCopy() {
    if (m_view->textCursor().hasSelection()) {
        m_view->copy();
        return;
    }
    QApplication::clipboard()->setText(StatusLogText(m_log.Entries()));
}

void CStatusLogDlg::OnSave() {
    FileDialogSpec spec;
    spec.title = "Save status log";
    spec.filter = "Text File(*.txt)|*.txt|";
    spec.defaultExt = "txt";
    spec.initialName = StatusLogFileName(Host().LocalTime()).toStdString();
    const std::string path = Shell().SaveFileDialog(spec);
    if (path.empty()) return;
    QString error;
    if (!WriteTextFile(QString::fromStdString(path), StatusLogText(m_log.Entries()), &error))
        Shell().MessageBox("Save status log failed!\n" + error.toStdString());
}

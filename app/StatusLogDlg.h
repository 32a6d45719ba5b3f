// The status log window: every kept status line, oldest first, with new
// ones added as they come. The lines can be selected and copied (Ctrl+C or
// the view's own menu); Copy takes the selected lines, or all of them when
// none are selected; Save… writes all of them to a text file.
#pragma once

#include "StatusLog.h"

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

class CStatusLogDlg : public QDialog {
    Q_OBJECT

public:
    CStatusLogDlg(CStatusLog& log, QWidget* parent = nullptr);
    ~CStatusLogDlg() override;

    QPlainTextEdit* View() const { return m_view; }
    QPushButton* CopyButton() const { return m_copy; }
    QPushButton* SaveButton() const { return m_save; }

    void OnCopy();
    // The file dialog of the shell, then the whole log into the file chosen:
    // written completely or not at all, a message box saying why not.
    void OnSave();

private:
    CStatusLog& m_log;
    QPlainTextEdit* m_view = nullptr;
    QPushButton* m_copy = nullptr;
    QPushButton* m_save = nullptr;
};

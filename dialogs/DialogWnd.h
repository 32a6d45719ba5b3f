// Windows built from templates: a dialog (modal or not) and a child dialog
// that lives inside another window (the option pages).
#pragma once

#include "DlgControls.h"

#include <QDialog>
#include <QWidget>

class CDialogWnd : public QDialog, public CDlgControls {
    Q_OBJECT

public:
    explicit CDialogWnd(int nIDTemplate, QWidget* pParent = nullptr);

    // Builds the window from the template and runs OnInitDialog, once.
    // False when the template is missing.
    bool CreateFromTemplate();
    // CreateFromTemplate, then the modal loop; returns what EndDialog got
    // (kDlgIdOk, kDlgIdCancel), or -1 when the window could not be made.
    int DoModal();
    void EndDialog(int nResult) { QDialog::done(nResult); }

    // QDialog's ways of ending go through OnOK and OnCancel.
    void accept() override { OnOK(); }
    void reject() override { OnCancel(); }

protected:
    virtual bool OnInitDialog() { return true; }
    // Enter (no push button focused), the ok button: end with kDlgIdOk.
    virtual void OnOK() { EndDialog(kDlgIdOk); }
    // Escape, the close box, the cancel button: end with kDlgIdCancel.
    virtual void OnCancel() { EndDialog(kDlgIdCancel); }

    void keyPressEvent(QKeyEvent* e) override;

private:
    int m_nIDTemplate;
    bool m_created = false;
};

// A child dialog: created hidden inside its parent at the template's place.
class CChildDialogWnd : public QWidget, public CDlgControls {
    Q_OBJECT

public:
    explicit CChildDialogWnd(QWidget* pParent) : QWidget(pParent), CDlgControls(this) {}
    // Builds the controls; false when the template is missing.
    bool CreateFromTemplate(int nIDTemplate);
};

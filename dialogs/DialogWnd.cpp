#include "DialogWnd.h"

#include <QKeyEvent>
#include <QPushButton>

CDialogWnd::CDialogWnd(int nIDTemplate, QWidget* pParent) : QDialog(pParent), CDlgControls(this), m_nIDTemplate(nIDTemplate) {}

bool CDialogWnd::CreateFromTemplate() {
    if (m_created) return true;
    if (!CreateControls(m_nIDTemplate)) return false;
    m_created = true;
    const DialogTemplate& t = *Template();
    setWindowTitle(QString::fromUtf8(t.caption));

    Qt::WindowFlags flags = (t.style & dlgstyle::AppWindow) ? Qt::Window : Qt::Dialog;
    flags |= Qt::CustomizeWindowHint;
    if (t.style & dlgstyle::Caption) flags |= Qt::WindowTitleHint;
    if (t.style & dlgstyle::SysMenu) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (t.style & dlgstyle::MinimizeBox) flags |= Qt::WindowMinimizeButtonHint;
    if (t.style & dlgstyle::MaximizeBox) flags |= Qt::WindowMaximizeButtonHint;
    setWindowFlags(flags);
    if (!(t.style & dlgstyle::ThickFrame)) setFixedSize(TemplateSize());

    // The ok and cancel buttons end the dialog unless a handler is set.
    OnBnClicked(kDlgIdOk, [this] { OnOK(); });
    OnBnClicked(kDlgIdCancel, [this] { OnCancel(); });
    OnInitDialog();
    return true;
}

int CDialogWnd::DoModal() {
    if (!CreateFromTemplate()) return -1;
    return exec();
}

void CDialogWnd::keyPressEvent(QKeyEvent* e) {
    const bool enter = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
    const bool plain = e->modifiers() == Qt::NoModifier ||
                       (e->key() == Qt::Key_Enter && e->modifiers() == Qt::KeypadModifier);
    if (!enter || !plain) {
        QDialog::keyPressEvent(e);
        return;
    }
    // A focused push button, or else the default button, is pressed; with
    // neither, Enter ends the dialog.
    QPushButton* target = qobject_cast<QPushButton*>(focusWidget());
    if (!target) {
        for (QPushButton* b : findChildren<QPushButton*>())
            if (b->isDefault() && b->isVisible()) target = b;
    }
    if (target) {
        if (target->isEnabled()) target->click();
        return;
    }
    OnOK();
}

bool CChildDialogWnd::CreateFromTemplate(int nIDTemplate) {
    if (!CreateControls(nIDTemplate)) return false;
    const DialogTemplate& t = *Template();
    move(DluToPixelsX(t.rect.x, BaseUnits()), DluToPixelsY(t.rect.y, BaseUnits()));
    if (!(t.style & dlgstyle::Visible)) hide();
    return true;
}

#include "OptionPage.h"

#include "TessadaneDlg.h"

COptionPage::~COptionPage() { delete m_pWnd.data(); }

bool COptionPage::Create(UINT nIDTemplate, QWidget* pParentWnd) {
    DestroyWindow();
    auto* wnd = new CChildDialogWnd(pParentWnd);
    if (!wnd->CreateFromTemplate(static_cast<int>(nIDTemplate))) {
        delete wnd;
        return false;
    }
    // Pages have a white background, as the main dialog.
    QPalette pal = wnd->palette();
    pal.setColor(QPalette::Window, Qt::white);
    wnd->setPalette(pal);
    wnd->setAutoFillBackground(true);
    m_pWnd = wnd;
    OnCreate();
    return true;
}

void COptionPage::ShowWindow(int nCmdShow) {
    if (!m_pWnd) return;
    const bool show = nCmdShow != SW_HIDE;
    if (m_pWnd->isVisibleTo(m_pWnd->parentWidget()) == show) return;
    m_pWnd->setVisible(show);
    OnShowWindow(show, 0);
}

void COptionPage::DestroyWindow() { delete m_pWnd.data(); }

void COptionPage::OnShowWindow(bool, UINT) {
    SetDefaults();
    LoadFromImage();
}

CTessadaneDlg* COptionPage::MainDialog() const {
    if (!m_pWnd || !m_pWnd->parentWidget()) return nullptr;
    return qobject_cast<CTessadaneDlg*>(m_pWnd->parentWidget()->parentWidget());
}

void COptionPage::UpdateImageInfo() const {
    if (CTessadaneDlg* dlg = MainDialog()) dlg->UpdateImageInfo();
}

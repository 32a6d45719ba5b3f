#include "OptionPage.h"

#include "DialogBuilder.h"
#include "FacePalette.h"
#include "AppShell.h"
#include "ImageDocument.h"
#include "TessadaneDlg.h"
#include "VQPatch.h"

#include <QPalette>
#include <QWidget>

#include <algorithm>
#include <cstring>

COptionPage::~COptionPage() { delete m_pWnd.data(); }

bool COptionPage::Create(UINT nIDTemplate, QWidget* pParentWnd) {
    DestroyWindow();
    auto* wnd = new CChildDialogWnd(pParentWnd);
    if (!wnd->CreateFromTemplate(static_cast<int>(nIDTemplate))) {
        delete wnd;
        return false;
    }
    // The page's own background is white, as the main dialog's, with text
    // that reads on it.
    wnd->setPalette(PaletteOnFace(wnd->palette(), Qt::white));
    wnd->setAutoFillBackground(true);
    m_pWnd = wnd;
    OnCreate();
    return true;
}

void COptionPage::ShowWindow(int nCmdShow) {
    if (!m_pWnd) return;
    const bool show = nCmdShow != SW_HIDE;
    if (!m_pWnd->isHidden() == show) return;
    m_pWnd->setVisible(show);
    OnShowWindow(show, 0);
}

void COptionPage::DestroyWindow() {
    if (!m_pWnd) return;
    ShowWindow(SW_HIDE);
    delete m_pWnd.data();
}

void COptionPage::OnShowWindow(bool, UINT) {
    WriteChipDefaults(m_row, g_doc.View());
    SetDefaults();
    LoadFromImage();
}

void COptionPage::ApplyField(const FieldChange& change) {
    ApplyFieldChange(m_row, g_doc.View(), change);
    UpdateImageInfo();
}

void COptionPage::ApplyField(const ImageField& field, int value) {
    FieldChange change;
    change.field = &field;
    change.value = value;
    ApplyField(change);
}

void COptionPage::RefreshAfterEdit(FieldRefresh refresh) {
    RefreshImage(m_row, g_doc.View(), refresh);
    UpdateImageInfo();
}

std::optional<DWORD> COptionPage::CheckHexEdit(int id, HexDigits digits) {
    const HexEditScan scan = ScanHexEdit(GetDlgItemText(id), digits);
    if (scan.valid) return scan.value;
    Shell().MessageBox("Invalid parameters");
    SetDlgItemText(id, HexText(scan.value));
    return std::nullopt;
}

void COptionPage::OnHexEditChanged(int id, const ImageField& field) {
    // The pair keeps the low 16 bits of what was scanned.
    if (const std::optional<DWORD> value = CheckHexEdit(id)) ApplyField(field, static_cast<WORD>(*value));
}

void COptionPage::LoadHexEdit(int id, const ImageField& field) {
    LimitDlgItemText(id, 4);
    SetDlgItemText(id, QString::fromStdString(ReadField(g_doc.View(), field).text));
}

void COptionPage::LoadStringField(int boxId, int editId, const ImageField& field, bool longLayout) {
    const StringFieldLayout layout = FieldStringLayout(field, longLayout);
    LimitDlgItemText(editId, layout.capacity);
    const StringFieldValue value = DecodeStringField(g_image, layout);
    // The box first: the edit's handler reads it.
    CheckDlgButton(boxId, value.present ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemText(editId, value.present ? value.text : QString::fromUtf8(field.absentText));
}

void COptionPage::OnStringFieldChanged(int boxId, int editId, const ImageField& field) {
    FieldChange change;
    change.field = &field;
    change.present = IsTicked(boxId);
    change.cutToLayout = true;
    if (change.present) change.bytes = LowBytes(GetDlgItemText(editId));
    ApplyField(change);
}

std::optional<int> COptionPage::CheckNumberEdit(int id, int low, int high) {
    const NumberEditScan scan = ScanNumberEdit(GetDlgItemText(id), low, high);
    if (!scan.value) SetDlgItemText(id, scan.reset);
    return scan.value;
}

void COptionPage::LoadCombo(int id, const ImageField& field) {
    if (m_pWnd) m_pWnd->ComboSetCurSel(id, static_cast<int>(FieldChoiceIndex(g_image, field)));
}

void COptionPage::StoreCombo(int id, const ImageField& field) {
    PutFieldBits(g_image, field, m_pWnd ? m_pWnd->ComboGetCurSel(id) : 0);
}

void COptionPage::LoadFlagBoxes(std::span<const int> ids, BYTE value, int firstBit) {
    int bit = firstBit;
    for (int id : ids) CheckDlgButton(id, (value >> bit++) & 1 ? BST_CHECKED : BST_UNCHECKED);
}

BYTE COptionPage::FlagBoxBits(std::span<const int> ids, int firstBit) const {
    unsigned bits = 0;
    int bit = firstBit;
    for (int id : ids) bits |= (IsTicked(id) ? 1u : 0u) << bit++;
    return static_cast<BYTE>(bits);
}

void COptionPage::LoadFlagBox(int id, const ImageField& field) {
    CheckDlgButton(id, FieldBits(g_image, field) ? BST_CHECKED : BST_UNCHECKED);
}

void COptionPage::StoreFlagBox(int id, const ImageField& field) { PutFieldBits(g_image, field, IsTicked(id)); }

CTessadaneDlg* COptionPage::MainDialog() const {
    if (!m_pWnd || !m_pWnd->parentWidget()) return nullptr;
    return qobject_cast<CTessadaneDlg*>(m_pWnd->parentWidget()->parentWidget());
}

void COptionPage::UpdateImageInfo() const {
    if (CTessadaneDlg* dlg = MainDialog()) dlg->UpdateImageInfo();
}

void COptionPage::SetWhiteBackground(std::initializer_list<int> ids) {
    if (!m_pWnd) return;
    for (const BuiltControl& c : m_pWnd->Controls()) {
        if (std::find(ids.begin(), ids.end(), c.id) != ids.end()) continue;
        // Not in the list: the control's own system colours, also behind
        // labels and buttons that would otherwise show the page's white.
        c.widget->setPalette(SystemPalette());
        switch (c.kind) {
        case CtlKind::Static:
        case CtlKind::GroupBox:
        case CtlKind::AutoCheckBox:
        case CtlKind::AutoRadio:
        case CtlKind::StaticIcon: c.widget->setAutoFillBackground(true); break;
        default: break;
        }
    }
}

void COptionPage::SetDlgItemText(int id, const QString& text) {
    if (m_pWnd) m_pWnd->SetDlgItemText(id, text);
}

QString COptionPage::GetDlgItemText(int id) const { return m_pWnd ? m_pWnd->GetDlgItemText(id) : QString(); }

void COptionPage::CheckDlgButton(int id, unsigned check) {
    if (m_pWnd) m_pWnd->CheckDlgButton(id, check);
}

unsigned COptionPage::IsDlgButtonChecked(int id) const {
    return m_pWnd ? m_pWnd->IsDlgButtonChecked(id) : BST_UNCHECKED;
}

void COptionPage::EnableDlgItem(int id, bool enable) {
    if (m_pWnd) m_pWnd->EnableDlgItem(id, enable);
}

void COptionPage::LimitDlgItemText(int id, int limit) {
    if (m_pWnd) m_pWnd->LimitDlgItemText(id, limit);
}

void COptionPage::OnNotify(int id, int code, CDlgControls::Handler handler) {
    if (m_pWnd) m_pWnd->OnNotify(id, code, std::move(handler));
}

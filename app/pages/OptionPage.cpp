#include "OptionPage.h"

#include "DialogBuilder.h"
#include "EngineHost.h"
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
    // The page's own background is white, as the main dialog's.
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
    SetDefaults();
    LoadFromImage();
}

void COptionPage::WriteDefaultHeader(const BYTE (&front)[DEFAULT_HEADER_FRONT]) {
    BYTE header[IMAGE_HEADER_SIZE];
    std::memcpy(header, front, sizeof front);
    std::memset(header + sizeof front, 0xFF, sizeof header - sizeof front);
    g_codeLen = 0;
    g_checksum = 0;
    g_imageLen = DEFAULT_IMAGE_LEN;
    WriteDefaultImage(g_image, header, m_layout);
}

std::optional<DWORD> COptionPage::CheckHexEdit(int id, HexDigits digits) {
    const HexEditScan scan = ScanHexEdit(GetDlgItemText(id), digits);
    if (scan.valid) return scan.value;
    Host().MessageBox("Invalid parameters");
    SetDlgItemText(id, HexText(scan.value));
    return std::nullopt;
}

void COptionPage::OnHexEditChanged(int id, std::size_t offset) {
    const std::optional<DWORD> value = CheckHexEdit(id);
    if (!value) return;
    WriteBE16(g_image + offset, static_cast<WORD>(*value));
    HeaderEdited();
}

void COptionPage::LoadHexEdit(int id, std::size_t offset) {
    LimitDlgItemText(id, 4);
    SetDlgItemText(id, HexPairText(g_image + offset));
}

void COptionPage::LoadStringField(int boxId, int editId, const StringFieldLayout& layout, const QString& absentText) {
    LimitDlgItemText(editId, layout.capacity);
    const StringFieldValue field = DecodeStringField(g_image, layout);
    // The box first: the edit's handler reads it.
    CheckDlgButton(boxId, field.present ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemText(editId, field.present ? field.text : absentText);
}

void COptionPage::StoreStringField(int boxId, int editId, const StringFieldLayout& layout) {
    const bool present = IsDlgButtonChecked(boxId) != BST_UNCHECKED;
    EncodeStringField(g_image, layout, present, present ? GetDlgItemText(editId) : QString());
}

void COptionPage::OnStringFieldChanged(int boxId, int editId, const StringFieldLayout& layout) {
    StoreStringField(boxId, editId, layout);
    HeaderEdited();
}

std::optional<int> COptionPage::CheckNumberEdit(int id, int low, int high) {
    const NumberEditScan scan = ScanNumberEdit(GetDlgItemText(id), low, high);
    if (!scan.value) SetDlgItemText(id, scan.reset);
    return scan.value;
}

void COptionPage::LoadCombo(int id, BYTE value, ComboField field) {
    if (m_pWnd) m_pWnd->ComboSetCurSel(id, ComboIndexOf(value, field));
}

BYTE COptionPage::ComboBits(int id, ComboField field) const {
    return ComboBitsOf(m_pWnd ? m_pWnd->ComboGetCurSel(id) : 0, field);
}

void COptionPage::LoadFlagBoxes(std::span<const int> ids, BYTE value, int firstBit) {
    int bit = firstBit;
    for (int id : ids) CheckDlgButton(id, (value >> bit++) & 1 ? BST_CHECKED : BST_UNCHECKED);
}

BYTE COptionPage::FlagBoxBits(std::span<const int> ids, int firstBit) const {
    unsigned bits = 0;
    int bit = firstBit;
    for (int id : ids) bits |= (IsDlgButtonChecked(id) != BST_UNCHECKED ? 1u : 0u) << bit++;
    return static_cast<BYTE>(bits);
}

void COptionPage::RefreshHeaderChecksum() {
    if (m_layout != ChecksumLayout::VQ7140S) StoreHeaderChecksum(g_image, g_codeLen, m_layout);
}

WORD COptionPage::RefreshCodeChecksum() {
    if (m_layout == ChecksumLayout::VQ7140S) return CodeChecksum(g_image, g_codeLen, m_layout);
    return StoreCodeChecksum(g_image, g_codeLen, m_layout);
}

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

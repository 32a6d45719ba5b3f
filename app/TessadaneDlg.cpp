#include "TessadaneDlg.h"

#include "AboutDlg.h"
#include "DialogText.h"
#include "FacePalette.h"
#include "Globals.h"
#include "Hid.h"
#include "ResourceIds.h"
#include "IconsAndStrings.h"
#include "UiThread.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QProgressBar>
#include <QResizeEvent>
#include <QSocketNotifier>
#include <QTimerEvent>

namespace {

constexpr UINT SIZE_RESTORED = 0;
const QString kSettings = QStringLiteral("Settings");
const QString kChipType = QStringLiteral("ChipType");

// A chip-type row from a stored or selected value: its low byte, 7 or more
// counting as row 0.
BYTE ChipTypeRow(UINT value) {
    const BYTE row = static_cast<BYTE>(value & 0xFF);
    return row < CHIP_TYPE_COUNT ? row : 0;
}

}  // namespace

CTessadaneDlg::CTessadaneDlg(QWidget* pParent)
    : CDialogWnd(IDD_TESSADANE_DIALOG, pParent), m_hIcon(LoadIconPixmap(IDR_MAINFRAME)) {
    // The hex view is built in the place of edit 1010 (the data exchange
    // then finds it there), no edit made only to be replaced.
    PlaceDlgItem(IDC_HEX_VIEW, &m_hexEdit);
    // Message map.
    OnCbnSelchange(IDC_CHIP_TYPE, [this] { OnCbnSelchangeChipType(); });
    OnBnClicked(IDC_CONNECT, [this] { OnBnClickedConnect(); });
    OnBnClicked(IDC_OPEN_FILE, [this] { OnBnClickedOpenFile(); });
    OnEnChange(IDC_VERSION, [this] { OnEnChangeVersion(); });
    OnBnClicked(IDC_DOWNLOAD, [this] { OnBnClickedDownload(); });
    OnBnClicked(IDC_READ, [this] { OnBnClickedRead(); });
    OnBnClicked(IDC_SAVE_TO_BIN, [this] { OnBnClickedSaveToBin(); });
    OnBnClicked(IDC_RADIO_24C01, [this] { OnBnClickedRadio24c01(); });
    OnBnClicked(IDC_RADIO_24C32, [this] { OnBnClickedRadio24c32(); });
    OnBnClicked(IDC_RADIO_FLASH, [this] { OnBnClickedRadioFlash(); });
    OnEnChange(IDC_READ_LENGTH, [this] { OnEnChangeModifyLength(); });
    OnBnClicked(IDC_MODIFY_LENGTH, [this] { OnBnClickedModifyLength(); });
    OnCbnSelchange(IDC_DEVICE, [this] { OnCbnSelchangeDevice(); });
}

CTessadaneDlg::~CTessadaneDlg() {
    for (const auto& [id, qtTimer] : m_timers) killTimer(qtTimer);
}

void CTessadaneDlg::DoDataExchange() {
    g_progress.Attach(DlgItem<QProgressBar>(IDC_PROGRESS));
    SubclassDlgItem(IDC_HEX_VIEW, &m_hexEdit);
    m_tab = GetDlgItem(IDC_OPTION_TAB);
    g_chkModifyLength.Attach(DlgItem<QAbstractButton>(IDC_MODIFY_LENGTH));
}

bool CTessadaneDlg::OnInitDialog() {
    // 1. Base set-up: bind the controls.
    CDialogWnd::OnInitDialog();
    DoDataExchange();

    // The dialog's background is white, with text that reads on it whatever
    // the system's colours; edits, lists and buttons keep the system colours
    // (the page host too).
    setPalette(PaletteOnFace(palette(), Qt::white));
    setAutoFillBackground(true);

    // 2. The "About" entry of the window menu (here the context menu).
    m_strAboutMenu = LoadResString(IDS_ABOUTBOX);

    // 3. Window icon.
    setWindowIcon(QIcon(m_hIcon));

    // 4. The remembered chip type.
    m_nChipType = ChipTypeRow(theApp.GetProfileInt(kSettings, kChipType, 0));

    // 5. Device arrival and removal.
    RegisterHidNotification();

    // 6. Status bar: pane 0 150 pixels wide, pane 1 the rest.
    g_statusBar.Create(this);
    g_statusBar.SetIndicators(indicators, 2);
    g_statusBar.SetPaneInfo(0, IDS_STATUS_READY, SBPS_NORMAL, 150);
    g_statusBar.SetPaneInfo(1, IDS_STATUS_PROGRESS, SBPS_STRETCH, 0);
    g_statusBar.RepositionAtBottom(width(), height());

    // 7. The progress bar onto pane 1.
    if (QProgressBar* bar = g_progress.GetWnd()) {
        bar->setParent(g_statusBar.GetWnd());
        bar->setGeometry(g_statusBar.GetItemRect(1));
        bar->show();
    }
    g_progress.SetRange(0, 100);
    g_progress.SetPos(0);

    // 8. The dialog can't be made smaller than it opens.
    m_rcInit = geometry();
    m_bInitDone = TRUE;
    setMinimumSize(m_rcInit.size());

    // 9.-10. Version and read length edits.
    LimitDlgItemText(IDC_VERSION, 8);
    LimitDlgItemText(IDC_READ_LENGTH, 8);
    SetDlgItemText(IDC_READ_LENGTH, QString::asprintf("%X", g_readLen));

    // 11. Hex view: 4 address digits, address column, 16 bytes per row.
    m_hexEdit.SetAddressDigits(4);
    m_hexEdit.SetShowAddress(true);
    m_hexEdit.SetBytesPerRow(16, false);

    // 12. Chip types.
    ComboResetContent(IDC_CHIP_TYPE);
    for (int row = 0; row < CHIP_TYPE_COUNT; ++row) ComboAddString(IDC_CHIP_TYPE, g_chipTable[row].strLabel);
    ComboSetCurSel(IDC_CHIP_TYPE, m_nChipType);

    // 13. Brush and indicator icons.
    static const QBrush white(Qt::white);
    g_hbrWhite = &white;
    static const QPixmap* connected = new QPixmap(LoadIconPixmap(IDI_CONNECTED));
    static const QPixmap* disconnected = new QPixmap(LoadIconPixmap(IDI_DISCONNECTED));
    g_hIconConnected = connected;
    g_hIconDisconnected = disconnected;

    // 14. Show the chosen chip type.
    OnCbnSelchangeChipType();

    // 15. Shortcuts and file drops.
    InstallDesktopBindings();
    return true;
}

void CTessadaneDlg::OnCbnSelchangeChipType() {
    if (!GetDlgItem(IDC_CHIP_TYPE)) return;
    m_nChipType = ChipTypeRow(static_cast<UINT>(ComboGetCurSel(IDC_CHIP_TYPE)));
    theApp.WriteProfileInt(kSettings, kChipType, m_nChipType);

    const CHIP_TYPE_ENTRY& row = g_chipTable[m_nChipType];
    EnableMemoryTypeRadios(row.pPatch->GetSupportedMemoryTypes());

    if (m_pCurPage) m_pCurPage->DestroyWindow();
    g_pCurPage = row.pPage;
    if (g_pCurPage) {
        g_pCurPage->Create(row.nIDTemplate, m_tab);
        g_pCurPage->ShowWindow(SW_SHOW);
        m_pCurPage = g_pCurPage;
    }

    UpdateImageInfo();
    SetDlgItemText(IDC_VERSION, VersionText(&g_image[12]));
    OnBnClickedConnect();
}

void CTessadaneDlg::EnableMemoryTypeRadios(BYTE mask) {
    EnableDlgItem(IDC_RADIO_24C01, mask & 1);
    EnableDlgItem(IDC_RADIO_24C32, mask & 2);
    EnableDlgItem(IDC_RADIO_FLASH, mask & 4);
}

void CTessadaneDlg::UpdateImageInfo() {
    RunOnUiThread([this] {
        m_hexEdit.SetData(g_image, g_imageLen);
        SetDlgItemText(IDC_CODE_LENGTH, CodeLengthText(g_codeLen));
        SetDlgItemText(IDC_CHECKSUM, ChecksumText(g_checksum));
        CheckDlgButton(IDC_RADIO_24C01, BST_UNCHECKED);
        CheckDlgButton(IDC_RADIO_24C32, BST_UNCHECKED);
        CheckDlgButton(IDC_RADIO_FLASH, BST_UNCHECKED);
        m_nMemoryType = g_chipTable[m_nChipType].pPatch->GetImageMemoryType(g_image);
        switch (m_nMemoryType) {
        case MEMTYPE_24C01_16: CheckDlgButton(IDC_RADIO_24C01, BST_CHECKED); break;
        case MEMTYPE_24C32_64: CheckDlgButton(IDC_RADIO_24C32, BST_CHECKED); break;
        case MEMTYPE_FLASH: CheckDlgButton(IDC_RADIO_FLASH, BST_CHECKED); break;
        default: break;
        }
    });
}

void CTessadaneDlg::OnEnChangeVersion() {
    BYTE version[4];
    if (!VersionBytesFromText(GetDlgItemText(IDC_VERSION), version)) return;
    for (int i = 0; i < 4; ++i) g_image[12 + i] = version[i];
    UpdateImageInfo();
}

void CTessadaneDlg::OnBnClickedRadio24c01() { OnMemoryTypeRadio(MEMTYPE_24C01_16); }

void CTessadaneDlg::OnBnClickedRadio24c32() { OnMemoryTypeRadio(MEMTYPE_24C32_64); }

void CTessadaneDlg::OnBnClickedRadioFlash() { OnMemoryTypeRadio(MEMTYPE_FLASH); }

void CTessadaneDlg::OnMemoryTypeRadio(BYTE memType) {
    m_nMemoryType = memType;
    g_chipTable[m_nChipType].pPatch->SetImageMemoryType(g_image, m_nMemoryType);
    UpdateImageInfo();
}

void CTessadaneDlg::OnSize(UINT, int cx, int cy) {
    if (!g_statusBar.GetWnd()) return;
    g_statusBar.RepositionAtBottom(cx, cy);
    if (QProgressBar* bar = g_progress.GetWnd()) {
        bar->setGeometry(g_statusBar.GetItemRect(1));
        bar->show();
    }
}

void CTessadaneDlg::resizeEvent(QResizeEvent* e) {
    CDialogWnd::resizeEvent(e);
    OnSize(SIZE_RESTORED, e->size().width(), e->size().height());
}

void CTessadaneDlg::OnSysCommand(UINT nID, qintptr) {
    switch (nID & 0xFFF0) {
    case IDM_ABOUTBOX: {
        CAboutDlg dlgAbout(this);
        dlgAbout.DoModal();
        break;
    }
    case SC_CLOSE: close(); break;
    case SC_MINIMIZE: showMinimized(); break;
    case SC_MAXIMIZE: showMaximized(); break;
    case SC_RESTORE: showNormal(); break;
    default: break;
    }
}

void CTessadaneDlg::contextMenuEvent(QContextMenuEvent* e) {
    QMenu menu(this);
    menu.addSeparator();
    QAction* log = menu.addAction(QStringLiteral("Status log\u2026"));
    QAction* about = m_strAboutMenu.isEmpty() ? nullptr : menu.addAction(m_strAboutMenu);
    QAction* chosen = menu.exec(e->globalPos());
    if (!chosen) return;
    if (chosen == log) OnStatusLog();
    if (chosen == about) OnSysCommand(IDM_ABOUTBOX, 0);
}

// Enter and Escape end nothing, so that no edit is lost to a key: each
// edit's handler has taken its text into the image on every change, so
// Enter leaves the field as focus leaving it does, and Escape does nothing.
// Only the close box, the window manager's close (Alt+F4) and the window
// menu's Close end the window (closeEvent).
void CTessadaneDlg::OnOK() {}

void CTessadaneDlg::OnCancel() {}

void CTessadaneDlg::RegisterHidNotification() {
    const int fd = hid::ChangeFd();
    if (fd < 0) return;
    m_pHidNotifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_pHidNotifier, &QSocketNotifier::activated, this, [this] { OnHidChangesPending(); });
}

void CTessadaneDlg::OnHidChangesPending() {
    for (hid::Change change : hid::TakeChanges()) {
        OnDeviceChange(change == hid::Change::Arrival ? DBT_DEVICEARRIVAL : DBT_DEVICEREMOVECOMPLETE,
                       DBT_DEVTYP_DEVICEINTERFACE);
    }
}

void CTessadaneDlg::SetTimer(UINT_PTR nIDEvent, UINT nElapse) {
    KillTimer(nIDEvent);
    m_timers[nIDEvent] = startTimer(static_cast<int>(nElapse));
}

void CTessadaneDlg::KillTimer(UINT_PTR nIDEvent) {
    auto it = m_timers.find(nIDEvent);
    if (it == m_timers.end()) return;
    killTimer(it->second);
    m_timers.erase(it);
}

void CTessadaneDlg::timerEvent(QTimerEvent* e) {
    for (const auto& [id, qtTimer] : m_timers) {
        if (qtTimer == e->timerId()) {
            OnTimer(id);
            return;
        }
    }
    CDialogWnd::timerEvent(e);
}

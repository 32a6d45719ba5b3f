// The VQ5632 option page.
#include "PageOptionVQ5632.h"

#include "Globals.h"
#include "PageControlsVQ5632.h"
#include "ResourceIds.h"

#include <optional>

namespace {

// The XDATA registers "udisk write enable" sets to 1, in this order.
constexpr WORD kUdiskWriteEnableRegs[] = {0x004A, 0x7F03, 0x7F00, 0x7F01, 0x7F02};

// What a read shows when its request or its reply failed: never a byte of
// the request itself.
constexpr BYTE FAILED_READ = 0xFF;

}  // namespace

void CPageOptionVQ5632::OnCreate() {
    OnNotify(IDC_REG_READ, BN_CLICKED, [this] { OnBnClickedRead(); });
    OnNotify(IDC_REG_WRITE, BN_CLICKED, [this] { OnBnClickedWrite(); });
    OnNotify(IDC_REG_ADDR, EN_CHANGE, [this] { OnEnChangeAddr(); });
    OnNotify(IDC_UDISK_WRITE_ENABLE, BN_CLICKED, [this] { OnBnClickedUdiskWriteEnable(); });
    OnNotify(IDC_UDISK_ENABLE, BN_CLICKED, [this] { OnBnClickedUdiskEnable(); });
    SetWhiteBackground({IDC_STATIC, IDC_UDISK_ENABLE, IDC_RADIO_SFR, IDC_RADIO_IDATA, IDC_RADIO_XDATA});
}

void CPageOptionVQ5632::SetDefaults() {
    SetDlgItemText(IDC_REG_ADDR, QStringLiteral("FF00"));  // stores 0xFF00 in m_nAddr
    SetDlgItemText(IDC_REG_DATA, QStringLiteral("0"));
    CheckDlgButton(IDC_RADIO_XDATA, BST_CHECKED);
}

void CPageOptionVQ5632::LoadFromImage() { LoadFlagBox(IDC_UDISK_ENABLE, Field("udisk")); }

void CPageOptionVQ5632::OnBnClickedUdiskEnable() { ApplyField(Field("udisk"), IsTicked(IDC_UDISK_ENABLE)); }

void CPageOptionVQ5632::OnEnChangeAddr() {
    // Not an upper-case edit: lower-case hex letters pass too.
    if (const std::optional<DWORD> value = CheckHexEdit(IDC_REG_ADDR, HexDigits::AnyCase))
        m_nAddr = static_cast<WORD>(*value);
}

CPageOptionVQ5632::Space CPageOptionVQ5632::TickedSpace() const {
    if (IsTicked(IDC_RADIO_SFR)) return Space::Sfr;
    if (IsTicked(IDC_RADIO_IDATA) || IsTicked(IDC_RADIO_XDATA)) return Space::Xdata;
    return Space::None;
}

void CPageOptionVQ5632::OnBnClickedRead() {
    BYTE value = 0;
    switch (TickedSpace()) {
    case Space::Sfr:
        if (g_patchVQ5632.ReadSfr(static_cast<BYTE>(m_nAddr), &value) != 0) value = FAILED_READ;
        break;
    case Space::Xdata:
        if (g_patchVQ5632.ReadXdata(m_nAddr, &value) != 0) value = FAILED_READ;
        break;
    case Space::None: break;
    }
    SetDlgItemText(IDC_REG_DATA, HexText(value));
}

void CPageOptionVQ5632::OnBnClickedWrite() {
    const std::optional<DWORD> value = CheckHexEdit(IDC_REG_DATA);
    if (!value) return;
    const BYTE data = static_cast<BYTE>(*value);
    switch (TickedSpace()) {
    case Space::Sfr: g_patchVQ5632.WriteSfr(static_cast<BYTE>(m_nAddr), data); break;
    case Space::Xdata: g_patchVQ5632.WriteXdata(m_nAddr, data); break;
    case Space::None: break;
    }
}

void CPageOptionVQ5632::OnBnClickedUdiskWriteEnable() {
    for (WORD reg : kUdiskWriteEnableRegs) g_patchVQ5632.WriteXdata(reg, 0x01);
}

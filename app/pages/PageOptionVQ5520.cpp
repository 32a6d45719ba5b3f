// The VQ5520 option page.
#include "PageOptionVQ5520.h"

#include "Globals.h"
#include "PageControls.h"
#include "PageControlsVQ5520.h"
#include "ResourceIds.h"
#include "VQ5520Options.h"
#include "VQPatch.h"

namespace {

constexpr int kSdramRadios[SDRAM_TYPE_COUNT] = {IDC_SDRAM_2M,  IDC_SDRAM_4M,   IDC_SDRAM_8M,
                                                IDC_SDRAM_16M, IDC_SDRAM_NONE, IDC_SDRAM_DEFAULT};
constexpr int FIRST_FLAG_BIT = 2;
constexpr BYTE UDISK_ENABLE = 0x01;

constexpr StringFieldLayout MANUFACTURER_STRING = ShortStringField(VQ5520_MANUFACTURER);
constexpr StringFieldLayout PRODUCT_STRING = ShortStringField(VQ5520_PRODUCT);

const QString kManufacturerDefault = QStringLiteral("corvanta");
const QString kProductDefault = QStringLiteral("vq5520");

unsigned Check(bool ticked) { return ticked ? BST_CHECKED : BST_UNCHECKED; }

}  // namespace

void CPageOptionVQ5520::OnCreate() {
    OnNotify(IDC_SDRAM_2M, BN_CLICKED, [this] { OnBnClickedSdram2M(); });
    OnNotify(IDC_SDRAM_4M, BN_CLICKED, [this] { OnBnClickedSdram4M(); });
    OnNotify(IDC_SDRAM_8M, BN_CLICKED, [this] { OnBnClickedSdram8M(); });
    OnNotify(IDC_SDRAM_16M, BN_CLICKED, [this] { OnBnClickedSdram16M(); });
    OnNotify(IDC_SDRAM_NONE, BN_CLICKED, [this] { OnBnClickedSdramNone(); });
    OnNotify(IDC_SDRAM_DEFAULT, BN_CLICKED, [this] { OnBnClickedSdramDefault(); });
    OnNotify(IDC_GPIO_EEPROM, BN_CLICKED, [this] { OnBnClickedGpioEeprom(); });
    OnNotify(IDC_GPIO_FLASH, BN_CLICKED, [this] { OnBnClickedGpioFlash(); });
    OnNotify(IDC_UDISK_ENABLE, BN_CLICKED, [this] { OnBnClickedUdiskEnable(); });
    OnNotify(IDC_VID, EN_CHANGE, [this] { OnEnChangeVid(); });
    OnNotify(IDC_PID, EN_CHANGE, [this] { OnEnChangePid(); });
    OnNotify(IDC_MANUFACTURER_CHECK, BN_CLICKED, [this] { OnManufacturerStringChanged(); });
    OnNotify(IDC_MANUFACTURER, EN_CHANGE, [this] { OnManufacturerStringChanged(); });
    OnNotify(IDC_PRODUCT_CHECK, BN_CLICKED, [this] { OnProductStringChanged(); });
    OnNotify(IDC_PRODUCT, EN_CHANGE, [this] { OnProductStringChanged(); });
    OnNotify(IDC_VIDEO_MODE_BY_GPIO, BN_CLICKED, [this] { OnBnClickedVideoModeByGpio(); });
    OnNotify(IDC_NTSC, BN_CLICKED, [this] { OnBnClickedNtsc(); });
    OnNotify(IDC_PAL, BN_CLICKED, [this] { OnBnClickedPal(); });
    OnNotify(IDC_DVO_FIRST + 0, BN_CLICKED, [this] { OnBnClickedDvoRgb888(); });
    OnNotify(IDC_DVO_FIRST + 1, BN_CLICKED, [this] { OnBnClickedDvo8bitBt601(); });
    OnNotify(IDC_DVO_FIRST + 2, BN_CLICKED, [this] { OnBnClickedDvo16bitBt601(); });
    OnNotify(IDC_DVO_FIRST + 3, BN_CLICKED, [this] { OnBnClickedDvo8bitBt656(); });
    OnNotify(IDC_DVO_FIRST + 4, BN_CLICKED, [this] { OnBnClickedDvo16bitBt656(); });
    OnNotify(IDC_DVO_FIRST + 5, BN_CLICKED, [this] { OnBnClickedDvo8bitBt709(); });
    OnNotify(IDC_DVO_FIRST + 6, BN_CLICKED, [this] { OnBnClickedDvo16bitBt709(); });
    OnNotify(IDC_DVO_FIRST + 7, BN_CLICKED, [this] { OnBnClickedDvo8bitBt1120(); });
    SetWhiteBackground({IDC_STATIC, IDC_FLAG_BEFORE_CHIP_INIT, IDC_FLAG_AFTER_CHIP_INIT, IDC_FLAG_IN_MAIN_LOOP,
                        IDC_FLAG_FOR_USBTASK, IDC_FLAG_FOR_USBCMD, IDC_FLAG_FOR_TIMER, IDC_UDISK_ENABLE, IDC_VID,
                        IDC_PID, IDC_MANUFACTURER_CHECK, IDC_PRODUCT_CHECK, IDC_MANUFACTURER, IDC_PRODUCT,
                        IDC_SDRAM_2M, IDC_SDRAM_4M, IDC_SDRAM_8M, IDC_SDRAM_16M, IDC_SDRAM_NONE, IDC_SDRAM_DEFAULT,
                        IDC_GPIO_EEPROM, IDC_GPIO_FLASH, IDC_NTSC, IDC_PAL, 1080, 1081, 1082, 1083, 1084, 1085, 1086,
                        1087, IDC_VIDEO_MODE_BY_GPIO});
}

void CPageOptionVQ5520::SetDefaults() {
    // Magic C3 3C: the image is for the flash.
    WriteDefaultHeader({0xC3, 0x3C, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF,
                       0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00});
}

void CPageOptionVQ5520::LoadFromImage() {
    LoadFlagBoxes({IDC_FLAG_BEFORE_CHIP_INIT, IDC_FLAG_AFTER_CHIP_INIT, IDC_FLAG_IN_MAIN_LOOP, IDC_FLAG_FOR_USBTASK,
                   IDC_FLAG_FOR_USBCMD, IDC_FLAG_FOR_TIMER},
                  g_image[VQ5520_FLAGS], FIRST_FLAG_BIT);
    CheckDlgButton(IDC_UDISK_ENABLE, Check(g_image[VQ5520_UDISK] & UDISK_ENABLE));

    for (int id : kSdramRadios) CheckDlgButton(id, BST_UNCHECKED);
    CheckDlgButton(kSdramRadios[SdramTypeIndex(g_image[VQ5520_SDRAM])], BST_CHECKED);

    LoadHexEdit(IDC_VID, VQ5520_VID);
    LoadHexEdit(IDC_PID, VQ5520_PID);
    LoadStringField(IDC_MANUFACTURER_CHECK, IDC_MANUFACTURER, MANUFACTURER_STRING, kManufacturerDefault);
    LoadStringField(IDC_PRODUCT_CHECK, IDC_PRODUCT, PRODUCT_STRING, kProductDefault);

    // The edits' handlers have run: read the mode byte as they left it.
    const BYTE mode = g_image[VQ5520_VIDEO_MODE];
    CheckDlgButton(IDC_NTSC, BST_UNCHECKED);
    CheckDlgButton(IDC_PAL, BST_UNCHECKED);
    CheckDlgButton(IsPal(mode) ? IDC_PAL : IDC_NTSC, BST_CHECKED);
    for (int id = IDC_DVO_FIRST; id <= IDC_DVO_LAST; ++id) CheckDlgButton(id, BST_UNCHECKED);
    CheckDlgButton(IDC_DVO_FIRST + DvoFormat(mode), BST_CHECKED);
    const bool byGpio = IsVideoModeByGpio(mode);
    CheckDlgButton(IDC_VIDEO_MODE_BY_GPIO, Check(byGpio));
    EnableModeRadios(!byGpio);
}

void CPageOptionVQ5520::EnableModeRadios(bool enable) {
    EnableDlgItem(IDC_NTSC, enable);
    EnableDlgItem(IDC_PAL, enable);
    for (int id = IDC_DVO_FIRST; id <= IDC_DVO_LAST; ++id) EnableDlgItem(id, enable);
}

// --- SDRAM type ---------------------------------------------------------------

void CPageOptionVQ5520::SetSdramType(BYTE value) {
    g_image[VQ5520_SDRAM] = value;
    HeaderEdited();
}

void CPageOptionVQ5520::OnBnClickedSdram2M() { SetSdramType(SdramTypeValue(0)); }
void CPageOptionVQ5520::OnBnClickedSdram4M() { SetSdramType(SdramTypeValue(1)); }
void CPageOptionVQ5520::OnBnClickedSdram8M() { SetSdramType(SdramTypeValue(2)); }
void CPageOptionVQ5520::OnBnClickedSdram16M() { SetSdramType(SdramTypeValue(3)); }
void CPageOptionVQ5520::OnBnClickedSdramNone() { SetSdramType(SdramTypeValue(4)); }
void CPageOptionVQ5520::OnBnClickedSdramDefault() { SetSdramType(SdramTypeValue(5)); }

// --- GPIO multiplex -----------------------------------------------------------

// The chip programmer's own bus switches, on its open device. A job on the
// worker switches the bus for its own transfer, so nothing is sent while one
// runs.
void CPageOptionVQ5520::OnBnClickedGpioEeprom() {
    if (IsDlgButtonChecked(IDC_GPIO_EEPROM) == BST_UNCHECKED || g_bBusy) return;
    g_patchVQ5520.SelectEepromMux();
}

void CPageOptionVQ5520::OnBnClickedGpioFlash() {
    if (IsDlgButtonChecked(IDC_GPIO_FLASH) == BST_UNCHECKED || g_bBusy) return;
    g_patchVQ5520.SelectFlashMux();
}

// --- udisk, USB ids and strings ----------------------------------------------

void CPageOptionVQ5520::OnBnClickedUdiskEnable() {
    BYTE& options = g_image[VQ5520_UDISK];
    options = static_cast<BYTE>(IsDlgButtonChecked(IDC_UDISK_ENABLE) != BST_UNCHECKED ? options | UDISK_ENABLE
                                                                                       : options & ~UDISK_ENABLE);
    HeaderEdited();
}

void CPageOptionVQ5520::OnEnChangeVid() { OnHexEditChanged(IDC_VID, VQ5520_VID); }

void CPageOptionVQ5520::OnEnChangePid() { OnHexEditChanged(IDC_PID, VQ5520_PID); }

void CPageOptionVQ5520::OnManufacturerStringChanged() {
    OnStringFieldChanged(IDC_MANUFACTURER_CHECK, IDC_MANUFACTURER, MANUFACTURER_STRING);
}

void CPageOptionVQ5520::OnProductStringChanged() {
    OnStringFieldChanged(IDC_PRODUCT_CHECK, IDC_PRODUCT, PRODUCT_STRING);
}

// --- video mode ---------------------------------------------------------------

void CPageOptionVQ5520::OnBnClickedVideoModeByGpio() {
    BYTE& mode = g_image[VQ5520_VIDEO_MODE];
    if (IsDlgButtonChecked(IDC_VIDEO_MODE_BY_GPIO) != BST_UNCHECKED) {
        // The radios keep their marks.
        EnableModeRadios(false);
        mode = VIDEO_MODE_ALL_BY_GPIO;
    } else {
        EnableModeRadios(true);
        int dvo = -1;
        for (int k = 0; k < DVO_FORMAT_COUNT && dvo < 0; ++k)
            if (IsDlgButtonChecked(IDC_DVO_FIRST + k) != BST_UNCHECKED) dvo = k;
        mode = VideoModeFromMarks(mode, IsDlgButtonChecked(IDC_NTSC) != BST_UNCHECKED, dvo);
    }
    HeaderEdited();
}

void CPageOptionVQ5520::OnBnClickedNtsc() {
    g_image[VQ5520_VIDEO_MODE] = WithTvStandard(g_image[VQ5520_VIDEO_MODE], false);
    HeaderEdited();
}

void CPageOptionVQ5520::OnBnClickedPal() {
    g_image[VQ5520_VIDEO_MODE] = WithTvStandard(g_image[VQ5520_VIDEO_MODE], true);
    HeaderEdited();
}

void CPageOptionVQ5520::SetDvoFormat(int format) {
    g_image[VQ5520_VIDEO_MODE] = WithDvoFormat(g_image[VQ5520_VIDEO_MODE], format);
    HeaderEdited();
}

void CPageOptionVQ5520::OnBnClickedDvoRgb888() { SetDvoFormat(0); }
void CPageOptionVQ5520::OnBnClickedDvo8bitBt601() { SetDvoFormat(1); }
void CPageOptionVQ5520::OnBnClickedDvo16bitBt601() { SetDvoFormat(2); }
void CPageOptionVQ5520::OnBnClickedDvo8bitBt656() { SetDvoFormat(3); }
void CPageOptionVQ5520::OnBnClickedDvo16bitBt656() { SetDvoFormat(4); }
void CPageOptionVQ5520::OnBnClickedDvo8bitBt709() { SetDvoFormat(5); }
void CPageOptionVQ5520::OnBnClickedDvo16bitBt709() { SetDvoFormat(6); }
void CPageOptionVQ5520::OnBnClickedDvo8bitBt1120() { SetDvoFormat(7); }

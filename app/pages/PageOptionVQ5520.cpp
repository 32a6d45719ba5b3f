// The VQ5520 option page.
#include "PageOptionVQ5520.h"

#include "Globals.h"
#include "PageControls.h"
#include "PageControlsVQ5520.h"
#include "ResourceIds.h"
#include "ImageDocument.h"
#include "VQPatch.h"

namespace {

// The SDRAM radios in the order of the field's choices.
constexpr int kSdramRadios[] = {IDC_SDRAM_2M,  IDC_SDRAM_4M,   IDC_SDRAM_8M,
                                IDC_SDRAM_16M, IDC_SDRAM_NONE, IDC_SDRAM_DEFAULT};
constexpr int FIRST_FLAG_BIT = 2;
constexpr int DVO_FORMAT_COUNT = IDC_DVO_LAST - IDC_DVO_FIRST + 1;

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

void CPageOptionVQ5520::LoadFromImage() {
    LoadFlagBoxes({IDC_FLAG_BEFORE_CHIP_INIT, IDC_FLAG_AFTER_CHIP_INIT, IDC_FLAG_IN_MAIN_LOOP, IDC_FLAG_FOR_USBTASK,
                   IDC_FLAG_FOR_USBCMD, IDC_FLAG_FOR_TIMER},
                  g_image[VQ5520_FLAGS], FIRST_FLAG_BIT);
    LoadFlagBox(IDC_UDISK_ENABLE, Field("udisk"));

    for (int id : kSdramRadios) CheckDlgButton(id, BST_UNCHECKED);
    CheckDlgButton(kSdramRadios[FieldChoiceIndex(g_image, Field("sdram"))], BST_CHECKED);

    LoadHexEdit(IDC_VID, Field("vid"));
    LoadHexEdit(IDC_PID, Field("pid"));
    LoadStringField(IDC_MANUFACTURER_CHECK, IDC_MANUFACTURER, Field("manufacturer"));
    LoadStringField(IDC_PRODUCT_CHECK, IDC_PRODUCT, Field("product"));

    // The edits' handlers have run: read the mode byte as they left it.
    CheckDlgButton(IDC_NTSC, BST_UNCHECKED);
    CheckDlgButton(IDC_PAL, BST_UNCHECKED);
    CheckDlgButton(FieldBits(g_image, Field("tv-standard")) ? IDC_PAL : IDC_NTSC, BST_CHECKED);
    for (int id = IDC_DVO_FIRST; id <= IDC_DVO_LAST; ++id) CheckDlgButton(id, BST_UNCHECKED);
    CheckDlgButton(IDC_DVO_FIRST + FieldBits(g_image, Field("dvo-format")), BST_CHECKED);
    const bool byGpio = FieldBits(g_image, Field("video-mode")) != 0;
    CheckDlgButton(IDC_VIDEO_MODE_BY_GPIO, Check(byGpio));
    EnableModeRadios(!byGpio);
}

void CPageOptionVQ5520::EnableModeRadios(bool enable) {
    EnableDlgItem(IDC_NTSC, enable);
    EnableDlgItem(IDC_PAL, enable);
    for (int id = IDC_DVO_FIRST; id <= IDC_DVO_LAST; ++id) EnableDlgItem(id, enable);
}

// --- SDRAM type ---------------------------------------------------------------

void CPageOptionVQ5520::SetSdramType(std::size_t index) {
    const ImageField& sdram = Field("sdram");
    ApplyField(sdram, sdram.choices[index].value);
}

void CPageOptionVQ5520::OnBnClickedSdram2M() { SetSdramType(0); }
void CPageOptionVQ5520::OnBnClickedSdram4M() { SetSdramType(1); }
void CPageOptionVQ5520::OnBnClickedSdram8M() { SetSdramType(2); }
void CPageOptionVQ5520::OnBnClickedSdram16M() { SetSdramType(3); }
void CPageOptionVQ5520::OnBnClickedSdramNone() { SetSdramType(4); }
void CPageOptionVQ5520::OnBnClickedSdramDefault() { SetSdramType(5); }

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

void CPageOptionVQ5520::OnBnClickedUdiskEnable() { ApplyField(Field("udisk"), IsTicked(IDC_UDISK_ENABLE)); }

void CPageOptionVQ5520::OnEnChangeVid() { OnHexEditChanged(IDC_VID, Field("vid")); }

void CPageOptionVQ5520::OnEnChangePid() { OnHexEditChanged(IDC_PID, Field("pid")); }

void CPageOptionVQ5520::OnManufacturerStringChanged() {
    OnStringFieldChanged(IDC_MANUFACTURER_CHECK, IDC_MANUFACTURER, Field("manufacturer"));
}

void CPageOptionVQ5520::OnProductStringChanged() {
    OnStringFieldChanged(IDC_PRODUCT_CHECK, IDC_PRODUCT, Field("product"));
}

// --- video mode ---------------------------------------------------------------

void CPageOptionVQ5520::OnBnClickedVideoModeByGpio() {
    const ImageField& byGpio = Field("video-mode");
    if (IsTicked(IDC_VIDEO_MODE_BY_GPIO)) {
        // The radios keep their marks; the whole byte goes to the pins.
        EnableModeRadios(false);
        ApplyField(byGpio, byGpio.choices[1].value);
        return;
    }
    // Back to a fixed mode: the one the radios mark (bits 5..7 kept; with
    // no dvo radio marked its bits stay).
    EnableModeRadios(true);
    PutFieldBits(g_image, byGpio, byGpio.choices[0].value);
    PutFieldBits(g_image, Field("tv-standard"), !IsTicked(IDC_NTSC));
    for (int k = 0; k < DVO_FORMAT_COUNT; ++k) {
        if (IsTicked(IDC_DVO_FIRST + k)) {
            PutFieldBits(g_image, Field("dvo-format"), k);
            break;
        }
    }
    RefreshAfterEdit(byGpio.refresh);
}

void CPageOptionVQ5520::OnBnClickedNtsc() { ApplyField(Field("tv-standard"), 0); }

void CPageOptionVQ5520::OnBnClickedPal() { ApplyField(Field("tv-standard"), 1); }

void CPageOptionVQ5520::SetDvoFormat(int format) { ApplyField(Field("dvo-format"), format); }

void CPageOptionVQ5520::OnBnClickedDvoRgb888() { SetDvoFormat(0); }
void CPageOptionVQ5520::OnBnClickedDvo8bitBt601() { SetDvoFormat(1); }
void CPageOptionVQ5520::OnBnClickedDvo16bitBt601() { SetDvoFormat(2); }
void CPageOptionVQ5520::OnBnClickedDvo8bitBt656() { SetDvoFormat(3); }
void CPageOptionVQ5520::OnBnClickedDvo16bitBt656() { SetDvoFormat(4); }
void CPageOptionVQ5520::OnBnClickedDvo8bitBt709() { SetDvoFormat(5); }
void CPageOptionVQ5520::OnBnClickedDvo16bitBt709() { SetDvoFormat(6); }
void CPageOptionVQ5520::OnBnClickedDvo8bitBt1120() { SetDvoFormat(7); }

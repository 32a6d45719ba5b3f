// Template 141: the VQ5520 option page. SDRAM type and the hidden GPIO
// multiplex on the left, the six flags, USB ids and strings in the middle,
// the default video mode on the right.
#include "PageControls.h"
#include "PageControlsVQ5520.h"
#include "PageTemplates.h"
#include "ResourceIds.h"

using namespace ctlstyle;

const DialogTemplate& PageTemplate141() {
    // Radios take no tab stop; check boxes and edits do. None of the edits
    // scrolls its text sideways. "Detemined by gpio" and the VID and PID
    // labels are as wide as their captions need in the dialog font.
    constexpr unsigned Radio = NoTabStop;
    constexpr unsigned IdEdit = UpperCase | RightAlign | Border | NoAutoHScroll;
    constexpr unsigned TextEdit = Border | NoAutoHScroll;
    constexpr unsigned Gpio = Hidden | Disabled;
    static const DialogTemplate t{
        IDD_PAGE_VQ5520,
        "",
        "Times New Roman",
        10,
        {0, 0, 311, 127},
        kPageStyle,
        {
            {IDC_SDRAM_2M, CtlKind::AutoRadio, "2M", {6, 10, 22, 8}, Radio | Group},
            {IDC_SDRAM_8M, CtlKind::AutoRadio, "8M", {6, 21, 24, 8}, Radio},
            {IDC_SDRAM_4M, CtlKind::AutoRadio, "4M", {41, 10, 22, 8}, Radio},
            {IDC_STATIC, CtlKind::GroupBox, "SDRAM Type", {1, 0, 71, 55}},
            {IDC_UDISK_ENABLE, CtlKind::AutoCheckBox, "udisk enable", {148, 12, 54, 10}},
            {IDC_SDRAM_16M, CtlKind::AutoRadio, "16M", {41, 21, 25, 8}, Radio},
            {IDC_SDRAM_NONE, CtlKind::AutoRadio, "None", {6, 32, 28, 8}, Radio},
            {IDC_SDRAM_DEFAULT, CtlKind::AutoRadio, "Default", {6, 43, 33, 8}, Radio},
            {IDC_STATIC, CtlKind::GroupBox, "GPIO multiplex", {1, 56, 71, 50}, Gpio},
            {IDC_GPIO_EEPROM, CtlKind::AutoRadio, "EEPROM", {6, 68, 45, 10}, Radio | Group | Gpio},
            {IDC_GPIO_FLASH, CtlKind::AutoRadio, "Flash", {6, 81, 33, 10}, Radio | Gpio},
            {IDC_STATIC, CtlKind::GroupBox, "Default Video mode", {216, 1, 80, 124}},
            {IDC_VIDEO_MODE_BY_GPIO, CtlKind::AutoCheckBox, "Detemined by gpio", {222, 10, 71, 10}},
            {IDC_FLAG_BEFORE_CHIP_INIT, CtlKind::AutoCheckBox, "before_chip_init", {78, 7, 62, 10}, Disabled},
            {IDC_FLAG_AFTER_CHIP_INIT, CtlKind::AutoCheckBox, "after_chi_init", {78, 20, 62, 10}, Disabled},
            {IDC_FLAG_IN_MAIN_LOOP, CtlKind::AutoCheckBox, "in_main_loop", {78, 33, 62, 10}, Disabled},
            {IDC_FLAG_FOR_USBTASK, CtlKind::AutoCheckBox, "for_usbtask", {78, 46, 62, 10}, Disabled},
            {IDC_FLAG_FOR_USBCMD, CtlKind::AutoCheckBox, "for_usbcmd", {78, 59, 62, 10}, Disabled},
            {IDC_FLAG_FOR_TIMER, CtlKind::AutoCheckBox, "for_timer", {78, 72, 62, 10}, Disabled},
            {IDC_STATIC, CtlKind::GroupBox, "USB", {143, 0, 71, 106}},
            {IDC_STATIC, CtlKind::Static, "VID", {148, 27, 16, 8}, Group},
            {IDC_STATIC, CtlKind::Static, "PID", {148, 39, 16, 8}, Group},
            {IDC_VID, CtlKind::Edit, "", {166, 25, 28, 12}, IdEdit},
            {IDC_PID, CtlKind::Edit, "", {166, 39, 28, 12}, IdEdit},
            {IDC_MANUFACTURER_CHECK, CtlKind::AutoCheckBox, "Manufacturer", {148, 52, 59, 10}},
            {IDC_PRODUCT_CHECK, CtlKind::AutoCheckBox, "Product", {148, 76, 59, 10}},
            {IDC_MANUFACTURER, CtlKind::Edit, "", {144, 63, 67, 12}, TextEdit},
            {IDC_PRODUCT, CtlKind::Edit, "", {144, 89, 67, 12}, TextEdit},
            {IDC_STATIC, CtlKind::GroupBox, "", {73, 0, 68, 106}},
            {IDC_STATIC, CtlKind::GroupBox, "tve/ypbpr mode", {220, 22, 73, 22}},
            {IDC_NTSC, CtlKind::AutoRadio, "NTSC", {222, 32, 34, 10}, Radio},
            {IDC_PAL, CtlKind::AutoRadio, "PAL", {261, 32, 29, 10}, Radio},
            {IDC_DVO_FIRST, CtlKind::AutoRadio, "dvo_24bit_rgb888", {223, 43, 71, 10}, Radio | Group},
            {1081, CtlKind::AutoRadio, "dvo_8bit_bt601", {223, 53, 64, 10}, Radio},
            {1082, CtlKind::AutoRadio, "dvo_16bit_bt601", {223, 63, 67, 10}, Radio},
            {1083, CtlKind::AutoRadio, "dvo_8bit_bt656", {223, 73, 64, 10}, Radio},
            {1084, CtlKind::AutoRadio, "dvo_16bit_bt656", {223, 83, 67, 10}, Radio},
            {1085, CtlKind::AutoRadio, "dvo_8bit_bt709", {223, 93, 64, 10}, Radio},
            {1086, CtlKind::AutoRadio, "dvo_16bit_bt709", {223, 103, 67, 10}, Radio},
            {IDC_DVO_LAST, CtlKind::AutoRadio, "dvo_8bit_bt1120", {223, 113, 67, 10}, Radio},
        },
    };
    return t;
}

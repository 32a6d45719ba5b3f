// Template 137: the VQ7140XX option page. Five group boxes in four columns:
// "Common Flag"; "USB"; "Function Flag 1" above "Misc"; "Function Flag 2".
#include "PageControls.h"
#include "PageControls7140.h"
#include "PageTemplates.h"
#include "ResourceIds.h"

using namespace ctlstyle;

namespace {

DialogTemplate MakeTemplate137() {
    static constexpr const char* kCommonFlags[8] = {"Patch_Common", "USB_cmd",  "USB_int",  "Timer_int",
                                                    "VSync_int",    "TVD_int", "Reserved", "Reserved"};
    // Check boxes stand 13 units apart below their group box's caption.
    auto row = [](int top, int i) { return top + 12 + 13 * i; };

    DialogTemplate t{IDD_PAGE_VQ7140XX, "", "Times New Roman", 10, {0, 0, 300, 126}, kPageStyle, {}};
    auto& c = t.controls;

    c.push_back({IDC_STATIC, CtlKind::GroupBox, "Common Flag", {2, 2, 68, 120}});
    for (int i = 0; i < 8; ++i)
        c.push_back({kCommonFlagIds[i], CtlKind::AutoCheckBox, kCommonFlags[i], {7, row(2, i), 62, 10}, Disabled});

    c.push_back({IDC_STATIC, CtlKind::GroupBox, "USB", {72, 2, 64, 120}});
    c.push_back({IDC_STATIC, CtlKind::Static, "VID", {77, 16, 14, 8}});
    c.push_back({IDC_VID, CtlKind::Edit, "", {94, 14, 36, 12}, UpperCase | RightAlign | Border});
    c.push_back({IDC_STATIC, CtlKind::Static, "PID", {77, 32, 14, 8}});
    c.push_back({IDC_PID, CtlKind::Edit, "", {94, 30, 36, 12}, UpperCase | RightAlign | Border});
    c.push_back({IDC_VIDEO_STRING_CHECK, CtlKind::AutoCheckBox, "Video String", {77, 50, 54, 10}});
    c.push_back({IDC_VIDEO_STRING, CtlKind::Edit, "", {77, 62, 54, 12}, Border});
    c.push_back({IDC_AUDIO_STRING_CHECK, CtlKind::AutoCheckBox, "Audio String", {77, 82, 54, 10}});
    c.push_back({IDC_AUDIO_STRING, CtlKind::Edit, "", {77, 94, 54, 12}, Border});

    c.push_back({IDC_STATIC, CtlKind::GroupBox, "Function Flag 1", {138, 2, 76, 40}});
    c.push_back({IDC_AV_PORT, CtlKind::AutoCheckBox, "AV Port Enable", {143, row(2, 0), 68, 10}});
    c.push_back({IDC_SV_PORT, CtlKind::AutoCheckBox, "SV Port Enable", {143, row(2, 1), 68, 10}});

    c.push_back({IDC_STATIC, CtlKind::GroupBox, "Misc", {138, 44, 76, 78}});
    c.push_back({IDC_STATIC, CtlKind::Static, "Default Input Port", {143, 57, 68, 8}});
    c.push_back({IDC_DEFAULT_INPUT, CtlKind::DropDownList, "", {143, 67, 66, 40}, VScroll});
    c.push_back({IDC_STATIC, CtlKind::Static, "Default TV mode\uff1a", {143, 87, 68, 8}});
    c.push_back({IDC_DEFAULT_TV_MODE, CtlKind::DropDownList, "", {143, 97, 66, 80}, VScroll});

    c.push_back({IDC_STATIC, CtlKind::GroupBox, "Function Flag 2", {216, 2, 82, 120}});
    c.push_back({IDC_AUDIO_ENABLE, CtlKind::AutoCheckBox, "Audio Enalbe", {220, row(2, 0), 74, 10}});
    c.push_back({IDC_STEREO_ENABLE, CtlKind::AutoCheckBox, "Stereo Enable", {220, row(2, 1), 74, 10}});
    c.push_back({IDC_SAVE_BCSH, CtlKind::AutoCheckBox, "Save BCSH", {220, row(2, 2), 74, 10}});
    static constexpr int kBcshIds[4] = {IDC_BRIGHTNESS, IDC_CONTRAST, IDC_SATURATION, IDC_HUE};
    static constexpr const char* kBcshLabels[4] = {"B", "C", "S", "H"};
    for (int i = 0; i < 4; ++i) {
        const int x = 220 + 19 * i;
        c.push_back({IDC_STATIC, CtlKind::Static, kBcshLabels[i], {x + 7, 55, 6, 8}});
        c.push_back({kBcshIds[i], CtlKind::Edit, "", {x, 64, 18, 12}, RightAlign | Border});
    }
    c.push_back({IDC_STATIC, CtlKind::Static, "Mute Pattern\uff1a", {220, 84, 74, 8}});
    c.push_back({IDC_MUTE_PATTERN, CtlKind::DropDownList, "", {220, 94, 74, 100}, VScroll});

    t.comboItems = {
        {IDC_MUTE_PATTERN,
         {"Pure black", "Pure blue", "Pure green", "Pure red", "Pure white", "Cross hatch", "H ramp", "V ramp",
          "color bar", "H gray scale", "V gray scale", "2nd H gray scale", "primary color", "interlace black",
          "B&W random", "Color random"}},
        {IDC_DEFAULT_INPUT, {"AV", "SV"}},
        {IDC_DEFAULT_TV_MODE, {"NTSC_358", "NTSC_443", "PAL", "PAL_M", "PAL_NC", "SECAM", "PAL_60", "NO_SIGNAL"}},
    };
    return t;
}

}  // namespace

const DialogTemplate& PageTemplate137() {
    static const DialogTemplate t = MakeTemplate137();
    return t;
}

// Template 138: the VQ7170 option page. The arrangement is shared with
// template 142 (VQ7170S).
#include "PageControls.h"
#include "PageTemplate7170.h"
#include "PageTemplates.h"
#include "ResourceIds.h"

using namespace ctlstyle;

namespace {

// Flag boxes stand 13 units apart below their group box's caption.
int FlagRow(int i) { return 14 + 13 * i; }

}  // namespace

void AddCommonFlagAndUsbColumns(std::vector<ControlTemplate>& c, const char* const (&commonFlag)[8]) {
    c.push_back({IDC_STATIC, CtlKind::GroupBox, "Common Flag", {2, 2, 72, 120}});
    for (int i = 0; i < 8; ++i)
        c.push_back({kCommonFlagIds[i], CtlKind::AutoCheckBox, commonFlag[i], {8, FlagRow(i), 62, 10}, Disabled});

    c.push_back({IDC_STATIC, CtlKind::GroupBox, "USB", {78, 2, 92, 120}});
    c.push_back({IDC_STATIC, CtlKind::Static, "VID", {86, 16, 16, 8}});
    c.push_back({IDC_VID, CtlKind::Edit, "", {106, 14, 40, 12}, UpperCase | RightAlign | Border});
    c.push_back({IDC_STATIC, CtlKind::Static, "PID", {86, 32, 16, 8}});
    c.push_back({IDC_PID, CtlKind::Edit, "", {106, 30, 40, 12}, UpperCase | RightAlign | Border});
    c.push_back({IDC_VIDEO_STRING_CHECK, CtlKind::AutoCheckBox, "Video String", {86, 50, 76, 10}});
    c.push_back({IDC_VIDEO_STRING, CtlKind::Edit, "", {86, 62, 78, 12}, Border});
    c.push_back({IDC_AUDIO_STRING_CHECK, CtlKind::AutoCheckBox, "Audio String", {86, 82, 76, 10}});
    c.push_back({IDC_AUDIO_STRING, CtlKind::Edit, "", {86, 94, 78, 12}, Border});
}

DialogTemplate MakeVQ7170PageTemplate(int id, const VQ7170PageCaptions& captions) {
    DialogTemplate t{id, "", "Times New Roman", 10, {0, 0, 320, 126}, kPageStyle, {}};
    auto& c = t.controls;
    AddCommonFlagAndUsbColumns(c, captions.commonFlag);

    c.push_back({IDC_STATIC, CtlKind::GroupBox, "HD Function Flag", {174, 2, 124, 120}});
    for (int i = 0; i < 8; ++i)
        c.push_back({kHdFlagIds[i], CtlKind::AutoCheckBox, captions.hdFlag[i], {180, FlagRow(i), 114, 10}, Disabled});
    return t;
}

const DialogTemplate& PageTemplate138() {
    static const DialogTemplate t = MakeVQ7170PageTemplate(
        IDD_PAGE_VQ7170,
        {{"Patch_Common", "USB_cmd", "USB_int", "Timer_int", "VSync_int", "UART_int", "Reserved", "Reserved"},
         {"hd rx hotplug svc replace", "hd rx pl svc replace", "hd rx mdt svc replace", "hd rx packet svc replace",
          "hd rx edid svc replace", "hd rx **** svc replace", "Reserved", "Reserved"}});
    return t;
}

// Template 139: the VQ7340 option page. "Common Flag" and "USB" as on the
// VQ7170 pages, the key box to the right of "USB" at the top, and a hidden,
// disabled "Enter UPG" button at the bottom right.
#include "PageControls.h"
#include "PageTemplate7170.h"
#include "PageTemplates.h"
#include "ResourceIds.h"

using namespace ctlstyle;

namespace {

DialogTemplate MakeVQ7340PageTemplate() {
    DialogTemplate t{IDD_PAGE_VQ7340, "", "Times New Roman", 10, {0, 0, 320, 126}, kPageStyle, {}};
    auto& c = t.controls;
    AddCommonFlagAndUsbColumns(
        c, {"Patch_Common", "USB_cmd", "USB_int", "Timer_int", "VSync_int", "Reserved", "Reserved", "Flash code"});

    c.push_back({IDC_STATIC, CtlKind::GroupBox, "**** key load", {174, 2, 90, 50}});
    c.push_back({IDC_STATIC, CtlKind::Static, "Addr:", {182, 17, 22, 8}});
    c.push_back({IDC_KEY_OFFSET, CtlKind::Edit, "", {206, 15, 48, 12}, ReadOnly | UpperCase | RightAlign | Border});
    c.push_back({IDC_LOAD_KEY, CtlKind::PushButton, "LOAD", {206, 32, 48, 14}});

    c.push_back({IDC_ENTER_UPG, CtlKind::PushButton, "Enter UPG", {256, 104, 56, 16}, Hidden | Disabled});
    return t;
}

}  // namespace

const DialogTemplate& PageTemplate139() {
    static const DialogTemplate t = MakeVQ7340PageTemplate();
    return t;
}

// Template 140: the VQ5632 option page. "Function 1" on the left holds the
// udisk box; the untitled group on the right holds the register tool.
#include "PageControlsVQ5632.h"
#include "PageTemplates.h"
#include "ResourceIds.h"

using namespace ctlstyle;

const DialogTemplate& PageTemplate140() {
    static const DialogTemplate t = [] {
        DialogTemplate d{IDD_PAGE_VQ5632, "", "Times New Roman", 10, {0, 0, 300, 126}, kPageStyle, {}};
        auto& c = d.controls;
        c.push_back({IDC_STATIC, CtlKind::GroupBox, "Function 1", {2, 2, 96, 120}});
        c.push_back({IDC_UDISK_ENABLE, CtlKind::AutoCheckBox, "udisk enable", {10, 16, 80, 10}});

        c.push_back({IDC_STATIC, CtlKind::GroupBox, "", {104, 2, 194, 120}});
        c.push_back({IDC_UDISK_WRITE_ENABLE, CtlKind::PushButton, "udisk write enable", {114, 14, 84, 14}});
        // One radio group; in tab order SFR, XDATA, IDATA, shown top to
        // bottom as SFR, IDATA, XDATA.
        c.push_back({IDC_RADIO_SFR, CtlKind::AutoRadio, "SFR", {114, 40, 40, 10}, Group});
        c.push_back({IDC_RADIO_XDATA, CtlKind::AutoRadio, "XDATA", {114, 68, 40, 10}});
        c.push_back({IDC_RADIO_IDATA, CtlKind::AutoRadio, "IDATA", {114, 54, 40, 10}});
        c.push_back({IDC_STATIC, CtlKind::Static, "Addr:", {166, 42, 24, 8}});
        c.push_back({IDC_REG_ADDR, CtlKind::Edit, "", {194, 40, 80, 12}, Border});
        c.push_back({IDC_STATIC, CtlKind::Static, "Data:", {166, 62, 24, 8}});
        c.push_back({IDC_REG_DATA, CtlKind::Edit, "", {194, 60, 80, 12}, Border});
        c.push_back({IDC_REG_READ, CtlKind::PushButton, "Read", {150, 96, 50, 14}});
        c.push_back({IDC_REG_WRITE, CtlKind::PushButton, "Write", {210, 96, 50, 14}});
        return d;
    }();
    return t;
}

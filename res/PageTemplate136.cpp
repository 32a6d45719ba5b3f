// Template 136: the VQ7140S option page, one disabled read-only edit that
// fills the page and shows nothing.
#include "PageControls7140.h"
#include "PageTemplates.h"

using namespace ctlstyle;

const DialogTemplate& PageTemplate136() {
    static const DialogTemplate t{136,
                                  "",
                                  "Times New Roman",
                                  10,
                                  {0, 0, 300, 126},
                                  kPageStyle,
                                  {{IDC_BLANK_EDIT, CtlKind::Edit, "", {2, 2, 296, 122}, Disabled | ReadOnly | Border}}};
    return t;
}

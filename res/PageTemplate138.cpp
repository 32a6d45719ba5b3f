// Template 138: the VQ7170 option page (controls come with the page).
#include "PageTemplates.h"

const DialogTemplate& PageTemplate138() {
    static const DialogTemplate t{138, "", "Times New Roman", 10, {0, 0, 320, 126}, kPageStyle, {}};
    return t;
}

// Template 140: the VQ5632 option page (controls come with the page).
#include "PageTemplates.h"

const DialogTemplate& PageTemplate140() {
    static const DialogTemplate t{140, "", "Times New Roman", 10, {0, 0, 300, 126}, kPageStyle, {}};
    return t;
}

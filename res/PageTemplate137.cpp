// Template 137: the VQ7140XX option page (controls come with the page).
#include "PageTemplates.h"

const DialogTemplate& PageTemplate137() {
    static const DialogTemplate t{137, "", "Times New Roman", 10, {0, 0, 300, 126}, kPageStyle, {}};
    return t;
}

// Template 139: the VQ7340 option page (controls come with the page).
#include "PageTemplates.h"

const DialogTemplate& PageTemplate139() {
    static const DialogTemplate t{139, "", "Times New Roman", 10, {0, 0, 320, 126}, kPageStyle, {}};
    return t;
}

// Template 142: the VQ7170S option page (controls come with the page).
#include "PageTemplates.h"

const DialogTemplate& PageTemplate142() {
    static const DialogTemplate t{142, "", "Times New Roman", 10, {0, 0, 320, 126}, kPageStyle, {}};
    return t;
}

// Template 136: the VQ7140S option page (controls come with the page).
#include "PageTemplates.h"

const DialogTemplate& PageTemplate136() {
    static const DialogTemplate t{136, "", "Times New Roman", 10, {0, 0, 300, 126}, kPageStyle, {}};
    return t;
}

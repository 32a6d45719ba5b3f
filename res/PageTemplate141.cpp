// Template 141: the VQ5520 option page (controls come with the page).
#include "PageTemplates.h"

const DialogTemplate& PageTemplate141() {
    static const DialogTemplate t{141, "", "Times New Roman", 10, {0, 0, 311, 127}, kPageStyle, {}};
    return t;
}

#include "DialogResources.h"

namespace {

DialogResources& Resources() {
    static DialogResources resources;  // built on first use: set-up may run before main
    return resources;
}

}  // namespace

void SetDialogResources(DialogResources resources) { Resources() = std::move(resources); }

const DialogTemplate* FindDialogTemplate(int id) {
    const auto& find = Resources().findTemplate;
    return find ? find(id) : nullptr;
}

QPixmap LoadDialogIcon(int id) {
    const auto& load = Resources().loadIcon;
    return load ? load(id) : QPixmap();
}

QWidget* CreateCustomControl(const QString& className, QWidget* parent) {
    const auto& create = Resources().createCustomControl;
    return create ? create(className, parent) : nullptr;
}

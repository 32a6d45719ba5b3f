// What the dialogs take from the program's resources: the templates by id,
// the icons by id, and the windows of custom control classes. The program
// hands them in once, before its first dialog is built.
#pragma once

#include "DialogTemplate.h"

#include <QPixmap>
#include <QString>

#include <functional>

class QWidget;

struct DialogResources {
    // The template with this id; nullptr when there is none.
    std::function<const DialogTemplate*(int id)> findTemplate;
    // The icon with this id; a null pixmap when there is none.
    std::function<QPixmap(int id)> loadIcon;
    // A window of a custom control class, child of parent; nullptr for a
    // class the program does not know.
    std::function<QWidget*(const QString& className, QWidget* parent)> createCustomControl;
};

void SetDialogResources(DialogResources resources);

// Lookups through what was handed in; without it, nothing is found.
const DialogTemplate* FindDialogTemplate(int id);
QPixmap LoadDialogIcon(int id);
QWidget* CreateCustomControl(const QString& className, QWidget* parent);

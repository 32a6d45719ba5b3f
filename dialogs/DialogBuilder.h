// Turns a dialog template into Qt widgets placed by the dialog-unit rule of
// the template's font.
#pragma once

#include "DialogTemplate.h"

#include <QFont>
#include <QPalette>
#include <QString>

#include <map>
#include <vector>

class QWidget;

struct BuiltControl {
    int id = -1;
    CtlKind kind = CtlKind::Static;
    QWidget* widget = nullptr;
};

// The template's font at the screen's logical resolution.
QFont DialogFont(const DialogTemplate& t);
// The system colours as a palette a widget keeps whatever its parent uses.
QPalette SystemPalette();
// Base units of a font: the average advance of the 52 letters A-Z, a-z, and
// the font's height.
DialogBaseUnits MeasureBaseUnits(const QFont& font);

// Creates the template's controls as children of host, in tab order, and
// chains their tab order. host takes the template's font. Each widget
// carries its control id (ControlIdOf). A control whose id is in placed
// is the widget given there instead of one made for its kind: it takes the
// control's place, styles and tab stop as a made one would.
std::vector<BuiltControl> BuildDialogControls(const DialogTemplate& t, QWidget* host, const DialogBaseUnits& units,
                                              const std::map<int, QWidget*>& placed = {});

// Indices into t.controls of the radios that form one group with control
// index, in tab order: a group runs from a control with the Group style (or
// the first control) up to the next control with the Group style, whatever
// stands between; only the radios in it count. Empty for an index out of
// range.
std::vector<std::size_t> RadioGroupOf(const DialogTemplate& t, std::size_t index);

// The control id a built widget carries; -1 when it has none.
int ControlIdOf(const QWidget* w);
void SetControlId(QWidget* w, int id);

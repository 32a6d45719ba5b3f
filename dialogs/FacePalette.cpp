#include "FacePalette.h"

#include <algorithm>
#include <cmath>

namespace {

double Linear(double channel) {
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

QColor Halfway(const QColor& a, const QColor& b) {
    return QColor((a.red() + b.red()) / 2, (a.green() + b.green()) / 2, (a.blue() + b.blue()) / 2);
}

}  // namespace

double RelativeLuminance(const QColor& c) {
    const QColor rgb = c.toRgb();
    return 0.2126 * Linear(rgb.redF()) + 0.7152 * Linear(rgb.greenF()) + 0.0722 * Linear(rgb.blueF());
}

double ContrastRatio(const QColor& a, const QColor& b) {
    const double la = RelativeLuminance(a);
    const double lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor TextColourOn(const QColor& face) {
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    return ContrastRatio(black, face) >= ContrastRatio(white, face) ? black : white;
}

QPalette PaletteOnFace(QPalette palette, const QColor& face) {
    const bool ownTextReads = ContrastRatio(palette.color(QPalette::Active, QPalette::WindowText), face) >= kReadableContrast;
    const QColor text = TextColourOn(face);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const QColor fitted = group == QPalette::Disabled ? Halfway(text, face) : text;
        palette.setColor(group, QPalette::Window, face);
        // Set even where it stays the same: a later change of the system's
        // colours leaves the face and its text together.
        palette.setColor(group, QPalette::WindowText, ownTextReads ? palette.color(group, QPalette::WindowText) : fitted);
    }
    return palette;
}

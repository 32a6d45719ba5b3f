// Colours a window fixes itself, each with the text colour drawn on it:
// whatever palette the rest of the window follows, a fixed face keeps text
// that reads on it.
#pragma once

#include <QColor>
#include <QPalette>

// Relative luminance of an sRGB colour (WCAG 2): 0 for black to 1 for white.
double RelativeLuminance(const QColor& c);
// Contrast ratio of two colours (WCAG 2): from 1 (the same) to 21 (black on
// white), the same either way round.
double ContrastRatio(const QColor& a, const QColor& b);
// The least contrast normal text needs (WCAG 2, level AA).
inline constexpr double kReadableContrast = 4.5;

// Black or white, whichever reads better on face.
QColor TextColourOn(const QColor& face);

// palette with face behind everything drawn on the window's face (Window,
// in every colour group) and the text drawn there (WindowText) fitted to it:
// the palette's own when its active text reads on face, since such a
// palette is made for faces like it (a light palette on a white face keeps
// every colour); else black or white, and for disabled text the same dimmed
// halfway towards the face. Both stay when the system's colours change
// later. Edits, lists and buttons keep their own faces and texts.
QPalette PaletteOnFace(QPalette palette, const QColor& face);

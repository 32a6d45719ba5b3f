// Dialog-unit arithmetic: templates give positions in dialog units, which
// scale with the template's font. Pure integer functions, no widgets.
#pragma once

#include <cstdint>

struct DialogBaseUnits {
    int cx = 0;  // horizontal base unit: average character width in pixels
    int cy = 0;  // vertical base unit: character height in pixels
    bool operator==(const DialogBaseUnits&) const = default;
};

// A rectangle in dialog units (template coordinates).
struct DlgRect {
    int x = 0, y = 0, cx = 0, cy = 0;
};

// A rectangle in pixels.
struct PixelRect {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const PixelRect&) const = default;
};

// number * numerator / denominator with a 64-bit intermediate, rounded half
// away from zero; -1 when denominator is 0 or the result does not fit.
constexpr int MulDiv(int number, int numerator, int denominator) {
    if (denominator == 0) return -1;
    std::int64_t product = static_cast<std::int64_t>(number) * numerator;
    const bool negative = (product < 0) != (denominator < 0);
    std::int64_t p = product < 0 ? -product : product;
    const std::int64_t d = denominator < 0 ? -static_cast<std::int64_t>(denominator) : denominator;
    const std::int64_t q = (p + d / 2) / d;
    if (q > 0x7FFFFFFF) return -1;
    return static_cast<int>(negative ? -q : q);
}

// The letters whose total advance gives the average character width.
inline constexpr const char* kBaseUnitLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

// Base units from the font's measures: extent52 is the advance of the 52
// letters above, textHeight the font's ascent plus descent.
constexpr DialogBaseUnits BaseUnitsFromMetrics(int extent52, int textHeight) {
    return DialogBaseUnits{(extent52 / 26 + 1) / 2, textHeight};
}

// Pixel height of the em box of a font of pointSize points at dpi.
constexpr int FontPixelSize(int pointSize, int dpi) { return MulDiv(pointSize, dpi, 72); }

// One horizontal or vertical dialog-unit value in pixels.
constexpr int DluToPixelsX(int dlu, const DialogBaseUnits& u) { return MulDiv(dlu, u.cx, 4); }
constexpr int DluToPixelsY(int dlu, const DialogBaseUnits& u) { return MulDiv(dlu, u.cy, 8); }

// Each of x, y, width and height is mapped on its own, as a template's
// controls are created.
constexpr PixelRect MapDialogRect(const DlgRect& r, const DialogBaseUnits& u) {
    return PixelRect{DluToPixelsX(r.x, u), DluToPixelsY(r.y, u), DluToPixelsX(r.cx, u), DluToPixelsY(r.cy, u)};
}

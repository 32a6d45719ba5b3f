// The selection's system fills come with the system's text for each: with
// the focus elsewhere, the selected digits show the button face's own text
// on it, also under a palette whose window text would not read there.
#include "FacePalette.h"
#include "ViewHarness.h"

#include <QPalette>

#include <gtest/gtest.h>

#include <map>

namespace {

// Of the colours a rectangle shows more than once, how much the one that
// stands out most from fill does.
double MostContrast(const QImage& img, const QRect& rc, const QColor& fill) {
    std::map<QRgb, int> counts;
    for (int y = rc.top(); y <= rc.bottom(); ++y)
        for (int x = rc.left(); x <= rc.right(); ++x) ++counts[img.pixel(x, y)];
    double most = 1;
    for (const auto& [rgb, n] : counts)
        if (n >= 2) most = std::max(most, ContrastRatio(QColor(rgb), fill));
    return most;
}

}  // namespace

TEST(HexViewColours, UnfocusedSelectionShowsTheButtonTextOnTheButtonFace) {
    const QPalette original = QApplication::palette();
    QPalette p = original;
    p.setColor(QPalette::Button, QColor(0x30, 0x30, 0x30));
    p.setColor(QPalette::ButtonText, Qt::white);
    p.setColor(QPalette::WindowText, Qt::black);
    QApplication::setPalette(p);
    {
        ViewHarness h;  // reads the system colours when it is made
        h.SetData(ViewHarness::Pattern(0x40));
        h.view->SetEditCaretPos(16, true);
        h.Keys(Qt::Key_Right, 16, Qt::ShiftModifier);  // bytes 16..23 of row 1
        h.view->clearFocus();
        ViewHarness::Settle();
        const QImage img = h.Grab();
        const int lh = static_cast<int>(h.Layout().lineHeight);
        const QRect selected(h.HexX(0), h.RowTop(1) + 1, h.HexX(3 * 7 + 2) - h.HexX(0), lh - 1);
        ASSERT_EQ(QColor(img.pixel(selected.left(), selected.top())), p.color(QPalette::Button));
        EXPECT_GE(MostContrast(img, selected, p.color(QPalette::Button)), kReadableContrast);
    }
    QApplication::setPalette(original);
}

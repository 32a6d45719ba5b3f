// The widget: data, painting, caret, scrolling and the ways to make one.
#include "ViewHarness.h"

#include <QFontDatabase>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QWheelEvent>

#include <gtest/gtest.h>

using namespace hexview;

namespace {

const QRgb WHITE = qRgb(255, 255, 255);

// Non-white pixels in a rectangle.
int Ink(const QImage& img, const QRect& rc) {
    int n = 0;
    const QRect r = rc.intersected(img.rect());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            if (img.pixel(x, y) != WHITE) ++n;
        }
    }
    return n;
}

QRgb PaletteColour(QPalette::ColorRole role) {
    return QApplication::palette().color(QPalette::Active, role).rgb();
}

}  // namespace

TEST(HexView, NullAndEmptyBuffersPaintOnlyTheBackground) {
    ViewHarness h;
    ASSERT_TRUE(h.view->hasFocus());
    QImage img = h.Grab();
    EXPECT_EQ(Ink(img, img.rect()), 0);
    EXPECT_FALSE(h.view->IsCaretShown());

    const BYTE none[1] = {0};
    h.view->SetData(none, 0);
    ViewHarness::Settle();
    EXPECT_NE(h.view->GetData(), nullptr);
    EXPECT_EQ(h.view->GetDataSize(), 0u);
    img = h.Grab();
    EXPECT_EQ(Ink(img, img.rect()), 0);
    EXPECT_FALSE(h.view->IsCaretShown());

    // Emptied after showing bytes: the caret goes too.
    h.SetData({1, 2, 3});
    ASSERT_TRUE(h.view->IsCaretShown());
    h.view->SetData(nullptr, 0);
    img = h.Grab();
    EXPECT_EQ(Ink(img, img.rect()), 0);
    EXPECT_FALSE(h.view->IsCaretShown());
}

TEST(HexView, TwoBytesShowOneRowWithItsLabel) {
    ViewHarness h;
    h.SetData({0x5A, 0xA5});
    const Layout L = h.Layout();
    const QImage img = h.Grab();
    const int lh = static_cast<int>(L.lineHeight);
    const int c = static_cast<int>(L.charWidth);
    // Label "0000h" in the address column, two bytes "5A A5" in the hex column.
    EXPECT_GT(Ink(img, QRect(L.rcClient.left, L.rcClient.top, 5 * c, lh)), 0);
    EXPECT_GT(Ink(img, QRect(h.HexX(0), L.rcClient.top, 5 * c, lh)), 0);
    EXPECT_EQ(Ink(img, QRect(h.HexX(5), L.rcClient.top, 200, lh)), 0);
    // Nothing else: no second row.
    EXPECT_EQ(Ink(img, QRect(0, L.rcClient.top + lh, img.width(), img.height())), 0);
    EXPECT_EQ(Ink(img, QRect(0, 0, img.width(), L.rcClient.top)), 0);
    // The caret stands on byte 0's high digit.
    EXPECT_EQ(h.view->GetCaretRect(), QRect(h.HexX(0), L.rcClient.top + 1, c, lh - 1));
}

TEST(HexView, WideLabelsAreCutAtTheColumnEdge) {
    ViewHarness h;
    h.SetData(ViewHarness::Pattern(0x10100));
    h.view->SetTopRow(0x1000, true);  // rows 10000h, 10010h, ...
    ViewHarness::Settle();
    const Layout L = h.Layout();
    const QImage img = h.Grab();
    const int c = static_cast<int>(L.charWidth);
    const int columnRight = L.rcClient.left + static_cast<int>(L.addressWidth - ADDRESS_GAP);
    const QRect rows(0, L.rcClient.top, 1, static_cast<int>(L.fullRows * L.lineHeight));
    // The fifth character (the last '0') is shown, the 'h' after it is not.
    EXPECT_GT(Ink(img, QRect(columnRight - c, rows.top(), c, rows.height())), 0);
    EXPECT_EQ(Ink(img, QRect(columnRight, rows.top(), h.HexX(0) - columnRight, rows.height())), 0);
}

TEST(HexView, NarrowViewShowsTheHorizontalBarAndScrollsTheAddressesAway) {
    ViewHarness h(220, 200);
    h.SetData(ViewHarness::Pattern(0x100));
    EXPECT_TRUE(h.view->horizontalScrollBar()->isVisible());
    EXPECT_TRUE(h.view->verticalScrollBar()->isVisible());
    const Layout L = h.Layout();
    EXPECT_GT(L.maxScrollX, 0u);
    EXPECT_EQ(h.view->horizontalScrollBar()->maximum(), static_cast<int>(L.maxScrollX));

    h.view->ScrollPixels(static_cast<int>(L.addressWidth));
    const QImage img = h.Grab();
    // The address column has moved left of the text area: the first column shows hex digits.
    EXPECT_EQ(h.HexX(0), L.rcClient.left);
    EXPECT_EQ(Ink(img, QRect(0, 0, L.rcClient.left - 2, img.height())), 0);

    h.view->resize(900, 200);
    ViewHarness::Settle();
    EXPECT_FALSE(h.view->horizontalScrollBar()->isVisible());
    EXPECT_EQ(h.view->GetScrollX(), 0u);
}

TEST(HexView, ShorterDataLowersTheScrollPosition) {
    ViewHarness h(250, 200);
    h.SetData(ViewHarness::Pattern(0x10000));
    h.view->SetTopRow(500, true);
    h.view->ScrollPixels(100000);
    ASSERT_EQ(h.view->GetTopRow(), 500u);
    ASSERT_GT(h.view->GetScrollX(), 0u);
    h.view->resize(700, 200);  // wide enough for a whole row
    h.SetData(ViewHarness::Pattern(40));
    EXPECT_EQ(h.view->GetTopRow(), 0u);
    EXPECT_EQ(h.view->GetScrollX(), 0u);
    EXPECT_FALSE(h.view->verticalScrollBar()->isVisible());
    EXPECT_EQ(h.view->GetCaretPos(), 0u);
}

TEST(HexView, WheelScrollsRowsAgainstTheDelta) {
    ViewHarness h;
    h.SetData(ViewHarness::Pattern(0x1000));
    auto wheel = [&](int delta) {
        QWheelEvent ev(QPointF(50, 50), h.view->viewport()->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, delta),
                       Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(h.view->viewport(), &ev);
    };
    h.view->SetTopRow(10, true);
    wheel(240);
    EXPECT_EQ(h.view->GetTopRow(), 8u);
    wheel(-120);
    EXPECT_EQ(h.view->GetTopRow(), 9u);
    wheel(119);
    EXPECT_EQ(h.view->GetTopRow(), 9u);
    h.view->SetTopRow(1, true);
    wheel(240);
    EXPECT_EQ(h.view->GetTopRow(), 0u);
    EXPECT_EQ(h.view->verticalScrollBar()->value(), 0);
}

// Over either bar the wheel moves the rows by the view's rule: one row a notch.
TEST(HexView, WheelOverTheScrollBarsScrollsRows) {
    ViewHarness h(200, 300);
    h.SetData(ViewHarness::Pattern(0x1000));
    for (QScrollBar* bar : {h.view->verticalScrollBar(), h.view->horizontalScrollBar()}) {
        ASSERT_TRUE(bar->isVisible());
        const UINT top = h.view->GetTopRow();
        QWheelEvent ev(QPointF(5, 5), bar->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120), Qt::NoButton,
                       Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(bar, &ev);
        EXPECT_EQ(h.view->GetTopRow(), top + 1);
        EXPECT_EQ(h.view->GetScrollX(), 0u);
        EXPECT_EQ(h.view->verticalScrollBar()->value(), static_cast<int>(top + 1));
    }
}

TEST(HexView, OnlyThumbTrackMovesTheView) {
    ViewHarness h;
    h.SetData(ViewHarness::Pattern(0x1000));
    QScrollBar* bar = h.view->verticalScrollBar();
    h.view->OnVScroll(CHexEditBase::SB_THUMBPOSITION, 5);
    h.view->OnVScroll(CHexEditBase::SB_ENDSCROLL, 5);
    EXPECT_EQ(h.view->GetTopRow(), 0u);
    h.view->OnVScroll(CHexEditBase::SB_THUMBTRACK, 5);
    EXPECT_EQ(h.view->GetTopRow(), 5u);

    // The bar's own actions: dragging the thumb tracks, steps and pages move by rows.
    bar->setSliderPosition(30);
    EXPECT_EQ(h.view->GetTopRow(), 30u);
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(h.view->GetTopRow(), 31u);
    bar->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(h.view->GetTopRow(), 31u - h.Layout().fullRows);
    bar->triggerAction(QAbstractSlider::SliderToMaximum);  // not a row action: the view stays
    EXPECT_EQ(h.view->GetTopRow(), 31u - h.Layout().fullRows);
    EXPECT_EQ(bar->value(), static_cast<int>(h.view->GetTopRow()));
    h.view->OnVScroll(CHexEditBase::SB_THUMBTRACK, 100000);
    EXPECT_EQ(h.view->GetTopRow(), h.Layout().maxTopRow);
}

// Selection fill from the first digit of the start byte to just after the
// second digit of the end byte, blanks between selected bytes filled, and
// the caret inverting the digit it edits.
TEST(HexView, SelectionAndCaretLandOnTheirDigits) {
    ViewHarness h;
    h.SetData(ViewHarness::Pattern(0x100));
    // Select bytes 18..20 of row 1 with Shift+Right moves from byte 18.
    h.view->SetEditCaretPos(18, true);
    h.Keys(Qt::Key_Right, 5, Qt::ShiftModifier);
    ASSERT_EQ(h.view->GetSelStart(), 18u);
    ASSERT_EQ(h.view->GetSelEnd(), 20u);
    ASSERT_EQ(h.view->GetCaretPos(), 20u);
    ASSERT_FALSE(h.view->IsCaretHighNibble());

    const Layout L = h.Layout();
    const int c = static_cast<int>(L.charWidth);
    const int lh = static_cast<int>(L.lineHeight);
    const int top = h.RowTop(1);
    const QImage img = h.Grab();
    const QRgb highlight = PaletteColour(QPalette::Highlight);
    const int sx = h.HexX(3 * 2);
    const int ex = h.HexX(3 * 4 + 2);
    EXPECT_EQ(img.pixel(sx, top + 1), highlight);
    EXPECT_EQ(img.pixel(sx - 1, top + 1), WHITE);
    EXPECT_EQ(img.pixel(ex, top + 1), highlight);
    EXPECT_EQ(img.pixel(ex + 1, top + 1), WHITE);
    EXPECT_EQ(img.pixel(sx, top), WHITE);  // the fill starts one pixel below the row top
    EXPECT_EQ(img.pixel(h.HexX(3 * 2 + 2) + c / 2, top + lh / 2), highlight);  // blank between selected bytes
    EXPECT_EQ(img.pixel(h.HexX(3 * 4 + 2) + c / 2, top + lh / 2), WHITE);     // blank after the last one
    EXPECT_EQ(Ink(img, QRect(0, h.RowTop(0), img.width(), lh)) > 0, true);

    // The caret inverts byte 20's low digit: compare with the caret elsewhere.
    const QRect caret = h.view->GetCaretRect();
    EXPECT_EQ(caret, QRect(h.HexX(3 * 4 + 1), top + 1, c, lh - 1));
    h.view->SetEditCaretPos(40, true);
    const QImage plain = h.Grab();
    for (int y = top; y < top + lh; ++y) {
        for (int x = sx - c; x < ex + 2 * c; ++x) {
            const QRgb expected = caret.contains(x, y) ? (plain.pixel(x, y) ^ 0x00FFFFFF) : plain.pixel(x, y);
            ASSERT_EQ(img.pixel(x, y) & 0x00FFFFFF, expected & 0x00FFFFFF) << x << "," << y;
        }
    }

    // Without the focus: no caret, the selection in the unfocused colours.
    h.view->clearFocus();
    ViewHarness::Settle();
    EXPECT_FALSE(h.view->IsCaretShown());
    const QImage unfocused = h.Grab();
    EXPECT_EQ(unfocused.pixel(h.HexX(3 * 2 + 2) + c / 2, top + lh / 2), PaletteColour(QPalette::Button));
}

TEST(HexView, CaretOnlyWithFocusAndOnAShownRow) {
    ViewHarness h;
    h.SetData(ViewHarness::Pattern(0x1000));
    h.view->SetEditCaretPos(0x20, false);
    EXPECT_TRUE(h.view->IsCaretShown());
    h.view->SetTopRow(10, true);
    EXPECT_FALSE(h.view->IsCaretShown());
    h.view->SetTopRow(1, true);
    EXPECT_TRUE(h.view->IsCaretShown());
    EXPECT_EQ(h.view->GetCaretRect().top(), h.RowTop(1) + 1);
    h.view->clearFocus();
    EXPECT_FALSE(h.view->IsCaretShown());
    h.view->setFocus();
    EXPECT_TRUE(h.view->IsCaretShown());
}

TEST(HexView, SetDataCopiesEvenFromItsOwnBuffer) {
    ViewHarness h;
    h.SetData(ViewHarness::Pattern(64));
    const std::vector<BYTE> expected(h.view->GetData() + 8, h.view->GetData() + 40);
    h.view->SetData(h.view->GetData() + 8, 32);
    ASSERT_EQ(h.view->GetDataSize(), 32u);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), h.view->GetData()));
    h.view->SetData(h.view->GetData(), 32);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), h.view->GetData()));
    h.view->SetData(nullptr, 10);
    EXPECT_EQ(h.view->GetData(), nullptr);
    EXPECT_EQ(h.view->GetDataSize(), 0u);
}

TEST(HexView, TakesOnlyFixedPitchFonts) {
    ViewHarness h;
    h.SetData(ViewHarness::Pattern(16));
    const QFont before = h.view->OnGetFont();
    QFont proportional(QStringLiteral("DejaVu Sans"), 20);
    h.view->OnSetFont(proportional, true);
    EXPECT_EQ(h.view->OnGetFont(), before);

    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPixelSize(30);
    h.view->OnSetFont(fixed, true);
    EXPECT_EQ(h.view->OnGetFont(), fixed);
    h.Grab();
    EXPECT_GT(h.Layout().lineHeight, 30u);
}

TEST(HexView, TemplateClassNamesMakeViews) {
    QWidget parent;
    for (const char* name : {"CHexEditBase", "CHexEditBase_SC", "chexeditbase_sc"}) {
        QWidget* w = CreateHexEditByClassName(QString::fromLatin1(name), &parent);
        ASSERT_NE(qobject_cast<CHexEditBase*>(w), nullptr) << name;
        EXPECT_EQ(w->parentWidget(), &parent);
    }
    EXPECT_EQ(CreateHexEditByClassName(QStringLiteral("EDIT"), &parent), nullptr);
    EXPECT_EQ(CreateHexEditByClassName(QString(), &parent), nullptr);
}

// A selection that ends on the last byte of a row: the fill runs to one
// pixel behind that byte's second digit (there is no blank after it to
// leave out), and the next row shows none of it.
TEST(HexView, SelectionEndingOnARowsLastBytePaintsToItsEnd) {
    const struct {
        UINT start, end;  // rows of 16: byte 31 is the last of row 1
        int firstRowFrom;  // character where row 1's fill starts
    } cases[] = {{31, 31, 45}, {28, 31, 36}, {16, 31, 0}, {5, 31, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.start) + ".." + std::to_string(c.end));
        ViewHarness h;
        h.SetData(ViewHarness::Pattern(0x100));
        h.view->SetEditCaretPos(c.start, true);
        h.Keys(Qt::Key_Right, static_cast<int>(2 * (c.end - c.start) + 1), Qt::ShiftModifier);
        ASSERT_EQ(h.view->GetSelStart(), c.start);
        ASSERT_EQ(h.view->GetSelEnd(), c.end);
        h.view->SetEditCaretPos(0x80, true);  // the caret out of the way
        ASSERT_EQ(h.view->GetSelEnd(), c.end);

        const int lh = static_cast<int>(h.Layout().lineHeight);
        const QImage img = h.Grab();
        const QRgb highlight = PaletteColour(QPalette::Highlight);
        const int top = h.RowTop(1) + 1;
        const int ex = h.HexX(3 * 15 + 2);  // just behind the row's last digit
        EXPECT_EQ(img.pixel(h.HexX(c.firstRowFrom), top), highlight);
        EXPECT_EQ(img.pixel(ex, top), highlight);
        EXPECT_EQ(img.pixel(ex + 1, top), WHITE);
        if (c.firstRowFrom > 0) {
            EXPECT_EQ(img.pixel(h.HexX(c.firstRowFrom) - 1, top), WHITE);
        }
        int nextRowFill = 0;
        for (int y = h.RowTop(2); y < h.RowTop(2) + lh; ++y) {
            for (int x = 0; x < img.width(); ++x) nextRowFill += img.pixel(x, y) == highlight;
        }
        EXPECT_EQ(nextRowFill, 0);
    }
}

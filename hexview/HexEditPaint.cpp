// Painting and scrolling of the hex view: the layout pass, scroll bars,
// the three columns and the caret block.
#include "HexEditBase.h"

#include "HexGlyphCache.h"

#include <QApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>

using namespace hexview;

namespace {

QColor ToQColor(COLORREF c) {
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
}
}  // namespace

// ---------------------------------------------------------------------------
// Layout

Layout CHexEditBase::CurrentLayout() const {
    Layout L;
    L.rcClient = m_rcClient;
    L.charWidth = std::max<UINT>(m_nCharWidth, 1);
    L.lineHeight = std::max<UINT>(m_nLineHeight, 1);
    L.fullRows = m_nFullRows;
    L.lastRowHeight = m_nLastRowHeight;
    L.visibleRows = m_nVisibleRows;
    L.rowBytes = std::max<UINT>(m_nRowBytes, 1);
    L.addressX = m_nAddressX;
    L.addressWidth = m_nAddressWidth;
    L.hexX = m_nHexX;
    L.hexWidth = m_nHexWidth;
    L.asciiX = m_nAsciiX;
    L.asciiWidth = m_nAsciiWidth;
    L.maxTopRow = m_nMaxTopRow;
    L.maxScrollX = m_nMaxScrollX;
    L.topRow = m_nTopRow;
    L.scrollX = m_nScrollX;
    L.multiLine = m_bMultiLine;
    return L;
}

void CHexEditBase::CalculatePaintingDetails() {
    m_bRecalc = 0;
    const QFontMetrics fm(m_font, viewport());
    LayoutInput in;
    in.clientWidth = viewport()->width();
    in.clientHeight = viewport()->height();
    in.multiLine = m_bMultiLine;
    in.charWidth = static_cast<UINT>(std::max(fm.horizontalAdvance(QLatin1Char('0')), 1));
    in.lineHeight = static_cast<UINT>(std::max(fm.height(), 1));
    in.addressDigits = m_nAddressDigits;
    in.showAddress = m_bShowAddress;
    in.showAscii = m_bShowAscii;
    in.bytesPerRow = m_nBytesPerRow;
    in.autoBytesPerRow = m_bAutoBytesPerRow;
    in.dataSize = m_nDataSize;
    in.topRow = m_nTopRow;
    in.scrollX = m_nScrollX;
    const Layout L = CalculateLayout(in);

    m_nCharWidth = L.charWidth;
    m_nLineHeight = L.lineHeight;
    m_rcClient = L.rcClient;
    m_nFullRows = L.fullRows;
    m_nLastRowHeight = L.lastRowHeight;
    m_nVisibleRows = L.visibleRows;
    m_nAddressX = L.addressX;
    m_nAddressWidth = L.addressWidth;
    m_nRowBytes = L.rowBytes;
    m_nHexX = L.hexX;
    m_nHexWidth = L.hexWidth;
    m_nAsciiX = L.asciiX;
    m_nAsciiWidth = L.asciiWidth;
    m_nMaxTopRow = L.maxTopRow;
    m_nTopRow = L.topRow;
    m_nMaxScrollX = L.maxScrollX;
    m_nScrollX = L.scrollX;

    m_glyphs->ascent = fm.ascent();
    m_glyphs->SetCharWidth(m_nCharWidth);
    PostUpdateScrollbars();
}

void CHexEditBase::PostUpdateScrollbars() {
    if (m_bScrollbarsPending) return;
    m_bScrollbarsPending = true;
    QMetaObject::invokeMethod(
        this, [this] { if (m_bScrollbarsPending) UpdateScrollbars(); }, Qt::QueuedConnection);
}

void CHexEditBase::UpdateScrollbars() {
    m_bScrollbarsPending = false;
    if (!m_bMultiLine) return;
    // Showing or hiding a bar resizes the text area, which runs the layout
    // pass and asks for this again; that request is served by the loop here.
    if (m_bInScrollbarUpdate) {
        m_bScrollbarsAgain = true;
        return;
    }
    m_bInScrollbarUpdate = true;
    for (int pass = 0; pass < 4; ++pass) {
        m_bScrollbarsAgain = false;
        QScrollBar* vbar = verticalScrollBar();
        if (m_nMaxTopRow > 0) {
            vbar->setEnabled(true);
            vbar->setRange(0, static_cast<int>(m_nMaxTopRow));
            vbar->setPageStep(static_cast<int>(std::max<UINT>(m_nFullRows, 1)));
            vbar->setSingleStep(1);
            m_nTopRow = std::min(m_nTopRow, m_nMaxTopRow);
            vbar->setValue(static_cast<int>(m_nTopRow));
        } else {
            vbar->setRange(0, 0);
        }
        QScrollBar* hbar = horizontalScrollBar();
        if (m_nMaxScrollX > 0) {
            hbar->setEnabled(true);
            hbar->setRange(0, static_cast<int>(m_nMaxScrollX));
            hbar->setPageStep(std::max(m_rcClient.right - m_rcClient.left, 1));
            hbar->setSingleStep(static_cast<int>(std::max<UINT>(m_nCharWidth, 1)));
            m_nScrollX = std::min(m_nScrollX, m_nMaxScrollX);
            hbar->setValue(static_cast<int>(m_nScrollX));
        } else {
            hbar->setRange(0, 0);
        }
        if (!m_bScrollbarsAgain) break;
    }
    m_bInScrollbarUpdate = false;
}

void CHexEditBase::OnSize() {
    CalculatePaintingDetails();
    SetEditCaretPos(m_nCaretPos, m_bCaretHighNibble);
    UpdateScrollbars();
}

void CHexEditBase::resizeEvent(QResizeEvent*) {
    OnSize();
}

// ---------------------------------------------------------------------------
// Caret

void CHexEditBase::SetEditCaretPos(UINT nOffset, bool bHighNibble) {
    m_nCaretPos = nOffset;
    m_bCaretHighNibble = bHighNibble;
    if (m_pData == nullptr || m_nDataSize == 0) return;
    if (m_bRecalc) CalculatePaintingDetails();

    const CaretRect caret = CaretGeometry(CurrentLayout(), m_nTopRow, m_nScrollX, nOffset, bHighNibble);
    if (!caret.visible || !hasFocus()) {
        DestroyCaret();
        return;
    }
    const QRect rc(caret.x, caret.y, caret.width, caret.height);
    m_bCaretShown = 1;
    m_nCaretHeight = static_cast<UINT>(caret.height);
    m_nCaretWidth = static_cast<UINT>(caret.width);
    if (rc != m_rcCaret) {
        viewport()->update(m_rcCaret);
        m_rcCaret = rc;
    }
    RestartCaretBlink();
    viewport()->update(m_rcCaret);
}

void CHexEditBase::DestroyCaret() {
    m_bCaretShown = 0;
    m_caretTimer.stop();
    if (!m_rcCaret.isNull()) viewport()->update(m_rcCaret);
    m_rcCaret = QRect();
}

void CHexEditBase::RestartCaretBlink() {
    m_bCaretBlinkOn = true;
    const int flash = QApplication::cursorFlashTime();
    if (flash > 0) m_caretTimer.start(flash / 2, this);
    else m_caretTimer.stop();
}

QRect CHexEditBase::GetCaretRect() const {
    return m_bCaretShown ? m_rcCaret : QRect();
}

// ---------------------------------------------------------------------------
// Painting

void CHexEditBase::paintEvent(QPaintEvent* e) {
    QPainter p(viewport());
    if (m_bRecalc) CalculatePaintingDetails();
    p.fillRect(viewport()->rect(), ToQColor(m_clrWindowBk));

    const Rect& rc = m_rcClient;
    const int lh = static_cast<int>(m_nLineHeight);
    const int vis = static_cast<int>(m_nVisibleRows);
    const QRect dirty = e->rect();
    if (m_pData != nullptr && m_nDataSize != 0) {
        const PaintRows rows{std::clamp((dirty.top() - rc.top) / lh, 0, vis),
                             std::clamp((dirty.bottom() + 1 - rc.top + lh - 1) / lh, 0, vis),
                             VisibleBytes(CurrentLayout(), m_nTopRow, m_nDataSize)};
        p.save();
        p.setClipRect(QRect(rc.left - 2, rc.top, rc.right - rc.left + 4, rc.bottom - rc.top));
        if (m_bShowAddress) PaintAddresses(p, rows);
        PaintHexData(p, rows);
        if (m_bShowAscii) PaintAsciiData(p, rows);
        p.restore();
    }

    if (m_bCaretShown && m_bCaretBlinkOn && !m_rcCaret.isEmpty()) {
        p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        p.fillRect(m_rcCaret, Qt::white);
    }
}

void CHexEditBase::PaintAddresses(QPainter& p, const PaintRows& rows) {
    const Rect& rc = m_rcClient;
    const int left = rc.left + static_cast<int>(m_nAddressX) - static_cast<int>(m_nScrollX);
    const QRect column(left, rc.top, static_cast<int>(m_nAddressWidth - ADDRESS_GAP), rc.bottom - rc.top);
    p.fillRect(column, ToQColor(m_clrAddressBk));
    p.save();
    p.setClipRect(column, Qt::IntersectClip);
    p.setPen(ToQColor(m_clrAddressText));
    char label[32];
    std::uint64_t start = 0;
    for (int row = rows.from; row < rows.to && rows.Start(row, m_nRowBytes, start); ++row) {
        const int n = FormatAddress(static_cast<UINT>(start), m_nAddressDigits, label);
        m_glyphs->Draw(p, QPoint(left, rc.top + row * static_cast<int>(m_nLineHeight)), label, 0, n);
    }
    p.restore();
}

void CHexEditBase::PaintHexData(QPainter& p, const PaintRows& rows) {
    const Rect& rc = m_rcClient;
    const int c = static_cast<int>(m_nCharWidth);
    const int lh = static_cast<int>(m_nLineHeight);
    const int left = rc.left + static_cast<int>(m_nHexX) - static_cast<int>(m_nScrollX);
    const int textWidth = static_cast<int>(m_nHexWidth - HEX_MARGIN);
    p.fillRect(QRect(left, rc.top, textWidth, rc.bottom - rc.top), ToQColor(m_clrHexBk));

    const bool focused = hasFocus();
    const bool showSel = IsSelection() && (focused || m_bMultiLine);
    const QColor textColour = ToQColor(m_clrHexText);
    const QColor selBk = ToQColor(focused ? m_clrSelBkFocused : m_clrSelBkUnfocused);
    const QColor selText = ToQColor(focused ? m_clrSelTextFocused : m_clrSelTextUnfocused);

    char text[3 * MAX_ROW_BYTES + 1];
    std::uint64_t start = 0;
    for (int row = rows.from; row < rows.to && rows.Start(row, m_nRowBytes, start); ++row) {
        const UINT s = static_cast<UINT>(start);
        const UINT e = static_cast<UINT>(std::min<std::uint64_t>(start + m_nRowBytes, rows.bytes.end));
        const HexRow hr = FormatHexRow(m_pData, s, e, showSel ? m_nSelStart : NONE, m_nSelEnd, text);
        const QPoint origin(left, rc.top + row * lh);
        p.setPen(textColour);
        if (hr.selTo <= hr.selFrom) {
            m_glyphs->Draw(p, origin, text, 0, hr.length);
        } else {
            // The plain text around the selection, then the selection over it.
            m_glyphs->Draw(p, origin, text, 0, hr.selFrom);
            m_glyphs->Draw(p, origin, text, hr.selTo, hr.length);
            p.fillRect(QRect(left + hr.selFrom * c, origin.y() + 1, (hr.selTo - hr.selFrom) * c + 1, lh - 1), selBk);
            p.setPen(selText);
            m_glyphs->Draw(p, origin, text, hr.selFrom, hr.selTo);
        }
    }
}

void CHexEditBase::PaintAsciiData(QPainter& p, const PaintRows& rows) {
    const Rect& rc = m_rcClient;
    const int left = rc.left + static_cast<int>(m_nAsciiX) - static_cast<int>(m_nScrollX);
    p.fillRect(QRect(left, rc.top, static_cast<int>(m_nAsciiWidth), rc.bottom - rc.top), ToQColor(m_clrAsciiBk));
    p.setPen(ToQColor(m_clrAsciiText));

    char text[MAX_ROW_BYTES + 1];
    std::uint64_t start = 0;
    for (int row = rows.from; row < rows.to && rows.Start(row, m_nRowBytes, start); ++row) {
        const UINT s = static_cast<UINT>(start);
        const UINT e = static_cast<UINT>(std::min<std::uint64_t>(start + m_nRowBytes, rows.bytes.end));
        const int n = FormatAsciiRow(m_pData, s, e, text);
        m_glyphs->Draw(p, QPoint(left, rc.top + row * static_cast<int>(m_nLineHeight)), text, 0, n);
    }
}

// ---------------------------------------------------------------------------
// Scrolling

void CHexEditBase::SetTopRow(UINT nRow, bool bRedraw) {
    if (!m_bMultiLine) return;
    const UINT r = std::min(nRow, m_nMaxTopRow);
    verticalScrollBar()->setValue(static_cast<int>(r));
    if (r != m_nTopRow && bRedraw) viewport()->update();
    m_nTopRow = r;
    SetEditCaretPos(m_nCaretPos, m_bCaretHighNibble);
}

void CHexEditBase::SetHorzScrollPos(UINT nX, bool bRedraw) {
    const UINT x = std::min(nX, m_nMaxScrollX);
    horizontalScrollBar()->setValue(static_cast<int>(x));
    if (x != m_nScrollX && bRedraw) {
        m_nScrollX = x;
        viewport()->update();
        SetEditCaretPos(m_nCaretPos, m_bCaretHighNibble);
    }
    m_nScrollX = x;
}

void CHexEditBase::ScrollRows(int nRows, bool bRedraw) {
    const std::int64_t row = static_cast<std::int64_t>(m_nTopRow) + nRows;
    SetTopRow(static_cast<UINT>(std::clamp<std::int64_t>(row, 0, NONE)), bRedraw);
}

void CHexEditBase::ScrollPixels(int nPixels) {
    const std::int64_t x = static_cast<std::int64_t>(m_nScrollX) + nPixels;
    SetHorzScrollPos(static_cast<UINT>(std::clamp<std::int64_t>(x, 0, NONE)), true);
}

void CHexEditBase::OnVScroll(UINT nSBCode, UINT nPos) {
    if (m_pData == nullptr) return;
    switch (nSBCode) {
    case SB_LINEUP: SetTopRow(m_nTopRow > 0 ? m_nTopRow - 1 : 0, true); break;
    case SB_LINEDOWN: SetTopRow(m_nTopRow + 1, true); break;
    case SB_PAGEUP: ScrollRows(-static_cast<int>(m_nFullRows), true); break;
    case SB_PAGEDOWN: ScrollRows(static_cast<int>(m_nFullRows), true); break;
    case SB_THUMBTRACK: SetTopRow(nPos, true); break;
    default: break;
    }
}

void CHexEditBase::OnHScroll(UINT nSBCode, UINT nPos) {
    if (m_pData == nullptr) return;
    const int c = static_cast<int>(m_nCharWidth);
    const int W = m_rcClient.right - m_rcClient.left;
    switch (nSBCode) {
    case SB_LINELEFT: ScrollPixels(-c); break;
    case SB_LINERIGHT: ScrollPixels(c); break;
    case SB_PAGELEFT: ScrollPixels(-W); break;
    case SB_PAGERIGHT: ScrollPixels(W); break;
    case SB_THUMBTRACK: SetHorzScrollPos(nPos, true); break;
    default: break;
    }
}

void CHexEditBase::OnScrollBarAction(bool bVertical, int action) {
    QScrollBar* bar = bVertical ? verticalScrollBar() : horizontalScrollBar();
    UINT code = SB_ENDSCROLL;
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub: code = SB_LINEUP; break;
    case QAbstractSlider::SliderSingleStepAdd: code = SB_LINEDOWN; break;
    case QAbstractSlider::SliderPageStepSub: code = SB_PAGEUP; break;
    case QAbstractSlider::SliderPageStepAdd: code = SB_PAGEDOWN; break;
    case QAbstractSlider::SliderMove: code = SB_THUMBTRACK; break;
    case QAbstractSlider::SliderToMinimum: code = SB_TOP; break;
    case QAbstractSlider::SliderToMaximum: code = SB_BOTTOM; break;
    default: break;
    }
    const UINT pos = static_cast<UINT>(std::max(bar->sliderPosition(), 0));
    if (bVertical) OnVScroll(code, pos);
    else OnHScroll(code, pos);
    // The bar shows where the view is, whatever the action asked for.
    bar->setValue(static_cast<int>(bVertical ? m_nTopRow : m_nScrollX));
}

void CHexEditBase::scrollContentsBy(int, int) {
    // Scrolling is driven by the bar actions; the contents are repainted.
}

bool CHexEditBase::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::Wheel && (watched == verticalScrollBar() || watched == horizontalScrollBar())) {
        wheelEvent(static_cast<QWheelEvent*>(e));
        return true;
    }
    return QAbstractScrollArea::eventFilter(watched, e);
}

void CHexEditBase::wheelEvent(QWheelEvent* e) {
    ScrollRows(-e->angleDelta().y() / 120, true);
    e->accept();
}


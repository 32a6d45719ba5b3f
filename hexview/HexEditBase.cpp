#include "HexEditBase.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QKeyEvent>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRawFont>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTimerEvent>
#include <QWheelEvent>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

using namespace hexview;

const char* const CHexEditBase::BINARY_DATA_MIME = "application/x-quillmar-BinaryData";

namespace {

QColor ToQColor(COLORREF c) {
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
}

COLORREF ToColorRef(const QColor& c) {
    return static_cast<COLORREF>(c.red()) | static_cast<COLORREF>(c.green()) << 8 |
           static_cast<COLORREF>(c.blue()) << 16;
}

bool PtInRect(const Rect& rc, const QPoint& pt) {
    return pt.x() >= rc.left && pt.x() < rc.right && pt.y() >= rc.top && pt.y() < rc.bottom;
}

// Every column assumes one width for all characters: a font qualifies when
// all printable ASCII characters advance alike.
bool IsFixedPitchFont(const QFont& font) {
    const QFontMetricsF fm(font);
    const qreal width = fm.horizontalAdvance(QLatin1Char('0'));
    if (width <= 0) return false;
    for (char16_t ch = 0x20; ch < 0x7F; ++ch) {
        if (!qFuzzyCompare(fm.horizontalAdvance(QChar(ch)), width)) return false;
    }
    return true;
}

// The view's own font: "仿宋" 12 pt where that face exists with a fixed pitch,
// else the system's fixed-pitch font. That face sets its Latin characters in
// half of its em, so the stand-in is sized to the same character width: the
// dialog's rows of 16 bytes then fit the view as they were laid out.
QFont DefaultHexFont() {
    const QString face = QStringLiteral("仿宋");
    if (QFontDatabase::hasFamily(face)) {
        QFont font(face, 12);
        if (IsFixedPitchFont(font)) return font;
    }
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(12);
    const qreal em = QFontInfo(font).pixelSize();
    const qreal advance = QFontMetricsF(font).horizontalAdvance(QLatin1Char('0'));
    if (em > 0 && advance > em / 2) font.setPointSizeF(12 * (em / 2) / advance);
    return font;
}

UINT VirtualKey(int key) {
    switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    default: return 0;
    }
}

}  // namespace

// Glyphs of the ASCII characters in the view's font, and the x position of
// every character cell of a row, so a row is drawn with one glyph run on an
// exact grid of the character width.
struct CHexEditBase::GlyphCache {
    QRawFont raw;
    std::array<quint32, 128> glyph{};
    int ascent = 0;
    std::vector<QPointF> positions;
    std::vector<quint32> row;

    void Build(const QFont& font) {
        raw = QRawFont::fromFont(font);
        glyph.fill(0);
        QString chars;
        for (char16_t ch = 0x20; ch < 0x7F; ++ch) chars += QChar(ch);
        const QList<quint32> ids = raw.glyphIndexesForString(chars);
        for (int i = 0; i < ids.size(); ++i) glyph[0x20 + i] = ids[i];
    }
    void SetCharWidth(UINT c) {
        positions.resize(1024);
        for (std::size_t i = 0; i < positions.size(); ++i) positions[i] = QPointF(static_cast<qreal>(i * c), 0);
        row.resize(1024);
    }
    // Draws characters [from, to) of text at the cell grid starting at origin.
    void Draw(QPainter& p, const QPoint& origin, const char* text, int from, int to) {
        if (to <= from) return;
        for (int i = from; i < to; ++i) row[i] = glyph[static_cast<unsigned char>(text[i]) & 0x7F];
        QGlyphRun run;
        run.setRawFont(raw);
        run.setRawData(row.data() + from, positions.data() + from, to - from);
        p.drawGlyphRun(QPointF(origin.x(), origin.y() + ascent), run);
    }
};

CHexEditBase::CHexEditBase(QWidget* parent)
    : QAbstractScrollArea(parent),
      m_strCopy(QStringLiteral("Copy")),
      m_strPaste(QStringLiteral("Paste")),
      m_font(DefaultHexFont()),
      m_glyphs(new GlyphCache) {
    const QPalette pal = QApplication::palette();
    m_clrSelTextUnfocused = ToColorRef(pal.color(QPalette::Active, QPalette::WindowText));
    m_clrSelBkUnfocused = ToColorRef(pal.color(QPalette::Active, QPalette::Button));
    m_clrSelTextFocused = ToColorRef(pal.color(QPalette::Active, QPalette::HighlightedText));
    m_clrSelBkFocused = ToColorRef(pal.color(QPalette::Active, QPalette::Highlight));

    m_glyphs->Build(m_font);
    setFocusPolicy(Qt::StrongFocus);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    verticalScrollBar()->setRange(0, 0);
    horizontalScrollBar()->setRange(0, 0);
    connect(verticalScrollBar(), &QAbstractSlider::actionTriggered, this,
            [this](int action) { OnScrollBarAction(true, action); });
    connect(horizontalScrollBar(), &QAbstractSlider::actionTriggered, this,
            [this](int action) { OnScrollBarAction(false, action); });
    // The wheel scrolls rows by the view's own rule over the bars too.
    verticalScrollBar()->installEventFilter(this);
    horizontalScrollBar()->installEventFilter(this);
}

CHexEditBase::~CHexEditBase() {
    if (m_bOwnData) delete[] m_pData;
    delete m_glyphs;
}

CHexEditBase* CHexEditBase::ReplacePlaceholder(QWidget* placeholder) {
    if (placeholder == nullptr) return nullptr;
    QWidget* parent = placeholder->parentWidget();
    auto* view = new CHexEditBase(parent);
    auto* lineEdit = qobject_cast<QLineEdit*>(placeholder);
    view->SetMultiLine(lineEdit == nullptr);
    view->setObjectName(placeholder->objectName());
    for (const QByteArray& name : placeholder->dynamicPropertyNames())
        view->setProperty(name.constData(), placeholder->property(name.constData()));
    if (auto* frame = qobject_cast<QFrame*>(placeholder)) {
        view->setFrameStyle(frame->frameStyle());
        view->setLineWidth(frame->lineWidth());
    } else if (lineEdit != nullptr && !lineEdit->hasFrame()) {
        view->setFrameStyle(QFrame::NoFrame);
    }
    view->setGeometry(placeholder->geometry());
    view->setSizePolicy(placeholder->sizePolicy());
    view->setMinimumSize(placeholder->minimumSize());
    view->setMaximumSize(placeholder->maximumSize());
    view->setEnabled(parent == nullptr ? placeholder->isEnabled() : placeholder->isEnabledTo(parent));
    view->setToolTip(placeholder->toolTip());
    if (parent != nullptr && parent->layout() != nullptr) parent->layout()->replaceWidget(placeholder, view);

    // Take the placeholder's place in the tab order and the stacking order.
    if (placeholder->focusPolicy() == Qt::NoFocus) placeholder->setFocusPolicy(Qt::TabFocus);
    QWidget::setTabOrder(placeholder, view);
    view->stackUnder(placeholder);
    const bool hadFocus = placeholder->hasFocus();
    view->setVisible(!placeholder->isHidden());
    delete placeholder;
    if (hadFocus) view->setFocus(Qt::OtherFocusReason);
    return view;
}

void CHexEditBase::SetMultiLine(bool bMultiLine) {
    m_bMultiLine = bMultiLine;
    const Qt::ScrollBarPolicy policy = bMultiLine ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff;
    setVerticalScrollBarPolicy(policy);
    setHorizontalScrollBarPolicy(policy);
    m_bRecalc = 1;
    viewport()->update();
}

// ---------------------------------------------------------------------------
// Data and settings

void CHexEditBase::SetData(const BYTE* pData, UINT nSize) {
    m_nSelAnchor = m_nSelStart = m_nSelEnd = NONE;
    if (pData != nullptr) {
        if (m_bOwnData && m_pData != nullptr && m_nDataSize == nSize) {
            // Same size: copy in place (memmove, the source may be our own buffer).
            if (pData != m_pData && nSize > 0) std::memmove(m_pData, pData, nSize);
        } else {
            // Copy first, free after: the source may lie in the old buffer.
            BYTE* copy = new BYTE[nSize > 0 ? nSize : 1];
            if (nSize > 0) std::memcpy(copy, pData, nSize);
            if (m_bOwnData) delete[] m_pData;
            m_pData = copy;
        }
        m_bOwnData = 1;
        m_nDataSize = nSize;
    } else {
        if (m_bOwnData) delete[] m_pData;
        m_pData = nullptr;
        m_nDataSize = 0;
        m_bOwnData = 0;
    }
    m_bRecalc = 1;
    viewport()->update();
    // An empty view has no caret; one left from the old bytes would stay on screen.
    if (m_pData == nullptr || m_nDataSize == 0) DestroyCaret();
    SetEditCaretPos(0, true);
}

void CHexEditBase::SetAddressDigits(UINT nDigits) {
    m_nAddressDigits = nDigits;
    m_bRecalc = 1;
    SetEditCaretPos(m_nCaretPos, m_bCaretHighNibble);
    viewport()->update();
}

void CHexEditBase::SetShowAddress(bool bShow) {
    if (bShow == (m_bShowAddress != 0)) return;
    m_bShowAddress = bShow;
    m_bRecalc = 1;
    SetEditCaretPos(m_nCaretPos, m_bCaretHighNibble);
    viewport()->update();
}

void CHexEditBase::SetBytesPerRow(UINT nBytesPerRow, bool bAuto) {
    if (nBytesPerRow == m_nBytesPerRow && bAuto == (m_bAutoBytesPerRow != 0)) return;
    m_nBytesPerRow = nBytesPerRow;
    m_bAutoBytesPerRow = bAuto;
    m_bRecalc = 1;
    SetEditCaretPos(m_nCaretPos, m_bCaretHighNibble);
    viewport()->update();
}

void CHexEditBase::OnSetFont(const QFont& font, bool bRedraw) {
    if (IsFixedPitchFont(font)) {
        m_font = font;
        m_glyphs->Build(m_font);
    }
    m_bRecalc = 1;
    if (bRedraw) viewport()->update();
}

void CHexEditBase::SetReadOnly(bool bReadOnly, bool bRedraw) {
    m_bReadOnly = bReadOnly;
    if (bRedraw) viewport()->update();
}

bool CHexEditBase::IsSelection() const {
    return m_nSelStart != NONE && m_nSelEnd != NONE;
}

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
    if (!(m_bCaretShown && static_cast<UINT>(caret.height) == m_nCaretHeight &&
          static_cast<UINT>(caret.width) == m_nCaretWidth)) {
        m_bCaretShown = 1;
        m_nCaretHeight = static_cast<UINT>(caret.height);
        m_nCaretWidth = static_cast<UINT>(caret.width);
    }
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
    const int rowFrom = std::clamp((dirty.top() - rc.top) / lh, 0, vis);
    const int rowTo = std::clamp((dirty.bottom() + 1 - rc.top + lh - 1) / lh, 0, vis);

    p.save();
    p.setClipRect(QRect(rc.left - 2, rc.top, rc.right - rc.left + 4, rc.bottom - rc.top));
    if (m_bShowAddress) PaintAddresses(p, rowFrom, rowTo);
    PaintHexData(p, rowFrom, rowTo);
    if (m_bShowAscii) PaintAsciiData(p, rowFrom, rowTo);
    p.restore();

    if (m_bCaretShown && m_bCaretBlinkOn && !m_rcCaret.isEmpty()) {
        p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        p.fillRect(m_rcCaret, Qt::white);
    }
}

void CHexEditBase::PaintAddresses(QPainter& p, int rowFrom, int rowTo) {
    if (m_pData == nullptr || m_nDataSize == 0) return;
    const Rect& rc = m_rcClient;
    const int left = rc.left + static_cast<int>(m_nAddressX) - static_cast<int>(m_nScrollX);
    const QRect column(left, rc.top, static_cast<int>(m_nAddressWidth - ADDRESS_GAP), rc.bottom - rc.top);
    p.fillRect(column, ToQColor(m_clrAddressBk));
    p.setClipRect(column, Qt::IntersectClip);
    p.setPen(ToQColor(m_clrAddressText));

    const RowSpan span = VisibleBytes(CurrentLayout(), m_nTopRow, m_nDataSize);
    char label[32];
    for (int row = rowFrom; row < rowTo; ++row) {
        const std::uint64_t start = span.first + static_cast<std::uint64_t>(row) * m_nRowBytes;
        if (start >= span.end) break;
        const int n = FormatAddress(static_cast<UINT>(start), m_nAddressDigits, label);
        m_glyphs->Draw(p, QPoint(left, rc.top + row * static_cast<int>(m_nLineHeight)), label, 0, n);
    }
    p.setClipRect(QRect(rc.left - 2, rc.top, rc.right - rc.left + 4, rc.bottom - rc.top));
}

void CHexEditBase::PaintHexData(QPainter& p, int rowFrom, int rowTo) {
    if (m_pData == nullptr || m_nDataSize == 0) return;
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

    const RowSpan span = VisibleBytes(CurrentLayout(), m_nTopRow, m_nDataSize);
    char text[3 * MAX_ROW_BYTES + 1];
    for (int row = rowFrom; row < rowTo; ++row) {
        const std::uint64_t start = span.first + static_cast<std::uint64_t>(row) * m_nRowBytes;
        if (start >= span.end) break;
        const UINT s = static_cast<UINT>(start);
        const UINT e = static_cast<UINT>(std::min<std::uint64_t>(start + m_nRowBytes, span.end));
        const HexRow hr = FormatHexRow(m_pData, s, e, showSel ? m_nSelStart : NONE, m_nSelEnd, text);
        const QPoint origin(left, rc.top + row * lh);
        p.setPen(textColour);
        m_glyphs->Draw(p, origin, text, 0, hr.length);
        if (hr.selTo > hr.selFrom) {
            p.fillRect(QRect(left + hr.selFrom * c, origin.y() + 1, (hr.selTo - hr.selFrom) * c + 1, lh - 1), selBk);
            p.setPen(selText);
            m_glyphs->Draw(p, origin, text, hr.selFrom, hr.selTo);
        }
    }
}

void CHexEditBase::PaintAsciiData(QPainter& p, int rowFrom, int rowTo) {
    if (m_pData == nullptr || m_nDataSize == 0) return;
    const Rect& rc = m_rcClient;
    const int left = rc.left + static_cast<int>(m_nAsciiX) - static_cast<int>(m_nScrollX);
    p.fillRect(QRect(left, rc.top, static_cast<int>(m_nAsciiWidth), rc.bottom - rc.top), ToQColor(m_clrAsciiBk));
    p.setPen(ToQColor(m_clrAsciiText));

    const RowSpan span = VisibleBytes(CurrentLayout(), m_nTopRow, m_nDataSize);
    char text[MAX_ROW_BYTES + 1];
    for (int row = rowFrom; row < rowTo; ++row) {
        const std::uint64_t start = span.first + static_cast<std::uint64_t>(row) * m_nRowBytes;
        if (start >= span.end) break;
        const UINT s = static_cast<UINT>(start);
        const UINT e = static_cast<UINT>(std::min<std::uint64_t>(start + m_nRowBytes, span.end));
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
    const int n = -e->angleDelta().y() / 120;
    const std::int64_t row = static_cast<std::int64_t>(m_nTopRow) + n;
    SetTopRow(static_cast<UINT>(std::clamp<std::int64_t>(row, 0, NONE)), true);
    e->accept();
}

// ---------------------------------------------------------------------------
// Caret moves and selection

void CHexEditBase::GetOffsetFromPoint(const QPoint& pt, UINT& nOffset, bool& bHighNibble) {
    if (m_bRecalc) CalculatePaintingDetails();
    const CaretPos pos = OffsetFromPoint(CurrentLayout(), m_nTopRow, m_nScrollX, m_nDataSize, pt.x(), pt.y());
    nOffset = pos.offset;
    bHighNibble = pos.highNibble;
}

void CHexEditBase::MakeVisible(UINT nBegin, UINT nEnd, bool bRedraw) {
    if (m_bRecalc) CalculatePaintingDetails();
    const ScrollTarget t = MakeVisibleTarget(CurrentLayout(), m_nTopRow, m_nScrollX, nBegin, nEnd);
    if (t.rowChanged) {
        verticalScrollBar()->setValue(static_cast<int>(t.topRow));
        m_nTopRow = t.topRow;
        SetEditCaretPos(m_nCaretPos, m_bCaretHighNibble);
    }
    if (t.xChanged) {
        horizontalScrollBar()->setValue(static_cast<int>(t.scrollX));
        m_nScrollX = t.scrollX;
    }
    if (bRedraw) viewport()->update();
}

void CHexEditBase::MoveCaret(int nDelta, bool bHighNibble) {
    const bool shift = IsShiftDown();
    if (m_pData == nullptr || m_nDataSize == 0) return;
    EditState s{m_nCaretPos, m_bCaretHighNibble != 0, m_nSelStart, m_nSelEnd, m_nSelAnchor};
    s = MoveCaretState(s, m_nDataSize, nDelta, bHighNibble, shift);
    m_nSelStart = s.selStart;
    m_nSelEnd = s.selEnd;
    m_nSelAnchor = s.anchor;
    MakeVisible(s.caret, s.caret, true);
    SetEditCaretPos(s.caret, s.highNibble);
}

// ---------------------------------------------------------------------------
// Keyboard

bool CHexEditBase::event(QEvent* e) {
    if (e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) {
            // Tab goes through the view's own key handling (focus moves there).
            keyPressEvent(k);
            return true;
        }
    } else if (e->type() == QEvent::ShortcutOverride) {
        auto* k = static_cast<QKeyEvent*>(e);
        if ((k->modifiers() & Qt::ControlModifier) &&
            (k->key() == Qt::Key_A || k->key() == Qt::Key_C || k->key() == Qt::Key_V)) {
            e->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(e);
}

void CHexEditBase::keyPressEvent(QKeyEvent* e) {
    m_keyMods = e->modifiers();
    e->accept();
    if (m_keyMods & Qt::ControlModifier) {
        switch (e->key()) {
        case Qt::Key_A: OnEditSelectAll(); return;
        case Qt::Key_C: OnEditCopy(); return;
        case Qt::Key_V: OnEditPaste(); return;
        default: break;
        }
    }
    OnKeyDown(VirtualKey(e->key()));
    // Ctrl or Alt (alone, not together as AltGr) with a key types no character.
    if (((m_keyMods & Qt::ControlModifier) != 0) != ((m_keyMods & Qt::AltModifier) != 0)) return;
    const QString text = e->text();
    for (QChar ch : text) OnChar(ch.unicode());
}

void CHexEditBase::keyReleaseEvent(QKeyEvent* e) {
    m_keyMods = e->modifiers();
    e->accept();
}

void CHexEditBase::OnKeyDown(UINT nChar) {
    if (IsShiftDown() && m_nSelAnchor == NONE) m_nSelAnchor = m_nCaretPos;
    if (nChar == VK_TAB) {
        focusNextPrevChild(!IsShiftDown());
        return;
    }
    KeyMove move;
    if (CaretMoveForKey(nChar, m_bCaretHighNibble != 0, m_nRowBytes, m_nVisibleRows, move))
        MoveCaret(move.delta, move.highNibble);
}

bool CHexEditBase::OnChar(UINT ch) {
    if (m_pData == nullptr || m_nDataSize == 0 || m_bReadOnly) return false;
    BYTE v = 0;
    if (!HexDigitValue(ch, v)) return false;
    BYTE& b = m_pData[m_nCaretPos];
    if (m_bCaretHighNibble) {
        b = static_cast<BYTE>((b & 0x0F) | (v << 4));
        MoveCaret(0, false);
    } else {
        b = static_cast<BYTE>((b & 0xF0) | v);
        MoveCaret(1, true);
    }
    viewport()->update();
    NotifyParentChanged();
    return true;
}

void CHexEditBase::NotifyParentChanged() {
    emit changed();
}

// ---------------------------------------------------------------------------
// Focus

void CHexEditBase::focusInEvent(QFocusEvent*) {
    OnSetFocus();
}

void CHexEditBase::focusOutEvent(QFocusEvent*) {
    OnKillFocus();
}

void CHexEditBase::OnSetFocus() {
    if (m_pData != nullptr) SetEditCaretPos(m_nCaretPos, m_bCaretHighNibble);
    viewport()->update();
}

void CHexEditBase::OnKillFocus() {
    DestroyCaret();
    viewport()->update();
}

void CHexEditBase::timerEvent(QTimerEvent* e) {
    if (e->timerId() == m_caretTimer.timerId()) {
        m_bCaretBlinkOn = !m_bCaretBlinkOn;
        viewport()->update(m_rcCaret);
    } else if (e->timerId() == m_autoScrollTimer.timerId()) {
        OnTimer(IDT_AUTOSCROLL);
    } else {
        QAbstractScrollArea::timerEvent(e);
    }
}

// ---------------------------------------------------------------------------
// Mouse

void CHexEditBase::mousePressEvent(QMouseEvent* e) {
    m_keyMods = e->modifiers();
    if (e->button() == Qt::LeftButton) OnLButtonDown(e->position().toPoint());
    e->accept();
}

void CHexEditBase::mouseMoveEvent(QMouseEvent* e) {
    m_keyMods = e->modifiers();
    if (e->buttons() & Qt::LeftButton) OnMouseMove(e->position().toPoint());
    e->accept();
}

void CHexEditBase::mouseReleaseEvent(QMouseEvent* e) {
    m_keyMods = e->modifiers();
    if (e->button() == Qt::LeftButton) OnLButtonUp();
    e->accept();
}

void CHexEditBase::mouseDoubleClickEvent(QMouseEvent* e) {
    m_keyMods = e->modifiers();
    if (e->button() == Qt::LeftButton) OnLButtonDblClk(e->position().toPoint());
    e->accept();
}

// Focus to the view, and the caret to the point when there are bytes.
bool CHexEditBase::ClickCaret(const QPoint& pt) {
    setFocus(Qt::MouseFocusReason);
    if (m_pData == nullptr || m_nDataSize == 0) return false;
    SetCaretFromPoint(pt);
    return true;
}

void CHexEditBase::SetCaretFromPoint(const QPoint& pt) {
    UINT offset = 0;
    bool high = true;
    GetOffsetFromPoint(pt, offset, high);
    SetEditCaretPos(offset, high);
}

void CHexEditBase::OnLButtonDown(const QPoint& pt) {
    if (!ClickCaret(pt)) return;
    const int cx = QApplication::startDragDistance();
    const int cy = cx;
    m_rcDrag = {pt.x() - cx / 2, pt.y() - cy / 2, pt.x() + cx / 2 + (cx & 1), pt.y() + cy / 2 + (cy & 1)};
    m_nSelStart = NONE;
    m_nSelAnchor = m_nCaretPos;
}

void CHexEditBase::OnMouseMove(const QPoint& pt) {
    if (m_pData == nullptr || m_nSelAnchor == NONE) return;
    if (PtInRect(m_rcDrag, pt)) return;
    m_rcDrag = {-1, -1, -1, -1};

    if (!PtInRect(m_rcClient, pt) && m_bMultiLine) {
        int dist = 0;
        int dir = 0;
        if (pt.y() < m_rcClient.top) {
            dist = m_rcClient.top - pt.y();
            dir = -1;
        } else if (pt.y() > m_rcClient.bottom) {
            dist = pt.y() - m_rcClient.bottom;
            dir = 1;
        }
        if (dir != 0) {
            const WORD ticks = static_cast<WORD>(AutoScrollTicks(dist));
            if (m_nDataSize > 0) {
                m_nAutoScrollTicks = ticks;
                m_nAutoScrollDir = dir;
                if (!m_bAutoScrollTimer) {
                    m_bAutoScrollTimer = 1;
                    m_nAutoScrollCountdown = ticks;
                    m_autoScrollTimer.start(5, Qt::PreciseTimer, this);
                }
            }
        }
        m_ptLastMouse = pt;
    } else {
        StopAutoScroll();
    }
    UpdateSelectionFromPoint(pt);
}

void CHexEditBase::UpdateSelectionFromPoint(const QPoint& pt) {
    SetCaretFromPoint(pt);
    m_nSelStart = std::min(m_nSelAnchor, m_nCaretPos);
    m_nSelEnd = std::max(m_nSelAnchor, m_nCaretPos);
    viewport()->update();
}

void CHexEditBase::OnTimer(UINT nIDEvent) {
    if (nIDEvent != IDT_AUTOSCROLL || m_pData == nullptr || m_nDataSize == 0 || !m_bAutoScrollTimer) return;
    if (m_nAutoScrollCountdown > 0) {
        --m_nAutoScrollCountdown;
        return;
    }
    m_nAutoScrollCountdown = m_nAutoScrollTicks;
    ScrollRows(m_nAutoScrollDir, false);
    UpdateSelectionFromPoint(m_ptLastMouse);
}

void CHexEditBase::OnLButtonUp() {
    StopAutoScroll();
    viewport()->update();
}

void CHexEditBase::StopAutoScroll() {
    if (!m_bAutoScrollTimer) return;
    m_bAutoScrollTimer = 0;
    m_autoScrollTimer.stop();
}

void CHexEditBase::OnLButtonDblClk(const QPoint& pt) {
    if (!ClickCaret(pt)) return;
    m_nSelStart = m_nSelEnd = m_nCaretPos;
    viewport()->update();
}

// ---------------------------------------------------------------------------
// Context menu and clipboard

void CHexEditBase::contextMenuEvent(QContextMenuEvent* e) {
    e->accept();
    if (e->reason() == QContextMenuEvent::Keyboard) OnContextMenu(QPoint(-1, -1));
    else OnContextMenu(e->globalPos());
}

void CHexEditBase::OnContextMenu(const QPoint& screenPos) {
    QPoint menuPos = screenPos;
    if (screenPos != QPoint(-1, -1)) {
        if (m_pData != nullptr && m_nDataSize > 0) {
            UINT offset = 0;
            bool high = true;
            GetOffsetFromPoint(viewport()->mapFromGlobal(screenPos), offset, high);
            if (!(IsSelection() && offset >= m_nSelStart && offset <= m_nSelEnd)) {
                if (IsSelection()) {
                    m_nSelStart = m_nSelEnd = NONE;
                    viewport()->update();
                }
                SetEditCaretPos(offset, true);
            }
        }
    } else {
        menuPos = viewport()->mapToGlobal(QPoint(5, 5));
    }

    QMenu menu(this);
    QAction* copy = menu.addAction(m_strCopy);
    copy->setEnabled(IsSelection());
    QAction* paste = menu.addAction(m_strPaste);
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    paste->setEnabled(mime != nullptr && mime->hasFormat(QLatin1String(BINARY_DATA_MIME)) && !m_bReadOnly);
    OnExtendContextMenu(&menu);

    QAction* chosen = m_menuRunner ? m_menuRunner(menu, menuPos) : menu.exec(menuPos);
    if (chosen == copy && copy->isEnabled()) OnEditCopy();
    else if (chosen == paste && paste->isEnabled()) OnEditPaste();
}

void CHexEditBase::OnExtendContextMenu(QMenu*) {}

void CHexEditBase::OnEditCopy() {
    if (!IsSelection()) return;
    const UINT s = m_nSelStart;
    const UINT e = m_nSelEnd;
    const std::vector<BYTE> block = MakeBinaryBlock(m_pData + s, e - s + 1);
    const std::string text = HexDumpText(m_pData, s, e, m_nRowBytes);
    auto* mime = new QMimeData;
    mime->setData(QLatin1String(BINARY_DATA_MIME),
                  QByteArray(reinterpret_cast<const char*>(block.data()), static_cast<qsizetype>(block.size())));
    mime->setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
    QGuiApplication::clipboard()->setMimeData(mime);
}

void CHexEditBase::OnEditPaste() {
    if (m_bReadOnly || m_pData == nullptr || m_nDataSize == 0) return;
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    if (mime == nullptr || !mime->hasFormat(QLatin1String(BINARY_DATA_MIME))) return;
    const QByteArray block = mime->data(QLatin1String(BINARY_DATA_MIME));
    UINT count = 0;
    const BYTE* src = ReadBinaryBlock(reinterpret_cast<const BYTE*>(block.constData()),
                                      static_cast<std::size_t>(block.size()), count);
    if (src == nullptr) return;

    const UINT start = IsSelection() ? m_nSelStart : m_nCaretPos;
    const UINT n = PasteLength(start, count, m_nDataSize);
    // Nothing to write: caret and selection stay where they are.
    if (n == 0) return;
    std::memcpy(m_pData + start, src, n);
    const UINT last = start + n - 1;
    if (m_nSelStart != start || m_nSelEnd != last) {
        m_nSelStart = start;
        m_nSelEnd = std::min(last, m_nDataSize - 1);
        MakeVisible(start, last, false);
    }
    SetEditCaretPos(last, false);
    viewport()->update();
    NotifyParentChanged();
}

void CHexEditBase::OnEditSelectAll() {
    if (m_pData == nullptr || m_nDataSize == 0) return;
    if (m_nSelStart == 0 && m_nSelEnd == m_nDataSize - 1) return;
    m_nSelStart = 0;
    m_nSelEnd = m_nDataSize - 1;
    viewport()->update();
}

// ---------------------------------------------------------------------------

QWidget* CreateHexEditByClassName(const QString& className, QWidget* parent) {
    if (className.compare(QLatin1String("CHexEditBase_SC"), Qt::CaseInsensitive) == 0) {
        auto* view = new CHexEditBase(parent);
        view->m_bAutoDelete = 1;
        return view;
    }
    if (className.compare(QLatin1String("CHexEditBase"), Qt::CaseInsensitive) == 0) return new CHexEditBase(parent);
    return nullptr;
}

// The hex view's construction, data, settings and caret moves. Painting and
// scrolling are in HexEditPaint.cpp, keyboard and mouse input in
// HexEditInput.cpp, clipboard and context menu in HexEditClipboard.cpp.
#include "HexEditBase.h"

#include "HexGlyphCache.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QScrollBar>

#include <algorithm>
#include <cstring>
#include <utility>

using namespace hexview;

namespace {

COLORREF ToColorRef(const QColor& c) {
    return static_cast<COLORREF>(c.red()) | static_cast<COLORREF>(c.green()) << 8 |
           static_cast<COLORREF>(c.blue()) << 16;
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
}  // namespace

CHexEditBase::CHexEditBase(QWidget* parent)
    : QAbstractScrollArea(parent),
      m_strCopy(QStringLiteral("Copy")),
      m_strPaste(QStringLiteral("Paste")),
      m_font(DefaultHexFont()),
      m_glyphs(new GlyphCache) {
    // The selection's fills are the system's, each with the system's text
    // for that face (the button face's own text, not the window's).
    const QPalette pal = QApplication::palette();
    m_clrSelTextUnfocused = ToColorRef(pal.color(QPalette::Active, QPalette::ButtonText));
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

CHexEditBase::~CHexEditBase() { delete m_glyphs; }

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
    if (m_bDataSetsHeld) {
        m_heldSet = HeldSet{pData, nSize};
        return;
    }
    if (pData == nullptr) {
        m_block = {};
        m_pData = nullptr;
        m_nDataSize = 0;
    } else if (m_pData != nullptr && !m_block.Shared() && m_nDataSize == nSize) {
        // Same size: copy in place (memmove, the source may be our own buffer).
        if (pData != m_pData && nSize > 0) std::memmove(m_pData, pData, nSize);
    } else {
        // Copy first, free after: the source may lie in the old block.
        ByteBlock copy = NewByteBlock(nSize);
        if (nSize > 0) std::memcpy(copy.Data(), pData, nSize);
        m_block = std::move(copy);
        m_pData = m_block.Data();
        m_nDataSize = nSize;
    }
    DataReplaced();
}

ByteBlock CHexEditBase::ExchangeData(ByteBlock block, UINT nSize) {
    m_heldSet.reset();
    std::swap(block, m_block);
    m_pData = m_block.Data();
    m_nDataSize = m_pData != nullptr ? static_cast<UINT>(std::min<std::size_t>(nSize, m_block.capacity)) : 0;
    DataReplaced();
    return block;
}

BYTE* CHexEditBase::GetData() {
    MakeDataOwn();
    return m_pData;
}

void CHexEditBase::MakeDataOwn() {
    if (m_pData == nullptr || !m_block.Shared()) return;
    ByteBlock own = NewByteBlock(m_nDataSize);
    if (m_nDataSize > 0) std::memcpy(own.Data(), m_pData, m_nDataSize);
    m_block = std::move(own);
    m_pData = m_block.Data();
}

void CHexEditBase::HoldDataSets() { m_bDataSetsHeld = true; }

void CHexEditBase::ReleaseDataSets() {
    m_bDataSetsHeld = false;
    if (const std::optional<HeldSet> held = std::exchange(m_heldSet, std::nullopt)) SetData(held->pData, held->nSize);
}

void CHexEditBase::DataReplaced() {
    m_nSelAnchor = m_nSelStart = m_nSelEnd = NONE;
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

void CHexEditBase::NotifyParentChanged() {
    emit changed();
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
// Views of the template control classes

QWidget* CreateHexEditByClassName(const QString& className, QWidget* parent) {
    if (className.compare(QLatin1String("CHexEditBase_SC"), Qt::CaseInsensitive) == 0) {
        auto* view = new CHexEditBase(parent);
        view->m_bAutoDelete = 1;
        return view;
    }
    if (className.compare(QLatin1String("CHexEditBase"), Qt::CaseInsensitive) == 0) return new CHexEditBase(parent);
    return nullptr;
}

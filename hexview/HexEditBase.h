// CHexEditBase: a hex viewer and editor control. Shows and edits its own
// copy of a byte buffer: an optional address column, a hex column (two
// upper-case digits per byte) and an optional character column, a caret on
// one nibble, a selection, scrolling, typing, clipboard and a context menu.
#pragma once

#include "ByteBlock.h"
#include "HexEditLogic.h"
#include "HexLayout.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QFont>
#include <QPoint>
#include <QRect>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

class QAction;
class QMenu;
class QPainter;

class CHexEditBase : public QAbstractScrollArea {
    Q_OBJECT

public:
    // Scroll-bar actions of OnVScroll/OnHScroll.
    enum : UINT {
        SB_LINEUP = 0,
        SB_LINELEFT = 0,
        SB_LINEDOWN = 1,
        SB_LINERIGHT = 1,
        SB_PAGEUP = 2,
        SB_PAGELEFT = 2,
        SB_PAGEDOWN = 3,
        SB_PAGERIGHT = 3,
        SB_THUMBPOSITION = 4,
        SB_THUMBTRACK = 5,
        SB_TOP = 6,
        SB_BOTTOM = 7,
        SB_ENDSCROLL = 8,
    };
    static constexpr UINT IDT_AUTOSCROLL = 1024;
    // Clipboard MIME type of the raw bytes ("BinaryData" block).
    static const char* const BINARY_DATA_MIME;

    explicit CHexEditBase(QWidget* parent = nullptr);
    ~CHexEditBase() override;

    // Multi-line window (the default): 5-pixel inset, rows, scroll bars.
    // A single-line one shows the buffer on one row.
    void SetMultiLine(bool bMultiLine);
    bool IsMultiLine() const { return m_bMultiLine; }

    // Data: the view keeps its own copy.
    void SetData(const BYTE* pData, UINT nSize);
    // The view takes block (its first nSize bytes, at most its capacity) as
    // its data instead of a copy, and hands back the block it had (empty
    // when it had none).
    ByteBlock ExchangeData(ByteBlock block, UINT nSize);
    // The view's bytes as they are now, for a reader that must not see later
    // edits: while the block is held elsewhere, the view's next change goes
    // to a copy of it. Empty when the view has no data. Give the block back
    // (drop it) on the user-interface thread.
    ByteBlock ShareData() const { return m_block; }
    // Writable bytes: the view makes its data its own first when it is shared.
    BYTE* GetData();
    const BYTE* GetData() const { return m_pData; }
    UINT GetDataSize() const { return m_nDataSize; }
    // While held, SetData only notes its source, and ReleaseDataSets copies
    // the one noted last; ExchangeData drops the note. For sets in a row
    // that nothing paints between, which show what the last one shows: the
    // sources must stay unchanged until the release. GetData tells the bytes
    // of before the hold meanwhile.
    void HoldDataSets();
    void ReleaseDataSets();

    void SetAddressDigits(UINT nDigits);
    void SetShowAddress(bool bShow);
    void SetBytesPerRow(UINT nBytesPerRow, bool bAuto);

    // Caret and scrolling.
    void SetEditCaretPos(UINT nOffset, bool bHighNibble);
    void SetTopRow(UINT nRow, bool bRedraw);
    void SetHorzScrollPos(UINT nX, bool bRedraw);
    void ScrollRows(int nRows, bool bRedraw);
    void ScrollPixels(int nPixels);
    void MakeVisible(UINT nBegin, UINT nEnd, bool bRedraw);
    void MoveCaret(int nDelta, bool bHighNibble);
    void GetOffsetFromPoint(const QPoint& pt, UINT& nOffset, bool& bHighNibble);

    // Font: only fixed-pitch fonts are taken.
    void OnSetFont(const QFont& font, bool bRedraw);
    QFont OnGetFont() const { return m_font; }

    virtual void SetReadOnly(bool bReadOnly, bool bRedraw);
    bool IsReadOnly() const { return m_bReadOnly != 0; }
    bool IsSelection() const { return m_nSelStart != hexview::NONE && m_nSelEnd != hexview::NONE; }

    // State, for callers and tests.
    UINT GetCaretPos() const { return m_nCaretPos; }
    bool IsCaretHighNibble() const { return m_bCaretHighNibble != 0; }
    UINT GetSelStart() const { return m_nSelStart; }
    UINT GetSelEnd() const { return m_nSelEnd; }
    UINT GetSelAnchor() const { return m_nSelAnchor; }
    UINT GetTopRow() const { return m_nTopRow; }
    UINT GetScrollX() const { return m_nScrollX; }
    hexview::Layout GetLayout() const { return CurrentLayout(); }
    // The caret block in viewport coordinates; empty when no caret exists.
    QRect GetCaretRect() const;
    bool IsCaretShown() const { return m_bCaretShown != 0; }

    // Scroll-bar actions (SB_*): a line, a page, or to the thumb position
    // nPos while the thumb is dragged (SB_THUMBTRACK); others do nothing.
    void OnVScroll(UINT nSBCode, UINT nPos);
    void OnHScroll(UINT nSBCode, UINT nPos);
    // Auto-scroll timer tick.
    void OnTimer(UINT nIDEvent);

    // Clipboard and select all.
    void OnEditCopy();
    void OnEditPaste();
    void OnEditSelectAll();

    // Context menu at a screen point; (-1, -1) opens it from the keyboard at
    // client point (5, 5).
    void OnContextMenu(const QPoint& screenPos);
    // Shows the popup and returns the chosen action. Replaceable so that
    // tests (or a host) can answer the menu without running it.
    using MenuRunner = std::function<QAction*(QMenu& menu, const QPoint& screenPos)>;
    void SetMenuRunner(MenuRunner runner) { m_menuRunner = std::move(runner); }

signals:
    // Bytes were typed or pasted (the parent's change notification).
    void changed();

protected:
    // Hook for derived classes: add items to the popup before it is shown.
    virtual void OnExtendContextMenu(QMenu* pMenu);
    void NotifyParentChanged();

    void CalculatePaintingDetails();
    void UpdateScrollbars();
    // The shown rows a paint covers, and the bytes the view shows.
    struct PaintRows {
        int from;
        int to;
        hexview::RowSpan bytes;
        // First byte of shown row `row`; none (false) past the shown bytes.
        bool Start(int row, UINT rowBytes, std::uint64_t& start) const {
            start = bytes.first + static_cast<std::uint64_t>(row) * rowBytes;
            return start < bytes.end;
        }
    };
    void PaintAddresses(QPainter& p, const PaintRows& rows);
    void PaintHexData(QPainter& p, const PaintRows& rows);
    void PaintAsciiData(QPainter& p, const PaintRows& rows);

    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void timerEvent(QTimerEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;

    void OnKeyDown(UINT nChar);
    bool OnChar(UINT ch);  // true when a digit was typed
    void OnSize();
    void OnSetFocus();
    void OnKillFocus();
    void OnLButtonDown(const QPoint& pt);
    void OnMouseMove(const QPoint& pt);
    void OnLButtonUp();
    void OnLButtonDblClk(const QPoint& pt);
    void StopAutoScroll();

private:
    hexview::Layout CurrentLayout() const;
    bool ClickCaret(const QPoint& pt);
    void SetCaretFromPoint(const QPoint& pt);
    void UpdateSelectionFromPoint(const QPoint& pt);
    void DestroyCaret();
    void RestartCaretBlink();
    void BuildGlyphTable();
    bool IsShiftDown() const { return (m_keyMods & Qt::ShiftModifier) != 0; }
    void OnScrollBarAction(bool bVertical, int action);
    void PostUpdateScrollbars();
    // Before a change of the bytes: a shared block is copied first.
    void MakeDataOwn();
    // What every change of the data leads to: no selection, the caret at the
    // start, the layout worked out again.
    void DataReplaced();

public:
    // Members (state of the control).
    BYTE m_bAutoDelete = 0;

protected:
    UINT m_nFullRows = 0;
    UINT m_nLastRowHeight = 0;
    UINT m_nVisibleRows = 0;
    UINT m_nLineHeight = 0;
    UINT m_nCharWidth = 0;
    UINT m_nRowBytes = 0;
    UINT m_nHexX = 0;
    UINT m_nHexWidth = 0;
    UINT m_nAsciiX = 0;
    UINT m_nAsciiWidth = 0;
    UINT m_nAddressX = 0;
    UINT m_nAddressWidth = 0;
    hexview::Rect m_rcClient;
    BYTE* m_pData = nullptr;  // m_block's bytes, or none
    ByteBlock m_block;
    bool m_bDataSetsHeld = false;
    struct HeldSet {
        const BYTE* pData;
        UINT nSize;
    };
    std::optional<HeldSet> m_heldSet;  // the data set last while held
    UINT m_nBytesPerRow = 16;
    UINT m_nAddressDigits = 8;
    UINT m_nSelStart = hexview::NONE;
    UINT m_nSelEnd = hexview::NONE;
    UINT m_nCaretPos = 0;
    UINT m_nCaretHeight = 0;
    UINT m_nDataSize = 0;
    UINT m_nTopRow = 0;
    UINT m_nMaxTopRow = 0;
    UINT m_nScrollX = 0;
    UINT m_nMaxScrollX = 0;
    UINT m_nCaretWidth = 0;
    UINT m_nSelAnchor = hexview::NONE;
    BYTE m_bRecalc = 1;
    BYTE m_bCaretShown = 0;
    BYTE m_bCaretHighNibble = 1;
    BYTE m_bAutoBytesPerRow = 0;
    BYTE m_bShowAddress = 0;
    BYTE m_bShowAscii = 0;
    BYTE m_bReadOnly = 0;
    COLORREF m_clrAddressBk = 0xFFFFFF;
    COLORREF m_clrAddressText = 0x000000;
    COLORREF m_clrAsciiBk = 0xFFFFFF;
    COLORREF m_clrAsciiText = 0x000000;
    COLORREF m_clrHexText = 0x000000;
    COLORREF m_clrHexBk = 0xFFFFFF;
    COLORREF m_clrWindowBk = 0xFFFFFF;
    COLORREF m_clrSelTextUnfocused = 0;
    COLORREF m_clrSelBkUnfocused = 0;
    COLORREF m_clrSelTextFocused = 0;
    COLORREF m_clrSelBkFocused = 0;
    QString m_strCopy;
    QString m_strPaste;
    QFont m_font;
    hexview::Rect m_rcDrag;
    QPoint m_ptLastMouse;
    int m_nAutoScrollDir = 0;
    WORD m_nAutoScrollTicks = 0;
    WORD m_nAutoScrollCountdown = 0;
    BYTE m_bAutoScrollTimer = 0;

private:
    bool m_bMultiLine = true;
    QRect m_rcCaret;                 // caret block in viewport coordinates
    bool m_bCaretBlinkOn = true;
    QBasicTimer m_caretTimer;
    QBasicTimer m_autoScrollTimer;
    bool m_bScrollbarsPending = false;
    bool m_bInScrollbarUpdate = false;
    bool m_bScrollbarsAgain = false;
    Qt::KeyboardModifiers m_keyMods;
    MenuRunner m_menuRunner;
    // Glyph of each character 0..127 in m_font, and the font's ascent.
    struct GlyphCache;
    GlyphCache* m_glyphs = nullptr;
};

// Makes a view for a dialog template control of class "CHexEditBase" or
// "CHexEditBase_SC"; nullptr for any other class name.
QWidget* CreateHexEditByClassName(const QString& className, QWidget* parent);

// Pure arithmetic of the hex view: layout, hit testing, caret geometry,
// scrolling targets and row text. No Qt here, so the tests can drive every
// rule without a widget. The editing rules are in HexEditLogic.h.
#pragma once

#include "WinTypes.h"

namespace hexview {

// A byte offset of 0xFFFFFFFF means none (no selection end, no anchor).
inline constexpr UINT NONE = 0xFFFFFFFFu;
// Upper-case digits of the hex text.
inline constexpr char HEX_DIGITS[] = "0123456789ABCDEF";
// A hex row is 3 characters per byte in a 1024-character row buffer.
inline constexpr UINT MAX_ROW_BYTES = 341;
// Inset of the text area in a multi-line window.
inline constexpr int MULTILINE_INSET = 5;
// Gap between the address labels and the hex column.
inline constexpr UINT ADDRESS_GAP = 30;
// Right margin of the hex column.
inline constexpr UINT HEX_MARGIN = 8;

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const Rect&) const = default;
};

struct LayoutInput {
    int clientWidth = 0;   // client area (scroll bars and frame excluded)
    int clientHeight = 0;
    bool multiLine = true;
    UINT charWidth = 0;    // advance of '0'
    UINT lineHeight = 0;   // height of the text "0"
    UINT addressDigits = 8;
    bool showAddress = false;
    bool showAscii = false;
    UINT bytesPerRow = 16;
    bool autoBytesPerRow = false;
    UINT dataSize = 0;
    UINT topRow = 0;       // current scroll state, clamped by the pass
    UINT scrollX = 0;
};

struct Layout {
    Rect rcClient;             // text area in client coordinates
    UINT charWidth = 1;
    UINT lineHeight = 1;
    UINT fullRows = 0;
    UINT lastRowHeight = 0;
    UINT visibleRows = 0;
    UINT rowBytes = 1;
    UINT addressX = 0;
    UINT addressWidth = 0;
    UINT hexX = 0;
    UINT hexWidth = 0;
    UINT asciiX = 0;
    UINT asciiWidth = 0;
    UINT maxTopRow = 0;
    UINT maxScrollX = 0;
    UINT topRow = 0;           // clamped to maxTopRow
    UINT scrollX = 0;          // clamped to maxScrollX
    bool multiLine = true;
};

// The layout pass.
Layout CalculateLayout(const LayoutInput& in);

// Byte range [first, end) of the rows drawn at topRow; empty when first >= end.
struct RowSpan {
    UINT first = 0;
    UINT end = 0;
};
RowSpan VisibleBytes(const Layout& lay, UINT topRow, UINT dataSize);

struct CaretPos {
    UINT offset = 0;
    bool highNibble = true;
    bool operator==(const CaretPos&) const = default;
};

// Client point to the nearest boundary between hex digits.
CaretPos OffsetFromPoint(const Layout& lay, UINT topRow, UINT scrollX, UINT dataSize, int x, int y);

// The caret block over a digit, cut to the visible strip; visible = false
// when its row is not shown or it lies wholly beside the text area.
struct CaretRect {
    bool visible = false;
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const CaretRect&) const = default;
};
CaretRect CaretGeometry(const Layout& lay, UINT topRow, UINT scrollX, UINT offset, bool highNibble);

// Where to scroll so that the bytes nBegin..nEnd are in view.
struct ScrollTarget {
    bool rowChanged = false;
    UINT topRow = 0;
    bool xChanged = false;
    UINT scrollX = 0;
};
ScrollTarget MakeVisibleTarget(const Layout& lay, UINT topRow, UINT scrollX, UINT nBegin, UINT nEnd);

// Ticks of the 5 ms auto-scroll timer per row step, dist pixels outside.
int AutoScrollTicks(int dist);

// One row of hex text: 3 characters per byte, no blank after the last one.
// Returns the text length; selFrom/selTo are the character range of the
// selected part (selFrom == selTo when none of the row is selected).
struct HexRow {
    int length = 0;
    int selFrom = 0;
    int selTo = 0;
};
HexRow FormatHexRow(const BYTE* data, UINT start, UINT end, UINT selStart, UINT selEnd, char* out);

// Character column text of one row (printable ASCII, else '.').
int FormatAsciiRow(const BYTE* data, UINT start, UINT end, char* out);

// Address label "%0*Xh", at most 31 characters.
int FormatAddress(UINT offset, UINT digits, char* out32);

}  // namespace hexview

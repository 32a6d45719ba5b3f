#include "HexLayout.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace hexview {

namespace {

// Bytes per row fitted to the width w (signed) of the text area.
UINT AutoRowBytes(std::int64_t w, std::int64_t c, bool showAscii) {
    if (showAscii) {
        const std::int64_t v = w - static_cast<std::int64_t>(HEX_MARGIN);
        if (v < 0) return 1;
        return static_cast<UINT>(v / (4 * c) + (v % (4 * c) >= 3 * c ? 1 : 0));
    }
    if (w < 0) return 1;
    return static_cast<UINT>(w / (3 * c) + (w % (3 * c) >= 2 * c ? 1 : 0));
}

}  // namespace

Layout CalculateLayout(const LayoutInput& in) {
    Layout L;
    L.multiLine = in.multiLine;
    L.charWidth = std::max<UINT>(in.charWidth, 1);
    L.lineHeight = std::max<UINT>(in.lineHeight, 1);
    const std::int64_t c = L.charWidth;

    Rect rc{0, 0, in.clientWidth, in.clientHeight};
    if (in.multiLine) {
        rc.left += MULTILINE_INSET;
        rc.top += MULTILINE_INSET;
        rc.right -= MULTILINE_INSET;
        rc.bottom -= MULTILINE_INSET;
        rc.right = std::max(rc.right, rc.left);
        rc.bottom = std::max(rc.bottom, rc.top);
    }
    L.rcClient = rc;

    const UINT h = static_cast<UINT>(std::max(0, rc.bottom - rc.top));
    L.fullRows = h / L.lineHeight;
    const UINT r = h % L.lineHeight;
    L.visibleRows = L.fullRows + (r > 0 ? 1 : 0);
    L.lastRowHeight = r > 0 ? r : L.lineHeight;

    L.addressX = 0;
    L.addressWidth = in.showAddress ? (in.addressDigits + 1) * L.charWidth + ADDRESS_GAP : 0;

    UINT rowBytes = in.bytesPerRow;
    if (in.autoBytesPerRow && in.multiLine) {
        const std::int64_t w = static_cast<std::int64_t>(rc.right) - L.addressWidth - rc.left;
        rowBytes = AutoRowBytes(w, c, in.showAscii);
    }
    if (!in.multiLine) rowBytes = in.dataSize;
    // The row buffers hold at most MAX_ROW_BYTES bytes of hex text.
    L.rowBytes = std::clamp<UINT>(rowBytes, 1, MAX_ROW_BYTES);

    L.hexX = L.addressX + L.addressWidth;
    const UINT textWidth = (3 * L.rowBytes - 1) * L.charWidth;
    L.hexWidth = textWidth + HEX_MARGIN;
    std::int64_t contentRight;
    if (in.showAscii) {
        L.asciiX = L.hexX + L.hexWidth;
        L.asciiWidth = L.rowBytes * L.charWidth;
        contentRight = static_cast<std::int64_t>(L.asciiX) + L.asciiWidth;
    } else {
        L.asciiX = L.asciiWidth = 0;
        contentRight = static_cast<std::int64_t>(L.hexX) + textWidth;
    }

    const std::uint64_t rows = (static_cast<std::uint64_t>(in.dataSize) + L.rowBytes - 1) / L.rowBytes;
    L.maxTopRow = rows > L.fullRows ? static_cast<UINT>(rows - L.fullRows) : 0;
    L.topRow = std::min(in.topRow, L.maxTopRow);

    const std::int64_t W = rc.right - rc.left;
    L.maxScrollX = contentRight > W ? static_cast<UINT>(contentRight - W) : 0;
    L.scrollX = std::min(in.scrollX, L.maxScrollX);
    return L;
}

RowSpan VisibleBytes(const Layout& lay, UINT topRow, UINT dataSize) {
    const std::uint64_t first = static_cast<std::uint64_t>(topRow) * lay.rowBytes;
    const std::uint64_t end = first + static_cast<std::uint64_t>(lay.visibleRows) * lay.rowBytes;
    RowSpan span;
    span.first = static_cast<UINT>(std::min<std::uint64_t>(first, dataSize));
    span.end = static_cast<UINT>(std::min<std::uint64_t>(end, dataSize));
    return span;
}

CaretPos OffsetFromPoint(const Layout& lay, UINT topRow, UINT scrollX, UINT dataSize, int px, int py) {
    const std::int64_t c = lay.charWidth;
    std::int64_t y = static_cast<std::int64_t>(py) - lay.rcClient.top;
    std::int64_t x = static_cast<std::int64_t>(px) + scrollX + c / 2;
    if (lay.multiLine) x -= MULTILINE_INSET;

    const std::int64_t yMax = static_cast<std::int64_t>(lay.lineHeight) * lay.visibleRows;
    y = std::clamp<std::int64_t>(y, 0, yMax);
    const std::int64_t xMin = lay.hexX;
    const std::int64_t xMax = static_cast<std::int64_t>(lay.hexX) + lay.hexWidth - HEX_MARGIN;
    x = std::max(xMin, std::min(x, xMax));

    const std::int64_t row = y / lay.lineHeight;
    const std::int64_t k = (x - lay.hexX) / c;
    CaretPos pos;
    pos.highNibble = (k % 3 == 0);
    const std::uint64_t offset = (static_cast<std::uint64_t>(topRow) + row) * lay.rowBytes + k / 3;
    if (offset >= dataSize) {
        pos.offset = dataSize - 1;
        pos.highNibble = false;
    } else {
        pos.offset = static_cast<UINT>(offset);
    }
    return pos;
}

CaretRect CaretGeometry(const Layout& lay, UINT topRow, UINT scrollX, UINT offset, bool highNibble) {
    CaretRect caret;
    const std::uint64_t first = static_cast<std::uint64_t>(topRow) * lay.rowBytes;
    const std::uint64_t end = first + static_cast<std::uint64_t>(lay.visibleRows) * lay.rowBytes;
    if (offset < first || offset >= end) return caret;

    const std::uint64_t d = offset - first;
    const UINT row = static_cast<UINT>(d / lay.rowBytes);
    const UINT col = static_cast<UINT>(d % lay.rowBytes);
    const std::int64_t c = lay.charWidth;
    const std::int64_t h = (row == lay.visibleRows - 1) ? lay.lastRowHeight : lay.lineHeight;
    const std::int64_t y = lay.rcClient.top + 1 + static_cast<std::int64_t>(row) * lay.lineHeight;
    std::int64_t x = ((highNibble ? 0 : 1) + 3 * static_cast<std::int64_t>(col)) * c - scrollX + lay.hexX +
                     lay.rcClient.left;
    std::int64_t w = c;

    const std::int64_t left = lay.rcClient.left - 2;
    const std::int64_t right = lay.rcClient.right + 2;
    if (x + c <= left || x > lay.rcClient.right) return caret;
    if (x < left) {
        w = x + c - left;
        x = left;
    }
    if (x + w > right) w = right - x;

    caret.visible = true;
    caret.x = static_cast<int>(x);
    caret.y = static_cast<int>(y);
    caret.width = static_cast<int>(w);
    caret.height = static_cast<int>(h - 1);
    return caret;
}

ScrollTarget MakeVisibleTarget(const Layout& lay, UINT topRow, UINT scrollX, UINT nBegin, UINT nEnd) {
    ScrollTarget t;
    const std::int64_t R = lay.rowBytes;
    const std::int64_t b = nBegin, e = nEnd;
    const std::int64_t first = static_cast<std::int64_t>(topRow) * R;
    const std::int64_t page = static_cast<std::int64_t>(lay.fullRows) * R;
    const std::int64_t end = first + page;

    std::int64_t newFirst = -1;
    if (b <= first && e >= end) {
        // The range covers the view.
    } else if (e - b > page) {
        if (first < b) newFirst = b;
        else if (end > e) newFirst = e + R - page;
    } else {
        if (first > b) newFirst = b;
        else if (e >= end) newFirst = e + R - page;
    }
    if (newFirst >= 0 && lay.multiLine) {
        t.rowChanged = true;
        t.topRow = static_cast<UINT>(std::min<std::int64_t>(newFirst / R, lay.maxTopRow));
    }

    const std::int64_t c = lay.charWidth;
    const std::int64_t base = static_cast<std::int64_t>(lay.hexX) + lay.rcClient.left - scrollX;
    const std::int64_t xb = (b % R) * 3 * c + base;
    const std::int64_t xe = ((e % R) * 3 + 2) * c + base;
    const std::int64_t lo = std::min(xb, xe), hi = std::max(xb, xe);
    const std::int64_t L = lay.rcClient.left, Rt = lay.rcClient.right;
    std::int64_t newX = -1;
    if (lo < L && hi < Rt) newX = scrollX + (lo - L);
    else if (lo > L && hi >= Rt) newX = scrollX + (hi - Rt) + L;
    if (newX >= 0) {
        t.xChanged = true;
        t.scrollX = static_cast<UINT>(std::min<std::int64_t>(newX, lay.maxScrollX));
    }
    return t;
}

int AutoScrollTicks(int dist) {
    return 7 - std::min((dist + 1) / 5, 6);
}

HexRow FormatHexRow(const BYTE* data, UINT start, UINT end, UINT selStart, UINT selEnd, char* out) {
    HexRow row;
    const UINT n = end - start;
    for (UINT i = 0; i < n; ++i) {
        const BYTE b = data[start + i];
        out[3 * i] = HEX_DIGITS[b >> 4];
        out[3 * i + 1] = HEX_DIGITS[b & 15];
        out[3 * i + 2] = ' ';
    }
    row.length = n > 0 ? static_cast<int>(3 * n - 1) : 0;
    if (selStart != NONE && selEnd != NONE && selStart < end && selEnd >= start) {
        row.selFrom = selStart <= start ? 0 : static_cast<int>(3 * (selStart - start));
        row.selTo = selEnd < end ? static_cast<int>(3 * (selEnd - start) + 2) : row.length;
    }
    return row;
}

int FormatAsciiRow(const BYTE* data, UINT start, UINT end, char* out) {
    for (UINT i = start; i < end; ++i) {
        const BYTE b = data[i];
        out[i - start] = (b >= 0x20 && b <= 0x7E) ? static_cast<char>(b) : '.';
    }
    return static_cast<int>(end - start);
}

int FormatAddress(UINT offset, UINT digits, char* out32) {
    const int n = std::snprintf(out32, 32, "%0*Xh", static_cast<int>(std::min<UINT>(digits, 30)), offset);
    return std::clamp(n, 0, 31);
}

}  // namespace hexview

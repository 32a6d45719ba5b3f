#include "HexEditLogic.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace hexview {

EditState MoveCaretState(EditState s, UINT dataSize, int nDelta, bool highNibble, bool shift) {
    if (dataSize == 0) return s;
    std::int64_t p = s.caret;
    bool high = highNibble;
    if (!shift) s.anchor = s.selStart = s.selEnd = NONE;
    if (nDelta > 0) {
        if (p + nDelta < dataSize) {
            p += nDelta;
        } else {
            p = dataSize - 1;
            high = false;
        }
    } else if (nDelta < 0) {
        if (-static_cast<std::int64_t>(nDelta) > p) {
            p = 0;
            high = true;
        } else {
            p += nDelta;
        }
    }
    s.caret = static_cast<UINT>(p);
    s.highNibble = high;
    if (shift && s.anchor != NONE) {
        s.selStart = std::min(s.anchor, s.caret);
        s.selEnd = std::max(s.anchor, s.caret);
    }
    return s;
}

bool CaretMoveForKey(UINT vk, bool curHigh, UINT rowBytes, UINT visibleRows, KeyMove& m) {
    const int R = static_cast<int>(rowBytes);
    const int V = static_cast<int>(visibleRows);
    switch (vk) {
    case VK_PRIOR: m = {(1 - V) * R, curHigh}; return true;
    case VK_NEXT: m = {(V - 1) * R, curHigh}; return true;
    case VK_END: m = {0x7FFFFFF, false}; return true;
    case VK_HOME: m = {-0x8000000, true}; return true;
    case VK_LEFT: m = curHigh ? KeyMove{-1, false} : KeyMove{0, true}; return true;
    case VK_UP: m = {-R, curHigh}; return true;
    case VK_RIGHT: m = curHigh ? KeyMove{0, false} : KeyMove{1, true}; return true;
    case VK_DOWN: m = {R, curHigh}; return true;
    default: return false;
    }
}

bool HexDigitValue(UINT ch, BYTE& value) {
    if (ch == 8 || (ch & 0xFFFF) > 255) return false;
    UINT c = ch & 0xFFFF;
    if (c >= 'A' && c <= 'Z') c += 'a' - 'A';
    if (c >= '0' && c <= '9') value = static_cast<BYTE>(c - '0');
    else if (c >= 'a' && c <= 'f') value = static_cast<BYTE>(c - 'a' + 10);
    else return false;
    return true;
}

std::string HexDumpText(const BYTE* data, UINT s, UINT e, UINT R) {
    std::string text;
    if (e < s || R == 0) return text;
    UINT col = 0;
    if (e - s > R) {
        col = s % R;
        text.assign(3 * col, ' ');
    }
    text.reserve(text.size() + 3 * (static_cast<std::size_t>(e - s) + 1) + (e - s) / R + 2);
    for (std::uint64_t i = s; i <= e; ++i) {
        const BYTE b = data[i];
        text += HEX_DIGITS[b >> 4];
        text += HEX_DIGITS[b & 15];
        if (++col == R || i == e) {
            text += '\n';
            col = 0;
        } else {
            text += ' ';
        }
    }
    return text;
}

std::vector<BYTE> MakeBinaryBlock(const BYTE* data, UINT count) {
    std::vector<BYTE> block(4 + static_cast<std::size_t>(count));
    for (int i = 0; i < 4; ++i) block[i] = static_cast<BYTE>(count >> (8 * i));
    if (count > 0) std::memcpy(block.data() + 4, data, count);
    return block;
}

const BYTE* ReadBinaryBlock(const BYTE* block, std::size_t blockSize, UINT& count) {
    count = 0;
    if (block == nullptr || blockSize < 4) return nullptr;
    const UINT stated = static_cast<UINT>(block[0]) | static_cast<UINT>(block[1]) << 8 |
                        static_cast<UINT>(block[2]) << 16 | static_cast<UINT>(block[3]) << 24;
    count = static_cast<UINT>(std::min<std::uint64_t>(stated, blockSize - 4));
    return block + 4;
}

UINT PasteLength(UINT start, UINT count, UINT dataSize) {
    if (start >= dataSize) return 0;
    if (static_cast<std::uint64_t>(count) + start >= dataSize || count >= dataSize) return dataSize - start;
    return count;
}

}  // namespace hexview

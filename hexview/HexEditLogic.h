// Pure editing rules of the hex view: caret moves and the selection they
// make, the keys that move the caret, typed hex digits, and the clipboard
// texts and blocks. No Qt here, so the tests can drive every rule without a
// widget.
#pragma once

#include "HexLayout.h"
#include "WinTypes.h"

#include <cstddef>
#include <string>
#include <vector>

namespace hexview {

// Caret and selection state.
struct EditState {
    UINT caret = 0;
    bool highNibble = true;
    UINT selStart = NONE;
    UINT selEnd = NONE;
    UINT anchor = NONE;
    bool operator==(const EditState&) const = default;
};

// Caret move by nDelta bytes with the Shift rule (selection from the anchor).
EditState MoveCaretState(EditState s, UINT dataSize, int nDelta, bool highNibble, bool shift);

// Virtual key codes the view handles.
enum : UINT {
    VK_TAB = 0x09,
    VK_SHIFT = 0x10,
    VK_PRIOR = 0x21,
    VK_NEXT = 0x22,
    VK_END = 0x23,
    VK_HOME = 0x24,
    VK_LEFT = 0x25,
    VK_UP = 0x26,
    VK_RIGHT = 0x27,
    VK_DOWN = 0x28,
};

// The caret move of a navigation key; false for keys that do not move it.
struct KeyMove {
    int delta = 0;
    bool highNibble = true;
};
bool CaretMoveForKey(UINT vk, bool curHighNibble, UINT rowBytes, UINT visibleRows, KeyMove& move);

// Value of a typed hex digit (either case); false for any other character.
bool HexDigitValue(UINT ch, BYTE& value);

// Hex dump of the bytes s..e (inclusive) broken like the view's rows of R bytes.
std::string HexDumpText(const BYTE* data, UINT s, UINT e, UINT rowBytes);

// The private clipboard block: a 32-bit little-endian count, then the bytes.
std::vector<BYTE> MakeBinaryBlock(const BYTE* data, UINT count);
// Bytes a block carries: its count cut to what the block really holds.
// Returns nullptr (and 0) for a block without a whole count.
const BYTE* ReadBinaryBlock(const BYTE* block, std::size_t blockSize, UINT& count);

// Bytes a paste of count bytes at start writes into a buffer of dataSize.
UINT PasteLength(UINT start, UINT count, UINT dataSize);

}  // namespace hexview

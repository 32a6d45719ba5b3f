#include "ChipTypes.h"

#include "ChipPatches.h"

#include <algorithm>
#include <cctype>

std::unique_ptr<CVQPatch> MakeChipPatch(int row) {
    switch (row) {
    case 0: return std::make_unique<CVQ7140SPatch>();
    case 1: return std::make_unique<CVQ7140XXPatch>();
    case 2: return std::make_unique<CVQ7170Patch>();
    case 3: return std::make_unique<CVQ7170SPatch>();
    case 4: return std::make_unique<CVQ5520Patch>();
    case 5: return std::make_unique<CVQ7340Patch>();
    case 6: return std::make_unique<CVQ5632Patch>();
    default: return nullptr;
    }
}

namespace {
bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}
}  // namespace

std::optional<int> FindChipRow(std::string_view text) {
    for (int row = 0; row < CHIP_TYPE_ROWS; ++row) {
        const ChipTypeName& n = CHIP_TYPE_NAMES[row];
        if (SameText(text, n.label) || SameText(text, n.shortName)) return row;
    }
    if (text.size() == 1 && text[0] >= '0' && text[0] < '0' + CHIP_TYPE_ROWS) return text[0] - '0';
    return std::nullopt;
}

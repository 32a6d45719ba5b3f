#include "ChipTypes.h"

#include "VQPatch.h"

#include <algorithm>
#include <cctype>

std::unique_ptr<CVQPatch> MakeChipPatch(int row) {
    const ChipDescriptor* chip = FindChipType(row);
    return chip ? chip->make() : nullptr;
}

namespace {
bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}
}  // namespace

std::optional<int> FindChipRow(std::string_view text) {
    for (const ChipDescriptor& chip : CHIP_TYPES) {
        if (SameText(text, chip.label) || SameText(text, chip.shortName)) return chip.row;
    }
    if (text.size() == 1 && text[0] >= '0' && text[0] < '0' + CHIP_TYPE_ROWS) return text[0] - '0';
    return std::nullopt;
}

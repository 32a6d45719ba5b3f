#include "CommandOptions.h"

#include "ChipTypes.h"

#include <algorithm>
#include <cctype>

namespace cli {
namespace {
struct MemoryName {
    const char* name;
    BYTE type;
};
constexpr MemoryName MEMORY_NAMES[] = {{"24c01", MEMTYPE_24C01_16}, {"24c32", MEMTYPE_24C32_64}, {"flash", MEMTYPE_FLASH}};
}  // namespace

std::string ChipTypeChoices() {
    std::string text;
    for (const ChipDescriptor& chip : CHIP_TYPES) {
        if (!text.empty()) text += ", ";
        text += std::string(chip.shortName) + " (\"" + chip.label + "\", " + std::to_string(chip.row) + ")";
    }
    return text;
}

std::optional<BYTE> FindMemoryType(const std::string& name) {
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const MemoryName& m : MEMORY_NAMES) {
        if (lower == m.name) return m.type;
    }
    return std::nullopt;
}

const char* MemoryTypeName(BYTE memType) {
    for (const MemoryName& m : MEMORY_NAMES) {
        if (m.type == memType) return m.name;
    }
    return "unknown";
}

std::optional<DWORD> ParseLength(std::string text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text = text.substr(2);
    if (text.empty() || text.size() > 8 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
        return std::nullopt;
    }
    const unsigned long value = std::stoul(text, nullptr, 16);
    if (value == 0 || value > IMAGE_BUFFER_SIZE) return std::nullopt;
    return static_cast<DWORD>(value);
}

void ChipOption::Add(CLI::App& sub, bool required) {
    CLI::Option* option = sub.add_option("-c,--chip", text, "Chip type: row name, short name or row number 0-6");
    if (required) option->required();
}

std::string ChipOption::Check() {
    given = !text.empty();
    if (!given) return {};
    const std::optional<int> found = FindChipRow(text);
    if (!found) return "unknown chip type '" + text + "'; one of: " + ChipTypeChoices();
    row = *found;
    return {};
}

void MemoryOption::Add(CLI::App& sub) { sub.add_option("-m,--memory", text, "Memory type: 24c01, 24c32 or flash"); }

std::string MemoryOption::Check() {
    if (text.empty()) return {};
    type = FindMemoryType(text);
    if (!type) return "unknown memory type '" + text + "'; one of: 24c01, 24c32, flash";
    return {};
}

void SetOption::Add(CLI::App& sub) {
    sub.add_option("-s,--set", texts, "Set a field of the image before the download (repeatable)")->allow_extra_args(false);
}

std::string SetOption::Check() {
    settings.clear();
    for (const std::string& setting : texts) {
        const std::size_t eq = setting.find('=');
        if (eq == std::string::npos || eq == 0) return "--set takes NAME=VALUE, not '" + setting + "'";
        settings.push_back({setting.substr(0, eq), setting.substr(eq + 1)});
    }
    return {};
}

}  // namespace cli

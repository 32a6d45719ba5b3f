// The options several commands share (chip type, memory type, device, read
// length, field settings) and the checks of their values.
#pragma once

#include "WinTypes.h"

#include <CLI/CLI.hpp>

#include <optional>
#include <string>
#include <vector>

namespace cli {

// The chip types a --chip value may name, for the help and for errors.
std::string ChipTypeChoices();

// Memory types by name: "24c01", "24c32", "flash"; nothing for others.
std::optional<BYTE> FindMemoryType(const std::string& name);
const char* MemoryTypeName(BYTE memType);

// A read length: hexadecimal, from 1 up to the 16 MB a read holds.
std::optional<DWORD> ParseLength(std::string text);

// -c, --chip TYPE
struct ChipOption {
    std::string text;
    int row = 0;
    bool given = false;
    void Add(CLI::App& sub, bool required);
    // A name that is none of the chip types.
    std::string Check();
};

// -m, --memory M
struct MemoryOption {
    std::string text;
    std::optional<BYTE> type;
    void Add(CLI::App& sub);
    std::string Check();
};

// -s, --set NAME=VALUE (repeatable)
struct FieldSetting {
    std::string name;
    std::string value;
};
struct SetOption {
    std::vector<std::string> texts;
    std::vector<FieldSetting> settings;
    void Add(CLI::App& sub);
    std::string Check();
};

}  // namespace cli

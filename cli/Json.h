// One JSON object per line, built field by field.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace cli {

class JsonLine {
public:
    explicit JsonLine(std::string_view event) { Add("event", event); }
    JsonLine& Add(std::string_view key, std::string_view value);
    JsonLine& Add(std::string_view key, const char* value) { return Add(key, std::string_view(value)); }
    JsonLine& Add(std::string_view key, std::int64_t value);
    JsonLine& Add(std::string_view key, int value) { return Add(key, static_cast<std::int64_t>(value)); }
    JsonLine& Add(std::string_view key, unsigned value) { return Add(key, static_cast<std::int64_t>(value)); }
    JsonLine& Add(std::string_view key, double value);
    JsonLine& Add(std::string_view key, bool value);
    // Writes the object and a newline on standard output, flushed; a write
    // that fails interrupts the job (Interrupt.h).
    void Print() const;
    std::string Text() const { return text_ + "}"; }

private:
    void Key(std::string_view key);
    std::string text_ = "{";
};

// value as a JSON string, quotes included.
std::string JsonString(std::string_view value);

}  // namespace cli

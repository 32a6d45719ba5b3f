#include "Json.h"

#include "Interrupt.h"

#include <cstdio>

namespace cli {

std::string JsonString(std::string_view value) {
    std::string out = "\"";
    for (const char c : value) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (u < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
                out += escaped;
            } else {
                out += c;  // UTF-8 passes as it is
            }
        }
    }
    return out + "\"";
}

void JsonLine::Key(std::string_view key) {
    if (text_.size() > 1) text_ += ',';
    text_ += JsonString(key);
    text_ += ':';
}

JsonLine& JsonLine::Add(std::string_view key, std::string_view value) {
    Key(key);
    text_ += JsonString(value);
    return *this;
}

JsonLine& JsonLine::Add(std::string_view key, std::int64_t value) {
    Key(key);
    text_ += std::to_string(value);
    return *this;
}

JsonLine& JsonLine::Add(std::string_view key, double value) {
    Key(key);
    char number[32];
    std::snprintf(number, sizeof number, "%.1f", value);
    text_ += number;
    return *this;
}

JsonLine& JsonLine::Add(std::string_view key, bool value) {
    Key(key);
    text_ += value ? "true" : "false";
    return *this;
}

void JsonLine::Print() const {
    const std::string line = Text() + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
    FlushStandardOutput();
}

}  // namespace cli

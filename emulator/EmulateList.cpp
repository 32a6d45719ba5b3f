// The emulated-device list of QUILLMAR_EMULATE: which emulated chips the
// application attaches.
//
//   list    = entry { "," entry }
//   entry   = type { ":" option } [ "*" count ]
//   type    = vq7140s | vq7140xx | vq7170 | vq7170s | vq5520 | vq7340 | vq5632 | keyboard
//   option  = id0 | id1 | a7 | b7 | c7 | d7 | nokeep | gate
//           | flash=SIZE | ee0=SIZE | ee1=SIZE | busy=N | latency=MICROSECONDS | stop=N
//           | file=PATH | version=DDDDDDDD | version=none | short=N@REPLY | random=REPLY
//   REPLY   = K (the K-th reply only) or K+ (the K-th and every later one)
//   SIZE    = decimal with an optional k or m suffix (x1024), or 0x hex
#include "Emulator.h"
#include "EmulatorBus.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace emu {
namespace {

constexpr unsigned long long BULK_REPORT_BYTES = 4096;  // the longest report

std::string Trim(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return s.substr(b, e - b);
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::vector<std::string> Split(const std::string& s, char sep) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (;;) {
        const std::size_t pos = s.find(sep, start);
        out.push_back(s.substr(start, pos - start));
        if (pos == std::string::npos) return out;
        start = pos + 1;
    }
}

// A number, decimal or 0x hex, with an optional k/m multiplier when sized.
bool ParseNumber(const std::string& text, bool sized, unsigned long long max, unsigned long long* out) {
    std::string digits = text;
    unsigned long long scale = 1;
    int base = 10;
    if (digits.size() > 2 && digits[0] == '0' && digits[1] == 'x') {
        base = 16;
        digits = digits.substr(2);
    } else if (sized && !digits.empty() && (digits.back() == 'k' || digits.back() == 'm')) {
        scale = digits.back() == 'k' ? 1024ull : 1024ull * 1024ull;
        digits.pop_back();
    }
    if (digits.empty() || digits.size() > 12) return false;
    for (char c : digits) {
        if (!(base == 16 ? std::isxdigit(static_cast<unsigned char>(c)) : std::isdigit(static_cast<unsigned char>(c)))) {
            return false;
        }
    }
    const unsigned long long value = std::strtoull(digits.c_str(), nullptr, base) * scale;
    if (value > max) return false;
    *out = value;
    return true;
}

// "short=N@K[+]" and "random=K[+]": replies that come short or garbled.
template <typename Fail>
bool ParseReplyFault(const std::string& key, const std::string& value, ChipConfig* config, const Fail& fail) {
    ReplyFault fault;
    std::string reply = value;
    unsigned long long n = 0;
    if (key == "short") {
        const std::size_t at = value.find('@');
        if (at == std::string::npos || !ParseNumber(value.substr(0, at), false, BULK_REPORT_BYTES, &n))
            return fail("short reply '" + value + "' is not N@K with N 0..4096");
        fault.kind = ReplyFault::Short;
        fault.bytes = static_cast<std::size_t>(n);
        reply = value.substr(at + 1);
    } else {
        fault.kind = ReplyFault::Random;
    }
    fault.once = reply.empty() || reply.back() != '+';
    if (!fault.once) reply.pop_back();
    if (!ParseNumber(reply, false, 1000000000, &n) || n == 0)
        return fail("reply number '" + reply + "' of " + key + " is not 1..1000000000");
    fault.at = static_cast<std::size_t>(n);
    config->replyFault = fault;
    return true;
}

bool ApplyOption(const std::string& text, ChipConfig* config, std::string* error) {
    // Names are not case-sensitive; a memory file's path is taken as written.
    if (Lower(text.substr(0, 5)) == "file=") {
        if (config->type == ChipType::Keyboard) {
            *error = "QUILLMAR_EMULATE: a keyboard takes no options ('" + text + "')";
            return false;
        }
        config->memoryFile = Trim(text.substr(5));
        if (!config->memoryFile.empty()) return true;
        *error = "QUILLMAR_EMULATE: option 'file=' names no file";
        return false;
    }
    const std::string option = Lower(text);
    const ChipType type = config->type;
    const std::string name = TypeName(type);
    const auto fail = [&](const std::string& why) {
        *error = "QUILLMAR_EMULATE: " + why;
        return false;
    };
    if (type == ChipType::Keyboard) return fail("a keyboard takes no options ('" + option + "')");
    if (option == "id0" || option == "id1") {
        config->reportId = option == "id1";
        return true;
    }
    if (option.size() == 2 && option[1] == '7' && std::string("abcd").find(option[0]) != std::string::npos) {
        const BYTE first = static_cast<BYTE>(std::strtoul(option.c_str(), nullptr, 16));
        for (int variant = 0; variant < 2; ++variant) {
            if (IdentificationBytes(type, variant)[0] == first) {
                config->idVariant = variant;
                return true;
            }
        }
        return fail("option '" + option + "' does not apply to " + name);
    }
    if (option == "nokeep") {
        if (type != ChipType::VQ5520) return fail("option 'nokeep' applies to vq5520 only");
        config->keepsC450 = false;
        return true;
    }
    if (option == "gate") {
        config->gateBus = true;
        return true;
    }
    const std::size_t eq = option.find('=');
    if (eq == std::string::npos) return fail("unknown option '" + option + "'");
    const std::string key = option.substr(0, eq);
    const std::string value = option.substr(eq + 1);
    unsigned long long n = 0;
    if (key == "flash") {
        if (!HasFlash(type)) return fail(name + " has no flash");
        if (!ParseNumber(value, true, 1ull << 30, &n) || n == 0 || n % SECTOR_SIZE != 0) {
            return fail("flash size '" + value + "' is not a multiple of 4k up to 1024m");
        }
        config->flashSize = static_cast<std::size_t>(n);
        return true;
    }
    if (key == "ee0" || key == "ee1") {
        if (!ParseNumber(value, true, 65536, &n)) return fail("EEPROM size '" + value + "' is not 0..64k");
        config->eepromSize[key == "ee1"] = static_cast<std::size_t>(n);
        return true;
    }
    if (key == "busy") {
        if (value == "-1") {
            config->eraseBusyPolls = -1;
            return true;
        }
        if (!ParseNumber(value, false, 1000000, &n)) return fail("busy polls '" + value + "' is not -1..1000000");
        config->eraseBusyPolls = static_cast<int>(n);
        return true;
    }
    if (key == "stop") {
        if (!ParseNumber(value, false, 1000000000, &n)) return fail("report count '" + value + "' is not 0..1000000000");
        config->stopAfter = static_cast<long>(n);
        return true;
    }
    if (key == "version") {
        if (value == "none") {
            config->version.reset();
            return true;
        }
        // Eight digits, two per byte, as the tool shows a version.
        if (value.size() != 8 || !std::all_of(value.begin(), value.end(), [](char ch) { return ch >= '0' && ch <= '9'; }))
            return fail("version '" + value + "' is not eight digits or none");
        std::array<BYTE, 4> v{};
        for (std::size_t k = 0; k < v.size(); ++k)
            v[k] = static_cast<BYTE>((value[2 * k] - '0') * 10 + (value[2 * k + 1] - '0'));
        config->version = v;
        return true;
    }
    if (key == "short" || key == "random") return ParseReplyFault(key, value, config, fail);
    if (key == "latency") {
        if (!ParseNumber(value, false, 1000000, &n)) return fail("latency '" + value + "' is not 0..1000000 us");
        config->latencyMicros = static_cast<unsigned>(n);
        return true;
    }
    return fail("unknown option '" + option + "'");
}

}  // namespace

bool ParseEmulateList(const std::string& list, std::vector<ChipConfig>* out, std::string* error) {
    std::vector<ChipConfig> configs;
    std::string message;
    if (!error) error = &message;
    if (Trim(list).empty()) {
        if (out) out->clear();
        return true;
    }
    for (const std::string& raw : Split(list, ',')) {
        std::string entry = Trim(raw);
        if (entry.empty()) {
            *error = "QUILLMAR_EMULATE: empty entry";
            return false;
        }
        unsigned long long count = 1;
        const std::size_t star = entry.find('*');
        if (star != std::string::npos) {
            if (!ParseNumber(Lower(Trim(entry.substr(star + 1))), false, 64, &count) || count == 0) {
                *error = "QUILLMAR_EMULATE: count in '" + entry + "' is not 1..64";
                return false;
            }
            entry = Trim(entry.substr(0, star));
        }
        const std::vector<std::string> parts = Split(entry, ':');
        ChipConfig config;
        config.version = kEmulatedVersion;
        if (!TypeFromName(Lower(Trim(parts[0])), &config.type)) {
            *error = "QUILLMAR_EMULATE: unknown chip type '" + Lower(Trim(parts[0])) + "'";
            return false;
        }
        for (std::size_t i = 1; i < parts.size(); ++i) {
            if (!ApplyOption(Trim(parts[i]), &config, error)) return false;
        }
        configs.insert(configs.end(), static_cast<std::size_t>(count), config);
    }
    if (out) *out = std::move(configs);
    return true;
}

std::shared_ptr<EmulatorBackend> InstallEmulateList(const std::string& list, std::string* error) {
    std::vector<ChipConfig> configs;
    if (!ParseEmulateList(list, &configs, error)) return nullptr;
    for (std::size_t i = 0; i < configs.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            if (!configs[i].memoryFile.empty() && configs[i].memoryFile == configs[j].memoryFile) {
                if (error) *error = "QUILLMAR_EMULATE: two chips share the memory file '" + configs[i].memoryFile + "'";
                return nullptr;
            }
        }
    }
    // Every memory file is read on a chip of its own first: a chip that is
    // plugged saves its file at exit, which must not replace a file that
    // could not be read.
    for (const ChipConfig& config : configs) {
        if (config.memoryFile.empty()) continue;
        ChipConfig probeConfig = config;
        probeConfig.memoryFile.clear();
        Chip probe(probeConfig);
        if (!LoadMemoryFile(probe, config.memoryFile, error)) return nullptr;
    }
    auto backend = MakeBackend();
    for (const ChipConfig& config : configs) {
        const auto chip = backend->Plug(config);
        if (config.memoryFile.empty()) continue;
        LoadMemoryFile(*chip, config.memoryFile, error);
        SaveMemoryFileAtExit(chip);
    }
    backend->TakeChanges();  // present from the start: no arrivals to report
    hid::SetBackend(backend);
    return backend;
}

std::shared_ptr<EmulatorBackend> InstallFromEnvironment(std::string* error) {
    if (error) error->clear();
    const char* list = std::getenv("QUILLMAR_EMULATE");
    if (!list || Trim(list).empty()) return nullptr;
    return InstallEmulateList(list, error);
}

std::string StartEmulationFromEnvironment() {
    std::string error;
    if (const auto bus = InstallFromEnvironment(&error)) {
        for (const auto& chip : bus->Chips()) chip->SetLogging(false);
        return {};
    }
    if (!error.empty()) hid::SetBackend(MakeBackend());
    return error;
}

}  // namespace emu

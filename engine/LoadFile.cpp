// Loading .hex and .bin image files into g_image.
//
// All seven chip programmers share one flow; each family's LoadRules hold
// what differs between them.
#include "LoadFile.h"

#include "HexFile.h"
#include "ImageFormat.h"
#include "VQPatch.h"

#include <cstdarg>
#include <cstring>
#include <vector>

namespace {

constexpr DWORD FIRMWARE_MAX_END = 0xFC00;
constexpr WORD FLASH_CODE_MAX_LEN = 0xFC00;   // byte 8 bit 7 set
constexpr WORD EEPROM_CODE_MAX_LEN = 0x0C00;  // byte 8 bit 7 clear
constexpr BYTE OPTION8_FLASH_CODE = 0x80;
constexpr std::uint64_t LOAD_LIMIT = IMAGE_BUFFER_SIZE;  // 16 MB
constexpr DWORD MIN_CODE_LEN_5520 = 52;

[[gnu::format(printf, 1, 2)]] std::string Format(const char* format, ...) {
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

void Message(const std::string& text) { Host().MessageBox(text); }

// The text after the last dot of the file name, in lower case.
std::string LowerExtension(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    std::string ext = path.substr(dot + 1);
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return ext;
}

void StampVersion(Stamp stamp) {
    if (stamp == Stamp::None) return;
    const std::tm t = Host().LocalTime();
    const BYTE year = static_cast<BYTE>((t.tm_year + 1900) % 100);
    const BYTE month = static_cast<BYTE>(t.tm_mon + 1);
    const BYTE day = static_cast<BYTE>(t.tm_mday);
    const BYTE hour = static_cast<BYTE>(t.tm_hour);
    BYTE* version = g_image + 12;
    if (stamp == Stamp::YearMonthDayHour) {
        version[0] = year, version[1] = month, version[2] = day, version[3] = hour;
    } else {
        version[0] = 0, version[1] = year, version[2] = month, version[3] = day;
    }
}

// The last steps of a load whose checksums are computed here.
bool FinishRecomputed(const LoadRules& rules, WORD len) {
    g_codeLen = len;
    WriteBE16(g_image + 2, len);
    g_checksum = StoreChecksums(g_image, rules.layout);
    if (rules.refreshPage) Host().RefreshOptionPage();
    return true;
}

// The last steps of a load whose stored checksums must match: the file's
// bytes reach g_image only when they do.
bool FinishVerified(const LoadRules& rules, const std::vector<BYTE>& bytes, WORD len) {
    WORD codeSum = 0;
    if (!StoredChecksumsMatch(bytes.data(), len, rules.layout, &codeSum)) {
        Message("Check SUM failed!\n");
        return false;
    }
    std::memcpy(g_image, bytes.data(), bytes.size());
    g_imageLen = static_cast<DWORD>(bytes.size());
    g_codeLen = len;
    g_checksum = codeSum;
    if (rules.refreshPage) Host().RefreshOptionPage();
    return true;
}

struct HexWindow {
    DWORD base;
    DWORD maxEnd;
    bool builtHeader;  // firmware from address 0: no header in the file
    Stamp stamp;
    const char* invalidText;
};

HexWindow SelectHexWindow(const LoadRules& rules, const BYTE* hex) {
    const bool headerWindow = hex[3] == 0xFF && hex[4] == 0xFF && hex[5] == 0xFF;
    if (rules.builtByte8 != 0 && !headerWindow)
        return {0, FIRMWARE_MAX_END, true, Stamp::YearMonthDayHour, "Not a valid firmware!\n\n"};
    return {rules.codeBase, rules.maxEnd, false, rules.stamp, "Not a valid firmware!\n"};
}

bool LoadHex(const LoadRules& rules, const std::string& path) {
    std::vector<BYTE> hex(HEX_ADDRESS_SPACE, 0xFF);
    int end = 0;
    {
        const FilePtr file = OpenForRead(path);
        if (!file) {
            Message("Open HEX file failed!\n");
            return false;
        }
        end = ReadHexFile(file.get(), hex.data());
    }

    const HexWindow window = SelectHexWindow(rules, hex.data());
    if (end < static_cast<int>(window.base) || end > static_cast<int>(window.maxEnd)) {
        Message(window.invalidText);
        return false;
    }

    const std::size_t headerSize = CodeOffset(rules.layout);
    const std::size_t codeBytes = static_cast<std::size_t>(end) - window.base;
    // A BCSH block takes its four bytes from the end of the code: a file
    // with fewer code bytes can't hold the image it announces.
    const bool bcsh = !window.builtHeader && HasBcshBlock(hex.data() + window.base - headerSize, rules.layout);
    if (bcsh && codeBytes < BCSH_SIZE) {
        Message(window.invalidText);
        return false;
    }
    if (window.builtHeader) {
        g_image[0] = 0x3C;  // flash magic
        g_image[1] = 0xC3;
        g_image[8] = rules.builtByte8;
    } else {
        std::memcpy(g_image, hex.data() + window.base - headerSize, headerSize);
    }
    std::memcpy(g_image + headerSize, hex.data() + window.base, codeBytes);
    StampVersion(window.stamp);

    // With a BCSH block the last four bytes copied make room for the
    // checksums; the block itself keeps what the image held.
    const WORD len = static_cast<WORD>(codeBytes - (bcsh ? BCSH_SIZE : 0));
    g_imageLen = ImageLength(g_image, len, rules.layout);
    return FinishRecomputed(rules, len);
}

// The size test of a binary file, before anything is read. Returns false
// when the file is refused; *size may be cut to what is loaded.
bool AcceptBinSize(const LoadRules& rules, std::uint64_t* size) {
    switch (rules.bin) {
    case BinRule::SizeLimited:
    case BinRule::Verify: {
        const std::uint64_t limit = rules.bin == BinRule::Verify ? EEPROM_SPACE : rules.binLimit;
        if (*size <= limit) return true;
        Message(Format("Length(0x%llX) Overflow!!!\n", static_cast<unsigned long long>(*size)));
        return false;
    }
    case BinRule::Verify16M:
        if (*size > LOAD_LIMIT) {
            Message(Format("Length(0x%llX) Overflow, only load (%f M)!!!\n", static_cast<unsigned long long>(*size),
                           16.0));
            *size = LOAD_LIMIT;
        }
        return true;
    case BinRule::Firmware16M:
        if (*size > LOAD_LIMIT) {
            Message(Format("File Length: %0.2fM Overflow, only load 16M !!!\n",
                           static_cast<double>(*size) / 1024 / 1024));
            *size = LOAD_LIMIT;
        }
        return true;
    }
    return false;
}

// A binary file is read whole into a buffer of its own, and reaches g_image
// only once every test has passed: a refused file changes nothing.
bool LoadBin(const LoadRules& rules, const std::string& path) {
    FilePtr file = OpenForRead(path);
    const long long fileSize = file ? FileSize(file.get()) : -1;
    if (fileSize < 0) {
        Message("Open BIN file failed!\n");
        return false;
    }
    std::uint64_t size = static_cast<std::uint64_t>(fileSize);
    if (!AcceptBinSize(rules, &size)) return false;

    std::vector<BYTE> bytes(static_cast<std::size_t>(size));
    if (ReadRaw(file.get(), bytes.data(), bytes.size()) != bytes.size()) {
        Message("Open BIN file failed!\n");
        return false;
    }
    file.reset();

    // Shorter than its own header (and checksums, and BCSH block): no image.
    constexpr BYTE NO_OPTIONS[IMAGE_HEADER_SIZE] = {};
    if (size < ImageLength(NO_OPTIONS, 0, rules.layout) || size < ImageLength(bytes.data(), 0, rules.layout)) {
        Message("Open file failed!\n");
        return false;
    }

    if (rules.bin == BinRule::SizeLimited) {
        const WORD len = static_cast<WORD>(size - ImageLength(bytes.data(), 0, rules.layout));
        std::memcpy(g_image, bytes.data(), bytes.size());
        g_imageLen = ImageLength(g_image, len, rules.layout);
        return FinishRecomputed(rules, len);
    }

    const WORD len = ImageCodeLength(bytes.data());
    if (rules.bin == BinRule::Verify16M && len < MIN_CODE_LEN_5520) {
        Message("Open file failed!\n");
        return false;
    }
    if (rules.bin == BinRule::Firmware16M) {
        const bool flashCode = (bytes[8] & OPTION8_FLASH_CODE) != 0;
        if (len > (flashCode ? FLASH_CODE_MAX_LEN : EEPROM_CODE_MAX_LEN)) {
            Message(Format("Length(0x%X) Overflow!!!\n", len));
            return false;
        }
    }
    // The code length places the checksums: the file must reach them.
    if (size < IMAGE_HEADER_SIZE + len + 4) {
        Message("Open file failed!\n");
        return false;
    }
    if (rules.bin != BinRule::Firmware16M) return FinishVerified(rules, bytes, len);

    // The whole file is the image, whatever byte 8 says.
    std::memcpy(g_image, bytes.data(), bytes.size());
    g_imageLen = static_cast<DWORD>(size);
    return FinishRecomputed(rules, len);
}

}  // namespace

bool LoadImageFile(const LoadRules& rules) {
    FileDialogSpec spec;
    spec.title = rules.title;
    spec.filter = std::string(rules.filterDescription) + "|*.hex;*.bin|";
    const std::string path = Host().OpenFileDialog(spec);
    if (path.empty()) return false;

    const std::string ext = LowerExtension(path);
    if (ext == "bin") return LoadBin(rules, path);
    if (ext == "hex") return LoadHex(rules, path);
    Message("Open file failed!\n");
    return false;
}

// Loading .hex and .bin image files into an image.
//
// All seven chip types share one flow; each one's LoadRules hold what differs
// between them. A load starts from the image before it and writes only what
// the file gives: the bytes it leaves alone keep what that image held.
#include "LoadFile.h"

#include "ChipTypes.h"
#include "EngineHost.h"
#include "HexFile.h"
#include "ImageFormat.h"

#include <algorithm>
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
constexpr std::size_t SUM_BYTES = 4;  // header checksum, code checksum

[[gnu::format(printf, 1, 2)]] std::string Format(const char* format, ...) {
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

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

// One load: its rules, the image it builds and what it has said so far.
class Loading {
public:
    Loading(const std::string& path, int row, std::span<const BYTE> base)
        : path_(path), rules_(DescriptorOf(row).load), layout_(DescriptorOf(row).layout), base_(base) {
        if (base_.empty()) base_ = START_MAGIC;
        image_.bytes = ImageBytes();
        image_.row = row;
    }

    const LoadRules& rules() const { return rules_; }
    ChecksumLayout layout() const { return layout_; }
    const std::string& path() const { return path_; }

    // The image's first end bytes, writable: those not yet written hold
    // what the image before the load held.
    BYTE* Reach(std::size_t end) {
        ImageBytes& bytes = image_.bytes;
        const std::size_t had = bytes.size();
        if (end <= had) return bytes.data();
        bytes.resize(end);
        if (had < base_.size()) {
            const std::size_t upTo = std::min(end, base_.size());
            std::memcpy(bytes.data() + had, base_.data() + had, upTo - had);
        }
        return bytes.data();
    }

    void Message(std::string text) { result_.messages.push_back(std::move(text)); }
    // A refusal: its message box and the cause.
    bool Refuse(std::string text, const std::string& cause) {
        Message(std::move(text));
        result_.reason = path_ + ": " + cause;
        return false;
    }

    // The last steps of a load whose checksums are computed here.
    bool FinishRecomputed(WORD len, DWORD imageLen) {
        BYTE* bytes = Reach(std::max<std::size_t>(CodeOffset(layout_) + len + SUM_BYTES, 4));
        WriteBE16(bytes + 2, len);
        image_.codeLen = len;
        image_.length = imageLen;
        image_.checksum = StoreChecksums(bytes, layout_);
        return true;
    }
    // The last steps of a load whose stored checksums were checked.
    bool FinishVerified(WORD len, DWORD imageLen, WORD codeSum) {
        image_.codeLen = len;
        image_.length = imageLen;
        image_.checksum = codeSum;
        return true;
    }

    LoadResult Result(bool loaded) && {
        if (loaded) {
            Reach(image_.length);
            result_.image = std::move(image_);
            result_.refreshPage = rules_.refreshPage;
        }
        return std::move(result_);
    }

private:
    std::string path_;
    LoadRules rules_;
    ChecksumLayout layout_;
    std::span<const BYTE> base_;
    Image image_;
    LoadResult result_;
};

void StampVersion(Loading& ld, Stamp stamp) {
    if (stamp == Stamp::None) return;
    const std::tm t = Host().LocalTime();
    const BYTE year = static_cast<BYTE>((t.tm_year + 1900) % 100);
    const BYTE month = static_cast<BYTE>(t.tm_mon + 1);
    const BYTE day = static_cast<BYTE>(t.tm_mday);
    const BYTE hour = static_cast<BYTE>(t.tm_hour);
    BYTE* version = ld.Reach(16) + 12;
    if (stamp == Stamp::YearMonthDayHour) {
        version[0] = year, version[1] = month, version[2] = day, version[3] = hour;
    } else {
        version[0] = 0, version[1] = year, version[2] = month, version[3] = day;
    }
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

bool LoadHex(Loading& ld) {
    const LoadRules& rules = ld.rules();
    std::vector<BYTE> hex(HEX_ADDRESS_SPACE, 0xFF);
    int end = 0;
    long long fileSize = 0;
    {
        std::string why;
        const FilePtr file = OpenForRead(ld.path(), &why);
        if (!file) return ld.Refuse("Open HEX file failed!\n", why);
        fileSize = FileSize(file.get());
        end = ReadHexFile(file.get(), hex.data());
    }

    const HexWindow window = SelectHexWindow(rules, hex.data());
    if (end < static_cast<int>(window.base) || end > static_cast<int>(window.maxEnd)) {
        if (fileSize == 0) return ld.Refuse(window.invalidText, "empty");
        if (end == 0) return ld.Refuse(window.invalidText, "no HEX records");
        return ld.Refuse(window.invalidText, Format("not a valid firmware: its data ends at 0x%X, outside 0x%X..0x%X",
                                                    static_cast<unsigned>(end), static_cast<unsigned>(window.base),
                                                    static_cast<unsigned>(window.maxEnd)));
    }

    const std::size_t headerSize = CodeOffset(ld.layout());
    const std::size_t codeBytes = static_cast<std::size_t>(end) - window.base;
    // A BCSH block takes its four bytes from the end of the code: a file
    // with fewer code bytes can't hold the image it announces.
    const bool bcsh = !window.builtHeader && HasBcshBlock(hex.data() + window.base - headerSize, ld.layout());
    if (bcsh && codeBytes < BCSH_SIZE) {
        return ld.Refuse(window.invalidText, "not a valid firmware: its code can't hold the BCSH block it announces");
    }
    BYTE* image = ld.Reach(std::max<std::size_t>(headerSize, 9) + codeBytes);
    if (window.builtHeader) {
        image[0] = 0x3C;  // flash magic
        image[1] = 0xC3;
        image[8] = rules.builtByte8;
    } else {
        std::memcpy(image, hex.data() + window.base - headerSize, headerSize);
    }
    std::memcpy(image + headerSize, hex.data() + window.base, codeBytes);
    StampVersion(ld, window.stamp);

    // With a BCSH block the last four bytes copied make room for the
    // checksums; the block itself keeps what the image held.
    const WORD len = static_cast<WORD>(codeBytes - (bcsh ? BCSH_SIZE : 0));
    const DWORD imageLen = ImageLength(ld.Reach(11), len, ld.layout());
    return ld.FinishRecomputed(len, imageLen);
}

// The size test of a binary file, before anything is read. Returns false
// when the file is refused; *size may be cut to what is loaded.
bool AcceptBinSize(Loading& ld, std::uint64_t* size) {
    const LoadRules& rules = ld.rules();
    switch (rules.bin) {
    case BinRule::SizeLimited:
    case BinRule::Verify: {
        const std::uint64_t limit = rules.bin == BinRule::Verify ? EEPROM_SPACE : rules.binLimit;
        if (*size <= limit) return true;
        return ld.Refuse(Format("Length(0x%llX) Overflow!!!\n", static_cast<unsigned long long>(*size)),
                         Format("too large: %llu bytes, at most %llu", static_cast<unsigned long long>(*size),
                                static_cast<unsigned long long>(limit)));
    }
    case BinRule::Verify16M:
        if (*size > LOAD_LIMIT) {
            ld.Message(Format("Length(0x%llX) Overflow, only load (%f M)!!!\n", static_cast<unsigned long long>(*size),
                              16.0));
            *size = LOAD_LIMIT;
        }
        return true;
    case BinRule::Firmware16M:
        if (*size > LOAD_LIMIT) {
            ld.Message(Format("File Length: %0.2fM Overflow, only load 16M !!!\n",
                              static_cast<double>(*size) / 1024 / 1024));
            *size = LOAD_LIMIT;
        }
        return true;
    }
    return false;
}

// A binary file is read whole into a buffer of its own, and reaches the
// image only once every test has passed.
bool LoadBin(Loading& ld) {
    const LoadRules& rules = ld.rules();
    const ChecksumLayout layout = ld.layout();
    std::string why;
    FilePtr file = OpenForRead(ld.path(), &why);
    const long long fileSize = file ? FileSize(file.get()) : -1;
    if (fileSize < 0) return ld.Refuse("Open BIN file failed!\n", file ? "unreadable" : why);
    std::uint64_t size = static_cast<std::uint64_t>(fileSize);
    if (!AcceptBinSize(ld, &size)) return false;

    std::vector<BYTE> bytes(static_cast<std::size_t>(size));
    if (ReadRaw(file.get(), bytes.data(), bytes.size()) != bytes.size()) {
        return ld.Refuse("Open BIN file failed!\n", "unreadable");
    }
    file.reset();

    // Shorter than its own header (and checksums, and BCSH block): no image.
    constexpr BYTE NO_OPTIONS[IMAGE_HEADER_SIZE] = {};
    if (size < ImageLength(NO_OPTIONS, 0, layout) || size < ImageLength(bytes.data(), 0, layout)) {
        if (size == 0) return ld.Refuse("Open file failed!\n", "empty");
        return ld.Refuse("Open file failed!\n",
                         Format("too short: %llu bytes, less than a header", static_cast<unsigned long long>(size)));
    }

    if (rules.bin == BinRule::SizeLimited) {
        const WORD len = static_cast<WORD>(size - ImageLength(bytes.data(), 0, layout));
        BYTE* image = ld.Reach(bytes.size());
        std::memcpy(image, bytes.data(), bytes.size());
        return ld.FinishRecomputed(len, ImageLength(image, len, layout));
    }

    const WORD len = ImageCodeLength(bytes.data());
    if (rules.bin == BinRule::Verify16M && len < MIN_CODE_LEN_5520) {
        return ld.Refuse("Open file failed!\n", Format("code length %u, less than %u", static_cast<unsigned>(len),
                                                       static_cast<unsigned>(MIN_CODE_LEN_5520)));
    }
    if (rules.bin == BinRule::Firmware16M) {
        const WORD most = (bytes[8] & OPTION8_FLASH_CODE) != 0 ? FLASH_CODE_MAX_LEN : EEPROM_CODE_MAX_LEN;
        if (len > most) {
            return ld.Refuse(Format("Length(0x%X) Overflow!!!\n", len),
                             Format("code length 0x%X, more than 0x%X", static_cast<unsigned>(len),
                                    static_cast<unsigned>(most)));
        }
    }
    // The code length places the checksums: the file must reach them.
    if (size < IMAGE_HEADER_SIZE + len + SUM_BYTES) {
        return ld.Refuse("Open file failed!\n",
                         Format("too short: %llu bytes, its code length 0x%X needs %zu",
                                static_cast<unsigned long long>(size), static_cast<unsigned>(len),
                                IMAGE_HEADER_SIZE + len + SUM_BYTES));
    }
    WORD codeSum = 0;
    if (rules.bin != BinRule::Firmware16M && !StoredChecksumsMatch(bytes.data(), len, layout, &codeSum)) {
        return ld.Refuse("Check SUM failed!\n", "stored checksums do not hold");
    }
    std::memcpy(ld.Reach(bytes.size()), bytes.data(), bytes.size());
    // A firmware file is the image whole, whatever byte 8 says; its sums
    // are computed here.
    if (rules.bin == BinRule::Firmware16M) return ld.FinishRecomputed(len, static_cast<DWORD>(size));
    return ld.FinishVerified(len, static_cast<DWORD>(size), codeSum);
}

}  // namespace

LoadResult LoadImage(const std::string& path, int row, std::span<const BYTE> base) {
    if (!FindChipType(row)) {
        LoadResult refused;
        refused.messages.push_back("Open file failed!\n");
        refused.reason = path + ": no chip type " + std::to_string(row);
        return refused;
    }
    Loading ld(path, row, base);
    const std::string ext = LowerExtension(path);
    bool loaded = false;
    if (ext == "bin") loaded = LoadBin(ld);
    else if (ext == "hex") loaded = LoadHex(ld);
    else ld.Refuse("Open file failed!\n", "not a .hex or .bin file");
    return std::move(ld).Result(loaded);
}

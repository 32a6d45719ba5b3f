#include "ImageFields.h"

#include "ChipTypes.h"

#include <algorithm>
#include <bit>
#include <type_traits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// --- Values of the bit fields -----------------------------------------------------

constexpr FieldChoice kMutePatterns[] = {
    {"Pure black", 0},     {"Pure blue", 1},         {"Pure green", 2},        {"Pure red", 3},
    {"Pure white", 4},     {"Cross hatch", 5},       {"H ramp", 6},            {"V ramp", 7},
    {"color bar", 8},      {"H gray scale", 9},      {"V gray scale", 10},     {"2nd H gray scale", 11},
    {"primary color", 12}, {"interlace black", 13}, {"B&W random", 14},      {"Color random", 15},
};
constexpr FieldChoice kInputPorts[] = {{"AV", 0}, {"SV", 1}};
constexpr FieldChoice kTvModes[] = {{"NTSC_358", 0}, {"NTSC_443", 1}, {"PAL", 2},    {"PAL_M", 3},
                                    {"PAL_NC", 4},   {"SECAM", 5},    {"PAL_60", 6}, {"NO_SIGNAL", 7}};
// "Default" stands for every value from 5 on, and writes FF.
constexpr FieldChoice kSdramTypes[] = {{"2M", 0},   {"4M", 1},   {"8M", 2},
                                       {"16M", 3},  {"None", 4}, {"Default", 0xFF}};
constexpr FieldChoice kTvStandards[] = {{"NTSC", 0}, {"PAL", 1}};
constexpr FieldChoice kDvoFormats[] = {
    {"dvo_24bit_rgb888", 0}, {"dvo_8bit_bt601", 1}, {"dvo_16bit_bt601", 2}, {"dvo_8bit_bt656", 3},
    {"dvo_16bit_bt656", 4},  {"dvo_8bit_bt709", 5}, {"dvo_16bit_bt709", 6}, {"dvo_8bit_bt1120", 7}};
// Leaving the mode to the pins sets the whole byte.
constexpr FieldChoice kVideoModes[] = {{"fixed", 0}, {"gpio", 1, 0xFF}};

// --- Field builders -------------------------------------------------------------------

constexpr ImageField Base(const char* name, FieldKind kind, std::size_t offset, FieldRefresh refresh) {
    ImageField f{};
    f.name = name;
    f.kind = kind;
    f.offset = offset;
    f.refresh = refresh;
    return f;
}

constexpr ImageField HexPair(const char* name, std::size_t offset, FieldRefresh refresh) {
    return Base(name, FieldKind::HexPair, offset, refresh);
}

constexpr ImageField String(const char* name, std::size_t offset, const char* absentText, FieldRefresh refresh,
                            std::size_t longChars = 0) {
    ImageField f = Base(name, FieldKind::String, offset, refresh);
    f.absentText = absentText;
    f.longChars = longChars;
    return f;
}

constexpr ImageField Flag(const char* name, std::size_t offset, BYTE mask, FieldRefresh refresh) {
    ImageField f = Base(name, FieldKind::Flag, offset, refresh);
    f.mask = mask;
    return f;
}

constexpr ImageField Choice(const char* name, std::size_t offset, BYTE mask, std::span<const FieldChoice> choices,
                            FieldRefresh refresh) {
    ImageField f = Base(name, FieldKind::Choice, offset, refresh);
    f.mask = mask;
    f.choices = choices;
    return f;
}

constexpr ImageField Number(const char* name, std::size_t index, int low, int high, int fallback) {
    ImageField f = Base(name, FieldKind::Number, index, FieldRefresh::OptionBytes);
    f.low = low;
    f.high = high;
    f.fallback = fallback;
    return f;
}

constexpr ImageField KeyFile(const char* name, std::size_t offset, std::size_t size) {
    ImageField f = Base(name, FieldKind::KeyFile, offset, FieldRefresh::CodeChecksum);
    f.size = size;
    return f;
}

constexpr auto HEADER = FieldRefresh::HeaderChecksum;
constexpr auto OPTIONS = FieldRefresh::OptionBytes;

// --- The tables -------------------------------------------------------------------------

// VQ7140XX: 4..5 VID, 6..7 PID, 8 common flags (shown), 9 ports (bits 2..7
// kept), 10 audio, stereo, BCSH, mute pattern (bit 3 always 0), 11 default
// TV mode (bits 0..2), all of bits 3..6 with "NO_SIGNAL", default input
// (bit 7); the BCSH block behind the checksums.
constexpr std::size_t VQ7140XX_PORTS = 9;
constexpr std::size_t VQ7140XX_FUNCTION = 10;
constexpr std::size_t VQ7140XX_INPUT_TV = 11;
const ImageField kVQ7140XX[] = {
    HexPair("vid", 4, HEADER),
    HexPair("pid", 6, HEADER),
    String("video-string", VIDEO_STRING_FIELD, "USB Video", HEADER),
    String("audio-string", AUDIO_STRING_FIELD, "USB Audio", HEADER),
    Flag("av-port", VQ7140XX_PORTS, 0x01, OPTIONS),
    Flag("sv-port", VQ7140XX_PORTS, 0x02, OPTIONS),
    Flag("audio", VQ7140XX_FUNCTION, 0x01, OPTIONS),
    Flag("stereo", VQ7140XX_FUNCTION, 0x02, OPTIONS),
    Flag("save-bcsh", VQ7140XX_FUNCTION, OPTION10_BCSH, OPTIONS),
    Number("brightness", 0, -128, 127, 0),
    Number("contrast", 1, 0, 255, 128),
    Number("saturation", 2, 0, 255, 128),
    Number("hue", 3, -128, 127, 0),
    Choice("mute-pattern", VQ7140XX_FUNCTION, 0xF0, kMutePatterns, OPTIONS),
    Choice("default-input", VQ7140XX_INPUT_TV, 0x80, kInputPorts, OPTIONS),
    Choice("tv-mode", VQ7140XX_INPUT_TV, 0x07, kTvModes, OPTIONS),
};
constexpr BYTE TV_MODE_NO_SIGNAL = 7;

// VQ7170 and VQ7170S: 4 and 5 flags (shown), 6..7 VID, 8..9 PID.
const ImageField kVQ7170[] = {
    HexPair("vid", 6, HEADER),
    HexPair("pid", 8, HEADER),
    String("video-string", VIDEO_STRING_FIELD, "USB Video", HEADER),
    String("audio-string", AUDIO_STRING_FIELD, "USB Audio", HEADER),
};

// VQ5520: 4 flags (shown), 5 bit 0 udisk, 6..7 VID, 8..9 PID, 0x0A SDRAM
// type, 0x0B video mode: bit 0 TV standard, bits 1..3 digital video output
// format, bit 4 mode left to the pins, bits 5..7 kept.
constexpr std::size_t VQ5520_VIDEO_MODE = 0x0B;
const ImageField kVQ5520[] = {
    Choice("sdram", 0x0A, 0xFF, kSdramTypes, HEADER),
    Flag("udisk", 5, 0x01, HEADER),
    HexPair("vid", 6, HEADER),
    HexPair("pid", 8, HEADER),
    String("manufacturer", 0x10, "corvanta", HEADER),
    String("product", 0x20, "vq5520", HEADER),
    Choice("video-mode", VQ5520_VIDEO_MODE, 0x10, kVideoModes, HEADER),
    Choice("tv-standard", VQ5520_VIDEO_MODE, 0x01, kTvStandards, HEADER),
    Choice("dvo-format", VQ5520_VIDEO_MODE, 0x0E, kDvoFormats, HEADER),
};

// VQ7340: 4..5 VID, 6..7 PID, 8 common flags (shown); the strings short or
// long; the HDCP key inside the code.
const ImageField kVQ7340[] = {
    HexPair("vid", 4, HEADER),
    HexPair("pid", 6, HEADER),
    String("video-string", VIDEO_STRING_FIELD, "USB Video", FieldRefresh::BothChecksums, VQ7340_VIDEO_LONG_CHARS),
    String("audio-string", AUDIO_STRING_FIELD, "USB Audio", FieldRefresh::BothChecksums, VQ7340_AUDIO_LONG_CHARS),
    KeyFile("hdcp-key", HDCP_KEY_OFFSET, HDCP_KEY_SIZE),
};

// VQ5632: 8 bit 6 udisk.
const ImageField kVQ5632[] = {
    Flag("udisk", 8, 0x40, HEADER),
};

// The fields of each field set, in FieldSet order.
const std::span<const ImageField> kFieldSets[] = {{}, kVQ7140XX, kVQ7170, kVQ5520, kVQ7340, kVQ5632};
static_assert(std::extent_v<decltype(kFieldSets)> == static_cast<std::size_t>(FieldSet::Count),
              "kFieldSets needs one table per field set");

// The default header of each chip type.
struct ChipDefaults {
    int row;
    BYTE front[16];  // header bytes 0..15; 16..47 are FF
};

constexpr ChipDefaults kChips[] = {
    // Magic, code length 0, options FF: the only header bytes a VQ7140S image has.
    {CHIP_ROW_VQ7140S, {0x5A, 0xA5, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0}},
    // Memory-type-1 magic; VID and PID FFFF, no common flag, both ports,
    // audio, "Pure black", "AV", "NO_SIGNAL".
    {CHIP_ROW_VQ7140XX, {0x08, 0x16, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0xFF, 0x01, 0x7F, 0x00, 0x00, 0x00, 0x00}},
    {CHIP_ROW_VQ7170, {0x5A, 0xA5, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00}},
    {CHIP_ROW_VQ7170S, {0xA5, 0x5A, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00}},
    // Magic C3 3C: the flash image; SDRAM type "Default", the video mode left
    // to the pins.
    {CHIP_ROW_VQ5520, {0xC3, 0x3C, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00}},
    // Magic 3C C3: the flash image.
    {CHIP_ROW_VQ7340, {0x3C, 0xC3, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},
    // The flash image with the udisk on.
    {CHIP_ROW_VQ5632, {0x3C, 0xC3, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x40, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},
};
static_assert(OneRowPerChipType(kChips, &ChipDefaults::row), "kChips needs one row per chip type, in order");

const ChipDefaults* Chip(int row) { return FindChipType(row) ? &kChips[row] : nullptr; }

int Shift(const ImageField& field) { return std::countr_zero(static_cast<unsigned>(field.mask)); }

// A choice's caption compared to a typed name: any case, '-' or '_' for a blank.
bool SameChoiceName(std::string_view caption, std::string_view typed) {
    auto fold = [](char c) {
        if (c == ' ' || c == '_') return '-';
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    };
    return caption.size() == typed.size() &&
           std::equal(caption.begin(), caption.end(), typed.begin(), [&](char a, char b) { return fold(a) == fold(b); });
}

// One character per byte: byte b is the character of code b.
std::string BytesToUtf8(const std::string& bytes) {
    std::string out;
    for (unsigned char b : bytes) {
        if (b < 0x80) {
            out += static_cast<char>(b);
        } else {
            out += static_cast<char>(0xC0 | (b >> 6));
            out += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    return out;
}

// The low byte of each character's code; nothing for text that is not UTF-8.
std::optional<std::string> Utf8ToBytes(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        const int extra = lead < 0x80 ? 0 : (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2 : (lead & 0xF8) == 0xF0 ? 3 : -1;
        if (extra < 0 || (extra > 0 && i + static_cast<std::size_t>(extra) >= text.size())) return std::nullopt;
        unsigned code = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            const unsigned char c = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            if ((c & 0xC0) != 0x80) return std::nullopt;
            code = code << 6 | (c & 0x3F);
        }
        out += static_cast<char>(code & 0xFF);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

int StringCapacity(const ImageField& field) { return field.longChars ? 64 : 15; }

ParsedChange Bad(const ImageField& field, std::string_view value) {
    return {std::nullopt, "bad value '" + std::string(value) + "' for " + field.name + ": " + AllowedValues(field)};
}

ParsedChange Change(const ImageField& field, int value) {
    FieldChange c;
    c.field = &field;
    c.value = value;
    return {c, {}};
}

// The BCSH values an option change writes: what the image shows now.
std::array<int, BCSH_SIZE> CurrentBcsh(const ImageView& image) {
    std::array<int, BCSH_SIZE> values{};
    for (const ImageField& f : kVQ7140XX)
        if (f.kind == FieldKind::Number) values[f.offset] = FieldNumber(image, f).value_or(f.fallback);
    return values;
}

// The bytes past the last one a change writes, checksums included.
std::size_t ChangeEnd(int row, const ImageView& image, const FieldChange& change) {
    const ImageField& f = *change.field;
    // The checksums behind the code, and on the VQ7140XX a BCSH block behind them.
    const std::size_t end =
        IMAGE_HEADER_SIZE + image.codeLen + 4 + (ChipLayout(row) == ChecksumLayout::VQ7140XX ? BCSH_SIZE : 0);
    switch (f.kind) {
    case FieldKind::HexPair: return std::max(end, f.offset + 2);
    case FieldKind::String: {
        const StringFieldLayout layout = FieldStringLayout(f, LongLayoutApplies(image, f));
        return std::max(end, layout.charsOffset + static_cast<std::size_t>(layout.capacity));
    }
    case FieldKind::KeyFile: return std::max(end, f.offset + f.size);
    default: return end;
    }
}

}  // namespace

// --- The table --------------------------------------------------------------------------

std::span<const ImageField> ChipFields(int row) {
    const ChipDescriptor* chip = FindChipType(row);
    return chip ? kFieldSets[static_cast<std::size_t>(chip->fields)] : std::span<const ImageField>();
}

ChecksumLayout ChipLayout(int row) {
    const ChipDescriptor* chip = FindChipType(row);
    return chip ? chip->layout : ChecksumLayout::VQ7140S;
}

const ImageField* FindField(int row, std::string_view name) {
    for (const ImageField& f : ChipFields(row))
        if (name == f.name) return &f;
    return nullptr;
}

const ImageField* KeyField(int row) {
    for (const ImageField& f : ChipFields(row))
        if (f.kind == FieldKind::KeyFile) return &f;
    return nullptr;
}

const ImageField& ChipField(int row, std::string_view name) {
    const ImageField* f = FindField(row, name);
    if (!f) std::abort();  // a page asked for a field its row does not have
    return *f;
}

const char* FieldKindName(FieldKind kind) {
    switch (kind) {
    case FieldKind::HexPair: return "hex pair";
    case FieldKind::String: return "string";
    case FieldKind::Flag: return "flag";
    case FieldKind::Choice: return "choice";
    case FieldKind::Number: return "number";
    case FieldKind::KeyFile: return "key file";
    }
    return "";
}

std::string AllowedValues(const ImageField& field) {
    switch (field.kind) {
    case FieldKind::HexPair: return "1 to 4 hex digits, 0000..FFFF";
    case FieldKind::String:
        return field.longChars ? "up to 15 characters (64 in the long layout); empty for no string"
                               : "up to 15 characters; empty for no string";
    case FieldKind::Flag: return "0 or 1 (off or on)";
    case FieldKind::Choice: {
        std::string text = "one of";
        for (std::size_t i = 0; i < field.choices.size(); ++i)
            text += std::string(i ? ", " : " ") + field.choices[i].caption;
        return text;
    }
    case FieldKind::Number: return std::to_string(field.low) + ".." + std::to_string(field.high);
    case FieldKind::KeyFile: return "the path of a .bin file of exactly " + std::to_string(field.size) + " bytes";
    }
    return {};
}

// --- Images -----------------------------------------------------------------------------

std::size_t FieldsReach(int row, WORD codeLen) {
    // The checksums and a BCSH block behind the code; the long-layout marker.
    std::size_t reach = std::max(IMAGE_HEADER_SIZE + codeLen + 4 + BCSH_SIZE, LONG_STRING_MARKER + LONG_STRING_MARKER_SIZE);
    for (const ImageField& f : ChipFields(row)) {
        switch (f.kind) {
        case FieldKind::HexPair: reach = std::max(reach, f.offset + 2); break;
        case FieldKind::String: reach = std::max(reach, std::max(f.offset + 16, f.longChars + 64)); break;
        case FieldKind::KeyFile: reach = std::max(reach, f.offset + f.size); break;
        default: reach = std::max(reach, f.offset + 1); break;
        }
    }
    return reach;
}

ImageView ViewOf(Image& image) {
    image.bytes.Reach(std::max<std::size_t>(FieldsReach(image.row, image.codeLen), image.length));
    return {image.bytes.data(), image.bytes.size(), image.length, image.codeLen, image.checksum};
}

void WriteChipDefaults(int row, const ImageView& image) {
    const ChipDefaults* chip = Chip(row);
    if (!chip) return;
    image.codeLen = 0;
    image.checksum = 0;
    const ChecksumLayout layout = ChipLayout(row);
    if (layout == ChecksumLayout::VQ7140S) {
        // Bytes 10..11 keep what the image holds.
        image.length = IMAGE_HEADER16_SIZE;
        std::memcpy(image.bytes, chip->front, 10);
        std::memcpy(image.bytes + 12, chip->front + 12, 4);
        return;
    }
    BYTE header[IMAGE_HEADER_SIZE];
    std::memcpy(header, chip->front, sizeof chip->front);
    std::memset(header + sizeof chip->front, 0xFF, sizeof header - sizeof chip->front);
    image.length = DEFAULT_IMAGE_LEN;
    WriteDefaultImage(image.bytes, header, layout);
}

BYTE DefaultMemoryType(int row) {
    if (!FindChipType(row)) return 0;
    Image image;
    image.row = row;
    WriteChipDefaults(row, ViewOf(image));
    return image.MemoryType();
}

// --- Reading ----------------------------------------------------------------------------

bool LongLayoutApplies(const ImageView& image, const ImageField& field) {
    return field.longChars != 0 && image.size >= field.longChars + 64 &&
           image.size >= LONG_STRING_MARKER + LONG_STRING_MARKER_SIZE && HasLongStringLayout(image.bytes, image.codeLen);
}

StringFieldLayout FieldStringLayout(const ImageField& field, bool longLayout) {
    return longLayout ? LongStringField(field.offset, field.longChars) : ShortStringField(field.offset);
}

int FieldBits(const BYTE* image, const ImageField& field) {
    return ComboIndexOf(image[field.offset], {Shift(field), field.mask});
}

std::size_t FieldChoiceIndex(const BYTE* image, const ImageField& field) {
    const int bits = FieldBits(image, field);
    for (std::size_t i = 0; i < field.choices.size(); ++i)
        if (field.choices[i].value == bits) return i;
    return field.choices.size() - 1;
}

std::optional<int> FieldNumber(const ImageView& image, const ImageField& field) {
    if ((image.bytes[VQ7140XX_FUNCTION] & OPTION10_BCSH) == 0) return std::nullopt;
    const std::size_t at = static_cast<WORD>(ImageCodeLength(image.bytes) + BcshOffset(0)) + field.offset;
    if (at >= image.size) return std::nullopt;
    const BYTE b = image.bytes[at];
    return field.low < 0 ? static_cast<std::int8_t>(b) : b;
}

FieldReading ReadField(const ImageView& image, const ImageField& field) {
    const BYTE* bytes = image.bytes;
    switch (field.kind) {
    case FieldKind::HexPair: {
        char text[8];
        std::snprintf(text, sizeof text, "%02X%02X", bytes[field.offset], bytes[field.offset + 1]);
        return {text};
    }
    case FieldKind::String: {
        const StringFieldBytes s = ReadStringField(bytes, FieldStringLayout(field, LongLayoutApplies(image, field)));
        return {BytesToUtf8(s.chars), s.present};
    }
    case FieldKind::Flag: return {FieldBits(bytes, field) ? "1" : "0"};
    case FieldKind::Choice: return {field.choices[FieldChoiceIndex(bytes, field)].caption};
    case FieldKind::Number: {
        const std::optional<int> n = FieldNumber(image, field);
        return {std::to_string(n.value_or(field.fallback)), n.has_value()};
    }
    case FieldKind::KeyFile: {
        bool present = field.offset + field.size <= image.length && field.offset + field.size <= image.size;
        if (present) {
            const BYTE* key = bytes + field.offset;
            present = std::any_of(key, key + field.size, [&](BYTE b) { return b != 0xFF; }) &&
                      std::any_of(key, key + field.size, [&](BYTE b) { return b != 0x00; });
        }
        return {present ? "present" : "absent", present};
    }
    }
    return {};
}

FieldReading ReadField(const Image& image, const ImageField& field) {
    // Reading changes nothing; a copy grows where the image is too short.
    if (image.bytes.size() >= std::max<std::size_t>(FieldsReach(image.row, image.codeLen), image.length)) {
        Image& same = const_cast<Image&>(image);
        return ReadField(ViewOf(same), field);
    }
    Image copy = image;
    return ReadField(ViewOf(copy), field);
}

FieldReading FieldDefault(int row, const ImageField& field) {
    // Large enough for every field behind the header.
    std::vector<BYTE> bytes(LONG_STRING_MARKER + 0x100, 0x00);
    DWORD length = 0;
    WORD codeLen = 0, checksum = 0;
    const ImageView image{bytes.data(), bytes.size(), length, codeLen, checksum};
    WriteChipDefaults(row, image);
    return ReadField(image, field);
}

// --- Changing -------------------------------------------------------------------------------

ParsedChange ParseFieldChange(int row, std::string_view text) {
    const std::size_t eq = text.find('=');
    if (eq == std::string_view::npos || eq == 0)
        return {std::nullopt, "expected NAME=VALUE, not '" + std::string(text) + "'"};
    const std::string_view name = text.substr(0, eq);
    const ImageField* field = FindField(row, name);
    if (!field) {
        std::string error = "unknown field '" + std::string(name) + "'";
        const ChipDescriptor* chip = FindChipType(row);
        if (!chip) return {std::nullopt, error + ": no chip type " + std::to_string(row)};
        error += std::string(" for ") + chip->label;
        const std::span<const ImageField> fields = ChipFields(row);
        if (fields.empty()) return {std::nullopt, error + ", which has no fields"};
        error += "; its fields:";
        for (std::size_t i = 0; i < fields.size(); ++i) error += std::string(i ? ", " : " ") + fields[i].name;
        return {std::nullopt, error};
    }
    return ParseFieldValue(*field, text.substr(eq + 1));
}

ParsedChange ParseFieldValue(const ImageField& field, std::string_view value) {
    switch (field.kind) {
    case FieldKind::HexPair: {
        if (value.empty() || value.size() > 4) return Bad(field, value);
        int n = 0;
        for (char c : value) {
            const int d = c >= '0' && c <= '9' ? c - '0'
                        : c >= 'A' && c <= 'F' ? c - 'A' + 10
                        : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                               : -1;
            if (d < 0) return Bad(field, value);
            n = n * 16 + d;
        }
        return Change(field, n);
    }
    case FieldKind::String: {
        const std::optional<std::string> bytes = Utf8ToBytes(value);
        if (!bytes || bytes->size() > static_cast<std::size_t>(StringCapacity(field))) return Bad(field, value);
        FieldChange c;
        c.field = &field;
        c.present = !bytes->empty();
        c.bytes = *bytes;
        return {c, {}};
    }
    case FieldKind::Flag:
        if (value == "1" || value == "on") return Change(field, 1);
        if (value == "0" || value == "off") return Change(field, 0);
        return Bad(field, value);
    case FieldKind::Choice: {
        for (const FieldChoice& choice : field.choices)
            if (SameChoiceName(choice.caption, value)) return Change(field, choice.value);
        for (const FieldChoice& choice : field.choices)
            if (value == std::to_string(choice.value)) return Change(field, choice.value);
        return Bad(field, value);
    }
    case FieldKind::Number: {
        std::string_view digits = value;
        const bool negative = !digits.empty() && digits.front() == '-';
        if (negative) digits.remove_prefix(1);
        if (digits.empty() || digits.size() > 4 ||
            !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return Bad(field, value);
        int n = 0;
        for (char c : digits) n = n * 10 + (c - '0');
        if (negative) n = -n;
        if (n < field.low || n > field.high) return Bad(field, value);
        return Change(field, n);
    }
    case FieldKind::KeyFile: return LoadKeyFile(field, std::string(value));
    }
    return Bad(field, value);
}

ParsedChange LoadKeyFile(const ImageField& field, const std::string& path) {
    // The extension: what follows the last dot of the file's name.
    const std::size_t slash = path.find_last_of('/');
    const std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = file.find_last_of('.');
    const std::string ext = dot == std::string::npos ? std::string() : file.substr(dot + 1);
    if (!SameChoiceName("bin", ext)) return {std::nullopt, "File type error!\n"};
    std::vector<BYTE> key(field.size);
    const KeyFileRead read = ReadKeyFile(path, key.data(), key.size());
    switch (read.status) {
    case KeyFileRead::CannotOpen: return {std::nullopt, "fail to open file!\n"};
    case KeyFileRead::WrongSize: {
        char text[96];
        std::snprintf(text, sizeof text, "Invalid key because the length is %lld not equal to %zu!\n", read.size,
                      field.size);
        return {std::nullopt, text};
    }
    case KeyFileRead::Loaded: break;
    }
    FieldChange c;
    c.field = &field;
    c.bytes.assign(key.begin(), key.end());
    return {c, {}};
}

void PutFieldBits(BYTE* image, const ImageField& field, int value) {
    const ComboField bits{Shift(field), field.mask};
    image[field.offset] = static_cast<BYTE>((image[field.offset] & ~field.mask) | ComboBitsOf(value, bits));
}

void PutBcshBlock(const ImageView& image, const std::array<int, BCSH_SIZE>& values) {
    BYTE* block = image.bytes + BcshOffset(image.codeLen);
    for (std::size_t i = 0; i < BCSH_SIZE; ++i) block[i] = static_cast<BYTE>(values[i]);
}

void RefreshImage(int row, const ImageView& image, FieldRefresh refresh) {
    const ChecksumLayout layout = ChipLayout(row);
    if (layout == ChecksumLayout::VQ7140S) return;  // no checksums
    BYTE* bytes = image.bytes;
    switch (refresh) {
    case FieldRefresh::HeaderChecksum: StoreHeaderChecksum(bytes, image.codeLen, layout); break;
    case FieldRefresh::BothChecksums:
        StoreHeaderChecksum(bytes, image.codeLen, layout);
        StoreCodeChecksum(bytes, image.codeLen, layout);
        break;
    case FieldRefresh::CodeChecksum: image.checksum = StoreCodeChecksum(bytes, image.codeLen, layout); break;
    case FieldRefresh::OptionBytes: {
        // At least one input port; stereo only with audio; bit 3 of byte 10
        // clear; "NO_SIGNAL" sets bits 3..6 of byte 11, any other mode clears them.
        if ((bytes[VQ7140XX_PORTS] & 0x02) == 0) bytes[VQ7140XX_PORTS] |= 0x01;
        if ((bytes[VQ7140XX_FUNCTION] & 0x01) == 0) bytes[VQ7140XX_FUNCTION] &= static_cast<BYTE>(~0x02);
        bytes[VQ7140XX_FUNCTION] &= static_cast<BYTE>(~0x08);
        bytes[VQ7140XX_INPUT_TV] &= 0x87;
        if ((bytes[VQ7140XX_INPUT_TV] & 0x07) == TV_MODE_NO_SIGNAL) bytes[VQ7140XX_INPUT_TV] |= 0x7F;
        WriteBE16(bytes + 2, image.codeLen);
        image.length = ImageLength(bytes, image.codeLen, layout);
        image.checksum = StoreChecksums(bytes, layout);
        break;
    }
    }
}

std::string ApplyFieldChange(int row, const ImageView& image, const FieldChange& change) {
    if (!change.field) return "no field";
    const ImageField& f = *change.field;
    if (ChangeEnd(row, image, change) > image.size) return std::string("the image is too small for ") + f.name;
    if (f.kind == FieldKind::String && !change.cutToLayout) {
        const int capacity = FieldStringLayout(f, LongLayoutApplies(image, f)).capacity;
        if (change.bytes.size() > static_cast<std::size_t>(capacity))
            return std::string(f.name) + " holds up to " + std::to_string(capacity) + " characters in this image";
    }
    BYTE* bytes = image.bytes;
    // An option change of the VQ7140XX rewrites the BCSH block it shows.
    const std::array<int, BCSH_SIZE> bcsh = f.refresh == FieldRefresh::OptionBytes ? CurrentBcsh(image)
                                                                                    : std::array<int, BCSH_SIZE>{};
    switch (f.kind) {
    case FieldKind::HexPair: WriteBE16(bytes + f.offset, static_cast<WORD>(change.value)); break;
    case FieldKind::String:
        WriteStringField(bytes, FieldStringLayout(f, LongLayoutApplies(image, f)), change.present, change.bytes);
        break;
    case FieldKind::Flag: PutFieldBits(bytes, f, change.value ? 1 : 0); break;
    case FieldKind::Choice: {
        const auto choice = std::find_if(f.choices.begin(), f.choices.end(),
                                         [&](const FieldChoice& c) { return c.value == change.value; });
        if (choice != f.choices.end() && choice->wholeByte >= 0)
            bytes[f.offset] = static_cast<BYTE>(choice->wholeByte);
        else
            PutFieldBits(bytes, f, change.value);
        break;
    }
    case FieldKind::Number: {
        // A value takes the block along: the image saves it from now on.
        std::array<int, BCSH_SIZE> values = bcsh;
        values[f.offset] = std::clamp(change.value, f.low, f.high);
        bytes[VQ7140XX_FUNCTION] |= OPTION10_BCSH;
        PutBcshBlock(image, values);
        RefreshImage(row, image, f.refresh);
        return {};
    }
    case FieldKind::KeyFile:
        std::memcpy(bytes + f.offset, change.bytes.data(), std::min(change.bytes.size(), f.size));
        break;
    }
    if (f.refresh == FieldRefresh::OptionBytes && (bytes[VQ7140XX_FUNCTION] & OPTION10_BCSH)) PutBcshBlock(image, bcsh);
    RefreshImage(row, image, f.refresh);
    return {};
}

std::string ApplyFieldChange(Image& image, const FieldChange& change) {
    return ApplyFieldChange(image.row, ViewOf(image), change);
}

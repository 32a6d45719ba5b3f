// The fields of each chip type's image that its option page edits, in one
// table per field set of the chip types (ChipTypes.h): each field's name for
// the command line, its place in the image, its kind and values, and the
// checksum refresh that follows a change. The option pages and the command
// line read and write the fields through it, so both write the same bytes.
#pragma once

#include "ChipTypes.h"
#include "FieldRules.h"
#include "Image.h"
#include "ImageFormat.h"
#include "WinTypes.h"

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// --- Header bytes of the chip types -------------------------------------------------

// Header bytes the pages only show (no field edits them).
inline constexpr std::size_t VQ7140XX_COMMON_FLAGS = 8;
inline constexpr std::size_t VQ7170_COMMON_FLAGS = 4;
inline constexpr std::size_t VQ7170_HD_FLAGS = 5;
inline constexpr std::size_t VQ5520_FLAGS = 4;  // bits 2..7
inline constexpr std::size_t VQ7340_COMMON_FLAGS = 8;

// Where the VQ7340 strings keep their characters in the long layout.
inline constexpr std::size_t VQ7340_VIDEO_LONG_CHARS = 0x1010;
inline constexpr std::size_t VQ7340_AUDIO_LONG_CHARS = 0x1050;
// Where a VQ7340 HDCP key goes, and its size (also the size of its file).
inline constexpr std::size_t HDCP_KEY_OFFSET = 0x0310;
inline constexpr std::size_t HDCP_KEY_SIZE = 285;

// --- Fields ----------------------------------------------------------------------------

enum class FieldKind {
    HexPair,  // a big-endian 16-bit number, shown as four hex digits
    String,   // a USB string field (length byte + characters)
    Flag,     // one bit
    Choice,   // a bit field with named values
    Number,   // a signed number with a range, in the VQ7140XX BCSH block
    KeyFile,  // bytes copied from a file of a fixed size
};

// What follows a change of the field.
enum class FieldRefresh {
    HeaderChecksum,  // the header checksum at 48 + code length
    BothChecksums,   // and the code checksum at 50 + code length; the shown checksum keeps its value
    CodeChecksum,    // the code checksum, stored and shown; the header checksum stays
    OptionBytes,     // VQ7140XX: the option bytes' own rules, code length bytes, image length, both checksums
};

struct FieldChoice {
    const char* caption;  // as the page shows it: "PAL", "Pure black"
    BYTE value;           // the field's value (its bits shifted down)
    int wholeByte = -1;   // 0..255: choosing it sets the whole byte to this
};

struct ImageField {
    const char* name = "";  // lower case, for the command line: "vid"
    FieldKind kind = FieldKind::Flag;
    // HexPair: the high byte; String: the length byte; Flag, Choice: the
    // option byte; Number: the index in the BCSH block; KeyFile: the first byte.
    std::size_t offset = 0;
    BYTE mask = 0;                          // Flag, Choice: the field's bits in place
    std::span<const FieldChoice> choices;   // Choice; a byte no choice holds shows as the last one
    int low = 0, high = 0;                  // Number: its range
    int fallback = 0;                       // Number: its value while the image holds no block
    std::size_t longChars = 0;              // String: the characters in the long layout (0: none)
    const char* absentText = "";            // String: what the page shows for an absent string
    std::size_t size = 0;                   // KeyFile: the number of bytes
    FieldRefresh refresh = FieldRefresh::HeaderChecksum;
};

// The fields of row 0..6, in the order the page shows them; empty for any
// other number (and for row 0, whose page edits nothing).
std::span<const ImageField> ChipFields(int row);
// The checksum layout of row's images.
ChecksumLayout ChipLayout(int row);
// The field of row called name, or nullptr.
const ImageField* FindField(int row, std::string_view name);
// The HDCP key field of row (the bytes of a key file), or nullptr.
const ImageField* KeyField(int row);
// The same for a name the caller knows to be there.
const ImageField& ChipField(int row, std::string_view name);

// "hex pair", "string", "flag", "choice", "number", "key file".
const char* FieldKindName(FieldKind kind);
// What a value of the field may be, for listings and error texts.
std::string AllowedValues(const ImageField& field);

// --- Images -----------------------------------------------------------------------------

// An image and the numbers that go with it: the buffer, its size, the image
// length, the code length and the shown code checksum. The pages view the
// window's image; the command line views an Image (ViewOf).
struct ImageView {
    BYTE* bytes;
    std::size_t size;
    DWORD& length;
    WORD& codeLen;
    WORD& checksum;
};

// How far the fields of row reach into an image of that code length: the
// bytes every field, the long-layout marker, the checksums and a BCSH block
// may occupy.
std::size_t FieldsReach(int row, WORD codeLen);
// A view of image whose bytes reach as far as its fields do: an image is 0
// past its bytes, so the view reads and writes it as though it were as long
// as the window's image buffer.
ImageView ViewOf(Image& image);

// Row's default image: code length 0 and shown checksum 0; 52 bytes (the
// default header, its header checksum, a code checksum of 0), or on row 0
// the 16-byte header whose bytes 10..11 keep what they held.
void WriteChipDefaults(int row, const ImageView& image);
// The memory type the window starts with for row: that of the default image
// its page writes when it is shown. 0 for a row that is none.
BYTE DefaultMemoryType(int row);

// --- Reading ----------------------------------------------------------------------------

// Whether the strings of the image are in the long layout now (for a field
// that has one), and the field's layout in either.
bool LongLayoutApplies(const ImageView& image, const ImageField& field);
StringFieldLayout FieldStringLayout(const ImageField& field, bool longLayout);

// Flag, Choice: the field's bits, shifted down.
int FieldBits(const BYTE* image, const ImageField& field);
// Choice: the index in field.choices of what the byte holds.
std::size_t FieldChoiceIndex(const BYTE* image, const ImageField& field);
// Number: the value in the BCSH block, found through the code length of
// header bytes 2..3; nothing while the image announces no block.
std::optional<int> FieldNumber(const ImageView& image, const ImageField& field);

struct FieldReading {
    std::string text;     // the value as NAME=VALUE would give it (strings: UTF-8)
    bool present = true;  // false: an absent string, no key, no BCSH block
};

// A field's value as text. A key is never shown: its text is "present" or
// "absent" (a key is present when its bytes lie inside the image and are
// neither all FF nor all 00). An absent string reads as an empty text; a
// number without a block as its fallback.
FieldReading ReadField(const ImageView& image, const ImageField& field);
FieldReading ReadField(const Image& image, const ImageField& field);

// The field's value in row's default image.
FieldReading FieldDefault(int row, const ImageField& field);

// --- Changing -------------------------------------------------------------------------------

struct FieldChange {
    const ImageField* field = nullptr;
    int value = 0;         // HexPair, Flag (0 or 1), Choice (a choice's value), Number
    bool present = true;   // String: false for no string
    std::string bytes;     // String: the characters, one byte each; KeyFile: the bytes
    // String: more characters than the image's layout holds now are cut to
    // it (as an edit's text is), else the change is refused.
    bool cutToLayout = false;
};

struct ParsedChange {
    std::optional<FieldChange> change;
    std::string error;  // when there is no change
};

// "NAME=VALUE" for a field of row. Hex pairs take 1 to 4 hex digits;
// strings their characters (UTF-8; each character keeps the low byte of its
// code), an empty value for no string; flags 0, 1, on, off; choices a
// caption (any case, '-' for a blank) or the value's number; numbers a
// decimal within the range; a key file the path of a .bin file, read
// at once with the page's checks and texts.
ParsedChange ParseFieldChange(int row, std::string_view text);
// The VALUE part alone.
ParsedChange ParseFieldValue(const ImageField& field, std::string_view value);

// The key file at path for field, as the page loads it: the extension must
// be bin (any case), the file must open and hold exactly field.size bytes.
// The error texts are the page's message-box texts.
ParsedChange LoadKeyFile(const ImageField& field, const std::string& path);

// Writes the change into the image and refreshes what the field's refresh
// says. Returns an error text, and changes nothing, when the bytes it would
// write lie outside the buffer, or for a string longer than the layout the
// image asks for now holds (unless the change cuts it).
std::string ApplyFieldChange(int row, const ImageView& image, const FieldChange& change);
// The same on an image, whose bytes grow as far as the change reaches.
std::string ApplyFieldChange(Image& image, const FieldChange& change);

// --- The pieces of a change, for pages that build one from several controls --

// Flag, Choice: the field's bits = value; the rest of the byte stays.
void PutFieldBits(BYTE* image, const ImageField& field, int value);
// VQ7140XX: the four BCSH bytes at 52 + code length.
void PutBcshBlock(const ImageView& image, const std::array<int, BCSH_SIZE>& values);
// The refresh after a change of row's image.
void RefreshImage(int row, const ImageView& image, FieldRefresh refresh);

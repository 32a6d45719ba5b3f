// LoadImage for every chip type: a good HEX and a good binary file each,
// every way a file is refused (the message texts in order, and the reason),
// and the notice of a binary file over 16 MB that comes with its image.
//
// The expected images are put together here from the image layout: the
// header, the code, and the two sums over the bytes each one covers.
#include "ImageTestUtil.h"
#include "LoadTestUtil.h"
#include "RecordingHost.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <ostream>
#include <future>
#include <string>
#include <vector>

using namespace imagetest;

namespace {

const char* const kNames[CHIP_COUNT] = {"VQ7140S", "VQ7140XX", "VQ7170", "VQ7170S", "VQ5520", "VQ7340", "VQ5632"};

// The clock of every load here: 27 November 2031, 09:45.
void SetClock(RecordingHost& host) { host.SetNow(2031, 11, 27, 9, 45); }
const std::vector<BYTE> kYearMonthDayHour = {31, 11, 27, 9};
const std::vector<BYTE> kZeroYearMonthDay = {0, 31, 11, 27};

struct Range {
    std::size_t from, to;  // [from, to)
};

// What the image layout and the HEX windows say of one chip type.
struct ChipFacts {
    unsigned headerAt;               // HEX address of the header (right below the code)
    std::size_t header;              // header size: where the code starts in the image
    std::vector<Range> headerSum;    // bytes the header sum covers; empty: no sums stored
    std::vector<BYTE> hexStamp;      // bytes 12..15 after a HEX load; empty: the file's own
    bool refreshPage;
};

const ChipFacts kFacts[CHIP_COUNT] = {
    {0xC3F0, 16, {}, kYearMonthDayHour, false},
    {0xC7D0, 48, {{2, 11}, {16, 48}}, kYearMonthDayHour, true},
    {0xCBD0, 48, {{2, 48}}, kYearMonthDayHour, true},
    {0xCBD0, 48, {{2, 48}}, kYearMonthDayHour, true},
    {0xC800, 48, {{2, 48}}, kZeroYearMonthDay, true},
    {0xEFD0, 48, {{2, 12}, {16, 48}}, {}, true},
    {0xEFD0, 48, {{2, 12}, {16, 48}}, {}, true},
};

WORD Sum(const std::vector<BYTE>& bytes, std::size_t from, std::size_t to) {
    unsigned sum = 0;
    for (std::size_t i = from; i < to; ++i) sum += bytes[i];
    return static_cast<WORD>(sum);
}

void PutBE16(std::vector<BYTE>& bytes, std::size_t at, unsigned value) {
    bytes[at] = static_cast<BYTE>(value >> 8);
    bytes[at + 1] = static_cast<BYTE>(value);
}

// Stores both sums behind len code bytes, where the chip type has them.
void StoreSums(std::vector<BYTE>& image, Chip chip, WORD len) {
    const ChipFacts& f = kFacts[chip];
    if (f.headerSum.empty()) return;
    WORD header = 0;
    for (const Range& r : f.headerSum) header = static_cast<WORD>(header + Sum(image, r.from, r.to));
    PutBE16(image, f.header + len, header);
    PutBE16(image, f.header + len + 2, Sum(image, f.header, f.header + len));
}

// A header of the chip type: bytes 2..3 say BE EF (no code length of this
// file), byte 8 as given, byte 10 without the BCSH bit.
std::vector<BYTE> Header(Chip chip, BYTE byte8 = 0x80) {
    std::vector<BYTE> h = Bytes(kFacts[chip].header, 0x61);
    h[2] = 0xBE, h[3] = 0xEF;
    if (h.size() > 10) {
        h[8] = byte8;
        h[10] &= static_cast<BYTE>(~OPTION10_BCSH);
    }
    return h;
}

std::vector<BYTE> Join(std::vector<BYTE> a, const std::vector<BYTE>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<BYTE> Raw(const std::string& s) { return {s.begin(), s.end()}; }

// --- good files -----------------------------------------------------------------------

constexpr WORD LEN = 64;  // the code bytes of every good file

struct GoodFile {
    std::string id;
    Chip chip;
    std::string name;          // the file's name
    std::vector<BYTE> file;    // its contents
    std::vector<BYTE> image;   // the image it loads as: its `length` bytes
    WORD checksum;
    std::vector<BYTE> stamp;   // bytes 12..15 of the image
};

// A HEX file of header and code at the chip type's window.
GoodFile GoodHex(Chip chip) {
    const ChipFacts& f = kFacts[chip];
    const std::vector<BYTE> header = Header(chip), code = Bytes(LEN, 0x17);
    std::vector<BYTE> image = Join(header, code);
    PutBE16(image, 2, LEN);
    const std::vector<BYTE> stamp = f.hexStamp.empty() ? std::vector<BYTE>(header.begin() + 12, header.begin() + 16)
                                                       : f.hexStamp;
    std::copy(stamp.begin(), stamp.end(), image.begin() + 12);
    if (!f.headerSum.empty()) image.resize(image.size() + 4);
    StoreSums(image, chip, LEN);
    return {std::string(kNames[chip]) + "_hex", chip, "good.hex", Raw(HexOf(f.headerAt, Join(header, code))), image,
            Sum(code, 0, LEN), stamp};
}

// A binary file: the sizes decide the code length on the first three chip
// types, bytes 2..3 on the others; the sums are checked on VQ7170S and
// VQ5520, computed anew on the rest.
GoodFile GoodBin(Chip chip) {
    const ChipFacts& f = kFacts[chip];
    const std::vector<BYTE> code = Bytes(LEN, 0x29);
    std::vector<BYTE> file = Join(Header(chip, chip == VQ5632 ? 0xC0 : 0x80), code);
    const bool lengthInFile = chip >= VQ7170S;
    const bool checked = chip == VQ7170S || chip == VQ5520;
    if (lengthInFile) PutBE16(file, 2, LEN);
    if (!f.headerSum.empty()) file = Join(file, {0xDE, 0xAD, 0xBE, 0xEF});  // sums that do not hold
    if (checked) StoreSums(file, chip, LEN);
    // Bytes behind the sums belong to the image where the file's size is its length.
    if (lengthInFile) file = Join(file, Bytes(8, 0x71));
    std::vector<BYTE> image = file;
    PutBE16(image, 2, LEN);
    StoreSums(image, chip, LEN);
    return {std::string(kNames[chip]) + "_bin", chip, "good.bin", file, image, Sum(code, 0, LEN),
            std::vector<BYTE>(file.begin() + 12, file.begin() + 16)};
}

// Firmware from HEX address 0: a header of the loader's own, whose other
// bytes keep what the image before held.
GoodFile FirmwareFromZero(Chip chip, BYTE byte8) {
    const std::vector<BYTE> code = Bytes(LEN, 0x05);
    std::vector<BYTE> image = Join(FilledImage(48), code);
    image[0] = 0x3C, image[1] = 0xC3;
    PutBE16(image, 2, LEN);
    image[8] = byte8;
    std::copy(kYearMonthDayHour.begin(), kYearMonthDayHour.end(), image.begin() + 12);
    image.resize(image.size() + 4);
    StoreSums(image, chip, LEN);
    return {std::string(kNames[chip]) + "_firmware_hex", chip, "fw.hex", Raw(HexOf(0, code)), image,
            Sum(code, 0, LEN), kYearMonthDayHour};
}

std::vector<GoodFile> GoodFiles() {
    std::vector<GoodFile> all;
    for (int c = 0; c < CHIP_COUNT; ++c) {
        all.push_back(GoodHex(Chip(c)));
        all.push_back(GoodBin(Chip(c)));
    }
    all.push_back(FirmwareFromZero(VQ7340, 0x80));
    all.push_back(FirmwareFromZero(VQ5632, 0xC0));
    return all;
}

void PrintTo(const GoodFile& g, std::ostream* os) { *os << g.id; }

class GoodFileTest : public ::testing::TestWithParam<GoodFile> {
protected:
    RecordingHost host;
    TempDir dir;
};

TEST_P(GoodFileTest, LoadsTheImage) {
    const GoodFile& g = GetParam();
    SetClock(host);
    const std::vector<BYTE> base = FilledImage(0x1000);
    const LoadResult r = LoadImage(dir.Write(g.name, g.file), g.chip, base);
    ASSERT_TRUE(r.image) << r.reason;
    EXPECT_TRUE(r.messages.empty());
    EXPECT_EQ(r.reason, "");
    EXPECT_EQ(r.refreshPage, kFacts[g.chip].refreshPage);
    const Image& image = *r.image;
    EXPECT_EQ(image.row, g.chip);
    EXPECT_EQ(image.length, g.image.size());
    EXPECT_EQ(image.codeLen, LEN);
    EXPECT_EQ(image.checksum, g.checksum);
    EXPECT_GE(image.bytes.size(), image.length);
    EXPECT_EQ(HeldBytes(image, base, 12, 4), g.stamp);
    // The image, then what the image before it held.
    EXPECT_EQ(HeldBytes(image, base, 0, g.image.size() + 8), Join(g.image, FilledImage(8)));
}

INSTANTIATE_TEST_SUITE_P(EveryChipType, GoodFileTest, ::testing::ValuesIn(GoodFiles()),
                         [](const auto& info) { return info.param.id; });

// With no image before it, a load starts from the tool's start image: what
// the file does not write is 0.
TEST(StartImage, BytesNoFileWritesAreZero) {
    RecordingHost host;
    SetClock(host);
    TempDir dir;
    const GoodFile g = FirmwareFromZero(VQ7340, 0x80);
    const LoadResult r = LoadImage(dir.Write(g.name, g.file), VQ7340);
    ASSERT_TRUE(r.image) << r.reason;
    EXPECT_EQ(HeldBytes(*r.image, {}, 0, 16),
              (std::vector<BYTE>{0x3C, 0xC3, 0x00, LEN, 0, 0, 0, 0, 0x80, 0, 0, 0, 31, 11, 27, 9}));
    EXPECT_EQ(HeldBytes(*r.image, {}, 16, 32), std::vector<BYTE>(32, 0));
}

// --- refusals -----------------------------------------------------------------------------

const std::vector<int> kAll = {VQ7140S, VQ7140XX, VQ7170, VQ7170S, VQ5520, VQ7340, VQ5632};

// Puts the file at path (not called for a file that is not there).
using MakeFile = std::function<void(const std::string& path)>;

void WriteBytes(const std::string& path, const std::vector<BYTE>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}
MakeFile Content(std::vector<BYTE> bytes) {
    return [bytes](const std::string& path) { WriteBytes(path, bytes); };
}
MakeFile Content(const std::string& text) { return Content(Raw(text)); }

// A file of size bytes that starts with head; sparse behind it.
MakeFile Sparse(std::vector<BYTE> head, std::uint64_t size) {
    return [head, size](const std::string& path) {
        WriteBytes(path, head);
        std::filesystem::resize_file(path, size);
    };
}

// A binary image with len code bytes: sums that hold, byte 8 as given.
std::vector<BYTE> Image7170(WORD len) {
    std::vector<BYTE> file = Join(Header(VQ7170S), Bytes(len + 4u, 0x33));
    PutBE16(file, 2, len);
    StoreSums(file, VQ7170S, len);
    return file;
}
std::vector<BYTE> Firmware(WORD len, BYTE byte8) {
    std::vector<BYTE> file = Join(Header(VQ7340, byte8), Bytes(64, 0x44));
    PutBE16(file, 2, len);
    return file;
}
std::vector<BYTE> WithoutLastByte(std::vector<BYTE> bytes) {
    bytes.pop_back();
    return bytes;
}
std::vector<BYTE> WithByteFlipped(std::vector<BYTE> bytes, std::size_t at) {
    bytes[at] ^= 0x01;
    return bytes;
}

struct Refusal {
    std::string id;
    std::vector<int> rows;  // chip-type rows; a number outside 0..6 for no chip type
    std::string name;   // the path below the test folder
    MakeFile make;      // none: nothing is there
    std::vector<std::string> messages;
    std::string cause;  // the reason is "<path>: <cause>"
    bool unreadable = false;  // the file is made unreadable
};

const std::string OPEN_HEX = "Open HEX file failed!\n", OPEN_BIN = "Open BIN file failed!\n",
                  OPEN = "Open file failed!\n", INVALID = "Not a valid firmware!\n", SUM = "Check SUM failed!\n";

const std::vector<Refusal>& Refusals() {
    static const std::vector<Refusal> rows = {
        {"NoSuchHexFile", kAll, "none.hex", nullptr, {OPEN_HEX}, "no such file"},
        {"NoSuchBinFile", kAll, "none.bin", nullptr, {OPEN_BIN}, "no such file"},
        {"PathThroughAFile", kAll, "plain.bin/x.bin",
         [](const std::string& path) { WriteBytes(path.substr(0, path.size() - 6), {1}); }, {OPEN_BIN},
         "no such file"},
        {"FolderHex", kAll, "folder.hex", [](const std::string& p) { std::filesystem::create_directory(p); },
         {OPEN_HEX}, "a folder"},
        {"FolderBin", kAll, "folder.bin", [](const std::string& p) { std::filesystem::create_directory(p); },
         {OPEN_BIN}, "a folder"},
        {"EmptyHex", kAll, "empty.hex", Content(""), {INVALID}, "empty"},
        {"EmptyBin", kAll, "empty.bin", Content(""), {OPEN}, "empty"},
        {"FifoBin", kAll, "fifo.bin", [](const std::string& p) { ASSERT_EQ(mkfifo(p.c_str(), 0600), 0); }, {OPEN_BIN},
         "not a regular file"},
        {"FifoHex", kAll, "fifo.hex", [](const std::string& p) { ASSERT_EQ(mkfifo(p.c_str(), 0600), 0); }, {OPEN_HEX},
         "not a regular file"},
        {"DeviceNode", kAll, "null.bin", [](const std::string& p) { std::filesystem::create_symlink("/dev/null", p); },
         {OPEN_BIN}, "not a regular file"},
        {"UnreadableBin", kAll, "locked.bin", Content(Image7170(100)), {OPEN_BIN}, "permission denied", true},
        {"UnreadableHex", kAll, "locked.hex", Content(HexOf(0xCBD0, Bytes(80, 1))), {OPEN_HEX}, "permission denied",
         true},
        {"TextFile", kAll, "image.txt", Content(HexOf(0xCBD0, Bytes(80, 1))), {OPEN}, "not a .hex or .bin file"},
        {"NoExtension", kAll, "hexfile", Content(HexOf(0xCBD0, Bytes(80, 1))), {OPEN}, "not a .hex or .bin file"},
        {"DotInTheFolderName", kAll, "dir.bin/image", [](const std::string& p) {
             std::filesystem::create_directory(p.substr(0, p.size() - 6));
             WriteBytes(p, Image7170(100));
         }, {OPEN}, "not a .hex or .bin file"},
        // The extension is looked at before the file.
        {"MissingTextFile", kAll, "none.txt", nullptr, {OPEN}, "not a .hex or .bin file"},
        // Too large: one byte over each limit.
        {"TooLarge", {VQ7140S}, "big.bin", Content(Bytes(3089, 1)), {"Length(0xC11) Overflow!!!\n"},
         "too large: 3089 bytes, at most 3088"},
        {"TooLarge", {VQ7140XX}, "big.bin", Content(Bytes(3121, 1)), {"Length(0xC31) Overflow!!!\n"},
         "too large: 3121 bytes, at most 3120"},
        {"TooLarge", {VQ7170}, "big.bin", Content(Bytes(5169, 1)), {"Length(0x1431) Overflow!!!\n"},
         "too large: 5169 bytes, at most 5168"},
        {"TooLarge", {VQ7170S}, "big.bin", Content(Join(Image7170(100), Bytes(65537 - 152, 2))),
         {"Length(0x10001) Overflow!!!\n"}, "too large: 65537 bytes, at most 65536"},
        {"FlashCodeTooLong", {VQ7340, VQ5632}, "fw.bin", Content(Firmware(0xFC01, 0x80)),
         {"Length(0xFC01) Overflow!!!\n"}, "code length 0xFC01, more than 0xFC00"},
        {"EepromCodeTooLong", {VQ7340, VQ5632}, "fw.bin", Content(Firmware(0x0C01, 0x7F)),
         {"Length(0xC01) Overflow!!!\n"}, "code length 0xC01, more than 0xC00"},
        // Stored sums: header sum at 48 + len, code sum at 50 + len.
        {"HeaderSumDoesNotHold", {VQ7170S, VQ5520}, "sum.bin", Content(WithByteFlipped(Image7170(100), 149)), {SUM},
         "stored checksums do not hold"},
        {"CodeSumDoesNotHold", {VQ7170S, VQ5520}, "sum.bin", Content(WithByteFlipped(Image7170(100), 150)), {SUM},
         "stored checksums do not hold"},
        {"CodeByteOffItsSum", {VQ7170S, VQ5520}, "sum.bin", Content(WithByteFlipped(Image7170(100), 147)), {SUM},
         "stored checksums do not hold"},
        // A file over 16 MB is cut with a notice, then refused: both texts, in order.
        {"Over16MBThenSumDoesNotHold", {VQ5520}, "big.bin", Sparse(WithByteFlipped(Image7170(100), 150), 20u << 20),
         {"Length(0x1400000) Overflow, only load (16.000000 M)!!!\n", SUM}, "stored checksums do not hold"},
        {"Over16MBThenCodeTooLong", {VQ7340, VQ5632}, "big.bin", Sparse(Firmware(0xFC01, 0x80), 20u << 20),
         {"File Length: 20.00M Overflow, only load 16M !!!\n", "Length(0xFC01) Overflow!!!\n"},
         "code length 0xFC01, more than 0xFC00"},
        // HEX data outside the window.
        {"HexPastTheWindow", {VQ7140S}, "long.hex", Content(HexOf(0xC3F0, Bytes(16 + 3073, 1))), {INVALID},
         "not a valid firmware: its data ends at 0xD001, outside 0xC400..0xD000"},
        {"HexBelowTheCode", {VQ7170S}, "short.hex", Content(HexOf(0xCBD0, Bytes(47, 1))), {INVALID},
         "not a valid firmware: its data ends at 0xCBFF, outside 0xCC00..0xE000"},
        {"FirmwarePast0xFC00", {VQ7340, VQ5632}, "fw.hex", Content(HexOf(0, Bytes(0xFC01, 0x10))),
         {"Not a valid firmware!\n\n"}, "not a valid firmware: its data ends at 0xFC01, outside 0x0..0xFC00"},
        {"HexWithOnlyTheEndRecord", kAll, "end.hex", Content(END_RECORD + "\n"), {INVALID}, "no HEX records"},
        {"BcshBlockTheCodeCantHold", {VQ7140XX}, "bcsh.hex",
         Content(HexOf(0xC7D0, Join(Join(Bytes(10, 0), {OPTION10_BCSH}), Bytes(37 + 3, 0x22)))), {INVALID},
         "not a valid firmware: its code can't hold the BCSH block it announces"},
        // Binary files shorter than what they announce.
        {"ShorterThanAHeader", {VQ7140S}, "short.bin", Content(Bytes(15, 1)), {OPEN},
         "too short: 15 bytes, less than a header"},
        {"ShorterThanAHeader", {VQ7170, VQ7340}, "short.bin", Content(Bytes(51, 1)), {OPEN},
         "too short: 51 bytes, less than a header"},
        {"ShorterThanHeaderAndBcshBlock", {VQ7140XX}, "short.bin",
         Content(Join(Join(Bytes(10, 0), {OPTION10_BCSH}), Bytes(44, 0))), {OPEN},
         "too short: 55 bytes, less than a header"},
        {"ShorterThanItsCode", {VQ7170S, VQ5520}, "cut.bin",
         Content(WithoutLastByte(Image7170(100))), {OPEN},
         "too short: 151 bytes, its code length 0x64 needs 152"},
        {"CodeLengthBelow52", {VQ5520}, "len.bin", Content(Image7170(51)), {OPEN}, "code length 51, less than 52"},
        // No chip type of that row.
        {"NoChipType", {-1}, "good.bin", Content(Image7170(100)), {OPEN}, "no chip type -1"},
        {"NoChipType", {CHIP_COUNT}, "good.bin", Content(Image7170(100)), {OPEN}, "no chip type 7"},
    };
    return rows;
}

struct RefusalCase {
    const Refusal* refusal;
    int row;
};

std::vector<RefusalCase> RefusalCases() {
    std::vector<RefusalCase> all;
    for (const Refusal& r : Refusals())
        for (int row : r.rows) all.push_back({&r, row});
    return all;
}

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.refusal->id << " on row " << c.row; }

std::string CaseName(const ::testing::TestParamInfo<RefusalCase>& info) {
    const int row = info.param.row;
    if (row < 0) return info.param.refusal->id + "_RowMinus" + std::to_string(-row);
    return info.param.refusal->id + "_" + (row < CHIP_COUNT ? std::string(kNames[row]) : "Row" + std::to_string(row));
}

class RefusedLoadTest : public ::testing::TestWithParam<RefusalCase> {
protected:
    RecordingHost host;
    TempDir dir;
};

TEST_P(RefusedLoadTest, NoImageAndTheTextsAndReason) {
    const Refusal& r = *GetParam().refusal;
    if (r.unreadable && geteuid() == 0) {
        GTEST_SKIP() << "running as root, which reads a file whatever its mode: an unreadable file can't be made";
    }
    const std::string path = dir / r.name;
    if (r.make) r.make(path);
    if (r.unreadable) {
        ASSERT_EQ(chmod(path.c_str(), 0), 0);
    }

    // A load that waits (on a FIFO without a writer) fails the test, and a
    // writer then lets it go.
    auto load = std::async(std::launch::async, [&] { return LoadImage(path, GetParam().row, FilledImage(0x100)); });
    if (load.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        ADD_FAILURE() << "the load of " << path << " still waits after 5 s";
        const int fd = ::open(path.c_str(), O_WRONLY);
        if (fd >= 0) ::close(fd);
    }
    const LoadResult result = load.get();
    EXPECT_FALSE(result.image);
    EXPECT_EQ(result.messages, r.messages);
    EXPECT_EQ(result.reason, path + ": " + r.cause);
}

INSTANTIATE_TEST_SUITE_P(EveryWay, RefusedLoadTest, ::testing::ValuesIn(RefusalCases()), CaseName);

// --- over 16 MB -----------------------------------------------------------------------------

// A binary file over 16 MB loads its first 16 MB with a notice; one of
// exactly 16 MB loads whole without one.
struct BigFile {
    std::string id;
    Chip chip;
    std::uint64_t size;
    std::vector<std::string> messages;
};

const BigFile kBigFiles[] = {
    {"VQ5520_Exactly16MB", VQ5520, 0x1000000, {}},
    {"VQ5520_OneByteOver", VQ5520, 0x1000001, {"Length(0x1000001) Overflow, only load (16.000000 M)!!!\n"}},
    {"VQ5520_20MB", VQ5520, 20u << 20, {"Length(0x1400000) Overflow, only load (16.000000 M)!!!\n"}},
    {"VQ7340_Exactly16MB", VQ7340, 0x1000000, {}},
    {"VQ7340_OneByteOver", VQ7340, 0x1000001, {"File Length: 16.00M Overflow, only load 16M !!!\n"}},
    {"VQ7340_20MB", VQ7340, 20u << 20, {"File Length: 20.00M Overflow, only load 16M !!!\n"}},
    {"VQ5632_20MBAndAQuarter", VQ5632, (20u << 20) + (1u << 18), {"File Length: 20.25M Overflow, only load 16M !!!\n"}},
};

void PrintTo(const BigFile& b, std::ostream* os) { *os << b.id; }

class BigFileTest : public ::testing::TestWithParam<BigFile> {
protected:
    RecordingHost host;
    TempDir dir;
};

TEST_P(BigFileTest, LoadsTheFirst16MBWithItsNotice) {
    const BigFile& b = GetParam();
    constexpr std::uint64_t LIMIT = 0x1000000;
    std::vector<BYTE> head = b.chip == VQ5520 ? Image7170(0x100) : Firmware(0x100, 0x80);
    const WORD codeSum = Sum(head, 48, 48 + 0x100 < head.size() ? 48 + 0x100 : head.size());
    const std::string path = dir / "big.bin";
    Sparse(head, b.size)(path);
    {
        // The last byte loaded, and the first one cut.
        std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(static_cast<std::streamoff>(LIMIT - 1));
        f.put(static_cast<char>(0x5C));
        if (b.size > LIMIT) f.put(static_cast<char>(0xA7));
    }
    const std::vector<BYTE> base = FilledImage(0x1000);
    const LoadResult r = LoadImage(path, b.chip, base);
    ASSERT_TRUE(r.image) << r.reason;
    EXPECT_EQ(r.messages, b.messages);
    EXPECT_EQ(r.reason, "");
    EXPECT_EQ(r.image->length, LIMIT);
    EXPECT_EQ(r.image->codeLen, 0x100);
    EXPECT_EQ(r.image->checksum, codeSum);
    EXPECT_EQ(HeldByte(*r.image, base, LIMIT - 1), 0x5C);
    EXPECT_EQ(HeldBytes(*r.image, base, 0, 48), std::vector<BYTE>(head.begin(), head.begin() + 48));
}

INSTANTIATE_TEST_SUITE_P(Rules16MB, BigFileTest, ::testing::ValuesIn(kBigFiles),
                         [](const auto& info) { return info.param.id; });

}  // namespace

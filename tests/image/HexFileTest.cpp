// The Intel HEX reader and its digit conversion.
#include "HexFile.h"
#include "ImageTestUtil.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

using namespace imagetest;

namespace {

TEST(HexTextToInt, ConvertsAnyCharacterWithoutComplaint) {
    struct Row {
        const char* text;
        DWORD value;
    };
    const Row rows[] = {
        {"", 0},
        {"FF", 0xFF},
        {"ff", 0xFF},
        {"C400", 0xC400},
        {"0123456789abcdef", 0x89ABCDEF},  // modulo 2^32
        {"G", 16},                         // 'G' - 0x37
        {"GG", 0x110},
        {"!", 0xFFFFFFEA},  // 0x21 - 0x37 wraps
        {"\x80", static_cast<DWORD>(-128 - 0x37)},  // a signed character
    };
    for (const Row& r : rows) EXPECT_EQ(HexTextToInt(r.text), r.value) << r.text;
    EXPECT_EQ(HexTextToInt(std::string_view("1\0" "2", 3)), 1u);  // stops at a NUL
}

// Reads text and checks that out[0xFFFF] was left alone.
struct HexResult {
    int end;
    std::vector<BYTE> out;
};
HexResult Read(const std::string& text) {
    HexResult r{0, std::vector<BYTE>(HEX_ADDRESS_SPACE, 0x5C)};
    r.end = ReadHexText(text, r.out.data());
    EXPECT_EQ(r.out[0xFFFF], 0x5C) << "address 0xFFFF written";
    return r;
}

bool AllFF(const std::vector<BYTE>& out, std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i)
        if (out[i] != 0xFF) return false;
    return true;
}

TEST(ReadHexFile, EmptyOrEndOnlyGivesBlankSpace) {
    for (const std::string& text : std::vector<std::string>{"", END_RECORD, "\n\n  \t" + END_RECORD + "\r\n"}) {
        const HexResult r = Read(text);
        EXPECT_EQ(r.end, 0);
        EXPECT_TRUE(AllFF(r.out, 0, HEX_OUTPUT_SIZE));
    }
}

TEST(ReadHexFile, DataRecordLandsAtItsAddress) {
    const auto data = Bytes(16, 0x30);
    const HexResult r = Read(HexOf(0xC400, data));
    EXPECT_EQ(r.end, 0xC410);
    EXPECT_EQ(std::vector<BYTE>(r.out.begin() + 0xC400, r.out.begin() + 0xC410), data);
    EXPECT_TRUE(AllFF(r.out, 0, 0xC400));
    EXPECT_TRUE(AllFF(r.out, 0xC410, HEX_OUTPUT_SIZE));
}

TEST(ReadHexFile, RecordQuirks) {
    struct Row {
        const char* what;
        std::string text;
        int end;
        std::vector<std::pair<unsigned, BYTE>> bytes;  // expected output bytes
    };
    const Row rows[] = {
        {"checksum characters missing: nothing written, end raised", ":04C40000112233", 0xC404, {{0xC400, 0xFF}}},
        {"lower-case end record is a record with count 0", HexOf(0x10, {1}, false) + ":00000001ff", 0x11, {{0x10, 1}}},
        {"type 04 record writes at 0x0000", Record(0, {0, 0}, 4), 2, {{0, 0}, {1, 0}, {2, 0xFF}}},
        {"type 02 record writes at 0x0000", Record(0, {0x12, 0x34}, 2), 2, {{0, 0x12}, {1, 0x34}}},
        {"non-hex data characters", ":01000500GG00", 6, {{5, 0x10}}},
        {"a NUL ends a byte's digit text", std::string(":02000700" "\0" "5" "5" "\0" "XX", 15), 9, {{7, 0}, {8, 5}}},
        {"byte at 0xFFFF counts but is not output", Record(0xFFFE, {0xAB, 0xCD}), 0x10000, {{0xFFFE, 0xAB}}},
        {"tokens split on white space only", Record(0x20, {1}) + " " + Record(0x21, {2}) + "\t" + END_RECORD, 0x22,
         {{0x20, 1}, {0x21, 2}}},
        {"record split by a blank is no record", ":01003000 AAxx", 0x31, {{0x30, 0xFF}}},
        {"short tokens ignored", ":0110 :FF :0", 0, {}},
        {"7-character token without colon raises end", "x10C400", 0xC410, {{0xC400, 0xFF}}},
        {"record too short for its count", ":10C40000AA", 0xC410, {{0xC400, 0xFF}}},
        {"later records overwrite earlier ones", Record(0x40, {1, 2, 3}) + "\n" + Record(0x41, {9}), 0x43,
         {{0x40, 1}, {0x41, 9}, {0x42, 3}}},
        {"end is the maximum, not the last", Record(0x100, {1}) + "\n" + Record(0x10, {2}), 0x101, {{0x100, 1}}},
        {"data beyond 0xFFFF dropped", Record(0xFFF0, Bytes(32, 1)), 0x10010,
         {{0xFFF0, Bytes(32, 1)[0]}, {0xFFFE, Bytes(32, 1)[14]}}},
        {"non-hex address field beyond the space", ":01zzzz00AAFF", 0x47774, {}},
    };
    for (const Row& row : rows) {
        const HexResult r = Read(row.text);
        EXPECT_EQ(r.end, row.end) << row.what;
        if (row.bytes.empty()) {
            EXPECT_TRUE(AllFF(r.out, 0, HEX_OUTPUT_SIZE)) << row.what;
        }
        for (const auto& [address, value] : row.bytes) EXPECT_EQ(r.out[address], value) << row.what << " @" << address;
    }
}

TEST(ReadHexFile, HugeGarbageEndStaysPositive) {
    // An address field of non-hex characters reaches far beyond 16 bits; the
    // end address saturates instead of wrapping into a plausible value.
    const HexResult r = Read(":FF!!!!00");
    EXPECT_GT(r.end, 0xFFFF);
}

TEST(ReadHexFile, LongRecordsLoadWhole) {
    const auto data = Bytes(255, 3);
    const HexResult r = Read(Record(0x1000, data) + "\n" + END_RECORD);
    EXPECT_EQ(r.end, 0x1000 + 255);
    EXPECT_EQ(std::vector<BYTE>(r.out.begin() + 0x1000, r.out.begin() + 0x1000 + 255), data);
}

TEST(ReadHexFile, FileAndTextAgreeAcrossReadChunks) {
    // Records and a 40,000-character token straddle the reader's chunk
    // boundaries; the file is read in pieces, the text in one.
    TempDir dir;
    std::string text;
    for (unsigned a = 0; a < 0x8000; a += 255) text += Record(a, Bytes(255, BYTE(a))) + "\r\n";
    text += ":" + std::string(40000, '1') + "\n" + Record(0x9000, Bytes(100, 9)) + "\n";
    const std::string path = dir.Write("chunks.hex", text);
    std::vector<BYTE> fromFile(HEX_ADDRESS_SPACE), fromText(HEX_ADDRESS_SPACE);
    const FilePtr file = OpenForRead(path);
    ASSERT_TRUE(file);
    EXPECT_EQ(ReadHexFile(file.get(), fromFile.data()), ReadHexText(text, fromText.data()));
    EXPECT_EQ(fromFile, fromText);
    EXPECT_EQ(fromFile[0x9000], Bytes(100, 9)[0]);
}

// --- srec_cat differential ---------------------------------------------------

// Random non-overlapping type 00 records within 0x0000..0xFFFE, in random
// order, with assorted line endings and lower-case digits.
std::string RandomWellFormedHex(std::mt19937& rng) {
    std::vector<std::pair<unsigned, unsigned>> spans;  // address, count
    unsigned address = rng() % 64;
    while (true) {
        const unsigned count = 1 + rng() % (rng() % 4 == 0 ? 255 : 32);
        if (address + count > 0xFFFF) break;
        spans.emplace_back(address, count);
        address += count + (rng() % 3 == 0 ? rng() % 2048 : 0);
    }
    std::shuffle(spans.begin(), spans.end(), rng);
    const char* endings[] = {"\n", "\r\n", "\n\n"};
    std::string text;
    for (const auto& [a, n] : spans) {
        std::vector<BYTE> data(n);
        for (BYTE& b : data) b = static_cast<BYTE>(rng());
        std::string rec = Record(a, data);
        if (rng() % 5 == 0)
            for (char& c : rec) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        text += rec + endings[rng() % 3];
    }
    return text + END_RECORD + "\n";
}

TEST(ReadHexFile, MatchesSrecCat) {
    if (std::system("command -v srec_cat >/dev/null 2>&1") != 0) GTEST_SKIP() << "srec_cat not installed";
    TempDir dir;
    std::mt19937 rng(20260306);
    for (int round = 0; round < 12; ++round) {
        const std::string text = RandomWellFormedHex(rng);
        const std::string in = dir.Write("in.hex", text);
        const std::string out = dir / "out.bin";
        const std::string cmd = "srec_cat '" + in + "' -intel -fill 0xFF 0 0xFFFF -o '" + out + "' -binary";
        ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
        std::ifstream bin(out, std::ios::binary);
        const std::vector<char> expected{std::istreambuf_iterator<char>(bin), {}};
        ASSERT_EQ(expected.size(), HEX_OUTPUT_SIZE);

        std::vector<BYTE> got(HEX_OUTPUT_SIZE);
        const FilePtr file = OpenForRead(in);
        ASSERT_TRUE(file);
        ReadHexFile(file.get(), got.data());
        EXPECT_TRUE(std::equal(got.begin(), got.end(), expected.begin(),
                               [](BYTE a, char b) { return a == static_cast<BYTE>(b); }))
            << "round " << round;
    }
}

// --- robustness ----------------------------------------------------------------

TEST(ReadHexFile, RandomAndMutatedTextsStayInBounds) {
    std::mt19937 rng(7);
    const std::string alphabet = ":0123456789ABCDEFabcdefG \n\r\t\x80\xFF";
    std::string seed;
    for (unsigned a = 0xFF00; a < 0x10000; a += 0x40) seed += Record(a, Bytes(0x40, BYTE(a))) + "\n";
    seed += Record(0, {1, 2}, 4) + "\n" + END_RECORD + "\n";
    // The output buffer is exactly 0xFFFF bytes: the sanitizer build catches
    // any write past it.
    std::vector<BYTE> out(HEX_OUTPUT_SIZE);
    for (int i = 0; i < 2000; ++i) {
        std::string text;
        if (i % 2 == 0) {
            const std::size_t n = rng() % 600;
            for (std::size_t k = 0; k < n; ++k) text += alphabet[rng() % alphabet.size()];
        } else {
            text = seed;
            for (int m = 0, edits = 1 + int(rng() % 12); m < edits; ++m) {
                const std::size_t at = rng() % text.size();
                switch (rng() % 4) {
                case 0: text[at] = static_cast<char>(rng()); break;
                case 1: text.erase(at, 1 + rng() % 8); break;
                case 2: text.insert(at, 1, alphabet[rng() % alphabet.size()]); break;
                default: text.insert(at, text.substr(rng() % text.size(), 1 + rng() % 40)); break;
                }
                // push_back, not text = ":": GCC 12 at -O3 reports a false
                // -Wrestrict overlap in the assign(const char*) it inlines here.
                if (text.empty()) text.push_back(':');
            }
        }
        const int end = ReadHexText(text, out.data());
        ASSERT_GE(end, 0) << i;
    }
}

}  // namespace

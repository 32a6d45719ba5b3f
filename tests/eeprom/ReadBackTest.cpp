// Read-back and version read of the EEPROM-only chips against emulated chips:
// the header-led VQ7170 read with its checksum test, the ticked length,
// reads beyond the EEPROM space, and a download read back per class.
#include "EepromFixture.h"
#include "JobChecks.h"

#include <algorithm>

namespace eeprom_test {
namespace {

using ReadBackTest = EepromFixture;
using chiptest::Found;
using chiptest::FoundOf;
using chiptest::ReadBlock;
using chiptest::ReadBytes;

constexpr BYTE MARK = 0xEE;  // what a buffer held before a read

// --- VQ7170 / VQ7170S, header-led ----------------------------------------------

struct StoredCase {
    const char* name;
    int corrupt;  // image offset changed on the chip after the sums were made; -1: none
    bool good;
};

void PrintTo(const StoredCase& c, std::ostream* os) { *os << c.name; }

class StoredImageTest : public EepromFixture, public ::testing::WithParamInterface<StoredCase> {};

TEST_P(StoredImageTest, VQ7170ReadsTheLengthItsHeaderAnnounces) {
    const StoredCase& c = GetParam();
    CVQ7170Patch patch;
    auto chip = Connect(patch, {.type = ChipType::VQ7170});
    auto image = Image7170(0x0100);
    ASSERT_EQ(image.size(), 308u);
    const WORD codeSum = CodeChecksum(image.data(), 0x0100, ChecksumLayout::VQ7170);
    if (c.corrupt >= 0) image[c.corrupt] ^= 0x01;
    chip->WriteEeprom(1, 0, image);

    const JobResult r = ReadBack(patch, MEMTYPE_24C32_64, 0x30, false);

    // Header first (nine pieces and three bytes), then the whole image again.
    const std::vector<int> header = {10, 20, 31, 41, 52, 62, 72, 83, 93, 100};
    ASSERT_GT(host.progress.size(), header.size());
    EXPECT_EQ(std::vector<int>(host.progress.begin(), host.progress.begin() + 10), header);
    EXPECT_EQ(host.progress.size(), 10u + 61u + 1u);
    EXPECT_EQ(host.progress.back(), 100);
    // The whole image was read, and nothing behind it.
    auto read = image;
    read.push_back(0);
    EXPECT_EQ(ReadBlock(r, 309), read);

    if (c.good) {
        // The image read replaces the window's.
        EXPECT_EQ(FoundOf(r.found), (Found{308, 256, codeSum, 308, true}));
        EXPECT_EQ(ReadBytes(r), image);
    } else {
        // The read length stays as asked and the window's image as it was.
        EXPECT_EQ(FoundOf(r.found), (Found{0x30, 0, 0, 0, true}));
    }
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(host.statuses, (std::vector<RecordingHost::Status>{kReading, kReadingCompleted}));
    EXPECT_EQ(chip->Xdata(GUARD), GUARD_VALUE);
    // Zeroed for the transfer, restored afterwards.
    const auto sends = Sends(chip->Log());
    EXPECT_EQ(sends[1], Bytes("00 B6 F0 02 00 00 00 00 00"));
    EXPECT_EQ(sends.back(), Bytes("00 B6 F0 02 5C 00 00 00 00"));
}

INSTANTIATE_TEST_SUITE_P(Sums, StoredImageTest,
                         ::testing::Values(StoredCase{"Good", -1, true}, StoredCase{"LastCodeByte", 303, false},
                                           StoredCase{"VersionByte", 13, false},
                                           StoredCase{"HeaderSum", 304, false}, StoredCase{"CodeSum", 307, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// A header length of 0 or beyond 8191 ends the read after the header.
class OddHeaderTest : public EepromFixture, public ::testing::WithParamInterface<WORD> {};

TEST_P(OddHeaderTest, VQ7170SStopsAfterTheHeader) {
    CVQ7170SPatch patch;
    auto chip = Connect(patch, {.type = ChipType::VQ7170S, .eepromSize = {2048, 65536}});
    auto image = Pattern(65536, 4);
    WriteBE16(image.data() + 2, GetParam());
    chip->WriteEeprom(1, 0, image);

    const JobResult r = ReadBack(patch, MEMTYPE_24C32_64, 0x100, false);

    EXPECT_EQ(host.statuses,
              (std::vector<RecordingHost::Status>{kReading, {"...", STATUS_GREEN}, kReadingCompleted}));
    EXPECT_EQ(FoundOf(r.found), (Found{48, 0, 0, 0, true}));
    EXPECT_EQ(host.progress, (std::vector<int>{10, 20, 31, 41, 52, 62, 72, 83, 93, 100}));
    EXPECT_EQ(CountCommand(chip->Log(), HID_CMD_EEPROM_READ), 10u);
    EXPECT_EQ(chip->Xdata(GUARD), GUARD_VALUE);
}

INSTANTIATE_TEST_SUITE_P(Lengths, OddHeaderTest, ::testing::Values(WORD{0x2000}, WORD{0}, WORD{0xFFFF}));

// Ticked: the given length, the code length taken from it. The sums of a
// header-only read are those the caller's buffer held at 48..51, so these
// cases run the read on a buffer of their own.
struct TickedCase {
    const char* name;
    DWORD len;
    bool sumsMatch;
};

void PrintTo(const TickedCase& c, std::ostream* os) { *os << c.name; }

class TickedTest : public EepromFixture, public ::testing::WithParamInterface<TickedCase> {};

TEST_P(TickedTest, VQ7170ReadsTheGivenLength) {
    const TickedCase& c = GetParam();
    CVQ7170Patch patch;
    auto chip = Connect(patch, {.type = ChipType::VQ7170});
    const auto image = Image7170(0x0100);
    chip->WriteEeprom(0, 0, image);
    // With 0x30 only the header is read; the test then looks at bytes 48..51
    // of the buffer, which this read did not fill.
    std::vector<BYTE> buffer(65536, 0);
    const WORD headerSum = HeaderChecksum(image.data(), ChecksumLayout::VQ7170);
    WriteBE16(buffer.data() + 48, c.sumsMatch ? headerSum : static_cast<WORD>(headerSum + 1));

    ReadFindings found;
    found.readLen = c.len;
    patch.ReadBack(MEMTYPE_24C01_16, c.len, true, buffer.data(), found);

    EXPECT_EQ(CountCommand(chip->Log(), HID_CMD_EEPROM_READ), (c.len + 4) / 5);
    EXPECT_EQ(host.progress.back(), 100);
    const DWORD expectLen = c.len > 52 ? c.len : 52;
    if (c.sumsMatch) {
        // The first expectLen bytes of the buffer replace the window's image.
        EXPECT_EQ(found.readLen, expectLen);
        EXPECT_EQ(found.codeLen, expectLen - 52);
        EXPECT_EQ(found.imageBytes, expectLen);
    } else {
        EXPECT_EQ(found.readLen, c.len);
        EXPECT_EQ(found.codeLen, 0);
        EXPECT_EQ(found.imageBytes, 0u);
    }
    EXPECT_TRUE(found.refreshPage);
    EXPECT_FALSE(found.failed);
    EXPECT_EQ(host.LastStatus(), kReadingCompleted);
}

INSTANTIATE_TEST_SUITE_P(Lengths, TickedTest,
                         ::testing::Values(TickedCase{"HeaderOnlyMatching", 0x30, true},
                                           TickedCase{"HeaderOnlyNot", 0x30, false},
                                           TickedCase{"WholeImage", 308, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// --- beyond the EEPROM space -------------------------------------------------------

class LongReadTest : public EepromFixture, public ::testing::WithParamInterface<ClassCase> {};

TEST_P(LongReadTest, StopsAtTheEndOfTheEepromSpace) {
    auto patch = GetParam().make();
    auto chip = Connect(*patch, {.type = GetParam().type, .eepromSize = {65536, 65536}});
    // A whole-space VQ7170 image: code length 65536 - 52.
    const auto image = Image7170(65536 - 52, 21);
    chip->WriteEeprom(0, 0, image);

    const JobResult r = ReadBack(*patch, MEMTYPE_24C01_16, 0x20000, true);

    const auto block = ReadBlock(r, 0x20000);
    ASSERT_EQ(block.size(), 0x20000u);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), block.begin()));
    EXPECT_TRUE(std::all_of(block.begin() + 65536, block.end(), [](BYTE b) { return b == 0; }));
    EXPECT_EQ(host.progress.back(), 100);
    for (int p : host.progress) EXPECT_LE(p, 100);
    EXPECT_EQ(host.LastStatus(), kReadingCompleted);
    // The read stands for what came from the chip only.
    EXPECT_EQ(r.found.readLen, 65536u);
    EXPECT_EQ(ReadBytes(r), image);
    if (GetParam().type == ChipType::VQ7170 || GetParam().type == ChipType::VQ7170S) {
        EXPECT_EQ(r.found.codeLen, 65536 - 52);
    }
}

INSTANTIATE_TEST_SUITE_P(Classes, LongReadTest, ::testing::ValuesIn(kClasses), NameOf);

// --- version ------------------------------------------------------------------------

struct VersionCase {
    ClassCase cls;
    std::vector<const char*> sends;
};

void PrintTo(const VersionCase& c, std::ostream* os) { *os << c.cls.name; }

class VersionTest : public EepromFixture, public ::testing::WithParamInterface<VersionCase> {};

TEST_P(VersionTest, FillsFourBytesFromAddressTwelve) {
    auto patch = GetParam().cls.make();
    auto chip = Connect(*patch, {.type = GetParam().cls.type});
    const BYTE stored[] = {0xAA, 1, 9, 20, 31, 0xBB};
    chip->WriteEeprom(1, 11, stored);
    BYTE out[6] = {MARK, MARK, MARK, MARK, MARK, MARK};

    patch->ReadDeviceVersion(MEMTYPE_24C32_64, out);

    EXPECT_EQ(std::vector<BYTE>(out, out + 6), (std::vector<BYTE>{1, 9, 20, 31, MARK, MARK}));
    std::vector<std::vector<BYTE>> expected;
    for (const char* s : GetParam().sends) expected.push_back(Bytes(s));
    EXPECT_EQ(Sends(chip->Log()), expected);
    EXPECT_TRUE(host.statuses.empty());
    EXPECT_TRUE(host.progress.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Classes, VersionTest,
    ::testing::Values(VersionCase{kClasses[0],
                                  {"00 E5 00 0C 00 00 00 00 01", "00 E5 00 0D 00 00 00 00 01",
                                   "00 E5 00 0E 00 00 00 00 01", "00 E5 00 0F 00 00 00 00 01"}},
                      VersionCase{kClasses[1], {"00 E5 00 0C 00 00 00 00 01"}},
                      VersionCase{kClasses[2], {"00 E5 00 0C 00 00 00 00 01"}},
                      VersionCase{kClasses[3], {"00 E5 00 0C 00 00 00 00 01"}}),
    [](const auto& info) { return std::string(info.param.cls.name); });

// --- round trip ---------------------------------------------------------------------

struct RoundTripCase {
    ClassCase cls;
    BYTE memType;
};

void PrintTo(const RoundTripCase& c, std::ostream* os) { *os << c.cls.name << " type " << int(c.memType); }

class RoundTripTest : public EepromFixture, public ::testing::WithParamInterface<RoundTripCase> {};

TEST_P(RoundTripTest, DownloadedImageReadsBackIdentical) {
    const ClassCase& cls = GetParam().cls;
    const BYTE memType = GetParam().memType;
    const int sel = MemorySelector(memType);
    auto patch = cls.make();
    auto chip = Connect(*patch, {.type = cls.type});
    const auto image = Image7170(1500, 31 + memType);

    EXPECT_TRUE(Download(*patch, image, memType).ok);
    EXPECT_EQ(host.LastStatus(), kSuccessful);
    EXPECT_EQ(chip->Eeprom(sel, 0, image.size()), image);
    // The other memory is not touched.
    EXPECT_EQ(chip->Eeprom(1 - sel, 0, 16), std::vector<BYTE>(16, 0xFF));
    // Guard: left alone on VQ7140S, zeroed on VQ7140XX, kept on VQ7170/VQ7170S.
    EXPECT_EQ(chip->Xdata(GUARD), cls.type == ChipType::VQ7140XX ? 0 : GUARD_VALUE);

    chip->SetXdata(GUARD, GUARD_VALUE);
    const JobResult r = ReadBack(*patch, memType, static_cast<DWORD>(image.size()), false);
    EXPECT_EQ(ReadBytes(r), image);
    EXPECT_EQ(ReadBlock(r, image.size() + 1).back(), 0);  // nothing read behind it
    EXPECT_EQ(host.LastStatus(), kReadingCompleted);
    if (cls.type == ChipType::VQ7170 || cls.type == ChipType::VQ7170S) {
        EXPECT_EQ(r.found.imageBytes, image.size());
        EXPECT_EQ(r.found.codeLen, 1500);
    }
    EXPECT_EQ(chip->Xdata(GUARD), GUARD_VALUE);

    BYTE version[4] = {};
    patch->ReadDeviceVersion(memType, version);
    EXPECT_TRUE(std::equal(version, version + 4, image.begin() + 12));
}

std::vector<RoundTripCase> RoundTrips() {
    std::vector<RoundTripCase> out;
    for (const auto& cls : kClasses)
        for (BYTE t = 1; t <= cls.maxMemType; ++t) out.push_back({cls, t});
    return out;
}

INSTANTIATE_TEST_SUITE_P(Classes, RoundTripTest, ::testing::ValuesIn(RoundTrips()), [](const auto& info) {
    return std::string(info.param.cls.name) + (info.param.memType == 1 ? "_24C16" : "_24C64");
});

}  // namespace
}  // namespace eeprom_test

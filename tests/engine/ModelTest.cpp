// Memory-type magic and saving an image to .bin.
#include "ChipPatches.h"
#include "RecordingHost.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include <sys/resource.h>

namespace {

struct ChipCase {
    const char* name;
    std::unique_ptr<CVQPatch> (*make)();
};

template <typename T>
std::unique_ptr<CVQPatch> Make() {
    return std::make_unique<T>();
}

const ChipCase kChips[] = {
    {"VQ7140S", Make<CVQ7140SPatch>}, {"VQ7140XX", Make<CVQ7140XXPatch>}, {"VQ7170", Make<CVQ7170Patch>},
    {"VQ7170S", Make<CVQ7170SPatch>}, {"VQ5520", Make<CVQ5520Patch>},     {"VQ7340", Make<CVQ7340Patch>},
    {"VQ5632", Make<CVQ5632Patch>},
};

// Image bytes 0..1, the only ones the memory type reads and writes.
struct Magic {
    BYTE bytes[2];
    Magic(BYTE a, BYTE b) : bytes{a, b} {}
};

TEST(MemoryTypeTest, FreshImageIsTypeOneForEveryClass) {
    Magic image(0x5A, 0xA5);
    for (const auto& c : kChips) EXPECT_EQ(c.make()->GetImageMemoryType(image.bytes), 1) << c.name;
}

TEST(MemoryTypeTest, MagicTableRoundTrips) {
    // {chip, type, expected bytes after Set, expected Get}
    struct Row {
        int chip;
        BYTE type;
        BYTE b0, b1;
        BYTE get;
    };
    const Row rows[] = {
        {0, 4, 0x5A, 0xA5, 1}, {0, 2, 0x5A, 0xA5, 1}, {1, 1, 0x08, 0x16, 1}, {1, 2, 0x32, 0x64, 2},
        {2, 1, 0xA5, 0x5A, 1}, {2, 2, 0x96, 0x69, 2}, {3, 1, 0x5A, 0xA5, 1}, {3, 2, 0x69, 0x96, 2},
        {4, 1, 0xA5, 0x5A, 1}, {4, 2, 0x96, 0x69, 2}, {4, 4, 0xC3, 0x3C, 4}, {5, 2, 0x69, 0x96, 2},
        {5, 4, 0x3C, 0xC3, 4}, {6, 4, 0x3C, 0xC3, 4}, {6, 1, 0x5A, 0xA5, 1},
    };
    for (const Row& r : rows) {
        Magic image(0x00, 0x00);
        auto chip = kChips[r.chip].make();
        chip->SetImageMemoryType(image.bytes, r.type);
        EXPECT_EQ(image.bytes[0], r.b0) << kChips[r.chip].name << " type " << int(r.type);
        EXPECT_EQ(image.bytes[1], r.b1) << kChips[r.chip].name << " type " << int(r.type);
        EXPECT_EQ(chip->GetImageMemoryType(image.bytes), r.get) << kChips[r.chip].name << " type " << int(r.type);
    }
}

TEST(MemoryTypeTest, TypeWithoutMagicLeavesBytes) {
    Magic image(0x12, 0x34);
    CVQ7170Patch chip;
    chip.SetImageMemoryType(image.bytes, MEMTYPE_FLASH);
    EXPECT_EQ(image.bytes[0], 0x12);
    EXPECT_EQ(image.bytes[1], 0x34);
}

TEST(MemoryTypeTest, BothBytesMustMatch) {
    EXPECT_EQ(CVQ7340Patch().GetImageMemoryType(Magic(0x3C, 0x00).bytes), 1);
    EXPECT_EQ(CVQ7140SPatch().GetImageMemoryType(Magic(0x3C, 0xC3).bytes), 1);  // VQ7140S knows one type only
}

// Every chip type against an image starting with each type's magic, with
// one byte of a magic only, and with no magic at all. The types without
// flash keep a zero flash entry in their magic table: 00 00 is memory
// type 1 there, not flash.
TEST(MemoryTypeTest, EveryChipTypeReadsTheImagesFirstTwoBytes) {
    struct Row {
        BYTE b0, b1;
        BYTE type[7];  // in kChips order: 7140S 7140XX 7170 7170S 5520 7340 5632
    };
    const Row rows[] = {
        {0x5A, 0xA5, {1, 1, 1, 1, 1, 1, 1}},  // 7140S, 7170S, 7340, 5632: type 1
        {0x08, 0x16, {1, 1, 1, 1, 1, 1, 1}},  // 7140XX: type 1
        {0x32, 0x64, {1, 2, 1, 1, 1, 1, 1}},  // 7140XX: type 2
        {0xA5, 0x5A, {1, 1, 1, 1, 1, 1, 1}},  // 7170, 5520: type 1
        {0x96, 0x69, {1, 1, 2, 1, 2, 1, 1}},  // 7170, 5520: type 2
        {0x69, 0x96, {1, 1, 1, 2, 1, 2, 2}},  // 7170S, 7340, 5632: type 2
        {0xC3, 0x3C, {1, 1, 1, 1, 4, 1, 1}},  // 5520: flash
        {0x3C, 0xC3, {1, 1, 1, 1, 1, 4, 4}},  // 7340, 5632: flash
        {0x00, 0x00, {1, 1, 1, 1, 1, 1, 1}},  // the unused flash entry
        {0xFF, 0xFF, {1, 1, 1, 1, 1, 1, 1}},
        {0x12, 0x34, {1, 1, 1, 1, 1, 1, 1}},
        {0xC3, 0x00, {1, 1, 1, 1, 1, 1, 1}},  // half a flash magic
        {0x00, 0xC3, {1, 1, 1, 1, 1, 1, 1}},
        {0x96, 0x96, {1, 1, 1, 1, 1, 1, 1}},  // half a type-2 magic
        {0x32, 0x69, {1, 1, 1, 1, 1, 1, 1}},
    };
    for (const Row& r : rows) {
        const Magic image(r.b0, r.b1);
        for (std::size_t c = 0; c < std::size(kChips); ++c)
            EXPECT_EQ(kChips[c].make()->GetImageMemoryType(image.bytes), r.type[c])
                << kChips[c].name << " with " << std::hex << int(r.b0) << ' ' << int(r.b1);
    }
}

TEST(SupportedTypes, MasksAndIds) {
    const BYTE masks[] = {1, 3, 3, 3, 7, 4, 4};
    const DWORD vids[] = {0x5156, 0x5156, 0x5156, 0x3B71, 0x3B71, 0x3B71, 0x3B71};
    const DWORD pids[] = {0x0021, 0x0021, 0x7170, 0x7170, 0x5632, 0x7340, 0x5632};
    for (int i = 0; i < 7; ++i) {
        auto chip = kChips[i].make();
        EXPECT_EQ(chip->GetSupportedMemoryTypes(), masks[i]) << kChips[i].name;
        EXPECT_EQ(chip->GetVendorId(), vids[i]) << kChips[i].name;
        EXPECT_EQ(chip->GetProductId(), pids[i]) << kChips[i].name;
    }
}

class SaveToBinTest : public ::testing::Test {
protected:
    RecordingHost host;
    std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                ("quillmar_save_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                 "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    void SetUp() override { std::filesystem::create_directories(dir); }
    void TearDown() override { std::filesystem::remove_all(dir); }
};

// The window proposes this name in its save dialog.
TEST_F(SaveToBinTest, ProposesDatedName) {
    host.SetNow(2031, 3, 3, 7, 5);
    EXPECT_EQ(DefaultBinFileName(host.LocalTime()), "VQ_Firmware_20310303_0705");
    EXPECT_TRUE(host.statuses.empty());
}

TEST_F(SaveToBinTest, WritesBytesAndEmptyFiles) {
    const BYTE bytes[] = {1, 2, 3, 0xFF};
    for (DWORD len : {DWORD{0}, DWORD{4}}) {
        const auto path = dir / ("out" + std::to_string(len) + ".bin");
        EXPECT_TRUE(CVQ7340Patch().SaveToBin(path.string(), len, bytes)) << len;
        std::ifstream in(path, std::ios::binary);
        ASSERT_TRUE(in) << len;
        std::vector<char> got{std::istreambuf_iterator<char>(in), {}};
        EXPECT_EQ(got, std::vector<char>(bytes, bytes + len));
        EXPECT_EQ(host.LastStatus(), (RecordingHost::Status{"Successful!", STATUS_GREEN}));
    }
}

// The caller tells the user; the engine shows nothing.
TEST_F(SaveToBinTest, UncreatableFileShowsNothing) {
    const BYTE bytes[] = {1};
    EXPECT_FALSE(CVQ7170Patch().SaveToBin((dir / "missing" / "x.bin").string(), 1, bytes));
    EXPECT_TRUE(host.statuses.empty());
}

std::vector<char> FileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// A write that does not reach the disk whole is no saved image, and the
// file that stood at the path stays as it was, with nothing left beside it;
// a device node at the path is never replaced.
TEST_F(SaveToBinTest, FailedWriteLeavesTheFileThatStoodThere) {
    const auto path = dir / "kept.bin";
    std::ofstream(path, std::ios::binary) << "old image";
    const std::vector<BYTE> bytes(4096, 0x5A);
    // Files of this process may grow to 100 bytes only; a longer write fails
    // (EFBIG) instead of raising SIGXFSZ.
    struct rlimit before {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = before;
    small.rlim_cur = 100;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved = CVQ7170Patch().SaveToBin(path.string(), static_cast<DWORD>(bytes.size()), bytes.data());
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(saved);
    EXPECT_TRUE(host.statuses.empty());
    const std::vector<char> kept = FileBytes(path);
    EXPECT_EQ(std::string(kept.begin(), kept.end()), "old image");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1) << "a new file left behind";

    EXPECT_FALSE(CVQ7170Patch().SaveToBin("/dev/full", 4, bytes.data()));
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
}

}  // namespace

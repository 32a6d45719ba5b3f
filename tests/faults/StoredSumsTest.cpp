// Whether a read led by the stored header found an image whose checksums
// hold, on every chip type and memory type: what a caller without a window
// needs to tell a stored image from a header whose length it can't trust.
#include "FaultRig.h"

#include <optional>

namespace faults {
namespace {

constexpr WORD kCode = 40;

// What the chip's memory holds before the read.
enum class Stored { Image, HeaderSumBroken, CodeSumBroken, CodeByteChanged, Erased, Zeroed };

struct SumsCase {
    const char* what;
    Stored stored;
    bool held;  // what a header-led read finds
};

const SumsCase kCases[] = {
    {"an image whose sums hold", Stored::Image, true},
    {"a stored header sum one off", Stored::HeaderSumBroken, false},
    {"a stored code sum one off", Stored::CodeSumBroken, false},
    {"a code byte changed under its sums", Stored::CodeByteChanged, false},
    {"erased memory", Stored::Erased, false},
};

std::vector<BYTE> Memory(ChipType type, Stored stored) {
    std::vector<BYTE> image = ImageFor(type, kCode);
    const std::size_t sums = IMAGE_HEADER_SIZE + kCode;
    // A VQ7140S image stores no sums (and reads no header).
    if (LayoutOf(type) == ChecksumLayout::VQ7140S) return image;
    switch (stored) {
    case Stored::Image: break;
    case Stored::HeaderSumBroken: ++image[sums + 1]; break;
    case Stored::CodeSumBroken: ++image[sums + 3]; break;
    case Stored::CodeByteChanged: ++image[IMAGE_HEADER_SIZE + 7]; break;
    case Stored::Erased: std::fill(image.begin(), image.end(), BYTE{0xFF}); break;
    case Stored::Zeroed: std::fill(image.begin(), image.end(), BYTE{0x00}); break;
    }
    return image;
}

bool HeaderLed(const Target& t) { return ::DescriptorOf(int(t.type)).readFollowsHeader; }

TEST(StoredSumsTest, HeaderLedReadTellsWhetherTheStoredSumsHeld) {
    for (const Target& t : kTargets) {
        for (const SumsCase& c : kCases) {
            SCOPED_TRACE(std::string(t.name) + ": " + c.what);
            Rig rig(t);
            ASSERT_TRUE(rig.connected);
            rig.Store(Memory(t.type, c.stored));
            const JobResult r = ReadBack(*rig.patch, t.memType, START_READ_LENGTH, false);
            ASSERT_TRUE(r.ok) << r.reason;
            const std::optional<bool> expected = HeaderLed(t) ? std::optional<bool>(c.held) : std::nullopt;
            EXPECT_EQ(r.found.sumsHeld, expected);
        }
    }
}

// A read of a given length follows no header: it has nothing to tell.
TEST(StoredSumsTest, ReadOfAGivenLengthTellsNothing) {
    for (const Target& t : kTargets) {
        for (const Stored stored : {Stored::Image, Stored::HeaderSumBroken}) {
            SCOPED_TRACE(t.name);
            Rig rig(t);
            rig.Store(Memory(t.type, stored));
            const JobResult r = ReadBack(*rig.patch, t.memType, IMAGE_HEADER_SIZE + kCode + 4, true);
            ASSERT_TRUE(r.ok) << r.reason;
            EXPECT_EQ(r.found.sumsHeld, std::nullopt);
        }
    }
}

// A header of code length 0 holds no image on the chip types whose read
// shows only the header then; with zero sums stored behind it, the others
// read it as an empty image whose sums hold.
TEST(StoredSumsTest, ZeroedMemory) {
    for (const Target& t : kTargets) {
        if (!HeaderLed(t)) continue;
        SCOPED_TRACE(t.name);
        Rig rig(t);
        rig.Store(Memory(t.type, Stored::Zeroed));
        const JobResult r = ReadBack(*rig.patch, t.memType, START_READ_LENGTH, false);
        ASSERT_TRUE(r.ok) << r.reason;
        const bool headerOnly = t.type == ChipType::VQ7170 || t.type == ChipType::VQ7170S;
        EXPECT_EQ(r.found.sumsHeld, std::optional<bool>(!headerOnly));
    }
}

// A read whose last request fails, after the header told its length, hands
// back the findings it started with.
TEST(StoredSumsTest, FailedReadTellsNothing) {
    for (const Target& t : kTargets) {
        if (!HeaderLed(t)) continue;
        SCOPED_TRACE(t.name);
        const std::vector<BYTE> image = Memory(t.type, Stored::Image);
        Rig clean(t, ListedChip(t));
        clean.Store(image);
        clean.chip->ClearLog();
        const std::size_t before = clean.Reports();
        ASSERT_TRUE(ReadBack(*clean.patch, t.memType, START_READ_LENGTH, false).ok);
        const std::vector<LoggedReport> log = clean.chip->Log();
        std::size_t lastFetch = 0;
        for (std::size_t i = 0; i < log.size(); ++i)
            if (log[i].kind == LoggedReport::Get) lastFetch = i;

        Rig rig(t, ListedChip(t, "stop=" + std::to_string(before + lastFetch)));
        rig.Store(image);
        const JobResult r = ReadBack(*rig.patch, t.memType, START_READ_LENGTH, false);
        EXPECT_FALSE(r.ok);
        EXPECT_TRUE(r.found.failed);
        EXPECT_EQ(r.found.sumsHeld, std::nullopt);
    }
}

}  // namespace
}  // namespace faults

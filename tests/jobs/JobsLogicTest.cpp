// The pure rules of the device list and the jobs: port paths, the reading
// of hexadecimal texts, the read-length verdicts, the control tables and
// the device changes put off during a job.
#include "Jobs.h"
#include "PageRules.h"
#include "PortPath.h"
#include "ResourceIds.h"

#include <gtest/gtest.h>

#include <algorithm>

TEST(PortPath, FieldsThreeToEightInDecimal) {
    struct Case {
        const char* location;
        const char* path;
    };
    const Case cases[] = {
        {"0000.0014.0000.001.003.000.000.000.000", "1-3-0-0-0-0"},
        {"0000.0000.0000.001.00A.010.000.000.000", "1-10-16-0-0-0"},
        // A long field: the three characters before its '.'.
        {"0000.0000.0000.0014A.003.000.000.000.000", "330-3-0-0-0-0"},
        // Short fields: three characters from the start, over the '.'.
        {"0.0.0.1.3.0.0.0.0", "1-3-0-0-0-0"},
        {"0000.0000.0000..003.000.000.000.000", "0-3-0-0-0-0"},
        // The last field: its first three characters.
        {"0000.0000.0000.001.003.000.000.000.0012", "1-3-0-0-0-1"},
        // Fields after field 8 do not count.
        {"0000.0000.0000.001.002.003.004.005.006.007.008", "1-2-3-4-5-6"},
        // Fewer fields: as many numbers, the last one followed by '-'.
        {"0000.0000.0000.001", "1-"},
        {"0000.0000.0000.001.002.003", "1-2-3-"},
        {"0000.0000.0000.001.002.003.004.005", "1-2-3-4-5-"},
        // No digit reads as 0.
        {"0000.0000.0000.zzz.003.000.000.000.000", "0-3-0-0-0-0"},
        // Fewer than four fields: no path at all.
        {"0000.0014", ""},
        {"0000.0014.0000", ""},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatPortPath(QString::fromLatin1(c.location)), QString::fromLatin1(c.path)) << c.location;
}

TEST(PortPath, DeviceListEntries) {
    EXPECT_EQ(DeviceListEntry(1, QStringLiteral("1-3-0-0-0-0")), QStringLiteral(" 1. [1-3-0-0-0-0]"));
    EXPECT_EQ(DeviceListEntry(12, QString()), QStringLiteral(" 12. []"));
}

TEST(ReadLength, HexTextsReadAsSigned32Bit) {
    struct Case {
        const char* text;
        int value;
    };
    const Case cases[] = {
        {"", 0},          {"30", 0x30},      {"8000000", 0x8000000}, {"7FFFFFFF", 0x7FFFFFFF},
        {"FFFFFFFF", -1}, {"80000000", INT32_MIN}, {"1G", 1},   {"G", 0},
        {" 1f", 0x1F},    {"0x10", 0x10},    {"0x", 0},              {"-1", -1},
    };
    for (const Case& c : cases) EXPECT_EQ(ScanHex32(QString::fromLatin1(c.text)), c.value) << c.text;
}

TEST(ReadLength, Verdicts) {
    using V = ReadLengthVerdict;
    struct Case {
        const char* text;
        V::Kind kind;
        DWORD value;
        const char* replacement;
    };
    const Case cases[] = {
        {"30", V::Store, 0x30, ""},
        {"", V::Store, 0, ""},
        {"8000000", V::Store, 0x8000000, ""},
        {"8000001", V::Replace, 0, "8000000"},
        {"9000000", V::Replace, 0, "8000000"},
        {"7FFFFFFF", V::Replace, 0, "8000000"},
        {"FFFFFFFF", V::Replace, 0, "0"},
        {"80000000", V::Replace, 0, "0"},
        {"1G", V::Invalid, 0, "1"},
        {"G", V::Invalid, 0, "0"},
        {"-FFFFFFF", V::Invalid, 0, "F0000001"},  // which the next round turns into 0
    };
    for (const Case& c : cases) {
        const V v = CheckReadLength(QString::fromLatin1(c.text));
        EXPECT_EQ(v.kind, c.kind) << c.text;
        if (c.kind == V::Store) {
            EXPECT_EQ(v.value, c.value) << c.text;
        } else {
            EXPECT_EQ(v.text, QString::fromLatin1(c.replacement)) << c.text;
        }
    }
}

TEST(ReadLength, ReadsAskForAtMostTheWorkBuffer) {
    EXPECT_EQ(ReadLengthForJob(0x30), 0x30u);
    EXPECT_EQ(ReadLengthForJob(0x1000000), 0x1000000u);
    EXPECT_EQ(ReadLengthForJob(0x1000001), 0x1000000u);
    EXPECT_EQ(ReadLengthForJob(READ_LENGTH_MAX), 0x1000000u);
}

TEST(JobControls, TablesInOrder) {
    const auto download = ControlsDisabledBy(JobKind::Download);
    const auto read = ControlsDisabledBy(JobKind::Read);
    const std::vector<int> d(download.begin(), download.end()), r(read.begin(), read.end());
    EXPECT_EQ(d, (std::vector<int>{1012, 1013, 1000, 1006, 1009, 1001, 1028, 1029, 1030, 1072, 1066}));
    EXPECT_EQ(r, (std::vector<int>{1011, 1013, 1000, 1006, 1009, 1001, 1028, 1029, 1030, 1072, 1066, 1056}));
    const auto after = ControlsEnabledAfterJob();
    EXPECT_EQ(std::vector<int>(after.begin(), after.end()),
              (std::vector<int>{1011, 1012, 1013, 1000, 1006, 1009, 1001, 1072, 1066}));
    EXPECT_EQ(BusyText(JobKind::Download), QStringLiteral("Downloading, please wait!"));
    EXPECT_EQ(BusyText(JobKind::Read), QStringLiteral("Reading, please wait!"));
}

TEST(DeferredChanges, OneRescanForAllAnArrivalWinning) {
    using A = DeferredDeviceChanges::Action;
    struct Case {
        std::vector<bool> arrivals;
        A action;
    };
    const Case cases[] = {
        {{}, A::None},
        {{false}, A::Rescan},
        {{true}, A::Arrival},
        {{false, false}, A::Rescan},
        {{false, true, false}, A::Arrival},
    };
    for (const Case& c : cases) {
        DeferredDeviceChanges changes;
        for (bool arrival : c.arrivals) changes.Note(arrival);
        EXPECT_EQ(changes.Pending(), !c.arrivals.empty());
        EXPECT_EQ(changes.Take(), c.action);
        EXPECT_FALSE(changes.Pending());
        EXPECT_EQ(changes.Take(), A::None);
    }
}

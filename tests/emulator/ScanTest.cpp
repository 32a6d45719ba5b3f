// The engine's scans against a bus with every chip type: each chip
// programmer keeps exactly the devices of its type.
#include "ChipPatches.h"
#include "Emulator.h"
#include "RecordingHost.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using emu::ChipType;

struct ScanCase {
    const char* label;
    std::function<std::unique_ptr<CVQPatch>()> make;
    std::vector<std::string> accepted;  // paths, in plug order
};

class ScanTest : public ::testing::TestWithParam<ScanCase> {};

// emu:1..16 = each chip type with report id 0, then with report id 1; then a
// keyboard (emu:17) and a VQ5520 whose 0xC450 does not keep (emu:18).
TEST_P(ScanTest, KeepsOnlyItsOwnType) {
    RecordingHost host;
    emu::ScopedBackend bus;
    for (int id : {0, 1}) {
        for (ChipType t : {ChipType::VQ7140S, ChipType::VQ7140XX, ChipType::VQ7170, ChipType::VQ7170S,
                           ChipType::VQ5520, ChipType::VQ7340, ChipType::VQ5632}) {
            bus->Plug({.type = t, .reportId = id, .idVariant = id});
        }
        bus->Plug({.type = ChipType::VQ7170S, .reportId = id, .idVariant = 1 - id});
    }
    bus->Plug({.type = ChipType::Keyboard});
    bus->Plug({.type = ChipType::VQ5520, .keepsC450 = false});

    auto patch = GetParam().make();
    const BYTE n = patch->ScanDevices();
    std::vector<std::string> got(patch->m_strDevicePath.begin(), patch->m_strDevicePath.begin() + n);
    EXPECT_EQ(got, GetParam().accepted);
    EXPECT_EQ(patch->m_bConnected, n > 0);
}

INSTANTIATE_TEST_SUITE_P(
    AllClasses, ScanTest,
    ::testing::Values(
        ScanCase{"VQ7140S", [] { return std::make_unique<CVQ7140SPatch>(); }, {"emu:1", "emu:9"}},
        ScanCase{"VQ7140XX", [] { return std::make_unique<CVQ7140XXPatch>(); }, {"emu:2", "emu:10"}},
        ScanCase{"VQ7170", [] { return std::make_unique<CVQ7170Patch>(); }, {"emu:3", "emu:11"}},
        ScanCase{"VQ7170S", [] { return std::make_unique<CVQ7170SPatch>(); },
                 {"emu:4", "emu:8", "emu:12", "emu:16"}},
        ScanCase{"VQ5520", [] { return std::make_unique<CVQ5520Patch>(); }, {"emu:5", "emu:13"}},
        // Identical identification bytes: each of the two classes takes both types.
        ScanCase{"VQ7340", [] { return std::make_unique<CVQ7340Patch>(); }, {"emu:6", "emu:7", "emu:14", "emu:15"}},
        ScanCase{"VQ5632", [] { return std::make_unique<CVQ5632Patch>(); }, {"emu:6", "emu:7", "emu:14", "emu:15"}}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace

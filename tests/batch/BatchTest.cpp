// Many devices in one run: every device its own job, side by side, on
// emulated chips of every type.
#include "BatchDownload.h"
#include "ChipTypes.h"
#include "Emulator.h"
#include "ForwardingHost.h"
#include "RecordingHost.h"
#include "TestData.h"
#include "VQPatch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>

namespace {

using emu::ChipType;

// One device's host: what its job showed, on a virtual clock.
class DeviceHost final : public batch::QuietHost {
public:
    void SetStatusText(const std::string& text, COLORREF colour) override { statuses.push_back({text, colour}); }
    void Sleep(DWORD) override {}
    std::vector<RecordingHost::Status> statuses;
};

// Hooks whose hosts are kept per device path, for a look after the jobs
// (which let go of the hosts they were given).
struct KeptHosts {
    std::mutex mutex;
    std::map<std::string, std::unique_ptr<DeviceHost>> byPath;
    std::vector<std::string> finishedOrder;

    batch::Hooks Hooks() {
        batch::Hooks hooks;
        hooks.makeHost = [this](const batch::Device& d) -> std::unique_ptr<IEngineHost> {
            const std::lock_guard lock(mutex);
            auto& kept = byPath[d.path];
            kept = std::make_unique<DeviceHost>();
            return std::make_unique<ForwardingHost>(*kept);
        };
        hooks.finished = [this](const batch::DeviceResult& r) { finishedOrder.push_back(r.path); };
        return hooks;
    }
};

class BatchTest : public ::testing::Test {
protected:
    emu::ScopedBackend bus;
    // The window's host and image state: no device's job may touch them.
    RecordingHost windowHost;
};

struct TypeCase {
    ChipType type;
    int reportId;
    BYTE memoryType;
    std::size_t length;
    const char* success;
};

// The bytes a chip holds where the job wrote them.
std::vector<BYTE> Stored(const emu::Chip& chip, BYTE memoryType, std::size_t length) {
    if (memoryType == MEMTYPE_FLASH) return chip.Flash(0, length);
    return chip.Eeprom(MemorySelector(memoryType), 0, length);
}

// Eight chips of a type at once: the third stops answering in the middle of
// its job, the sixth reads one byte back wrong. The other six end with the
// type's success text and hold the image; the two failures are named by
// their paths, with their jobs' last texts; nothing reaches the window.
TEST_F(BatchTest, EightChipsOfEachTypeAtOnceWithADeadOneAndABadVerify) {
    const TypeCase cases[] = {
        {ChipType::VQ7140S, 0, MEMTYPE_24C01_16, 700, "Successful!"},
        {ChipType::VQ7140XX, 0, MEMTYPE_24C32_64, 2048, "Successful!"},
        {ChipType::VQ7170, 0, MEMTYPE_24C32_64, 4096, "Successful!"},
        {ChipType::VQ7170S, 0, MEMTYPE_24C01_16, 2048, "Successful!"},
        {ChipType::VQ5520, 1, MEMTYPE_FLASH, 8192 + 3, "Successful!"},
        {ChipType::VQ7340, 1, MEMTYPE_FLASH, 65536 + 100, "Upgrade Successful"},
        {ChipType::VQ5632, 0, MEMTYPE_FLASH, 5000, "Upgrade Successful"},
    };
    constexpr std::size_t DEAD = 2, BAD_VERIFY = 5;
    for (const TypeCase& c : cases) {
        const int row = static_cast<int>(c.type);
        SCOPED_TRACE(CHIP_TYPES[row].label);
        std::vector<std::shared_ptr<emu::Chip>> chips;
        for (std::size_t i = 0; i < 8; ++i) {
            chips.push_back(bus->Plug({.type = c.type, .reportId = c.reportId,
                                       .stopAfter = i == DEAD ? 40 : -1}));
            chips.back()->SetLogging(false);
        }
        const int selector = c.memoryType == MEMTYPE_FLASH ? -1 : MemorySelector(c.memoryType);
        chips[BAD_VERIFY]->SetBadCell(selector, c.length - 1);

        const std::vector<batch::Device> devices = batch::FindDevices(row);
        ASSERT_EQ(devices.size(), 8u);
        const std::vector<BYTE> image = RandomBytes(c.length, static_cast<unsigned>(row));
        KeptHosts hosts;
        const auto results = batch::RunDownloads({row, c.memoryType, image}, devices, hosts.Hooks());

        ASSERT_EQ(results.size(), 8u);
        EXPECT_EQ(hosts.finishedOrder.size(), 8u);
        for (std::size_t i = 0; i < 8; ++i) {
            const batch::DeviceResult& r = results[i];
            SCOPED_TRACE(r.path);
            EXPECT_EQ(r.path, chips[i]->path());
            EXPECT_EQ(r.location, chips[i]->location());
            const DeviceHost& host = *hosts.byPath.at(r.path);
            ASSERT_FALSE(host.statuses.empty());
            EXPECT_EQ(r.lastStatus, host.statuses.back().text);
            const bool good = i != DEAD && i != BAD_VERIFY;
            EXPECT_EQ(r.ok, good);
            if (good) {
                EXPECT_EQ(r.failure, "");
                EXPECT_EQ(r.lastStatus, c.success);
                // One job's texts only: one start, one end.
                EXPECT_EQ(std::count_if(host.statuses.begin(), host.statuses.end(),
                                        [&](const auto& s) { return s.text == c.success; }),
                          1);
                EXPECT_EQ(Stored(*chips[i], c.memoryType, c.length), image);
            } else {
                // The failure is the job's first red text, with the HID
                // layer's reason where a transfer failed.
                const auto red = std::find_if(host.statuses.begin(), host.statuses.end(),
                                              [](const auto& s) { return s.colour == STATUS_RED; });
                ASSERT_NE(red, host.statuses.end());
                EXPECT_EQ(r.failure.substr(0, red->text.size()), red->text);
                EXPECT_EQ(r.lastColour, STATUS_RED);
            }
        }
        EXPECT_EQ(results[BAD_VERIFY].failure, "Verify error!");
        EXPECT_NE(results[DEAD].failure.find(" ("), std::string::npos) << results[DEAD].failure;
        for (auto& chip : chips) bus->Unplug(chip);
    }
    EXPECT_TRUE(windowHost.statuses.empty());
    EXPECT_TRUE(windowHost.progress.empty());
}

// A job reaches its own device only: the other chips of the type, the ones
// not listed, get no report at all. A path that is gone or that is no chip
// of the type fails with "Disconnected!", keeps the location it was given and
// is not prepared. (A refused prepare and each device's own copy of the
// image: the key-directory test.)
TEST_F(BatchTest, EachJobReachesItsOwnDeviceOnly) {
    auto a = bus->Plug({.type = ChipType::VQ7170});
    auto untouched = bus->Plug({.type = ChipType::VQ7170});
    auto keyboard = bus->Plug({.type = ChipType::Keyboard});
    const std::vector<batch::Device> devices = {{a->path(), "given"}, {"emu:99", "gone"}, {keyboard->path(), "kb"}};
    std::atomic<int> prepared = 0;
    batch::Hooks hooks;
    hooks.prepare = [&](batch::DeviceImage&) -> std::string { return ++prepared, ""; };
    const std::vector<BYTE> image = RandomBytes(300, 3);
    const auto results = batch::RunDownloads({2, MEMTYPE_24C01_16, image}, devices, hooks);

    const std::string failure[] = {"", "Disconnected!", "Disconnected!"};
    const std::string location[] = {a->location(), "gone", keyboard->location()};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(results[i].ok, i == 0) << i;
        EXPECT_EQ(results[i].failure, failure[i]) << i;
        EXPECT_EQ(results[i].location, location[i]) << i;
    }
    EXPECT_EQ(prepared, 1);  // the one chip that was found
    EXPECT_EQ(a->Eeprom(0, 0, 300), image);
    EXPECT_EQ(untouched->SetFeatureCount() + untouched->GetFeatureCount(), 0u);
}

}  // namespace

// The HDCP key directory: every key to one device only, across allocators,
// processes and runs; a key is recorded as used only once its device
// verified.
#include "BatchDownload.h"
#include "Emulator.h"
#include "KeyDirectory.h"
#include "TestData.h"
#include "VQPatch.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace {

namespace fs = std::filesystem;

constexpr std::size_t KEY_SIZE = 285;
constexpr std::size_t KEY_AT = 64;  // where the tests' put places a key

class KeyDirectoryTest : public ::testing::Test {
protected:
    KeyDirectoryTest() {
        char name[] = "/tmp/quillmar-keys-XXXXXX";
        dir = mkdtemp(name);
    }
    ~KeyDirectoryTest() override { fs::remove_all(dir); }

    std::string Key(int n) const {
        char name[16];
        std::snprintf(name, sizeof name, "k%02d.bin", n);
        return name;
    }
    void AddKeys(int count) {
        for (int n = 1; n <= count; ++n) Write(Key(n), RandomBytes(KEY_SIZE, static_cast<unsigned>(n)));
    }
    void Write(const std::string& name, const std::vector<BYTE>& bytes) const {
        std::ofstream(dir + "/" + name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                                 static_cast<std::streamsize>(bytes.size()));
    }
    std::vector<std::vector<std::string>> LogLines() const {
        std::ifstream log(dir + "/used.log");
        std::vector<std::vector<std::string>> lines;
        for (std::string line; std::getline(log, line);) {
            std::vector<std::string> fields;
            std::stringstream in(line);
            for (std::string f; std::getline(in, f, '\t');) fields.push_back(f);
            lines.push_back(fields);
        }
        return lines;
    }

    std::string dir;
};

// Keys go out in name order, each to one holder; a released key is the next
// one out, a used one never again; leaving holds nothing. Only *.bin files
// that are plain files count.
TEST_F(KeyDirectoryTest, AllocatorsShareTheDirectory) {
    AddKeys(5);
    Write("notes.txt", {1});
    Write(".hidden.bin", {1});
    fs::create_directory(dir + "/k00.bin");
    std::optional<std::string> k2;
    {
        batch::KeyDirectory a(dir), b(dir);
        EXPECT_EQ(a.Reserve(), Key(1));
        k2 = b.Reserve();
        EXPECT_EQ(k2, Key(2));
        EXPECT_EQ(a.Reserve(), Key(3));
        EXPECT_TRUE(a.MarkUsed(Key(1), "0000.0000.0000.001.003\tx"));
        EXPECT_FALSE(a.MarkUsed(Key(2), "not a's"));
        b.Release(Key(2));
        batch::KeyDirectory c(dir);
        EXPECT_EQ(c.Reserve(), Key(2));
        EXPECT_EQ(c.Reserve(), Key(4));
    }  // a lets go of k03, c of k02 and k04
    batch::KeyDirectory d(dir);
    EXPECT_EQ(d.Reserve(), Key(2));
    EXPECT_EQ(d.Reserve(), Key(3));
    EXPECT_EQ(d.Reserve(), Key(4));
    EXPECT_EQ(d.Reserve(), Key(5));
    std::string error = "x";
    EXPECT_EQ(d.Reserve(&error), std::nullopt);
    EXPECT_EQ(error, "");
    EXPECT_EQ(d.UsedKeys(), std::set<std::string>{Key(1)});
    const auto lines = LogLines();
    ASSERT_EQ(lines.size(), 1u);
    ASSERT_EQ(lines[0].size(), 3u);
    EXPECT_EQ(lines[0][0], Key(1));
    EXPECT_EQ(lines[0][1], "0000.0000.0000.001.003 x");
    EXPECT_EQ(lines[0][2].size(), 19u);  // YYYY-MM-DD HH:MM:SS
}

TEST_F(KeyDirectoryTest, DirectoryThatIsNotThereIsAnError) {
    batch::KeyDirectory keys(dir + "/none");
    std::string error;
    EXPECT_EQ(keys.Reserve(&error), std::nullopt);
    EXPECT_NE(error, "");
}

// Two processes take keys from one directory at once, each holding a key
// for a while before it records it: every key is used once, none twice, and
// both processes had their share.
TEST_F(KeyDirectoryTest, TwoProcessesNeverTakeTheSameKey) {
    constexpr int KEYS = 60;
    AddKeys(KEYS);
    int gate[2];
    ASSERT_EQ(pipe(gate), 0);
    std::vector<pid_t> children;
    for (int child = 0; child < 2; ++child) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            close(gate[1]);
            char c;
            while (read(gate[0], &c, 1) > 0) {
            }
            batch::KeyDirectory keys(dir);
            int taken = 0;
            while (auto key = keys.Reserve()) {
                usleep(500);  // a device at work: the other process goes on meanwhile
                if (!keys.MarkUsed(*key, "process " + std::to_string(child))) _exit(2);
                ++taken;
            }
            _exit(taken > 0 ? 0 : 3);
        }
        children.push_back(pid);
    }
    close(gate[0]);
    close(gate[1]);  // both start now
    for (pid_t pid : children) {
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    std::multiset<std::string> used;
    for (const auto& line : LogLines()) used.insert(line.at(0));
    EXPECT_EQ(used.size(), static_cast<std::size_t>(KEYS));
    EXPECT_EQ(std::set<std::string>(used.begin(), used.end()).size(), static_cast<std::size_t>(KEYS));
}

// Two runs over four emulated VQ7170 chips each, every device with a key of
// the directory in its own copy of the image. Run 1: the second chip fails
// its verify: three keys recorded, the failed one's key not. Run 2 (a new
// allocator): three keys left, the failed one first: three chips succeed
// with keys run 1 did not use; the fourth finds none and is not written.
TEST_F(KeyDirectoryTest, NoKeyUsedTwiceAcrossRunsAndAFailedDevicesKeyStaysUnused) {
    AddKeys(6);
    emu::ScopedBackend bus;
    const std::vector<BYTE> image = RandomBytes(1024, 11);
    const batch::PutKey put = [](const std::vector<BYTE>& key, std::vector<BYTE>& copy) -> std::string {
        if (key.size() != KEY_SIZE) return "not a key file";
        std::copy(key.begin(), key.end(), copy.begin() + KEY_AT);
        return "";
    };
    // Runs four chips, the one at badVerify failing its verify; the keys of
    // the chips that succeeded, each checked in its chip.
    const auto run = [&](std::size_t badVerify, std::vector<batch::DeviceResult>* results) {
        std::vector<std::shared_ptr<emu::Chip>> chips;
        for (int i = 0; i < 4; ++i) chips.push_back(bus->Plug({.type = emu::ChipType::VQ7170}));
        for (auto& chip : chips) chip->SetLogging(false);
        if (badVerify < 4) chips[badVerify]->SetBadCell(0, 5);
        batch::KeyDirectory keys(dir);
        *results = batch::RunDownloads({2, MEMTYPE_24C01_16, image}, batch::FindDevices(2), batch::WithKeys(keys, put));
        std::set<std::string> used;
        for (std::size_t i = 0; i < results->size(); ++i) {
            const batch::DeviceResult& r = (*results)[i];
            if (r.ok) {
                used.insert(r.key);
                std::vector<BYTE> want = image;
                put(RandomBytes(KEY_SIZE, static_cast<unsigned>(std::stoi(r.key.substr(1, 2)))), want);
                EXPECT_EQ(chips[i]->Eeprom(0, 0, image.size()), want) << r.path;
            } else if (r.key.empty()) {
                EXPECT_EQ(chips[i]->Eeprom(0, 0, 16), std::vector<BYTE>(16, 0xFF)) << "keyless " << r.path;
            }
        }
        for (auto& chip : chips) bus->Unplug(chip);
        return used;
    };
    std::vector<batch::DeviceResult> results;
    const std::set<std::string> run1 = run(1, &results);
    ASSERT_EQ(results.size(), 4u);
    EXPECT_EQ(results[1].failure, "Verify error!");
    const std::string failedKey = results[1].key;
    EXPECT_EQ(run1.size(), 3u);
    EXPECT_EQ(run1.count(failedKey), 0u);
    EXPECT_EQ(batch::KeyDirectory(dir).UsedKeys(), run1);

    const std::set<std::string> run2 = run(4, &results);
    EXPECT_EQ(run2, (std::set<std::string>{failedKey, Key(5), Key(6)}));
    EXPECT_EQ(batch::KeyDirectory(dir).UsedKeys().size(), 6u);
    const auto keyless = std::find_if(results.begin(), results.end(), [](const auto& r) { return !r.ok; });
    ASSERT_NE(keyless, results.end());
    EXPECT_EQ(keyless->failure, "No unused HDCP key left in " + dir);
    EXPECT_EQ(keyless->key, "");
}

}  // namespace

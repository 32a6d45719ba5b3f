// quillmar-cli --version, -v (each step with its time) and the pauses that
// a signal cuts short.
#include "CliRun.h"

#include "ImageFormat.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <regex>
#include <sstream>

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(CliSteps, VersionIsTheProjectsAndEndsWell) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--version"}, {"--version", "list"}}) {
        const CliResult r = RunCli(args, "");
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, "quillmar-cli " QUILLMAR_VERSION "\n");
        EXPECT_EQ(r.err, "");
    }
}

// Every line on standard error starts with the time, in order, but for the
// summary table of several devices; the steps around the job are there.
TEST(CliSteps, VerboseStampsEveryStep) {
    const std::string dir = TempDir();
    WriteFileBytes(dir + "/image.bin", ImageFile(ChecksumLayout::VQ7340, 0x100, 2));
    const struct {
        std::vector<std::string> args;
        std::vector<std::string> steps;  // in this order
    } cases[] = {
        {{"-v", "download", dir + "/image.bin", "--chip", "vq7340"},
         {"quillmar-cli " QUILLMAR_VERSION " download", "loading " + dir + "/image.bin as VQ7340/41",
          "Opened file successfully!", "for the flash memory", "2 HID devices present", "opened emu:2 for reports",
          "Flash Erasing......", "Upgrade Successful", "closed emu:2", "exit status 0"}},
        {{"download", dir + "/image.bin", "--chip", "vq7340", "--all", "--verbose"},
         {"emu:1: Flash Erasing......", "emu:1: Upgrade Successful", "exit status 0"}},
        {{"--json", "-v", "verify", dir + "/image.bin", "--chip", "vq7340", "-d", "emu:1"},
         {"opened emu:1 for reports", "Verifying......", "Verify error!", "closed emu:1", "exit status 1"}},
        {{"-v", "verify", dir + "/none.bin", "--chip", "vq7340"}, {"loading", "exit status 2"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[1]);
        const CliResult r = RunCli(c.args, "vq7340:id1*2");
        std::string last;
        std::size_t next = 0;
        bool table = false;
        for (const std::string& line : Lines(r.err)) {
            std::smatch m;
            const bool stamped = std::regex_search(line, m, std::regex(R"(^(\d\d:\d\d:\d\d\.\d{3}) )"));
            table = line.empty() || (table && !stamped);
            if (table) continue;
            ASSERT_TRUE(stamped) << line;
            EXPECT_LE(last, m[1].str()) << line;
            last = m[1];
            if (next < c.steps.size() && line.find(c.steps[next]) != std::string::npos) ++next;
        }
        EXPECT_EQ(next, c.steps.size()) << "missing: " << (next < c.steps.size() ? c.steps[next] : "") << "\n" << r.err;
    }
    const CliResult plain = RunCli({"download", dir + "/image.bin", "--chip", "vq7340"}, "vq7340:id1");
    EXPECT_FALSE(std::regex_search(plain.err, std::regex(R"(\d\d:\d\d:\d\d\.\d{3})"))) << plain.err;
    const CliResult both = RunCli({"-v", "-q", "list"}, "vq7340:id1");
    EXPECT_EQ(both.status, 2);
    EXPECT_NE(both.err.find("excludes"), std::string::npos) << both.err;
}

// Ctrl-C in the middle of a 200 ms erase pause of a VQ5520 flash: the pause
// ends with the signal, not when its time is up. The best of three tries,
// for a busy machine.
TEST(CliSteps, CtrlCEndsAPauseAtOnce) {
    const std::string dir = TempDir();
    WriteFileBytes(dir + "/image.bin", ImageFile(ChecksumLayout::VQ7170, 0xF000, 4));
    auto best = std::chrono::steady_clock::duration::max();
    for (int attempt = 0; attempt < 3; ++attempt) {
        CliProcess cli({"--json", "download", dir + "/image.bin", "--chip", "vq5520", "--memory", "flash"}, "vq5520");
        std::string line;
        while (cli.ReadLine(&line) && line.find(R"("event":"progress")") == std::string::npos) {
        }
        const auto start = std::chrono::steady_clock::now();
        cli.Signal(SIGINT);
        const CliResult r = cli.Wait();
        EXPECT_EQ(r.status, 130) << r.err;
        best = std::min(best, std::chrono::steady_clock::now() - start);
    }
    EXPECT_LT(best, std::chrono::milliseconds(60)) << std::chrono::duration<double>(best).count();
}

}  // namespace

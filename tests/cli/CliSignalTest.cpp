// A job that is told to end: SIGTERM and SIGHUP as from a service manager
// or a closed terminal, and a reader of --json that goes away, on one chip
// and on eight at once. Each ends the job as Ctrl-C does: at its next
// report, with the device closed, "interrupted" as the last status and the
// exit status of the signal; the process is never killed in the middle of a
// report.
#include "CliRun.h"

#include "ImageFormat.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

enum class End { Term, Hangup, ClosedOutput };

struct Ending {
    const char* what;
    End end;
    int status;
    int chips;
};
void PrintTo(const Ending& c, std::ostream* os) { *os << c.what; }

class CliEnding : public ::testing::TestWithParam<Ending> {};

TEST_P(CliEnding, StopsAtTheNextReportAndClosesTheDevice) {
    const Ending& c = GetParam();
    const std::string dir = TempDir();
    // 2000 writes of 2 ms each: four seconds of writing and four of verify
    // unless stopped.
    WriteFileBytes(dir + "/image.bin", ImageFile(ChecksumLayout::VQ7170, 1948, 11));
    std::string emulate;
    for (int i = 1; i <= c.chips; ++i) {
        emulate += std::string(i > 1 ? "," : "") + "vq7170:latency=2000:file=" + dir + "/" + std::to_string(i) + ".mem";
    }
    std::vector<std::string> args = {"--json", "download", dir + "/image.bin", "--chip", "vq7170"};
    if (c.chips > 1) args.push_back("--all");
    CliProcess cli(args, emulate);
    std::string line;
    while (cli.ReadLine(&line) && line.find("\"percent\":2,") == std::string::npos) {
    }
    const auto start = Clock::now();
    switch (c.end) {
    case End::Term: cli.Signal(SIGTERM); break;
    case End::Hangup: cli.Signal(SIGHUP); break;
    case End::ClosedOutput: cli.CloseOutput(); break;
    }
    const CliResult r = cli.Wait();
    // Well before the job's own end, however busy the machine.
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
    EXPECT_FALSE(r.killed);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_NE(r.err.find("quillmar-cli: interrupted\n"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("Verify error!"), std::string::npos) << r.err;
    if (c.end != End::ClosedOutput) {
        const std::vector<std::string> lines = r.OutLines();
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines[lines.size() - 2], R"({"event":"status","text":"interrupted","colour":"red"})");
        EXPECT_NE(lines.back().find("\"exit\":" + std::to_string(c.status) +
                                    R"(,"text":"interrupted","device_closed":true)"),
                  std::string::npos)
            << lines.back();
    }
    // A chip's memory file is saved as the process ends of its own accord,
    // with what reached the chip before the stop.
    for (int i = 1; i <= c.chips; ++i) {
        EXPECT_GT(std::filesystem::file_size(dir + "/" + std::to_string(i) + ".mem"), 2048u) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Ends, CliEnding,
    ::testing::Values(Ending{"SIGTERM, one chip", End::Term, 143, 1}, Ending{"SIGTERM, eight chips", End::Term, 143, 8},
                      Ending{"SIGHUP, one chip", End::Hangup, 129, 1}, Ending{"SIGHUP, eight chips", End::Hangup, 129, 8},
                      Ending{"closed output, one chip", End::ClosedOutput, 141, 1},
                      Ending{"closed output, eight chips", End::ClosedOutput, 141, 8}),
    [](const auto& info) { return TestName(info.param.what); });

// Ctrl-C while a report takes a second: the first one lets the report end,
// a second one ends the process at once.
TEST(CliCtrlC, SecondOneEndsTheProcessAtOnce) {
    const std::string dir = TempDir();
    WriteFileBytes(dir + "/image.bin", ImageFile(ChecksumLayout::VQ7170, 100, 3));
    for (const int presses : {1, 2}) {
        SCOPED_TRACE(presses);
        CliProcess cli({"--json", "download", dir + "/image.bin", "--chip", "vq7170"}, "vq7170:latency=1000000");
        std::string line;
        // The file is loaded; the scan's first report has begun.
        ASSERT_TRUE(cli.ReadLine(&line));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        cli.Signal(SIGINT);
        if (presses == 2) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            cli.Signal(SIGINT);
        }
        const CliResult r = cli.Wait();
        EXPECT_EQ(r.killed, presses == 2) << r.err;
        EXPECT_EQ(r.status, 130);
    }
}

// Ctrl-C during a pause of the job (the 200 ms that follow each VQ5520
// sector erase) ends the pause: the process ends well before the pause
// would have. The quickest of three runs counts, so that a busy machine
// does not decide.
TEST(CliCtrlC, CutsAPauseShort) {
    const std::string dir = TempDir();
    auto quickest = Clock::duration::max();
    for (int run = 0; run < 3; ++run) {
        CliProcess cli({"--json", "download", QUILLMAR_SOURCE_DIR "/examples/vq5520.bin", "--chip", "vq5520"},
                       "vq5520:id1");
        std::string line;
        while (cli.ReadLine(&line) && line.find("\xE6\x93\xA6\xE9\x99\xA4") == std::string::npos) {
        }
        // The erase is sent at once; its pause has begun.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        const auto start = Clock::now();
        cli.Signal(SIGINT);
        const CliResult r = cli.Wait();
        EXPECT_EQ(r.status, 130) << r.err;
        quickest = std::min(quickest, Clock::now() - start);
    }
    EXPECT_LT(quickest, std::chrono::milliseconds(100));
}

}  // namespace

// Behaviours of quillmar-cli that scripts and users rely on, each in a
// table of its own: where a value ends, which output goes where, how
// progress is shown, what the listing calls its fields, and the field
// rules the option pages share.
#include "CliRun.h"

#include "ImageFormat.h"
#include "TestData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <set>
#include <sstream>

namespace {

const std::string EXAMPLES = QUILLMAR_SOURCE_DIR "/examples/";

// The "event" of every JSON line.
std::multiset<std::string> Events(const CliResult& r) {
    std::multiset<std::string> events;
    for (const std::string& line : r.OutLines()) {
        std::smatch m;
        if (std::regex_search(line, m, std::regex(R"re(^\{"event":"([a-z_]+)")re"))) events.insert(m[1]);
    }
    return events;
}

// --set takes one NAME=VALUE each time: the file behind it stays the file,
// in either order.
TEST(CliPin, SetDoesNotSwallowTheFile) {
    for (const bool fileFirst : {false, true}) {
        SCOPED_TRACE(fileFirst ? "file first" : "file last");
        const std::string dir = TempDir();
        const std::string emulate = "vq7340:id1:file=" + dir + "/chip.mem";
        std::vector<std::string> args = {"download", "--chip", "vq7340", "--set", "vid=1234", "--set", "pid=abcd"};
        args.insert(fileFirst ? args.begin() + 1 : args.end(), EXAMPLES + "vq7340.hex");
        const CliResult down = RunCli(args, emulate);
        ASSERT_EQ(down.status, 0) << down.err;
        ASSERT_EQ(RunCli({"read", "--chip", "vq7340", "-o", dir + "/back.bin"}, emulate).status, 0);
        const CliResult info = RunCli({"info", dir + "/back.bin", "--chip", "vq7340"}, "");
        EXPECT_NE(info.out.find("vid = 1234\n  pid = ABCD\n"), std::string::npos) << info.out;
    }
}

// -q drops the human lines only: with --json every event is still there.
TEST(CliPin, QuietKeepsTheJsonEvents) {
    const std::vector<std::string> download = {"download", EXAMPLES + "vq7170.hex", "--chip", "vq7170"};
    const struct {
        std::vector<std::string> flags;
        bool events;
        bool lines;  // status lines on standard error
    } cases[] = {
        {{"--json"}, true, false},
        {{"--json", "-q"}, true, false},
        {{"-q", "--json"}, true, false},
        {{"-q"}, false, false},
        {{}, false, true},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.flags;
        args.insert(args.end(), download.begin(), download.end());
        SCOPED_TRACE(::testing::PrintToString(c.flags));
        const CliResult r = RunCli(args, "vq7170");
        EXPECT_EQ(r.status, 0) << r.err;
        const std::multiset<std::string> events = Events(r);
        EXPECT_EQ(events.count("status") > 0 && events.count("progress") > 0 && events.count("result") == 1, c.events)
            << r.out;
        EXPECT_EQ(r.err.find("Successful!") != std::string::npos, c.lines) << r.err;
    }
}

// The bar is drawn where standard error is a terminal, whatever standard
// output is; plain lines otherwise.
TEST(CliPin, ProgressBarOnlyOnATerminal) {
    const std::vector<std::string> args = {"download", EXAMPLES + "vq7170.hex", "--chip", "vq7170"};
    CliOptions terminal;
    terminal.stderrTerminal = true;
    const CliResult bar = RunCli(args, "vq7170", terminal);
    EXPECT_EQ(bar.status, 0) << bar.err;
    EXPECT_TRUE(std::regex_search(bar.err, std::regex("\r\033\\[K[0-9]+% \\[#*-*\\] Downloading"))) << bar.err;
    EXPECT_EQ(bar.err.find("0% Downloading......\r\n"), std::string::npos) << bar.err;
    EXPECT_EQ(bar.out, "");

    const CliResult plain = RunCli(args, "vq7170");
    EXPECT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(plain.err.find('\r'), std::string::npos) << plain.err;
    EXPECT_NE(plain.err.find("\n10% Downloading......\n"), std::string::npos) << plain.err;
}

// Plain progress lines count their tenths afresh in each phase whose bar
// starts again: the VQ5520 verify after its download.
TEST(CliPin, PlainProgressLinesStartAgainWithEachPhase) {
    const CliResult r = RunCli({"download", EXAMPLES + "vq5520.bin", "--chip", "vq5520"}, "vq5520:id1");
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<int> verify;
    std::istringstream lines(r.err);
    const std::regex tenth("([0-9]+)% Verifying\\.{6}");
    for (std::string line; std::getline(lines, line);) {
        std::smatch m;
        if (std::regex_match(line, m, tenth)) verify.push_back(std::stoi(m[1]));
    }
    EXPECT_EQ(verify, (std::vector<int>{0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100})) << r.err;
}

// list --json: the location text as "location", the node as "path".
TEST(CliPin, ListJsonNamesLocationAndPath) {
    const CliResult r = RunCli({"list", "--json", "--chip", "vq7170"}, "keyboard,vq7170");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find(R"("location":"0000.0000.0000.001.002.000.000.000.000","path":"emu:2","version":"26011510")"),
              std::string::npos)
        << r.out;
}

// A key area all FF or all 00 holds no key; one byte else and it holds one.
TEST(CliPin, KeyAreaAllFFOrAll00IsAbsent) {
    const struct {
        const char* what;
        BYTE fill;
        int odd;  // -1: none; else a byte of the key area set to 0x01
        const char* shown;
    } cases[] = {
        {"all FF", 0xFF, -1, "absent"}, {"all 00", 0x00, -1, "absent"},   {"FF but its first byte", 0xFF, 0, "present"},
        {"00 but its last byte", 0x00, 284, "present"}, {"random", 0x5A, 100, "present"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string dir = TempDir();
        std::vector<BYTE> image = ImageFile(ChecksumLayout::VQ7340, 0x400, 8);
        std::fill(image.begin() + 0x310, image.begin() + 0x310 + 285, c.fill);
        if (c.odd >= 0) image[0x310 + static_cast<std::size_t>(c.odd)] = 0x01;
        WriteFileBytes(dir + "/image.bin", image);
        const CliResult r = RunCli({"info", dir + "/image.bin", "--chip", "vq7340"}, "");
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.out.find(std::string("hdcp-key = ") + c.shown + "\n"), std::string::npos) << r.out;
    }
}

// A string holds 15 characters in the short layout and 64 in the long one
// (marker FF bytes at 0x1000 of an image whose code reaches past them).
TEST(CliPin, StringLengthsOfBothLayouts) {
    std::vector<BYTE> longLayout = ImageFile(ChecksumLayout::VQ7340, 0x1100, 9);
    std::fill(longLayout.begin() + 0x1000, longLayout.begin() + 0x1010, BYTE{0xFF});
    const std::vector<BYTE> shortLayout = ImageFile(ChecksumLayout::VQ7340, 0x1100, 9);
    const struct {
        const char* what;
        const std::vector<BYTE>& image;
        std::size_t chars;
        int status;
    } cases[] = {
        {"short layout, 15", shortLayout, 15, 0}, {"short layout, 16", shortLayout, 16, 2},
        {"long layout, 64", longLayout, 64, 0},   {"long layout, 65", longLayout, 65, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string dir = TempDir();
        const std::string emulate = "vq7340:id1:file=" + dir + "/chip.mem";
        WriteFileBytes(dir + "/image.bin", c.image);
        const std::string value(c.chars, 'v');
        const CliResult down = RunCli({"download", dir + "/image.bin", "--chip", "vq7340", "--set", "video-string=" + value},
                                      emulate);
        EXPECT_EQ(down.status, c.status) << down.err;
        if (c.status != 0) {
            EXPECT_TRUE(std::regex_search(down.err, std::regex("quillmar-cli: .*video-string"))) << down.err;
            continue;
        }
        ASSERT_EQ(RunCli({"read", "--chip", "vq7340", "-o", dir + "/back.bin"}, emulate).status, 0);
        const CliResult info = RunCli({"info", dir + "/back.bin", "--chip", "vq7340"}, "");
        EXPECT_NE(info.out.find("video-string = " + value + "\n"), std::string::npos) << info.out;
    }
}

}  // namespace

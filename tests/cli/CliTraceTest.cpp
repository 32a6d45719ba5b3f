// quillmar-cli --trace: every report in hex with the time and the device,
// no byte of an HDCP key in it, and the transfers' outcomes as without it.
#include "CliRun.h"

#include "ImageFormat.h"
#include "TestData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <regex>
#include <sstream>

namespace {

std::string Hex(const BYTE* p, std::size_t n) {
    std::string text;
    char byte[4];
    for (std::size_t i = 0; i < n; ++i) {
        std::snprintf(byte, sizeof byte, i ? " %02X" : "%02X", p[i]);
        text += byte;
    }
    return text;
}

std::string ReadText(const std::string& path) {
    const std::vector<BYTE> bytes = ReadFileBytes(path);
    return {bytes.begin(), bytes.end()};
}

// The trace's report lines without their times.
std::vector<std::string> Reports(const std::string& trace) {
    std::vector<std::string> lines;
    std::istringstream in(trace);
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        EXPECT_TRUE(std::regex_match(line, std::regex(R"(\d\d:\d\d:\d\d\.\d{6} emu:\d+ (([<>]( [0-9A-F*]{2})*( \(\d+ of \d+ bytes\))?)|[<>] failed.*|opened .*|closed))")))
            << line.substr(0, 200);
        lines.push_back(line.substr(line.find(' ') + 1));
    }
    return lines;
}

// Four bytes of the key in a row, on one line of the trace.
bool HoldsAPiece(const std::string& trace, const std::vector<BYTE>& key) {
    for (std::size_t i = 0; i + 4 <= key.size(); ++i)
        if (trace.find(Hex(&key[i], 4)) != std::string::npos) return true;
    return false;
}

std::size_t Masked(const std::vector<std::string>& lines) {
    std::size_t n = 0;
    for (const std::string& line : lines)
        for (std::size_t at = line.find("**"); at != std::string::npos; at = line.find("**", at + 2)) ++n;
    return n;
}

// A key whose neighbours differ: turned by one, every byte moves to a
// place that held another.
std::vector<BYTE> Key(unsigned seed) {
    std::vector<BYTE> key = RandomBytes(285, seed);
    for (std::size_t i = 1; i < key.size(); ++i)
        if (key[i] == key[i - 1]) key[i] ^= 0x81;
    if (key.front() == key.back()) key.back() ^= 0x42;
    return key;
}

// Runs each command with one key and then with the same key turned by one
// byte (so the image's checksums stay): if any key byte showed, the traces
// would differ. withKey: the key given with --hdcp-key; else it is in the
// image file itself, and the commands are told of no key. The key's bytes
// are masked going out and coming back; the image's other bytes are there.
void ExpectNoMark(const std::vector<std::string>& commands, bool withKey) {
    const std::vector<BYTE> key = Key(17);
    std::vector<BYTE> turned = key;
    std::rotate(turned.begin(), turned.begin() + 1, turned.end());
    for (const std::string transport : {"vq7340:id1", "vq7340"}) {  // bulk reports, streamed steps
        SCOPED_TRACE(transport);
        std::vector<std::vector<std::vector<std::string>>> traces(2);
        for (int run = 0; run < 2; ++run) {
            const std::vector<BYTE>& k = run == 0 ? key : turned;
            const std::string dir = TempDir();
            const std::string emulate = transport + ":file=" + dir + "/chip.mem";
            std::vector<BYTE> image = ImageFile(ChecksumLayout::VQ7340, 0x800, 3);
            if (!withKey) {
                std::copy(k.begin(), k.end(), image.begin() + 0x310);
                StoreChecksums(image.data(), ChecksumLayout::VQ7340);
            }
            WriteFileBytes(dir + "/image.bin", image);
            WriteFileBytes(dir + "/key.bin", k);
            for (const std::string& command : commands) {
                const std::string trace = dir + "/" + command + ".trace";
                std::vector<std::string> args = {"--trace", trace, command, "--chip", "vq7340"};
                if (command == "read") args.insert(args.end(), {"-o", dir + "/back.bin"});
                else args.push_back(dir + "/image.bin");
                if (withKey) args.insert(args.end(), {"--hdcp-key", dir + "/key.bin"});
                const CliResult r = RunCli(args, emulate);
                ASSERT_EQ(r.status, 0) << command << ": " << r.err;
                const std::string text = ReadText(trace);
                EXPECT_FALSE(HoldsAPiece(text, k)) << command;
                EXPECT_NE(text.find(Hex(&image[0x300], 4)), std::string::npos) << command;
                traces[run].push_back(Reports(text));
                EXPECT_GE(Masked(traces[run].back()), 285u) << command;
            }
        }
        for (std::size_t i = 0; i < commands.size(); ++i) EXPECT_EQ(traces[0][i], traces[1][i]) << commands[i];
    }
}

TEST(CliTrace, AKeyGivenLeavesNoMark) { ExpectNoMark({"download", "verify"}, true); }

// A key the file carries, or the chip: the trace knows nothing of it.
TEST(CliTrace, AKeyInTheFileOrOnTheChipLeavesNoMark) { ExpectNoMark({"download", "verify", "read"}, false); }

// Keys handed out from a directory to several chips at once.
TEST(CliTrace, KeysOfADirectoryLeaveNoMark) {
    const std::string dir = TempDir();
    ASSERT_EQ(system(("mkdir " + dir + "/keys").c_str()), 0);
    std::vector<std::vector<BYTE>> keys;
    for (unsigned i = 0; i < 2; ++i) {
        keys.push_back(Key(30 + i));
        WriteFileBytes(dir + "/keys/" + std::to_string(i) + ".bin", keys.back());
    }
    WriteFileBytes(dir + "/image.bin", ImageFile(ChecksumLayout::VQ7340, 0x600, 5));
    const CliResult r = RunCli({"--trace", dir + "/all.trace", "download", dir + "/image.bin", "--chip", "vq7340",
                                "--all", "--hdcp-key-dir", dir + "/keys"},
                               "vq7340:id1,vq7340");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string text = ReadText(dir + "/all.trace");
    for (const auto& key : keys) EXPECT_FALSE(HoldsAPiece(text, key));
    EXPECT_GE(Masked(Reports(text)), 2 * 285u);
}

// A short reply, a chip that stops answering and one that does its work
// end alike with and without a trace: same status, same reason.
TEST(CliTrace, KeepsEveryTransfersOutcome) {
    const std::string dir = TempDir();
    WriteFileBytes(dir + "/image.bin", ImageFile(ChecksumLayout::VQ7340, 0x200, 9));
    for (const std::string emulate : {"vq7340:id1", "vq7340:id1:short=3@6", "vq7340:id1:stop=30", "vq7340:short=0@9"}) {
        std::vector<std::string> args = {"--json", "download", dir + "/image.bin", "--chip", "vq7340"};
        const CliResult plain = RunCli(args, emulate);
        args.insert(args.begin(), {"--trace", dir + "/t"});
        const CliResult traced = RunCli(args, emulate);
        EXPECT_EQ(traced.status, plain.status) << emulate;
        ASSERT_FALSE(plain.OutLines().empty());
        EXPECT_EQ(traced.OutLines().back(), plain.OutLines().back()) << emulate;
        EXPECT_FALSE(Reports(ReadText(dir + "/t")).empty()) << emulate;
    }
}

TEST(CliTrace, AFileThatCannotBeWrittenIsAUsageError) {
    const std::string dir = TempDir();
    for (const std::string& file : {dir + "/none/t", dir, std::string()}) {
        const CliResult r = RunCli({"--trace", file, "list"}, "vq7170");
        EXPECT_EQ(r.status, 2) << file;
        EXPECT_NE(r.err.find("--trace"), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "") << file;
    }
}

}  // namespace

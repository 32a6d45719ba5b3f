// quillmar-cli as a user or a script runs it: the binary itself against
// emulated chips, whose memories a file carries from one run to the next.
#include "CliRun.h"

#include "ImageFormat.h"
#include "TestData.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

namespace {

std::string HexLength(std::size_t n) {
    char text[16];
    std::snprintf(text, sizeof text, "%zX", n);
    return text;
}

struct RoundTrip {
    const char* emulate;  // the emulated chip
    const char* chip;     // --chip, as a user may name it
    ChecksumLayout layout;
    WORD len;
    const char* memory;  // "" for the image's own
    bool byHeader;       // read led by the stored header instead of --length
    BYTE magic[2];       // bytes 0..1 of the image for --memory (which writes them, as the radio does)
};
void PrintTo(const RoundTrip& c, std::ostream* os) { *os << c.chip << " " << c.memory; }

class CliRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(CliRoundTrip, ReadGivesBackWhatWasDownloaded) {
    const RoundTrip& c = GetParam();
    const std::string dir = TempDir();
    const std::string emulate = std::string(c.emulate) + ":file=" + dir + "/chip.mem";
    std::vector<BYTE> image = ImageFile(c.layout, c.len, c.len);
    WriteFileBytes(dir + "/image.bin", image);
    if (*c.memory) std::copy(c.magic, c.magic + 2, image.begin());
    std::vector<std::string> download = {"download", dir + "/image.bin", "--chip", c.chip};
    std::vector<std::string> read = {"read", "--chip", c.chip, "-o", dir + "/back.bin"};
    if (*c.memory) {
        for (auto* args : {&download, &read}) args->insert(args->end(), {"--memory", c.memory});
    }
    if (!c.byHeader) read.insert(read.end(), {"--length", HexLength(image.size())});

    const CliResult down = RunCli(download, emulate);
    ASSERT_EQ(down.status, 0) << down.err;
    EXPECT_NE(down.err.find("Verif"), std::string::npos) << down.err;
    const CliResult back = RunCli(read, emulate);
    ASSERT_EQ(back.status, 0) << back.err;
    EXPECT_NE(back.err.find("Reading......"), std::string::npos) << back.err;
    EXPECT_EQ(ReadFileBytes(dir + "/back.bin"), image);
}

INSTANTIATE_TEST_SUITE_P(EveryChipType, CliRoundTrip,
                         ::testing::Values(RoundTrip{"vq7140s", "vq7140s", ChecksumLayout::VQ7140S, 100, "", false, {}},
                                           RoundTrip{"vq7140xx", "VQ7150/40E/40SE", ChecksumLayout::VQ7140XX, 700, "", false, {}},
                                           RoundTrip{"vq7170", "2", ChecksumLayout::VQ7170, 900, "24c01", true, {0xA5, 0x5A}},
                                           RoundTrip{"vq7170s", "VQ7170s", ChecksumLayout::VQ7170, 600, "24c32", false, {0x69, 0x96}},
                                           RoundTrip{"vq5520", "vq5520", ChecksumLayout::VQ7170, 5000, "flash", true, {0xC3, 0x3C}},
                                           RoundTrip{"vq7340:id1", "vq7340", ChecksumLayout::VQ7340, 9000, "", true, {}},
                                           RoundTrip{"vq5632", "6", ChecksumLayout::VQ7340, 3000, "FLASH", false, {0x3C, 0xC3}}),
                         [](const auto& info) {
                             const std::string name = info.param.emulate;
                             return name.substr(0, name.find(':'));
                         });

struct Failure {
    const char* what;
    std::vector<std::string> args;  // {dir} stands for the test's folder
    std::string emulate;
    int status;
    const char* text;  // on standard error
};
void PrintTo(const Failure& c, std::ostream* os) { *os << c.what; }

class CliFailure : public ::testing::TestWithParam<Failure> {};

TEST_P(CliFailure, EndsWithItsStatusAndText) {
    const Failure& c = GetParam();
    const std::string dir = TempDir();
    WriteFileBytes(dir + "/big.bin", std::vector<BYTE>(0x1431, 0));
    WriteFileBytes(dir + "/image.bin", ImageFile(ChecksumLayout::VQ7170, 500, 1));
    WriteFileBytes(dir + "/image.txt", {1, 2, 3});
    WriteFileBytes(dir + "/short.bin", RandomBytes(100, 3));
    std::vector<std::string> args;
    for (const std::string& a : c.args) args.push_back(InDir(a, dir));
    const CliResult r = RunCli(args, InDir(c.emulate, dir));
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_NE(r.err.find(c.text), std::string::npos) << r.err;
    if (c.status == 2) {
        EXPECT_EQ(r.err.find("ing......"), std::string::npos) << "a refused job started: " << r.err;
    }
}

#define VQ7340_HEX QUILLMAR_SOURCE_DIR "/examples/vq7340.hex"

INSTANTIATE_TEST_SUITE_P(
    Statuses, CliFailure,
    ::testing::Values(
        Failure{"file over the size limit", {"download", "{dir}/big.bin", "--chip", "vq7170"}, "vq7170", 2,
                "Length(0x1431) Overflow!!!"},
        Failure{"file of no image type", {"info", "{dir}/image.txt", "--chip", "vq7170"}, "", 2, "Open file failed!"},
        Failure{"missing file", {"download", "{dir}/none.bin", "--chip", "vq7170"}, "vq7170", 2,
                "Open BIN file failed!"},
        Failure{"unknown chip type", {"list", "--chip", "vq9999"}, "", 2, "unknown chip type 'vq9999'"},
        Failure{"memory type the chip lacks", {"download", "{dir}/image.bin", "--chip", "vq7170", "--memory", "flash"},
                "vq7170", 2, "memory type flash is not supported by VQ7160/70/70E"},
        Failure{"read length over 16 MB", {"read", "--chip", "vq7170", "--length", "1000001", "-o", "{dir}/x.bin"},
                "vq7170", 2, "read length '1000001'"},
        Failure{"--set without a value", {"download", "{dir}/image.bin", "--chip", "vq7170", "--set", "vid"}, "vq7170",
                2, "--set takes NAME=VALUE"},
        Failure{"unknown field", {"download", VQ7340_HEX, "--chip", "vq7340", "--set", "bogus=1"}, "vq7340:id1", 2,
                "unknown field 'bogus'"},
        Failure{"string too long for the image", {"download", VQ7340_HEX, "--chip", "vq7340", "--set",
                "video-string=0123456789abcdefg"}, "vq7340:id1", 2, "video-string"},
        Failure{"short key file", {"download", VQ7340_HEX, "--chip", "vq7340", "--hdcp-key", "{dir}/short.bin"},
                "vq7340:id1", 2, "not equal to 285"},
        Failure{"--all with --device", {"download", VQ7340_HEX, "--chip", "vq7340", "--all", "--device", "emu:1"},
                "vq7340:id1*2", 2, "excludes"},
        Failure{"device given twice", {"download", VQ7340_HEX, "--chip", "vq7340", "--device", "emu:1", "--device",
                "emu:1"}, "vq7340:id1*2", 2, "given twice"},
        Failure{"key folder that is not one", {"download", VQ7340_HEX, "--chip", "vq7340", "--hdcp-key-dir",
                "{dir}/none"}, "vq7340:id1*2", 2, "not a directory"},
        Failure{"bad emulate list", {"list"}, "vq7170:bogus", 2, "QUILLMAR_EMULATE: unknown option 'bogus'"},
        Failure{"no option at all", {}, "", 2, "subcommand"},
        Failure{"chip that stops answering", {"download", "{dir}/image.bin", "--chip", "vq7170"}, "vq7170:stop=6", 1,
                "Verify error!"},
        Failure{"read of a chip that stops answering", {"read", "--chip", "vq7170", "-o", "{dir}/x.bin"},
                "vq7170:stop=6", 1, "Reading failed!"},
        Failure{"unwritable output", {"read", "--chip", "vq7170", "--length", "30", "-o", "{dir}/no/x.bin"}, "vq7170",
                2, "Create Bin File fail!"},
        Failure{"no chip of the type", {"download", "{dir}/image.bin", "--chip", "vq7170"}, "keyboard,vq7340", 3,
                "no device: no VQ7160/70/70E chip found"},
        Failure{"no chip at the path", {"read", "--chip", "vq7170", "--device", "emu:9", "-o", "{dir}/x.bin"}, "vq7170",
                3, "no VQ7160/70/70E chip at emu:9"},
        Failure{"nothing to list", {"list"}, "keyboard", 3, "no device"},
        Failure{"no chip of the type for --all", {"download", "{dir}/image.bin", "--chip", "vq7170", "--all"},
                "vq7340:id1*2", 3, "no device"}),
    [](const auto& info) { return TestName(info.param.what); });

TEST(Cli, ListShowsEveryChipWithItsPathAndVersion) {
    const std::string dir = TempDir();
    const std::vector<BYTE> image = ImageFile(ChecksumLayout::VQ7170, 300, 7);
    WriteFileBytes(dir + "/image.bin", image);
    const std::string emulate = "keyboard,vq7170:file=" + dir + "/a.mem,vq7340:id1";
    ASSERT_EQ(RunCli({"download", dir + "/image.bin", "--chip", "vq7170", "-q"}, emulate).status, 0);
    const CliResult r = RunCli({"list", "--chip", "vq7170"}, emulate);
    ASSERT_EQ(r.status, 0) << r.err;
    char version[16];
    std::snprintf(version, sizeof version, "%02d%02d%02d%02d", image[12], image[13], image[14], image[15]);
    EXPECT_EQ(r.out, std::string("VQ7160/70/70E\tid0\t0000.0000.0000.001.002.000.000.000.000\temu:2\t") + version + "\n");
    const CliResult all = RunCli({"list", "--json"}, emulate);
    ASSERT_EQ(all.status, 0) << all.err;
    EXPECT_NE(all.out.find(R"("chip":"VQ7340/41","short_name":"vq7340","row":5,"report_id":1)"), std::string::npos)
        << all.out;
}

TEST(Cli, InfoDescribesTheLoadedImage) {
    const std::string dir = TempDir();
    std::vector<BYTE> image = ImageFile(ChecksumLayout::VQ7170, 0x123, 3);
    image[IMAGE_HEADER_SIZE + 0x123 + 3] ^= 1;  // the stored code sum no longer holds
    WriteFileBytes(dir + "/image.bin", image);
    const CliResult r = RunCli({"info", dir + "/image.bin", "--chip", "vq7170"}, "");
    EXPECT_EQ(r.status, 0) << r.err;
    // VQ7170 binary files get their sums recomputed on loading.
    EXPECT_NE(r.out.find("image length: 0x0157 (343 bytes)\ncode length: 0x0123 (291 bytes)\n"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("checksums: hold\nmemory type: 24c01\n"), std::string::npos) << r.out;
    // A verifying chip type refuses the same file.
    const CliResult refused = RunCli({"info", dir + "/image.bin", "--chip", "vq7170s"}, "");
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("Check SUM failed!"), std::string::npos) << refused.err;
}

TEST(Cli, JsonEventsParseOnePerLine) {
    const std::string dir = TempDir();
    WriteFileBytes(dir + "/image.bin", ImageFile(ChecksumLayout::VQ7340, 5000, 5));
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"download", dir + "/image.bin", "--chip", "vq7340", "--json"},
             {"--json", "info", dir + "/image.bin", "--chip", "vq7340"},
             {"list", "--json"},
             {"read", "--chip", "vq7340", "--json", "-o", dir + "/x.bin"},
             {"download", dir + "/none.bin", "--chip", "vq7340", "--json"}}) {
        const CliResult r = RunCli(args, "vq7340:stop=2000");
        std::set<std::string> events;
        for (const std::string& line : r.OutLines()) {
            EXPECT_TRUE(IsJsonObject(line)) << line;
            std::smatch m;
            if (std::regex_search(line, m, std::regex(R"re(^\{"event":"([a-z]+)")re"))) events.insert(m[1]);
        }
        EXPECT_TRUE(events.count("result")) << r.out;
        EXPECT_TRUE(args[0] != "download" || r.status != 0 || (events.count("progress") && events.count("status")))
            << r.out;
        const std::string last = r.OutLines().empty() ? "" : r.OutLines().back();
        EXPECT_NE(last.find("\"exit\":" + std::to_string(r.status)), std::string::npos) << last;
    }
    EXPECT_TRUE(IsJsonObject(R"({"a":"x\"y\u0001","b":[1,-2.5e3,true,null,{}]})"));
    for (const char* bad : {R"({"a":"x"} {"b":1})", R"({"a":})", R"({"a":1,})", R"({"a" 1})", R"({"a":+1})", "[1]"})
        EXPECT_FALSE(IsJsonObject(bad)) << bad;
}

TEST(Cli, QuietPrintsOnlyErrors) {
    const std::string dir = TempDir();
    WriteFileBytes(dir + "/image.bin", ImageFile(ChecksumLayout::VQ7170, 200, 9));
    const CliResult ok = RunCli({"-q", "download", dir + "/image.bin", "--chip", "vq7170"}, "vq7170");
    EXPECT_EQ(ok.status, 0);
    EXPECT_EQ(ok.err + ok.out, "");
    const CliResult dead = RunCli({"download", "-q", dir + "/image.bin", "--chip", "vq7170"}, "vq7170:stop=6");
    EXPECT_EQ(dead.status, 1);
    EXPECT_EQ(dead.err, "Verify error!\nquillmar-cli: Verify error! (Broken pipe)\n");
}

TEST(Cli, CtrlCStopsTheJobAndClosesTheDevice) {
    const std::string dir = TempDir();
    // 2000 writes of 2 ms each: four seconds of writing and four of verify
    // unless stopped.
    WriteFileBytes(dir + "/image.bin", ImageFile(ChecksumLayout::VQ7170, 1948, 11));
    const struct {
        const char* what;
        std::vector<std::string> devices;
        std::string emulate;
    } cases[] = {
        {"one chip", {}, "vq7170:latency=2000:file=" + dir + "/chip.mem"},
        {"three at once", {"--all"}, "vq7170:latency=2000*3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> args = {"download", dir + "/image.bin", "--chip", "vq7170", "--json"};
        args.insert(args.end(), c.devices.begin(), c.devices.end());
        CliProcess cli(args, c.emulate);
        std::string line;
        while (cli.ReadLine(&line) && line.find("\"percent\":2,") == std::string::npos) {
        }
        const auto start = std::chrono::steady_clock::now();
        cli.Signal(SIGINT);
        const CliResult r = cli.Wait();
        // Well before the job's own end, however busy the machine.
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
        EXPECT_EQ(r.status, 130) << r.err;
        const std::vector<std::string> lines = r.OutLines();
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines[lines.size() - 2], R"({"event":"status","text":"interrupted","colour":"red"})");
        EXPECT_NE(lines.back().find(R"("exit":130,"text":"interrupted","device_closed":true)"), std::string::npos)
            << lines.back();
        EXPECT_EQ(r.out.find("Verify error!"), std::string::npos) << r.out;
    }
    // The chip kept what reached it before the stop.
    const std::vector<BYTE> kept = ReadFileBytes(dir + "/chip.mem");
    EXPECT_GT(kept.size(), 2048u);
}

TEST(Cli, ManPageNamesEveryOptionOfTheHelp) {
    std::ifstream in(QUILLMAR_CLI_MAN);
    std::stringstream man;
    man << in.rdbuf();
    const std::string page = std::regex_replace(man.str(), std::regex("\\\\-"), "-");
    std::set<std::string> options;
    for (const char* command : {"", "list", "info", "fields", "download", "verify", "read"}) {
        std::vector<std::string> args;
        if (*command) args.push_back(command);
        args.push_back("--help");
        const CliResult r = RunCli(args, "");
        ASSERT_EQ(r.status, 0);
        if (*command) {
            EXPECT_NE(page.find(std::string(".SS ") + command), std::string::npos) << command;
        }
        const std::regex option(R"((^|[ ,])(--?[a-z][a-z0-9-]*))");
        for (auto it = std::sregex_iterator(r.out.begin(), r.out.end(), option); it != std::sregex_iterator(); ++it) {
            options.insert((*it)[2]);
        }
    }
    EXPECT_GE(options.size(), 14u);
    for (const std::string& option : options) EXPECT_NE(page.find(option), std::string::npos) << option;
}

}  // namespace

// The three jobs of every chip type as their callers run them (Download,
// Verify, ReadBack returning a JobResult), on chips made as the emulated
// device list makes them: what a good chip gives; what a chip that stops
// answering or gives one short reply gives, at the first and the last
// request that carries image data; a flash erase that failed under a verify
// that passed; a verify that finds the chip unlike the image. Every result
// keeps the status lines the host saw, in order.
#include "FaultRig.h"

#include <regex>

namespace faults {
namespace {

using chiptest::Found;
using chiptest::FoundOf;
using chiptest::Lines;
using chiptest::ReadBytes;

constexpr WORD kCode = 40;

enum class Kind { Download, Verify, Read };
const char* const kKindNames[] = {"download", "verify", "read"};
constexpr Kind kKinds[] = {Kind::Download, Kind::Verify, Kind::Read};

// The chip types whose read by the stored header hands its bytes to the
// window's image and has the option page show them.
bool ReadReplacesImage(ChipType type) {
    return type == ChipType::VQ7170 || type == ChipType::VQ7170S || type == ChipType::VQ5520;
}

struct JobRun {
    JobResult result;
    std::vector<RecordingHost::Status> seen;  // what the host was shown
    std::vector<LoggedReport> log;            // the job's reports
    std::size_t reportsBefore = 0;            // reports the chip had seen before the job
    std::size_t fetchesBefore = 0;
};

// The length a read asks for: where the stored header decides, the length
// the window starts with, else the image's.
DWORD ReadLength(const Target& t, const std::vector<BYTE>& image) {
    return ::DescriptorOf(int(t.type)).readFollowsHeader ? 0x30 : static_cast<DWORD>(image.size());
}

// Runs a job of kind with image on the rig's chip: a download on the chip
// as it is, a verify or a read (as long as ReadLength says) with the image
// stored first.
JobRun RunJob(Rig& rig, Kind kind, const std::vector<BYTE>& image) {
    if (kind != Kind::Download) rig.Store(image);
    rig.chip->ClearLog();
    rig.host.Clear();
    JobRun run;
    run.reportsBefore = rig.Reports();
    run.fetchesBefore = rig.chip->GetFeatureCount();
    CVQPatch& patch = *rig.patch;
    const BYTE memType = rig.target.memType;
    switch (kind) {
    case Kind::Download: run.result = Download(patch, image, memType); break;
    case Kind::Verify: run.result = Verify(patch, image, memType); break;
    case Kind::Read: run.result = ReadBack(patch, memType, ReadLength(rig.target, image), false); break;
    }
    run.seen = rig.host.statuses;
    run.log = rig.chip->Log();
    return run;
}

std::string Trace(const Target& t, Kind kind) { return std::string(t.name) + ", " + kKindNames[int(kind)]; }

const StatusLine* FirstRed(const JobResult& r) {
    for (const StatusLine& s : r.statuses)
        if (s.colour == STATUS_RED) return &s;
    return nullptr;
}

// Requests that write a memory: EEPROM and flash writes, erases, bulk
// reports sent.
bool WritesMemory(const LoggedReport& r) {
    if (r.kind != LoggedReport::Set) return false;
    if (r.bytes.size() == BULK_REPORT_SIZE) return true;
    switch (r.bytes.at(1)) {
    case HID_CMD_EEPROM_WRITE:
    case HID_CMD_FLASH_WRITE1:
    case HID_CMD_FLASH_WRITE4:
    case HID_CMD_FLASH_WRITE:
    case HID_CMD_FLASH_SECTOR_ERASE:
    case HID_CMD_FLASH_CHIP_ERASE: return true;
    default: return false;
    }
}

// Whether report i of a log carries image data. A fetch of 9 bytes shows
// the reply (one byte early from a report-id-1 device), so the send it
// answers tells.
bool CarriesData(const std::vector<LoggedReport>& log, std::size_t i) {
    const LoggedReport& r = log[i];
    if (r.kind == LoggedReport::Get && r.bytes.size() == FEATURE_REPORT_SIZE)
        return i > 0 && log[i - 1].kind == LoggedReport::Set && IsDataRequest(log[i - 1]);
    return IsDataRequest(r);
}

// Positions in the log of the first and the last report that carries image
// data; with fetchesOnly, of the fetches among them.
std::pair<std::size_t, std::size_t> DataRequests(const std::vector<LoggedReport>& log, bool fetchesOnly) {
    std::vector<std::size_t> at;
    for (std::size_t i = 0; i < log.size(); ++i)
        if (CarriesData(log, i) && (!fetchesOnly || log[i].kind == LoggedReport::Get)) at.push_back(i);
    EXPECT_FALSE(at.empty());
    return at.empty() ? std::pair<std::size_t, std::size_t>{0, 0} : std::pair{at.front(), at.back()};
}

// A failed job: not ok, and its reason the first red text it showed with
// the HID layer's reason behind it.
void ExpectFailedWith(const JobRun& run, const std::string& hidReason) {
    const JobResult& r = run.result;
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(Lines(r), run.seen);
    const StatusLine* red = FirstRed(r);
    ASSERT_NE(red, nullptr);
    EXPECT_EQ(r.reason, red->text + " (" + hidReason + ")");
}

TEST(JobResultTest, GoodChipGivesEveryJobItsResult) {
    for (const Target& t : kTargets) {
        const auto image = ImageFor(t.type, kCode);
        const bool headerLed = ::DescriptorOf(int(t.type)).readFollowsHeader;
        {
            SCOPED_TRACE(Trace(t, Kind::Download));
            Rig rig(t, ListedChip(t));
            ASSERT_TRUE(rig.connected);
            const JobRun run = RunJob(rig, Kind::Download, image);
            EXPECT_TRUE(run.result.ok);
            EXPECT_EQ(run.result.reason, "");
            EXPECT_EQ(Lines(run.result), run.seen);
            EXPECT_TRUE(IsSuccessText(run.seen.back().text));
            EXPECT_EQ(rig.Stored(image.size()), image);
            EXPECT_FALSE(run.result.image);
            EXPECT_FALSE(run.result.difference);
        }
        {
            SCOPED_TRACE(Trace(t, Kind::Verify));
            Rig rig(t, ListedChip(t));
            const JobRun run = RunJob(rig, Kind::Verify, image);
            EXPECT_TRUE(run.result.ok);
            EXPECT_EQ(run.result.reason, "");
            EXPECT_FALSE(run.result.difference);
            EXPECT_FALSE(run.result.image);
            EXPECT_EQ(Lines(run.result), run.seen);
            EXPECT_EQ(run.seen.back(), (RecordingHost::Status{"Successful!", STATUS_GREEN}));
            EXPECT_TRUE(std::none_of(run.log.begin(), run.log.end(), WritesMemory));
        }
        {
            SCOPED_TRACE(Trace(t, Kind::Read));
            Rig rig(t, ListedChip(t));
            const JobRun run = RunJob(rig, Kind::Read, image);
            const JobResult& r = run.result;
            EXPECT_TRUE(r.ok);
            EXPECT_EQ(r.reason, "");
            EXPECT_EQ(Lines(r), run.seen);
            EXPECT_EQ(ReadBytes(r), image);
            Found expected{static_cast<DWORD>(image.size())};
            if (headerLed) {
                expected.codeLen = kCode;
                expected.checksum = CodeChecksum(image.data(), kCode, LayoutOf(t.type));
            }
            if (ReadReplacesImage(t.type)) {
                expected.imageBytes = static_cast<DWORD>(image.size());
                expected.refreshPage = true;
            }
            EXPECT_EQ(FoundOf(r.found), expected);
            ASSERT_TRUE(r.image);
            EXPECT_EQ(r.image->row, int(t.type));
            EXPECT_EQ(r.image->length, image.size());
            EXPECT_EQ(r.image->codeLen, expected.codeLen.value_or(0));
            EXPECT_EQ(r.image->checksum, expected.checksum.value_or(0));
            EXPECT_TRUE(std::none_of(run.log.begin(), run.log.end(), WritesMemory));
        }
        {
            SCOPED_TRACE(Trace(t, Kind::Read) + " of a given length");
            Rig rig(t, ListedChip(t));
            rig.Store(image);
            const DWORD len = static_cast<DWORD>(image.size()) - 1;
            const JobResult r = ReadBack(*rig.patch, t.memType, len, true);
            EXPECT_TRUE(r.ok);
            EXPECT_EQ(Lines(r), rig.host.statuses);
            EXPECT_EQ(ReadBytes(r), std::vector<BYTE>(image.begin(), image.begin() + len));
            EXPECT_EQ(r.found.readLen, len);
        }
    }
}

// The chip answers every report up to one and then none: the first report
// of the job, the first request with image data, the last one.
TEST(JobResultTest, ChipThatStopsAnsweringFailsTheJob) {
    for (const Target& t : kTargets) {
        const auto image = ImageFor(t.type, kCode);
        for (const Kind kind : kKinds) {
            Rig clean(t, ListedChip(t));
            const JobRun ref = RunJob(clean, kind, image);
            ASSERT_TRUE(ref.result.ok) << Trace(t, kind);
            const auto [first, last] = DataRequests(ref.log, false);
            for (const std::size_t answered : {std::size_t{0}, first, last}) {
                const std::size_t stop = ref.reportsBefore + answered;
                SCOPED_TRACE(Trace(t, kind) + ", stop=" + std::to_string(stop) + " (" + std::to_string(answered) +
                             " of the job's " + std::to_string(ref.log.size()) + " reports answered)");
                Rig rig(t, ListedChip(t, "stop=" + std::to_string(stop)));
                ASSERT_TRUE(rig.connected);
                const JobRun run = RunJob(rig, kind, image);
                ASSERT_EQ(run.reportsBefore, ref.reportsBefore);
                ExpectFailedWith(run, "Broken pipe");
                EXPECT_FALSE(run.result.difference);
                EXPECT_FALSE(run.result.image);
                if (kind == Kind::Read) {
                    EXPECT_EQ(FoundOf(run.result.found), chiptest::FailedRead(ReadLength(t, image)));
                }
            }
        }
    }
}

// One reply with image data comes short. A reply of as many bytes as the
// request needs is whole; one byte fewer fails the job with the HID
// layer's "short reply".
TEST(JobResultTest, ShortReplyFailsTheJob) {
    const std::regex needed("\\(short reply: 0 of ([0-9]+) bytes\\)$");
    for (const Target& t : kTargets) {
        const auto image = ImageFor(t.type, kCode);
        for (const Kind kind : kKinds) {
            Rig clean(t, ListedChip(t));
            const JobRun ref = RunJob(clean, kind, image);
            const auto [first, last] = DataRequests(ref.log, true);
            for (const std::size_t at : {first, last}) {
                const std::size_t fetch =
                    ref.fetchesBefore + static_cast<std::size_t>(std::count_if(
                                            ref.log.begin(), ref.log.begin() + static_cast<long>(at) + 1,
                                            [](const LoggedReport& r) { return r.kind == LoggedReport::Get; }));
                const auto shortReply = [&](std::size_t bytes) {
                    Rig rig(t, ListedChip(t, "short=" + std::to_string(bytes) + "@" + std::to_string(fetch)));
                    EXPECT_TRUE(rig.connected);
                    return RunJob(rig, kind, image);
                };
                SCOPED_TRACE(Trace(t, kind) + ", reply " + std::to_string(fetch));
                // How many bytes the request needs: what an empty reply says.
                std::smatch m;
                const JobRun empty = shortReply(0);
                ASSERT_TRUE(std::regex_search(empty.result.reason, m, needed)) << empty.result.reason;
                const std::size_t need = std::stoul(m[1]);
                ASSERT_GE(need, 2u);

                const JobRun whole = shortReply(need);
                EXPECT_TRUE(whole.result.ok) << whole.result.reason;
                EXPECT_EQ(ReadBytes(whole.result), ReadBytes(ref.result));

                const JobRun cut = shortReply(need - 1);
                ExpectFailedWith(cut, "short reply: " + std::to_string(need - 1) + " of " + std::to_string(need) +
                                          " bytes");
                EXPECT_FALSE(cut.result.image);
            }
        }
    }
}

// A flash erase request that fails on a blank chip: the image is written and
// verified all the same and the job ends in green, but it showed "Erase
// error!" and did not succeed.
TEST(JobResultTest, FailedEraseUnderAGoodVerifyIsNoSuccess) {
    const auto isErase = [](bool set, const BYTE* r, std::size_t len) {
        return set && len == FEATURE_REPORT_SIZE && r[1] == HID_CMD_FLASH_SECTOR_ERASE;
    };
    for (const Target& t : kTargets) {
        if ((t.type != ChipType::VQ7340 && t.type != ChipType::VQ5632) || t.memType != MEMTYPE_FLASH) continue;
        const auto image = ImageFor(t.type, kCode);
        Rig clean(t, ListedChip(t, "version=none"));
        const JobRun ref = RunJob(clean, Kind::Download, image);
        const auto erases = chiptest::SentReports(ref.log, {HID_CMD_FLASH_SECTOR_ERASE}).size();
        ASSERT_GE(erases, 2u);
        for (const std::size_t n : {std::size_t{1}, erases}) {
            SCOPED_TRACE(std::string(t.name) + ", erase " + std::to_string(n) + " of " + std::to_string(erases));
            Rig rig(t, ListedChip(t, "version=none"));
            rig.chip->FailReports(emu::NthReport(isErase, static_cast<int>(n)));
            const JobRun run = RunJob(rig, Kind::Download, image);
            const std::vector<std::string> texts = {"Flash Erasing......", "Erase error!", "Upgrading......",
                                                    "Verifing......", "Upgrade Successful"};
            std::vector<std::string> seen;
            for (const auto& s : run.seen) seen.push_back(s.text);
            EXPECT_EQ(seen, texts);
            EXPECT_EQ(run.seen.back().colour, STATUS_GREEN);
            EXPECT_EQ(rig.Stored(image.size()), image);
            ExpectFailedWith(run, "Broken pipe");
            EXPECT_EQ(run.result.reason, "Erase error! (Broken pipe)");
        }
    }
}

// Bytes changed in the image against the chip: the first, the last, or
// three of them.
struct DiffCase {
    const char* name;
    std::vector<long> at;  // offsets; negative ones from the end
};

const DiffCase kDiffs[] = {
    {"first byte", {0}},
    {"last byte", {-1}},
    {"three bytes", {1, 50, -1}},
};

TEST(JobResultTest, VerifyOfADifferentChipFindsTheDifferenceAndWritesNothing) {
    for (const Target& t : kTargets) {
        const auto stored = ImageFor(t.type, kCode);
        for (const DiffCase& c : kDiffs) {
            SCOPED_TRACE(std::string(t.name) + ", " + c.name);
            auto image = stored;
            std::vector<std::size_t> at;
            for (const long a : c.at) at.push_back(a < 0 ? image.size() + a : static_cast<std::size_t>(a));
            for (const std::size_t a : at) image[a] ^= 0x5A;

            Rig rig(t, ListedChip(t));
            rig.Store(stored);
            rig.chip->ClearLog();
            rig.host.Clear();
            const JobResult r = Verify(*rig.patch, image, t.memType);

            EXPECT_FALSE(r.ok);
            EXPECT_EQ(Lines(r), rig.host.statuses);
            EXPECT_EQ(rig.host.LastStatus(), (RecordingHost::Status{"Verify error!", STATUS_RED}));
            EXPECT_EQ(r.reason.rfind("Verify error!", 0), 0u) << r.reason;
            ASSERT_TRUE(r.difference);
            EXPECT_EQ(r.difference->address, at.front());
            EXPECT_EQ(r.difference->count, at.size());
            EXPECT_EQ(r.difference->chip, stored[at.front()]);
            EXPECT_EQ(r.difference->image, image[at.front()]);
            EXPECT_FALSE(r.image);
            const auto log = rig.chip->Log();
            EXPECT_TRUE(std::none_of(log.begin(), log.end(), WritesMemory));
            EXPECT_EQ(rig.Stored(stored.size()), stored);
        }
    }
}

}  // namespace
}  // namespace faults

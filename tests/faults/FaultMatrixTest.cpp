// Every family and memory type, every job, every fault the emulator offers
// (lasting ones from the first, a middle and the last request on, single
// ones at every request): a job ends in a success text
// only with the right bytes on the chip or in the image, a failed read hands
// back no image and no findings, and every job ends.
#include "FaultRig.h"

#include <algorithm>
#include <functional>
#include <iostream>

namespace faults {
namespace {

enum class Job { Download, NormalRead, TickedRead };
const char* const kJobNames[] = {"download", "normal read", "ticked read"};
enum class Counted { Sets, Gets, Reports };

struct Fault {
    const char* name;
    Counted counted;   // which requests k counts
    bool failsAtOnce;  // from the first request on, no job can succeed
    bool garbles;      // full-length replies of wrong bytes: only the sums can tell
    bool once;         // hits one request: tried at every request of the job
    std::function<void(emu::Chip&, unsigned k)> arm;
};

emu::ReplyFault Short(std::size_t bytes, unsigned k, bool once) {
    return {emu::ReplyFault::Short, bytes, k, once};
}

const Fault kFaults[] = {
    {"failing sets", Counted::Sets, true, false, false, [](emu::Chip& c, unsigned k) { c.FailSetFeatureFrom(k); }},
    {"failing gets", Counted::Gets, true, false, false, [](emu::Chip& c, unsigned k) { c.FailGetFeatureFrom(k); }},
    {"unplug", Counted::Reports, true, false, false, [](emu::Chip& c, unsigned k) { c.UnplugAfter(k - 1); }},
    {"one failing set", Counted::Sets, false, false, true,
     [](emu::Chip& c, unsigned k) { c.FailReports(emu::NthReport([](bool set, const BYTE*, std::size_t) { return set; }, int(k))); }},
    {"replies of 0 bytes", Counted::Gets, true, false, false, [](emu::Chip& c, unsigned k) { c.FaultReplies(Short(0, k, false)); }},
    {"replies of 2 bytes", Counted::Gets, true, false, false, [](emu::Chip& c, unsigned k) { c.FaultReplies(Short(2, k, false)); }},
    {"replies of 8 bytes", Counted::Gets, false, false, false, [](emu::Chip& c, unsigned k) { c.FaultReplies(Short(8, k, false)); }},
    {"one reply of 0 bytes", Counted::Gets, false, false, true, [](emu::Chip& c, unsigned k) { c.FaultReplies(Short(0, k, true)); }},
    {"one reply of 8 bytes", Counted::Gets, false, false, true, [](emu::Chip& c, unsigned k) { c.FaultReplies(Short(8, k, true)); }},
    {"random replies", Counted::Gets, false, true, false,
     [](emu::Chip& c, unsigned k) { c.FaultReplies({emu::ReplyFault::Random, 0, k, false}); }},
    {"one random reply", Counted::Gets, false, true, true,
     [](emu::Chip& c, unsigned k) { c.FaultReplies({emu::ReplyFault::Random, 0, k, true}); }},
};

constexpr WORD kCodeLen = 40;

struct Outcome {
    std::size_t sets = 0, gets = 0;
    bool dataFailed = false;
    std::vector<RecordingHost::Status> statuses;
    bool ok = false;
    bool refreshesPage = false;
    bool stateKept = false;  // a read that hands nothing back: no image, no findings
    bool failedFlag = false;
    ImageState after;
    std::vector<BYTE> bytes;  // download: the chip's memory; read: the block it read into
};

// Runs one job on a fresh rig whose chip obeys its bus set-up and starts
// with the other memory on the bus; arm sets the fault just before the job.
Outcome RunJob(const Target& t, Job job, const std::function<void(emu::Chip&)>& arm) {
    Rig rig(t, true);
    EXPECT_TRUE(rig.connected) << t.name;
    const std::vector<BYTE> image = ImageFor(t.type, kCodeLen);
    if (job != Job::Download) rig.Store(image);
    rig.DetachBus();

    const DWORD readLen = job == Job::TickedRead ? static_cast<DWORD>(image.size()) : 0x30;

    const std::size_t sets = rig.chip->SetFeatureCount(), gets = rig.chip->GetFeatureCount();
    arm(*rig.chip);
    JobResult result;
    if (job == Job::Download) {
        // All zero: the bytes a failed request leaves in its reply, the
        // image a failed verify would most easily take for written.
        const std::vector<BYTE> zeros(image.size(), 0);
        result = Download(*rig.patch, zeros, t.memType);
    } else {
        result = ReadBack(*rig.patch, t.memType, readLen, job == Job::TickedRead);
    }

    Outcome out;
    out.sets = rig.chip->SetFeatureCount() - sets;
    out.gets = rig.chip->GetFeatureCount() - gets;
    const auto log = rig.chip->Log();
    out.dataFailed = std::any_of(log.begin(), log.end(), [](const LoggedReport& r) { return !r.ok && IsDataRequest(r); });
    out.statuses = rig.host.statuses;
    EXPECT_EQ(chiptest::Lines(result), out.statuses);
    out.ok = result.ok;
    out.refreshesPage = result.found.refreshPage;
    out.after = ImageState::Of(result);
    out.stateKept = !result.image && out.after.found == chiptest::FailedRead(readLen);
    out.failedFlag = result.found.failed;
    rig.chip->ClearFaults();
    out.bytes = job == Job::Download ? rig.Stored(image.size()) : chiptest::ReadBlock(result, image.size());
    return out;
}

TEST(FaultMatrixTest, NoFaultedJobEndsInSuccessWithWrongData) {
    std::size_t jobs = 0, failed = 0, right = 0, rejected = 0;
    for (const Target& t : kTargets) {
        for (Job job : {Job::Download, Job::NormalRead, Job::TickedRead}) {
            // A clean run places the faults and tells the right outcome.
            const Outcome clean = RunJob(t, job, [](emu::Chip&) {});
            ASSERT_FALSE(clean.dataFailed) << t.name;
            ASSERT_TRUE(IsSuccessText(clean.statuses.back().text)) << t.name << " " << kJobNames[int(job)];
            for (const Fault& fault : kFaults) {
                const std::size_t n = fault.counted == Counted::Sets   ? clean.sets
                                      : fault.counted == Counted::Gets ? clean.gets
                                                                       : clean.sets + clean.gets;
                // A fault at one request, at each; a lasting one from the
                // first, a middle and the last request on.
                std::vector<unsigned> ks = {1u, static_cast<unsigned>((n + 1) / 2), static_cast<unsigned>(n)};
                if (fault.once) {
                    ks.clear();
                    for (unsigned k = 1; k <= n; ++k) ks.push_back(k);
                }
                for (const unsigned k : ks) {
                    SCOPED_TRACE(std::string(t.name) + ", " + kJobNames[int(job)] + ", " + fault.name + " at request " +
                                 std::to_string(k) + " of " + std::to_string(n));
                    const Outcome o = RunJob(t, job, [&](emu::Chip& chip) { fault.arm(chip, k); });
                    ++jobs;
                    ASSERT_FALSE(o.statuses.empty());
                    const RecordingHost::Status& end = o.statuses.back();
                    if (k == 1 && fault.failsAtOnce) {
                        EXPECT_FALSE(IsSuccessText(end.text));
                    }
                    if (!IsSuccessText(end.text)) {
                        ++failed;
                        for (const auto& s : o.statuses) EXPECT_FALSE(IsSuccessText(s.text)) << s.text;
                        EXPECT_EQ(end.colour, STATUS_RED) << end.text;
                        EXPECT_FALSE(o.ok);
                        if (job == Job::Download) continue;
                        EXPECT_EQ(end.text, "Reading failed!");
                        EXPECT_TRUE(o.stateKept);
                        EXPECT_FALSE(o.refreshesPage);
                        EXPECT_TRUE(o.failedFlag);
                        continue;
                    }
                    EXPECT_FALSE(o.dataFailed);
                    EXPECT_FALSE(o.failedFlag);
                    if (job == Job::Download || !fault.garbles) {
                        // Success means the chip holds the image, or the read has its bytes.
                        EXPECT_EQ(o.bytes, clean.bytes);
                        if (job != Job::Download) {
                            EXPECT_TRUE(o.after == clean.after);
                        }
                        ++right;
                    } else if (o.bytes == clean.bytes && o.after == clean.after) {
                        ++right;
                    } else if (o.after.found.codeLen == 0) {
                        // Garbled bytes of full length: the stored sums rejected them.
                        ++rejected;
                    }
                    // Otherwise a read took garbled bytes of full length for
                    // the chip's: nothing in the protocol tells them apart.
                }
            }
        }
    }
    std::cout << "fault matrix: " << jobs << " faulted jobs, " << failed << " ended in a failure, " << right
              << " in a success with the right bytes, " << rejected << " read garbled bytes the stored sums rejected, "
              << jobs - failed - right - rejected << " read garbled bytes that nothing can tell apart\n";
}

}  // namespace
}  // namespace faults

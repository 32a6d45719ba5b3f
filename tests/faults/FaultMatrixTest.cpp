// Every family and memory type, every job, a chip that stops answering:
// a job whose image data requests failed never ends in a green success, a
// failed read leaves the image state as it was, and every job ends.
#include "FaultRig.h"

#include <algorithm>

namespace faults {
namespace {

enum class Job { Download, NormalRead, TickedRead };
enum class Fault { Set, Get, Unplug };
enum class When { First, Middle, Last };
const char* const kJobNames[] = {"download", "normal read", "ticked read"};
const char* const kFaultNames[] = {"failing set", "failing get", "unplug"};
const char* const kWhenNames[] = {"first", "middle", "last"};

constexpr WORD kCodeLen = 40;

struct Outcome {
    std::size_t sets = 0, gets = 0;
    bool dataFailed = false;
    std::vector<RecordingHost::Status> statuses;
    int pageRefreshes = 0;
    bool stateKept = false;
    bool failedFlag = false;
};

// Runs one job on a fresh rig; inject arms the fault just before it.
template <typename Inject>
Outcome RunJob(const Target& t, Job job, Inject inject) {
    Rig rig(t);
    EXPECT_TRUE(rig.connected) << t.name;
    const std::vector<BYTE> image = ImageFor(t.type, kCodeLen);
    if (job != Job::Download) rig.Store(image);

    // The state a failed read must leave alone.
    std::memset(g_image, 0xEE, ImageState::kHead);
    g_imageLen = 0x1234;
    g_codeLen = 0x1111;
    g_checksum = 0x2222;
    g_readLen = job == Job::TickedRead ? static_cast<DWORD>(image.size()) : 0x30;
    rig.host.modifyLengthChecked = job == Job::TickedRead;
    const ImageState before = ImageState::Now();

    const std::size_t sets = rig.chip->SetFeatureCount(), gets = rig.chip->GetFeatureCount();
    inject(*rig.chip);
    if (job == Job::Download) {
        // All zero: the bytes a failed request leaves in its reply, the
        // image a failed verify would most easily take for written.
        std::memset(g_workBuf, 0, image.size());
        rig.patch->Download(t.memType, static_cast<DWORD>(image.size()), g_workBuf);
    } else {
        rig.patch->ReadBack(t.memType, g_readLen, g_workBuf);
    }

    Outcome out;
    out.sets = rig.chip->SetFeatureCount() - sets;
    out.gets = rig.chip->GetFeatureCount() - gets;
    const auto log = rig.chip->Log();
    out.dataFailed = std::any_of(log.begin(), log.end(), [](const LoggedReport& r) { return !r.ok && IsDataRequest(r); });
    out.statuses = rig.host.statuses;
    out.pageRefreshes = rig.host.pageRefreshes;
    out.stateKept = ImageState::Now() == before;
    out.failedFlag = rig.patch->m_bReadBackFailed;
    return out;
}

TEST(FaultMatrixTest, NoFailureEndsInSuccess) {
    for (const Target& t : kTargets) {
        for (Job job : {Job::Download, Job::NormalRead, Job::TickedRead}) {
            // The request counts of a clean run place the faults.
            const Outcome clean = RunJob(t, job, [](emu::Chip&) {});
            ASSERT_FALSE(clean.dataFailed) << t.name;
            ASSERT_TRUE(IsSuccessText(clean.statuses.back().text)) << t.name << " " << kJobNames[int(job)];
            for (Fault fault : {Fault::Set, Fault::Get, Fault::Unplug}) {
                const std::size_t n =
                    fault == Fault::Set ? clean.sets : fault == Fault::Get ? clean.gets : clean.sets + clean.gets;
                for (When when : {When::First, When::Middle, When::Last}) {
                    const unsigned k = static_cast<unsigned>(when == When::First ? 1 : when == When::Middle ? (n + 1) / 2 : n);
                    SCOPED_TRACE(std::string(t.name) + ", " + kJobNames[int(job)] + ", " + kFaultNames[int(fault)] +
                                 " at the " + kWhenNames[int(when)] + " request (" + std::to_string(k) + " of " +
                                 std::to_string(n) + ")");
                    const Outcome o = RunJob(t, job, [&](emu::Chip& chip) {
                        if (fault == Fault::Set) chip.FailSetFeatureFrom(k);
                        else if (fault == Fault::Get) chip.FailGetFeatureFrom(k);
                        else chip.UnplugAfter(k - 1);
                    });
                    // Everything after the first failure fails too: from the
                    // first request on, the image data never gets through.
                    if (when == When::First) {
                        EXPECT_TRUE(o.dataFailed);
                    }
                    if (!o.dataFailed) continue;
                    ASSERT_FALSE(o.statuses.empty());
                    for (const auto& s : o.statuses) EXPECT_FALSE(IsSuccessText(s.text)) << s.text;
                    EXPECT_EQ(o.statuses.back().colour, STATUS_RED) << o.statuses.back().text;
                    if (job == Job::Download) continue;
                    EXPECT_EQ(o.statuses.back().text, "Reading failed!");
                    EXPECT_TRUE(o.stateKept);
                    EXPECT_EQ(o.pageRefreshes, 0);
                    EXPECT_TRUE(o.failedFlag);
                }
            }
        }
    }
}

}  // namespace
}  // namespace faults

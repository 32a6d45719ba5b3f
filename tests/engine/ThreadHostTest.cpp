// A thread's own engine host: the thread's calls go to it, the other
// threads keep the process's, and nested scopes give the previous one back.
#include "EngineHost.h"
#include "RecordingHost.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

TEST(ThreadHost, ThreadsReportToTheirOwnHosts) {
    RecordingHost process;  // the process's host while it lives
    RecordingHost outer, inner;
    SetEngineHost(&process);  // the two above replaced it when made
    std::thread worker([&] {
        const ScopedThreadHost a(outer);
        SetStatusText("outer 1", STATUS_GREEN);
        {
            const ScopedThreadHost b(inner);
            SetStatusText("inner", STATUS_GREEN);
        }
        SetStatusText("outer 2", STATUS_GREEN);
    });
    worker.join();
    SetStatusText("process", STATUS_RED);
    EXPECT_EQ(outer.statuses, (std::vector<RecordingHost::Status>{{"outer 1", STATUS_GREEN}, {"outer 2", STATUS_GREEN}}));
    EXPECT_EQ(inner.statuses, (std::vector<RecordingHost::Status>{{"inner", STATUS_GREEN}}));
    EXPECT_EQ(process.statuses, (std::vector<RecordingHost::Status>{{"process", STATUS_RED}}));
}

}  // namespace

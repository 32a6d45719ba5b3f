// The pause the main dialog takes itself: 100 ms on the user-interface
// thread after the rescan of a device arrival, none on a removal, on the
// virtual clock of a host that records pauses instead of taking them.
#include "ForwardingHost.h"
#include "JobsFixture.h"

#include <QTest>
#include <QThread>

#include <functional>
#include <mutex>

namespace {

// The window's host for everything but the pauses, which it records.
class PauseRecorder final : public ForwardingHost {
public:
    using ForwardingHost::ForwardingHost;
    void Sleep(DWORD ms) override {
        std::lock_guard lock(mutex_);
        if (QThread::currentThread() == qApp->thread()) uiPauses_.push_back(ms);
    }
    std::vector<DWORD> UiPauses() {
        std::lock_guard lock(mutex_);
        return uiPauses_;
    }
    void Clear() {
        std::lock_guard lock(mutex_);
        uiPauses_.clear();
    }

private:
    std::mutex mutex_;
    std::vector<DWORD> uiPauses_;
};

class ArrivalPause : public JobsTest {
protected:
    void SetUp() override {
        JobsTest::SetUp();
        SetEngineHost(&recorder);
    }
    void TearDown() override {
        SetEngineHost(&host);
        JobsTest::TearDown();
    }
    PauseRecorder recorder{host};
};

TEST_F(ArrivalPause, HundredMillisecondsAfterEachArrivalOnly) {
    Open(ROW_VQ7170);
    const auto listed = [this] { return dlg->ComboGetCount(IDC_DEVICE); };
    const struct {
        const char* what;
        std::function<void()> change;
        std::function<bool()> handled;
        std::vector<DWORD> pauses;
    } rows[] = {
        // The rescan reads the chip's version (one EEPROM read, 1 ms between
        // its send and its fetch), then the dialog waits 100 ms.
        {"chip arrives", [this] { bus->Plug(Vq7170()); }, [&] { return recorder.UiPauses().size() == 2; }, {1, 100}},
        {"keyboard arrives", [this] { bus->Plug({.type = emu::ChipType::Keyboard}); },
         [&] { return recorder.UiPauses().size() == 2; }, {1, 100}},
        {"chip leaves", [this] { bus->Unplug(bus->Chips().front()); }, [&] { return listed() == 0; }, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_TRUE(WaitIdle());
        recorder.Clear();
        row.change();
        ASSERT_TRUE(WaitFor(row.handled, 5000));
        ASSERT_TRUE(WaitIdle());
        QTest::qWait(20);
        EXPECT_EQ(recorder.UiPauses(), row.pauses);
    }
}

}  // namespace

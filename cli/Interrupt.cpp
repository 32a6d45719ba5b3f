#include "Interrupt.h"

#include "CliHost.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <utility>

namespace cli {
namespace {

// The signal that interrupted the job (SIGPIPE for a standard output that
// failed); 0 while none has.
std::atomic<int> g_signal{0};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs a lock-free flag");

void OnSignal(int sig) {
    int none = 0;
    if (g_signal.compare_exchange_strong(none, sig)) {
        WakePauses();  // a pause under way ends now, not at its deadline
        return;
    }
    // The second one ends the process at once, as the signal would have.
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

bool Refused() {
    if (!Interrupted()) return false;
    errno = EINTR;
    return true;
}

class InterruptibleDevice final : public hid::Device {
public:
    explicit InterruptibleDevice(std::unique_ptr<hid::Device> inner) : inner_(std::move(inner)) {}
    bool SetFeature(const BYTE* report, std::size_t len) override {
        return !Refused() && inner_->SetFeature(report, len);
    }
    bool GetFeature(BYTE* report, std::size_t len) override { return !Refused() && inner_->GetFeature(report, len); }
    // The byte counts go through as they are: the HID layer decides what a
    // short reply is worth, and keeps the reason of a failure.
    long SendFeature(const BYTE* report, std::size_t len) override {
        return Refused() ? -1 : inner_->SendFeature(report, len);
    }
    long FetchFeature(BYTE* report, std::size_t len) override {
        return Refused() ? -1 : inner_->FetchFeature(report, len);
    }
    bool GetAttributes(hid::Attributes* out) override { return inner_->GetAttributes(out); }

private:
    std::unique_ptr<hid::Device> inner_;
};

class InterruptibleBackend final : public hid::Backend {
public:
    explicit InterruptibleBackend(std::shared_ptr<hid::Backend> inner) : inner_(std::move(inner)) {}
    std::vector<hid::DeviceEntry> Enumerate() override { return inner_->Enumerate(); }
    std::unique_ptr<hid::Device> Open(const std::string& path, hid::Access access) override {
        std::unique_ptr<hid::Device> device = inner_->Open(path, access);
        if (!device) return nullptr;
        return std::make_unique<InterruptibleDevice>(std::move(device));
    }
    int ChangeFd() override { return inner_->ChangeFd(); }
    std::vector<hid::Change> TakeChanges() override { return inner_->TakeChanges(); }

private:
    std::shared_ptr<hid::Backend> inner_;
};

}  // namespace

void CatchInterrupts() {
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a pause or a transfer under way returns early.
    for (const int sig : {SIGINT, SIGTERM, SIGHUP}) sigaction(sig, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
}

bool Interrupted() { return g_signal.load() != 0; }

int InterruptStatus() {
    const int sig = g_signal.load();
    return 128 + (sig != 0 ? sig : SIGINT);
}

bool FlushStandardOutput() {
    if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return true;
    int none = 0;
    if (g_signal.compare_exchange_strong(none, SIGPIPE)) WakePauses();
    return false;
}

std::shared_ptr<hid::Backend> MakeInterruptibleBackend(std::shared_ptr<hid::Backend> inner) {
    return std::make_shared<InterruptibleBackend>(std::move(inner));
}

}  // namespace cli

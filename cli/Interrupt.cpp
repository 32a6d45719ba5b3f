#include "Interrupt.h"

#include "CliHost.h"

#include <cerrno>
#include <csignal>
#include <utility>

namespace cli {
namespace {

volatile std::sig_atomic_t g_interrupted = 0;

void OnInterrupt(int) {
    g_interrupted = 1;
    WakePauses();
}

class InterruptibleDevice final : public hid::Device {
public:
    explicit InterruptibleDevice(std::unique_ptr<hid::Device> inner) : inner_(std::move(inner)) {}
    bool SetFeature(const BYTE* report, std::size_t len) override {
        return !Refused() && inner_->SetFeature(report, len);
    }
    bool GetFeature(BYTE* report, std::size_t len) override { return !Refused() && inner_->GetFeature(report, len); }
    bool GetAttributes(hid::Attributes* out) override { return inner_->GetAttributes(out); }

private:
    static bool Refused() {
        if (!Interrupted()) return false;
        errno = EINTR;
        return true;
    }
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
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    // The first Ctrl-C stops the job; a second one ends the process.
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
}

bool Interrupted() { return g_interrupted != 0; }

std::shared_ptr<hid::Backend> MakeInterruptibleBackend(std::shared_ptr<hid::Backend> inner) {
    return std::make_shared<InterruptibleBackend>(std::move(inner));
}

}  // namespace cli

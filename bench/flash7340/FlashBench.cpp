// A 16 MB flash download and read-back through the VQ7340 programmer on an
// emulated chip with zero latency and virtual pauses. Engine time is the
// wall time minus the time spent inside the emulated device.
#include "BenchHost.h"
#include "ChipPatches.h"
#include "Emulator.h"
#include "DeviceJobs.h"
#include "hid/Hid.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Adds up the time spent in the emulated device.
class TimedBackend final : public hid::Backend {
public:
    explicit TimedBackend(std::shared_ptr<hid::Backend> inner) : inner_(std::move(inner)) {}
    std::vector<hid::DeviceEntry> Enumerate() override { return inner_->Enumerate(); }
    std::unique_ptr<hid::Device> Open(const std::string& path, hid::Access access) override {
        auto device = inner_->Open(path, access);
        return device ? std::make_unique<Device>(std::move(device), deviceNanos) : nullptr;
    }
    int ChangeFd() override { return inner_->ChangeFd(); }
    std::vector<hid::Change> TakeChanges() override { return inner_->TakeChanges(); }
    long long deviceNanos = 0;

private:
    class Device final : public hid::Device {
    public:
        Device(std::unique_ptr<hid::Device> inner, long long& nanos) : inner_(std::move(inner)), nanos_(nanos) {}
        bool SetFeature(const BYTE* r, std::size_t len) override {
            return Timed([&] { return inner_->SetFeature(r, len); });
        }
        bool GetFeature(BYTE* r, std::size_t len) override {
            return Timed([&] { return inner_->GetFeature(r, len); });
        }
        bool GetAttributes(hid::Attributes* out) override { return inner_->GetAttributes(out); }

    private:
        template <typename F>
        bool Timed(F&& f) {
            const auto start = Clock::now();
            const bool ok = f();
            nanos_ += std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - start).count();
            return ok;
        }
        std::unique_ptr<hid::Device> inner_;
        long long& nanos_;
    };
    std::shared_ptr<hid::Backend> inner_;
};

struct Figures {
    double wallMs;
    double deviceMs;
    std::size_t reports;
};

template <typename F>
Figures Measure(emu::Chip& chip, TimedBackend& timed, F&& job) {
    const std::size_t reports0 = chip.SetFeatureCount() + chip.GetFeatureCount();
    const long long device0 = timed.deviceNanos;
    const auto start = Clock::now();
    job();
    const double wall = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    return {wall, static_cast<double>(timed.deviceNanos - device0) / 1e6,
            chip.SetFeatureCount() + chip.GetFeatureCount() - reports0};
}

void Print(const char* what, const Figures& f) {
    const double engineUs = (f.wallMs - f.deviceMs) * 1e3 / static_cast<double>(f.reports);
    std::printf("%-22s %9zu reports  wall %8.1f ms  device %8.1f ms  engine %6.3f us/report\n", what, f.reports,
                f.wallMs, f.deviceMs, engineUs);
}

bool Run(int reportId, std::size_t len) {
    BenchHost host;
    emu::ScopedBackend bus;
    auto timed = std::make_shared<TimedBackend>(bus.get());
    hid::SetBackend(timed);
    auto chip = bus->Plug({.type = emu::ChipType::VQ7340, .reportId = reportId});
    chip->SetLogging(false);

    std::mt19937 gen(7340);
    std::vector<BYTE> image(len);
    for (BYTE& b : image) b = static_cast<BYTE>(gen());

    bool ok = true;
    {
        CVQ7340Patch patch;
        if (patch.ScanDevices() != 1) return false;
        std::printf("report id %d, %zu bytes\n", reportId, len);
        JobResult result;
        Print("download", Measure(*chip, *timed, [&] { result = Download(patch, image, MEMTYPE_FLASH); }));
        ok = ok && result.ok && host.last == "Upgrade Successful";
        Print("ticked read-back", Measure(*chip, *timed, [&] {
                  result = ReadBack(patch, MEMTYPE_FLASH, static_cast<DWORD>(len), true);
              }));
        ok = ok && result.image && std::memcmp(result.image->bytes.data(), image.data(), len) == 0;
    }
    if (!ok) std::printf("FAILED: the image did not come back\n");
    return ok;
}

}  // namespace

int main() {
    bool ok = Run(1, IMAGE_BUFFER_SIZE);
    ok = Run(0, 1u << 20) && ok;
    return ok ? 0 : 1;
}

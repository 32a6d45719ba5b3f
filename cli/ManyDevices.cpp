#include "ManyDevices.h"

#include "BatchDownload.h"
#include "ChipTypes.h"
#include "ImageFields.h"
#include "Interrupt.h"
#include "Json.h"
#include "KeyDirectory.h"
#include "Steps.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>

namespace cli {
namespace {

// One device's host: with --json its status and progress events name the
// device; otherwise it shows nothing while the jobs run.
class DeviceHost final : public batch::QuietHost {
public:
    DeviceHost(Output output, std::string device) : output_(output), device_(std::move(device)) {}

    void SetStatusText(const std::string& text, COLORREF colour) override {
        if (Interrupted()) return;
        const bool red = colour == STATUS_RED;
        phase_ = text;
        Step(device_ + ": " + text);
        if (output_ == Output::Json) {
            JsonLine("status").Add("device", device_).Add("text", text).Add("colour", red ? "red" : "green").Print();
        }
    }
    void SetProgress(int pos) override {
        if (pos == pos_ || Interrupted()) return;
        pos_ = pos;
        if (output_ == Output::Json) JsonLine("progress").Add("device", device_).Add("percent", pos).Add("phase", phase_).Print();
    }
    void Sleep(DWORD ms) override { SleepUnlessInterrupted(ms); }

private:
    const Output output_;
    const std::string device_;
    std::string phase_;
    int pos_ = -1;
};

std::string Seconds(double s) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f s", s);
    return text;
}

std::string Where(const batch::DeviceResult& r) { return r.location.empty() ? r.path : r.location; }

void PrintDeviceEnd(const CliHost& host, const batch::DeviceResult& r) {
    if (host.output() == Output::Json) {
        JsonLine line("device_result");
        line.Add("device", r.path).Add("location", r.location).Add("ok", r.ok).Add("text", r.ok ? r.lastStatus : r.failure);
        if (!r.key.empty()) line.Add("key", r.key);
        line.Add("seconds", r.seconds).Print();
        return;
    }
    if (r.ok && host.output() == Output::Quiet) return;
    std::fprintf(stderr, "%s\n",
                 Stamped(Where(r) + "  " + r.path + "  " + (r.ok ? "ok: " + r.lastStatus : "FAILED: " + r.failure) +
                         "  " + Seconds(r.seconds))
                     .c_str());
}

void PrintSummary(const std::vector<batch::DeviceResult>& results) {
    std::size_t whereWidth = 8, pathWidth = 4;
    for (const auto& r : results) {
        whereWidth = std::max(whereWidth, Where(r).size());
        pathWidth = std::max(pathWidth, r.path.size());
    }
    const int w = static_cast<int>(whereWidth), p = static_cast<int>(pathWidth);
    std::fprintf(stderr, "\n%-*s  %-*s  %-6s  %8s  %s\n", w, "location", p, "path", "result", "time", "text");
    for (const auto& r : results) {
        std::string text = r.ok ? r.lastStatus : r.failure;
        if (!r.key.empty()) text += "  (key " + r.key + ")";
        std::fprintf(stderr, "%-*s  %-*s  %-6s  %8s  %s\n", w, Where(r).c_str(), p, r.path.c_str(), r.ok ? "ok" : "FAILED",
                     Seconds(r.seconds).c_str(), text.c_str());
    }
}

// The present devices with the USB ids of row's chip type that its scan did
// not identify: each one a device whose job failed before it began.
std::vector<batch::DeviceResult> Unidentified(int row, const std::vector<batch::Device>& identified) {
    const ChipDescriptor& chip = DescriptorOf(row);
    std::vector<batch::DeviceResult> out;
    for (const hid::DeviceEntry& entry : hid::EnumeratePresent()) {
        const auto same = [&](const batch::Device& d) { return d.path == entry.path; };
        if (std::any_of(identified.begin(), identified.end(), same)) continue;
        const std::optional<hid::Attributes> ids = UsbIdsOf(entry.path);
        if (!ids || ids->vendorId != chip.vendorId || ids->productId != chip.productId) continue;
        batch::DeviceResult r;
        r.path = entry.path;
        r.location = entry.location;
        r.failure = std::string("not identified as a ") + chip.label + " chip";
        if (const std::string problem = OpenProblem(entry.path); !problem.empty()) r.failure += " (" + problem + ")";
        out.push_back(std::move(r));
    }
    return out;
}

}  // namespace

Outcome DownloadToMany(CliHost& host, const Image& image, BYTE memType, const ManyDevices& many) {
    const int row = image.row;
    if (!many.keyDir.empty() && !std::filesystem::is_directory(many.keyDir)) {
        return {EXIT_USAGE, "--hdcp-key-dir: " + many.keyDir + " is not a directory"};
    }
    std::vector<batch::Device> devices;
    // --all: what looks like a chip of the type but does not identify as one
    // is named and counted as failed, not passed over.
    std::vector<batch::DeviceResult> unidentified;
    if (many.paths.empty()) {
        // --all, or a key directory for the one chip a job takes by default:
        // the last one found, as in the window.
        devices = batch::FindDevices(row);
        if (many.all) unidentified = Unidentified(row, devices);
        if (devices.empty() && unidentified.empty()) return {EXIT_NO_DEVICE, "no device of this chip type is attached"};
        if (!many.all) devices.erase(devices.begin(), devices.end() - 1);
    } else {
        for (const std::string& path : many.paths) devices.push_back({path, {}});
    }

    for (std::size_t i = 0; i < devices.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            if (devices[i].path == devices[j].path) return {EXIT_USAGE, "device " + devices[i].path + " is given twice"};
        }
    }

    batch::Hooks hooks;
    hooks.makeHost = [&](const batch::Device& device) -> std::unique_ptr<IEngineHost> {
        return std::make_unique<DeviceHost>(host.output(), device.path);
    };
    // After Ctrl-C a job only fails its way to the end: it was interrupted.
    hooks.conclude = [&](batch::DeviceResult& r) {
        if (!r.ok && Interrupted()) r.failure = "interrupted";
    };
    hooks.finished = [&](const batch::DeviceResult& r) { PrintDeviceEnd(host, r); };

    std::unique_ptr<batch::KeyDirectory> keys;
    if (!many.keyDir.empty()) {
        keys = std::make_unique<batch::KeyDirectory>(many.keyDir);
        const ImageField* keyField = nullptr;
        for (const ImageField& field : ChipFields(row)) {
            if (field.kind == FieldKind::KeyFile) keyField = &field;
        }
        if (!keyField) return {EXIT_USAGE, "--hdcp-key-dir: this chip type's image has no HDCP key"};
        hooks = batch::WithKeys(
            *keys,
            [row, keyField, codeLen = image.codeLen, checksum = image.checksum](const std::vector<BYTE>& key,
                                                                                std::vector<BYTE>& bytes) -> std::string {
                if (key.size() != keyField->size) {
                    return "Invalid key because the length is " + std::to_string(key.size()) + " not equal to " +
                           std::to_string(keyField->size) + "!";
                }
                DWORD length = static_cast<DWORD>(bytes.size());
                WORD code = codeLen, sum = checksum;
                const ImageView view{bytes.data(), bytes.size(), length, code, sum};
                FieldChange change;
                change.field = keyField;
                change.bytes.assign(key.begin(), key.end());
                std::string refused = ApplyFieldChange(row, view, change);
                if (refused.empty() && !ReadField(view, *keyField).present) {
                    refused = "the image is too short to carry the key";
                }
                return refused;
            },
            std::move(hooks));
    }

    for (const batch::DeviceResult& r : unidentified) PrintDeviceEnd(host, r);
    const std::span<const BYTE> bytes = image.Bytes();
    std::vector<batch::DeviceResult> results =
        batch::RunDownloads({row, memType, std::vector<BYTE>(bytes.begin(), bytes.end()), many.job, many.hidden},
                            devices, hooks);
    results.insert(results.end(), unidentified.begin(), unidentified.end());
    if (host.output() == Output::Normal) PrintSummary(results);

    const auto failed = static_cast<std::size_t>(
        std::count_if(results.begin(), results.end(), [](const batch::DeviceResult& r) { return !r.ok; }));
    if (Interrupted()) return InterruptedOutcome();
    const std::string counted = std::to_string(results.size()) + " device" + (results.size() == 1 ? "" : "s");
    if (failed != 0) return {EXIT_JOB_FAILED, std::to_string(failed) + " of " + counted + " failed"};
    const std::string done = counted + (many.job == ImageJob::Verify ? " equal to the image" : " programmed and verified");
    host.Note(done);
    return {EXIT_OK, done, true};
}

}  // namespace cli

#include "Trace.h"

#include "ByteOrder.h"
#include "HidReport.h"
#include "Steps.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace cli {
namespace {

struct TraceFile {
    std::mutex mutex;
    std::FILE* file = nullptr;
    HiddenBytes keyArea;
};

TraceFile& TheTrace() {
    // Never destroyed: a device may close after the statics are gone.
    static TraceFile* const trace = new TraceFile;
    return *trace;
}

void WriteLine(const std::string& device, const std::string& text) {
    TraceFile& trace = TheTrace();
    const std::string line = TimeStamp(6) + " " + device + " " + text + "\n";
    const std::lock_guard lock(trace.mutex);
    if (!trace.file) return;
    std::fputs(line.c_str(), trace.file);
    // What a crash leaves behind is what a bug report needs most.
    std::fflush(trace.file);
}

bool Tracing() {
    TraceFile& trace = TheTrace();
    const std::lock_guard lock(trace.mutex);
    return trace.file != nullptr;
}

// Which bytes of a device's reports hold flash bytes, and at which
// addresses: the flash transfers (the chip types with a key keep it in
// flash), followed from their set-up reports. A report whose data can't be
// placed (no set-up seen) has all its data masked.
class KeyMask {
public:
    explicit KeyMask(HiddenBytes area) : area_(area) {}

    // mask[i]: report byte i is to be shown as "**".
    void Sent(const BYTE* r, std::size_t len, std::vector<bool>& mask) {
        if (len == 0) return;
        if (r[0] == BULK_REPORT_ID && len > FEATURE_REPORT_SIZE) return Bulk(len, mask);
        if (len < FEATURE_REPORT_SIZE) return;
        reply_.reset();  // a new request: whatever was to come back won't
        switch (r[1]) {
        case HID_CMD_FLASH_BULK:
            if (r[0] != 0) bulk_ = Stream{ReadBE32(r + 2)};
            break;
        case HID_CMD_FLASH_WRITE:
            if (r[2] == 1) {
                steps_ = Stream{ReadBE24(r + 3)};
            } else {
                constexpr DWORD STEP = 6;
                Place(mask, 3, STEP, steps_ ? std::optional(steps_->Take(STEP)) : std::nullopt);
            }
            break;
        case HID_CMD_FLASH_READ:
            if (r[2] == 0) reply_ = Reply{1, ReadBE24(r + 3) + ReadBE16(r + 6)};
            break;
        default: break;
        }
    }
    void Received(const BYTE* r, std::size_t len, std::vector<bool>& mask) {
        if (len == 0) return;
        if (r[0] == BULK_REPORT_ID && len > FEATURE_REPORT_SIZE) return Bulk(len, mask);
        if (!reply_) return;
        Place(mask, reply_->pos, FEATURE_REPORT_SIZE - reply_->pos, reply_->address);
        reply_.reset();
    }
    // A report that goes out in the buffer the last one of its size came or
    // went in carries that one's bytes where it writes none (a streamed
    // read's request, the tail of a short last bulk report): a byte masked
    // there stays masked while it is the same. Then r is that last report.
    void Leftovers(const BYTE* r, std::size_t len, std::vector<bool>& mask) {
        Last& last = len > FEATURE_REPORT_SIZE ? lastBulk_ : lastReport_;
        if (last.bytes.size() == len) {
            for (std::size_t i = 0; i < len; ++i)
                if (last.mask[i] && last.bytes[i] == r[i]) mask[i] = true;
        }
        last.bytes.assign(r, r + len);
        last.mask = mask;
    }

private:
    struct Stream {
        DWORD next;
        // The address of the next n bytes, which it moves past.
        DWORD Take(DWORD n) { return std::exchange(next, next + n); }
    };
    struct Reply {
        std::size_t pos;  // the first reply byte that holds memory
        DWORD address;    // its address
    };
    struct Last {
        std::vector<BYTE> bytes;
        std::vector<bool> mask;
    };

    // A bulk report's data bytes, the tail of a short last one included: the
    // addresses run on through it.
    void Bulk(std::size_t len, std::vector<bool>& mask) {
        const DWORD n = static_cast<DWORD>(len - 1);
        Place(mask, 1, n, bulk_ ? std::optional(bulk_->Take(n)) : std::nullopt);
    }
    // Bytes [pos, pos + n) of the report hold memory from address on
    // (nullopt: unknown, all of them masked).
    void Place(std::vector<bool>& mask, std::size_t pos, std::size_t n, std::optional<DWORD> address) const {
        if (area_.begin == area_.end) return;
        for (std::size_t i = 0; i < n && pos + i < mask.size(); ++i) {
            if (!address || area_.Holds(*address + static_cast<DWORD>(i))) mask[pos + i] = true;
        }
    }

    const HiddenBytes area_;
    std::optional<Reply> reply_;
    std::optional<Stream> bulk_;
    std::optional<Stream> steps_;
    Last lastReport_, lastBulk_;
};

// The report as the trace shows it: hex, masked bytes as "**".
std::string Hex(const BYTE* r, std::size_t n, const std::vector<bool>& mask) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(n * 3);
    for (std::size_t i = 0; i < n; ++i) {
        text += ' ';
        if (mask[i]) {
            text += "**";
        } else {
            text += digits[r[i] >> 4];
            text += digits[r[i] & 15];
        }
    }
    return text;
}

std::string Failure(int err) { return err != 0 ? std::string("failed: ") + std::strerror(err) : "failed"; }

// One transfer's line: the bytes that went or came (fewer than asked: the
// count), or the failure.
std::string TransferText(char direction, const BYTE* r, std::size_t len, long moved, int err,
                         const std::vector<bool>& mask) {
    std::string text(1, direction);
    if (moved < 0) return text + " " + Failure(err);
    const auto n = std::min(static_cast<std::size_t>(moved), len);
    text += Hex(r, n, mask);
    if (n < len) text += " (" + std::to_string(n) + " of " + std::to_string(len) + " bytes)";
    return text;
}

class WatchedDevice final : public hid::Device {
public:
    WatchedDevice(std::unique_ptr<hid::Device> inner, std::string path, HiddenBytes keyArea)
        : inner_(std::move(inner)), path_(std::move(path)), mask_(keyArea) {}
    ~WatchedDevice() override {
        inner_.reset();
        if (Tracing()) WriteLine(path_, "closed");
        Step("closed " + path_);
    }

    bool SetFeature(const BYTE* report, std::size_t len) override {
        errno = 0;
        const bool ok = inner_->SetFeature(report, len);
        Sent(report, len, ok ? static_cast<long>(len) : -1);
        return ok;
    }
    bool GetFeature(BYTE* report, std::size_t len) override {
        errno = 0;
        const bool ok = inner_->GetFeature(report, len);
        Received(report, len, ok ? static_cast<long>(len) : -1);
        return ok;
    }
    long SendFeature(const BYTE* report, std::size_t len) override {
        errno = 0;
        const long sent = inner_->SendFeature(report, len);
        Sent(report, len, sent);
        return sent;
    }
    long FetchFeature(BYTE* report, std::size_t len) override {
        errno = 0;
        const long got = inner_->FetchFeature(report, len);
        Received(report, len, got);
        return got;
    }
    bool GetAttributes(hid::Attributes* out) override { return inner_->GetAttributes(out); }

private:
    // Both keep the inner call's errno for the HID layer.
    void Sent(const BYTE* report, std::size_t len, long sent) { Transfer('>', report, len, sent); }
    void Received(const BYTE* report, std::size_t len, long got) { Transfer('<', report, len, got); }
    void Transfer(char direction, const BYTE* report, std::size_t len, long moved) {
        const int err = errno;
        if (Tracing()) {
            std::vector<bool> mask(len, false);
            if (direction == '>') mask_.Sent(report, len, mask);
            else mask_.Received(report, len, mask);
            mask_.Leftovers(report, len, mask);
            WriteLine(path_, TransferText(direction, report, len, moved, err, mask));
        }
        errno = err;
    }

    std::unique_ptr<hid::Device> inner_;
    const std::string path_;
    KeyMask mask_;
};

class WatchedBackend final : public hid::Backend {
public:
    explicit WatchedBackend(std::shared_ptr<hid::Backend> inner) : inner_(std::move(inner)) {}
    std::vector<hid::DeviceEntry> Enumerate() override {
        std::vector<hid::DeviceEntry> entries = inner_->Enumerate();
        const int err = errno;
        Step(std::to_string(entries.size()) + " HID device" + (entries.size() == 1 ? "" : "s") + " present");
        errno = err;
        return entries;
    }
    std::unique_ptr<hid::Device> Open(const std::string& path, hid::Access access) override {
        std::unique_ptr<hid::Device> device = inner_->Open(path, access);
        const int err = errno;
        const std::string what = access == hid::Access::None ? "for its attributes" : "for reports";
        std::string text = device ? "opened " + what : "open " + what + " " + Failure(err);
        if (Tracing()) WriteLine(path, text);
        Step(device ? "opened " + path + " " + what : "open " + path + " " + what + " " + Failure(err));
        errno = err;
        if (!device) return nullptr;
        HiddenBytes area;
        {
            TraceFile& trace = TheTrace();
            const std::lock_guard lock(trace.mutex);
            area = trace.keyArea;
        }
        return std::make_unique<WatchedDevice>(std::move(device), path, area);
    }
    int ChangeFd() override { return inner_->ChangeFd(); }
    std::vector<hid::Change> TakeChanges() override { return inner_->TakeChanges(); }

private:
    std::shared_ptr<hid::Backend> inner_;
};

}  // namespace

std::string StartTrace(const std::string& path, const std::string& commandLine, HiddenBytes keyArea) {
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (!file) return "--trace: cannot write " + path + ": " + std::strerror(errno);
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char started[32];
    std::strftime(started, sizeof started, "%Y-%m-%d %H:%M:%S %z", &local);
    std::fprintf(file, "# quillmar-cli %s trace, started %s\n# %s\n", QUILLMAR_VERSION, started, commandLine.c_str());
    std::fprintf(file, "# time, device, > sent or < received and the report's bytes; ** a byte of an HDCP key\n");
    std::fflush(file);
    TraceFile& trace = TheTrace();
    const std::lock_guard lock(trace.mutex);
    trace.file = file;
    trace.keyArea = keyArea;
    return {};
}

void EndTrace() {
    TraceFile& trace = TheTrace();
    const std::lock_guard lock(trace.mutex);
    if (trace.file) std::fclose(trace.file);
    trace.file = nullptr;
}

std::shared_ptr<hid::Backend> MakeWatchedBackend(std::shared_ptr<hid::Backend> inner) {
    return std::make_shared<WatchedBackend>(std::move(inner));
}

}  // namespace cli

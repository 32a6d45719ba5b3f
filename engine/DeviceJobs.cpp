#include "DeviceJobs.h"

#include "ForwardingHost.h"
#include "JobProgress.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

namespace {

// The calling thread's host while a job runs, keeping its status texts.
class StatusRecorder final : public ForwardingHost {
public:
    StatusRecorder() : ForwardingHost(Host()), scope_(*this) {}
    void SetStatusText(const std::string& text, COLORREF colour) override {
        statuses.push_back({text, colour});
        ForwardingHost::SetStatusText(text, colour);
    }
    std::vector<StatusLine> statuses;

private:
    ScopedThreadHost scope_;
};

const StatusLine* FirstRed(const std::vector<StatusLine>& statuses) {
    const auto red = std::find_if(statuses.begin(), statuses.end(),
                                  [](const StatusLine& s) { return s.colour == STATUS_RED; });
    return red == statuses.end() ? nullptr : &*red;
}

// ok, reason and statuses of a job that did its work (done) or not.
void Conclude(JobResult& result, std::vector<StatusLine> statuses, bool done, const CVQPatch& device) {
    result.statuses = std::move(statuses);
    const StatusLine* red = FirstRed(result.statuses);
    result.ok = done && red == nullptr;
    if (result.ok) return;
    if (red) result.reason = red->text;
    else if (!result.statuses.empty()) result.reason = result.statuses.back().text;
    else result.reason = "failed";
    if (!device.m_strHidError.empty()) result.reason += " (" + device.m_strHidError + ")";
}

// A read into a block of its own: the whole job but for its conclusion.
struct Read {
    ByteBlock block;
    ReadFindings found;
};
Read ReadInto(CVQPatch& device, BYTE memoryType, DWORD length, bool lengthGiven, ByteBlock target = {}) {
    const bool reusable = target.Data() != nullptr && target.capacity >= IMAGE_BUFFER_SIZE && !target.Shared();
    Read read{reusable ? std::move(target) : NewZeroBlock(IMAGE_BUFFER_SIZE), {}};
    length = std::min<DWORD>(length, static_cast<DWORD>(IMAGE_BUFFER_SIZE));
    read.found.readLen = length;
    device.ReadBack(memoryType, length, lengthGiven, read.block.Data(), read.found);
    return read;
}

// A host that passes a verify's progress on but keeps the read's own texts
// to itself, but for a failure.
class VerifyHost final : public ForwardingHost {
public:
    VerifyHost() : ForwardingHost(Host()), scope_(*this) {}
    void SetStatusText(const std::string& text, COLORREF colour) override {
        if (colour == STATUS_RED) ForwardingHost::SetStatusText(text, colour);
    }

private:
    ScopedThreadHost scope_;
};

}  // namespace

JobResult Download(CVQPatch& device, std::span<const BYTE> image, BYTE memoryType) {
    JobResult result;
    StatusRecorder recorder;
    device.ClearHidError();
    device.Download(memoryType, static_cast<DWORD>(image.size()), image.data());
    Conclude(result, std::move(recorder.statuses), device.m_bDownloadOk, device);
    return result;
}

JobResult ReadBack(CVQPatch& device, BYTE memoryType, DWORD length, bool lengthGiven, ByteBlock target) {
    JobResult result;
    StatusRecorder recorder;
    device.ClearHidError();
    Read read = ReadInto(device, memoryType, length, lengthGiven, std::move(target));
    result.found = read.found;
    if (!read.found.failed) {
        Image image;
        image.row = device.Descriptor().row;
        const DWORD count = std::min<DWORD>(read.found.readLen, static_cast<DWORD>(IMAGE_BUFFER_SIZE));
        image.bytes = ImageBytes::Adopt(std::move(read.block), count);
        image.length = count;
        image.codeLen = read.found.codeLen.value_or(0);
        image.checksum = read.found.checksum.value_or(0);
        result.image = std::move(image);
    }
    Conclude(result, std::move(recorder.statuses), !read.found.failed, device);
    return result;
}

JobResult Verify(CVQPatch& device, std::span<const BYTE> image, BYTE memoryType, HiddenBytes hidden) {
    JobResult result;
    StatusRecorder recorder;
    device.ClearHidError();
    SetStatusText("Verifying......", STATUS_GREEN);
    const DWORD length = static_cast<DWORD>(std::min(image.size(), IMAGE_BUFFER_SIZE));
    Read read;
    {
        const VerifyHost quiet;
        read = ReadInto(device, memoryType, length, true);
    }
    bool same = false;
    if (!read.found.failed) {
        // A chip whose memory ends before the image (an EEPROM's address
        // space) differs in every byte it can't hold.
        const DWORD held = std::min(read.found.readLen, length);
        const BYTE* chip = read.block.Data();
        Difference d;
        for (DWORD i = 0; i < length; ++i) {
            const bool differs = i >= held || chip[i] != image[i];
            if (!differs) continue;
            if (d.count++ == 0) {
                d.address = i;
                d.chip = i < held ? chip[i] : 0xFF;
                d.image = image[i];
            }
        }
        same = d.count == 0;
        if (same) {
            EndSuccessful();
        } else {
            result.difference = d;
            EndVerifyError();
        }
    }
    Conclude(result, std::move(recorder.statuses), same, device);
    if (const auto& d = result.difference) {
        char text[128];
        std::snprintf(text, sizeof text, "Verify error! %u byte%s differ%s, the first at 0x%X",
                      static_cast<unsigned>(d->count), d->count == 1 ? "" : "s", d->count == 1 ? "s" : "",
                      static_cast<unsigned>(d->address));
        result.reason = text;
        if (hidden.Holds(d->address)) {
            result.reason += " (HDCP key: values hidden)";
        } else {
            std::snprintf(text, sizeof text, ": chip %02X, image %02X", d->chip, d->image);
            result.reason += text;
        }
    }
    return result;
}

JobResult RunImageJob(ImageJob job, CVQPatch& device, std::span<const BYTE> image, BYTE memoryType,
                      HiddenBytes hidden) {
    if (job == ImageJob::Verify) return Verify(device, image, memoryType, hidden);
    return Download(device, image, memoryType);
}

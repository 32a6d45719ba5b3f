#include "Hid.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>

namespace hid {
namespace {

struct Layer {
    std::mutex mutex;
    std::shared_ptr<Backend> backend;
    // Slot i holds handle i + 1; a closed slot stays empty for good.
    std::vector<std::shared_ptr<Device>> slots;
    // The reason of the last failed call, per slot.
    std::vector<std::string> errors;
};

thread_local std::string t_lastOpenError;

std::string ErrnoText(int err, const char* fallback) { return err != 0 ? std::strerror(err) : fallback; }

Layer& TheLayer() {
    // Never destroyed: the global chip programmers close their handles when
    // the process exits, after the statics made on first use are gone.
    static Layer* const layer = new Layer;
    return *layer;
}

std::shared_ptr<Backend> BackendLocked(Layer& layer) {
    if (!layer.backend) layer.backend = MakeLinuxBackend();
    return layer.backend;
}

std::shared_ptr<Device> Lookup(HANDLE h) {
    Layer& layer = TheLayer();
    std::lock_guard lock(layer.mutex);
    if (h <= 0 || static_cast<std::size_t>(h) > layer.slots.size()) return nullptr;
    return layer.slots[static_cast<std::size_t>(h) - 1];
}

}  // namespace

std::vector<DeviceEntry> EnumeratePresent() {
    std::shared_ptr<Backend> backend;
    {
        Layer& layer = TheLayer();
        std::lock_guard lock(layer.mutex);
        backend = BackendLocked(layer);
    }
    return backend->Enumerate();
}

HANDLE Open(const std::string& path, Access access) {
    Layer& layer = TheLayer();
    std::shared_ptr<Backend> backend;
    {
        std::lock_guard lock(layer.mutex);
        backend = BackendLocked(layer);
    }
    errno = 0;
    std::unique_ptr<Device> device = backend->Open(path, access);
    if (!device) {
        t_lastOpenError = ErrnoText(errno, "cannot be opened");
        return INVALID_HANDLE_VALUE;
    }
    std::lock_guard lock(layer.mutex);
    if (layer.backend != backend) {
        t_lastOpenError = "device list changed";
        return INVALID_HANDLE_VALUE;  // swapped meanwhile
    }
    t_lastOpenError.clear();
    // Numbers are never reused, so a stale handle can't reach another device.
    layer.slots.push_back(std::move(device));
    layer.errors.resize(layer.slots.size());
    return static_cast<HANDLE>(layer.slots.size());
}

bool Close(HANDLE h) {
    std::shared_ptr<Device> device;
    {
        Layer& layer = TheLayer();
        std::lock_guard lock(layer.mutex);
        if (h <= 0 || static_cast<std::size_t>(h) > layer.slots.size()) return false;
        device = std::move(layer.slots[static_cast<std::size_t>(h) - 1]);
    }
    return device != nullptr;  // the device closes when the last user lets go
}

namespace {
// Keeps the reason of a failed call on h.
bool Failed(HANDLE h, std::string reason) {
    Layer& layer = TheLayer();
    std::lock_guard lock(layer.mutex);
    if (h > 0 && static_cast<std::size_t>(h) <= layer.errors.size())
        layer.errors[static_cast<std::size_t>(h) - 1] = std::move(reason);
    return false;
}

std::string ShortText(const char* what, long got, std::size_t wanted) {
    return std::string(what) + ": " + std::to_string(got) + " of " + std::to_string(wanted) + " bytes";
}
}  // namespace

bool SetFeature(HANDLE h, const BYTE* report, std::size_t len) {
    std::shared_ptr<Device> device = Lookup(h);
    if (!device) return Failed(h, "invalid handle");
    errno = 0;
    const long sent = device->SendFeature(report, len);
    const int err = errno;  // before anything else can touch it
    if (sent < 0) return Failed(h, ErrnoText(err, "transfer failed"));
    if (static_cast<std::size_t>(sent) < len) return Failed(h, ShortText("short send", sent, len));
    return true;
}

bool GetFeature(HANDLE h, BYTE* report, std::size_t len) { return GetFeature(h, report, len, len); }

bool GetFeature(HANDLE h, BYTE* report, std::size_t len, std::size_t need) {
    std::shared_ptr<Device> device = Lookup(h);
    if (!device) return Failed(h, "invalid handle");
    errno = 0;
    const long got = device->FetchFeature(report, len);
    const int err = errno;
    if (got < 0) return Failed(h, ErrnoText(err, "transfer failed"));
    // A reply of no bytes carries nothing, whatever the caller reads.
    const std::size_t wanted = need == 0 ? 1 : std::min(need, len);
    if (static_cast<std::size_t>(got) < wanted) return Failed(h, ShortText("short reply", got, wanted));
    return true;
}

std::string LastError(HANDLE h) {
    Layer& layer = TheLayer();
    std::lock_guard lock(layer.mutex);
    if (h <= 0 || static_cast<std::size_t>(h) > layer.errors.size()) return "invalid handle";
    return layer.errors[static_cast<std::size_t>(h) - 1];
}

std::string LastOpenError() { return t_lastOpenError; }

bool GetAttributes(HANDLE h, Attributes* out) {
    std::shared_ptr<Device> device = Lookup(h);
    return device && out && device->GetAttributes(out);
}

int ChangeFd() {
    Layer& layer = TheLayer();
    std::shared_ptr<Backend> backend;
    {
        std::lock_guard lock(layer.mutex);
        backend = BackendLocked(layer);
    }
    return backend->ChangeFd();
}

std::vector<Change> TakeChanges() {
    Layer& layer = TheLayer();
    std::shared_ptr<Backend> backend;
    {
        std::lock_guard lock(layer.mutex);
        backend = BackendLocked(layer);
    }
    return backend->TakeChanges();
}

std::size_t OpenHandleCount() {
    Layer& layer = TheLayer();
    std::lock_guard lock(layer.mutex);
    std::size_t n = 0;
    for (const auto& slot : layer.slots) n += slot != nullptr;
    return n;
}

void SetBackend(std::shared_ptr<Backend> backend) {
    Layer& layer = TheLayer();
    std::vector<std::shared_ptr<Device>> old;
    {
        std::lock_guard lock(layer.mutex);
        layer.backend = std::move(backend);
        old.swap(layer.slots);
        layer.slots.resize(old.size());
        layer.errors.assign(old.size(), std::string());  // keep numbering: stale handles stay invalid
    }
}

std::shared_ptr<Backend> CurrentBackend() {
    Layer& layer = TheLayer();
    std::lock_guard lock(layer.mutex);
    return BackendLocked(layer);
}

}  // namespace hid

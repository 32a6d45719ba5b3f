#include "Hid.h"

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
bool Noted(HANDLE h, bool ok, int err) {
    if (ok) return true;
    Layer& layer = TheLayer();
    std::lock_guard lock(layer.mutex);
    if (h > 0 && static_cast<std::size_t>(h) <= layer.errors.size())
        layer.errors[static_cast<std::size_t>(h) - 1] = ErrnoText(err, "transfer failed");
    return false;
}
}  // namespace

bool SetFeature(HANDLE h, const BYTE* report, std::size_t len) {
    std::shared_ptr<Device> device = Lookup(h);
    errno = 0;
    const bool ok = device && device->SetFeature(report, len);
    return Noted(h, ok, errno);
}

bool GetFeature(HANDLE h, BYTE* report, std::size_t len) {
    std::shared_ptr<Device> device = Lookup(h);
    errno = 0;
    const bool ok = device && device->GetFeature(report, len);
    return Noted(h, ok, errno);
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

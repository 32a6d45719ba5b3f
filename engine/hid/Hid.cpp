#include "Hid.h"

#include <mutex>

namespace hid {
namespace {

struct Layer {
    std::mutex mutex;
    std::shared_ptr<Backend> backend;
    // Slot i holds handle i + 1; a closed slot stays empty for good.
    std::vector<std::shared_ptr<Device>> slots;
};

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
    std::unique_ptr<Device> device = backend->Open(path, access);
    if (!device) return INVALID_HANDLE_VALUE;
    std::lock_guard lock(layer.mutex);
    if (layer.backend != backend) return INVALID_HANDLE_VALUE;  // swapped meanwhile
    // Numbers are never reused, so a stale handle can't reach another device.
    layer.slots.push_back(std::move(device));
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

bool SetFeature(HANDLE h, const BYTE* report, std::size_t len) {
    std::shared_ptr<Device> device = Lookup(h);
    return device && device->SetFeature(report, len);
}

bool GetFeature(HANDLE h, BYTE* report, std::size_t len) {
    std::shared_ptr<Device> device = Lookup(h);
    return device && device->GetFeature(report, len);
}

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
        layer.slots.resize(old.size());  // keep numbering: stale handles stay invalid
    }
}

std::shared_ptr<Backend> CurrentBackend() {
    Layer& layer = TheLayer();
    std::lock_guard lock(layer.mutex);
    return BackendLocked(layer);
}

}  // namespace hid

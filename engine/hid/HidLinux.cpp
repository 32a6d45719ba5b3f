// Linux hidraw + libudev backend (placeholder until the backend lands).
#include "Hid.h"

namespace hid {
namespace {
class EmptyBackend final : public Backend {
public:
    std::vector<DeviceEntry> Enumerate() override { return {}; }
    std::unique_ptr<Device> Open(const std::string&, Access) override { return nullptr; }
    int ChangeFd() override { return -1; }
    std::vector<Change> TakeChanges() override { return {}; }
};
}  // namespace

std::shared_ptr<Backend> MakeLinuxBackend() { return std::make_shared<EmptyBackend>(); }
}  // namespace hid

// The Linux backend of the HID layer: hidraw nodes found through libudev,
// feature reports through the hidraw ioctls, device changes from a udev
// monitor.
//
// libudev objects are not thread-safe, so every enumeration and open uses a
// udev context of its own; only the monitor lives on, behind a mutex. An
// open device holds nothing but its descriptor and what was read at opening,
// so a worker and the UI thread may use it at once.
#include "HidLinux.h"

#include "RetryInterrupted.h"

#include "Hid.h"

#include <libudev.h>
#include <linux/hidraw.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <ctime>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace hid {
namespace {

// A number of digits only, in the given base.
std::optional<unsigned> Number(std::string_view text, int base) {
    unsigned value = 0;
    if (text.empty()) return std::nullopt;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace

// --- pure pieces ------------------------------------------------------------

namespace hidraw {
namespace {

constexpr unsigned kMaxField = 0xFFF;  // three hex digits
constexpr int kFields = 9;
constexpr std::string_view kLocationPrefix = "0000.0000.0000";

void AppendField(std::string* out, unsigned value) {
    static constexpr char kHex[] = "0123456789abcdef";
    out->push_back('.');
    out->push_back(kHex[(value >> 8) & 0xF]);
    out->push_back(kHex[(value >> 4) & 0xF]);
    out->push_back(kHex[value & 0xF]);
}

}  // namespace

std::string LocationText(std::string_view busnum, std::string_view devpath) {
    std::string text(kLocationPrefix);
    const std::optional<unsigned> bus = Number(busnum, 10);
    if (!bus || *bus > kMaxField) return {};
    AppendField(&text, *bus);
    int fields = 4;
    for (std::size_t start = 0;;) {
        const std::size_t dot = devpath.find('.', start);
        const std::optional<unsigned> port = Number(devpath.substr(start, dot - start), 10);
        if (!port || *port > kMaxField) return {};
        AppendField(&text, *port);
        ++fields;
        if (dot == std::string_view::npos) break;
        start = dot + 1;
    }
    for (; fields < kFields; ++fields) AppendField(&text, 0);
    return text;
}

bool IsFreshNode(std::time_t changed, std::time_t now) { return now - changed <= kFreshNode.count(); }

const NodeOps& SystemNodeOps() {
    static const NodeOps ops{
        [](const char* path, int flags) { return ::open(path, flags); },
        [](std::chrono::milliseconds pause) { std::this_thread::sleep_for(pause); },
        [](const char* path) {
            struct stat st {};
            timespec now {};
            if (::stat(path, &st) != 0 || clock_gettime(CLOCK_REALTIME, &now) != 0) return false;
            return IsFreshNode(st.st_ctim.tv_sec, now.tv_sec);
        },
    };
    return ops;
}

int OpenNode(const std::string& path, int flags, const NodeOps& ops) {
    int fd = -1;
    for (int attempt = 1;; ++attempt) {
        fd = RetryInterrupted([&] { return ops.open(path.c_str(), flags); });
        if (fd >= 0 || errno != EACCES || attempt >= kOpenTries) return fd;
        // Only the first refusal asks whether waiting may help.
        if (attempt == 1 && !ops.fresh(path.c_str())) {
            errno = EACCES;
            return -1;
        }
        ops.pause(kOpenPause);
    }
}

}  // namespace hidraw

// --- libudev ------------------------------------------------------------------

namespace {

struct UdevFree {
    void operator()(udev* u) const { udev_unref(u); }
    void operator()(udev_device* d) const { udev_device_unref(d); }
    void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
    void operator()(udev_monitor* m) const { udev_monitor_unref(m); }
};
template <typename T>
using UdevPtr = std::unique_ptr<T, UdevFree>;

std::string_view Text(const char* s) { return s ? std::string_view(s) : std::string_view(); }

std::optional<WORD> Hex16(std::string_view text) {
    const std::optional<unsigned> value = Number(text, 16);
    if (!value || *value > 0xFFFF) return std::nullopt;
    return static_cast<WORD>(*value);
}

// The USB device a hidraw node sits on; owned by the node's object.
udev_device* UsbDeviceOf(udev_device* node) {
    return udev_device_get_parent_with_subsystem_devtype(node, "usb", "usb_device");
}

// The hidraw device whose node is path ("/dev/hidraw3").
UdevPtr<udev_device> FindNode(udev* u, const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
    UdevPtr<udev_device> node(udev_device_new_from_subsystem_sysname(u, "hidraw", name.c_str()));
    if (node && Text(udev_device_get_devnode(node.get())) != path) node.reset();
    return node;
}

// What sysfs tells about a node without opening it.
struct SysfsIdentity {
    std::optional<WORD> vendor, product;
    WORD version = 0;
};

SysfsIdentity IdentityOf(udev_device* node) {
    SysfsIdentity id;
    udev_device* usb = UsbDeviceOf(node);
    if (usb) {
        id.version = Hex16(Text(udev_device_get_sysattr_value(usb, "bcdDevice"))).value_or(0);
        id.vendor = Hex16(Text(udev_device_get_sysattr_value(usb, "idVendor")));
        id.product = Hex16(Text(udev_device_get_sysattr_value(usb, "idProduct")));
    }
    // The HID device's own ids come first: HID_ID is "bus:vendor:product"
    // in hex ("0003:00005156:00007170").
    if (udev_device* hid = udev_device_get_parent_with_subsystem_devtype(node, "hid", nullptr)) {
        const std::string_view hidId = Text(udev_device_get_property_value(hid, "HID_ID"));
        const std::size_t first = hidId.find(':');
        const std::size_t second = first == std::string_view::npos ? first : hidId.find(':', first + 1);
        if (second != std::string_view::npos) {
            const auto vendor = Hex16(hidId.substr(first + 1, second - first - 1));
            const auto product = Hex16(hidId.substr(second + 1));
            if (vendor && product) {
                id.vendor = vendor;
                id.product = product;
            }
        }
    }
    return id;
}

// The number of a node name ("hidraw12" -> 12) for a stable order.
long NodeNumber(std::string_view path) {
    std::size_t digits = path.size();
    while (digits > 0 && path[digits - 1] >= '0' && path[digits - 1] <= '9') --digits;
    long number = LONG_MAX;
    std::from_chars(path.data() + digits, path.data() + path.size(), number);
    return number;
}

// --- devices --------------------------------------------------------------------

constexpr std::size_t kMaxReport = _IOC_SIZEMASK;

// Opened for feature reports.
class NodeDevice final : public Device {
public:
    NodeDevice(int fd, WORD version) : fd_(fd), version_(version) {}
    ~NodeDevice() override { ::close(fd_); }
    NodeDevice(const NodeDevice&) = delete;
    NodeDevice& operator=(const NodeDevice&) = delete;

    // The report goes out with byte 0 as the caller gives it, the report id
    // (0 for a device without numbered reports). The kernel only reads it.
    bool SetFeature(const BYTE* report, std::size_t len) override {
        return SendFeature(report, len) == static_cast<long>(len);
    }

    // Byte 0 carries the report id in; the reply overwrites the buffer from
    // byte 0. A chip may answer with fewer bytes than asked for (a numbered
    // report shorter than the buffer): only the whole report counts here,
    // and FetchFeature tells how many bytes came.
    bool GetFeature(BYTE* report, std::size_t len) override {
        return FetchFeature(report, len) == static_cast<long>(len);
    }

    long SendFeature(const BYTE* report, std::size_t len) override {
        if (!Carried(report, len)) return -1;
        BYTE* bytes = const_cast<BYTE*>(report);
        return RetryInterrupted([&] { return ::ioctl(fd_, HIDIOCSFEATURE(len), bytes); });
    }

    long FetchFeature(BYTE* report, std::size_t len) override {
        if (!Carried(report, len)) return -1;
        return RetryInterrupted([&] { return ::ioctl(fd_, HIDIOCGFEATURE(len), report); });
    }

    bool GetAttributes(Attributes* out) override {
        hidraw_devinfo info {};
        if (!out || RetryInterrupted([&] { return ::ioctl(fd_, HIDIOCGRAWINFO, &info); }) < 0) return false;
        out->vendorId = static_cast<WORD>(info.vendor);
        out->productId = static_cast<WORD>(info.product);
        out->versionNumber = version_;
        return true;
    }

private:
    // Whether the hidraw ioctls can carry such a report at all.
    static bool Carried(const BYTE* report, std::size_t len) {
        if (report && len != 0 && len <= kMaxReport) return true;
        errno = EINVAL;
        return false;
    }

    const int fd_;
    const WORD version_;
};

// Opened with no access: answers from sysfs, sends nothing.
class SysfsDevice final : public Device {
public:
    explicit SysfsDevice(const SysfsIdentity& id) : id_(id) {}
    // Not opened for reports: nothing goes out.
    bool SetFeature(const BYTE*, std::size_t) override { return Refused(); }
    bool GetFeature(BYTE*, std::size_t) override { return Refused(); }
    bool GetAttributes(Attributes* out) override {
        if (!out || !id_.vendor || !id_.product) return false;
        out->vendorId = *id_.vendor;
        out->productId = *id_.product;
        out->versionNumber = id_.version;
        return true;
    }

private:
    static bool Refused() {
        errno = EBADF;
        return false;
    }
    const SysfsIdentity id_;
};

// --- the backend ----------------------------------------------------------------

class LinuxBackend final : public Backend {
public:
    LinuxBackend() {
        monitorUdev_.reset(udev_new());
        if (!monitorUdev_) return;
        monitor_.reset(udev_monitor_new_from_netlink(monitorUdev_.get(), "udev"));
        if (!monitor_ || udev_monitor_filter_add_match_subsystem_devtype(monitor_.get(), "hidraw", nullptr) < 0 ||
            udev_monitor_enable_receiving(monitor_.get()) < 0) {
            monitor_.reset();
            return;
        }
        const int fd = udev_monitor_get_fd(monitor_.get());
        const int flags = fd >= 0 ? fcntl(fd, F_GETFL) : -1;
        if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0) {
            monitor_.reset();
            return;
        }
        monitorFd_ = fd;
    }

    std::vector<DeviceEntry> Enumerate() override {
        struct Found {
            long number;
            DeviceEntry entry;
        };
        std::vector<Found> found;
        UdevPtr<udev> u(udev_new());
        if (!u) return {};
        UdevPtr<udev_enumerate> e(udev_enumerate_new(u.get()));
        if (!e || udev_enumerate_add_match_subsystem(e.get(), "hidraw") < 0 || udev_enumerate_scan_devices(e.get()) < 0)
            return {};
        udev_list_entry* item = nullptr;
        udev_list_entry_foreach(item, udev_enumerate_get_list_entry(e.get())) {
            UdevPtr<udev_device> node(udev_device_new_from_syspath(u.get(), udev_list_entry_get_name(item)));
            if (!node) continue;
            const char* devnode = udev_device_get_devnode(node.get());
            udev_device* usb = UsbDeviceOf(node.get());
            if (!devnode || !usb) continue;  // not on a USB device: not listed
            std::string location = hidraw::LocationText(Text(udev_device_get_sysattr_value(usb, "busnum")),
                                                        Text(udev_device_get_sysattr_value(usb, "devpath")));
            if (location.empty()) continue;
            found.push_back({NodeNumber(devnode), {devnode, std::move(location)}});
        }
        std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
            return a.number != b.number ? a.number < b.number : a.entry.path < b.entry.path;
        });
        std::vector<DeviceEntry> entries;
        entries.reserve(found.size());
        for (Found& f : found) entries.push_back(std::move(f.entry));
        return entries;
    }

    std::unique_ptr<Device> Open(const std::string& path, Access access) override {
        SysfsIdentity id;
        bool listed = false;
        {
            UdevPtr<udev> u(udev_new());
            UdevPtr<udev_device> node;
            if (u) node = FindNode(u.get(), path);
            listed = node != nullptr;
            if (node) id = IdentityOf(node.get());
        }  // libudev let go of here, so that nothing disturbs errno below
        if (access == Access::None) {
            // Like an open without access rights: the device must be there,
            // nothing more.
            if (!listed) {
                errno = ENODEV;
                return nullptr;
            }
            return std::make_unique<SysfsDevice>(id);
        }
        const int fd = hidraw::OpenNode(path, O_RDWR | O_CLOEXEC);
        if (fd < 0) return nullptr;  // errno of the open
        return std::make_unique<NodeDevice>(fd, id.version);
    }

    int ChangeFd() override { return monitorFd_; }

    std::vector<Change> TakeChanges() override {
        std::vector<Change> changes;
        std::lock_guard lock(monitorMutex_);
        if (!monitor_) return changes;
        while (UdevPtr<udev_device> dev{udev_monitor_receive_device(monitor_.get())}) {
            const std::string_view action = Text(udev_device_get_action(dev.get()));
            if (action == "add") changes.push_back(Change::Arrival);
            else if (action == "remove") changes.push_back(Change::Removal);
        }
        return changes;
    }

private:
    std::mutex monitorMutex_;
    UdevPtr<udev> monitorUdev_;
    UdevPtr<udev_monitor> monitor_;
    int monitorFd_ = -1;
};

}  // namespace

std::shared_ptr<Backend> MakeLinuxBackend() { return std::make_shared<LinuxBackend>(); }

}  // namespace hid

#include "MockBed.h"

#include <linux/hidraw.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <utility>

namespace mockbed {

// --- FakeChip -------------------------------------------------------------------

void FakeChip::SetXdata(WORD addr, BYTE value) {
    std::lock_guard lock(mutex_);
    xdata_[addr] = value;
}

BYTE FakeChip::Xdata(WORD addr) {
    std::lock_guard lock(mutex_);
    return xdata_[addr];
}

void FakeChip::FailNextSet(int err) {
    std::lock_guard lock(mutex_);
    failSet_ = err;
}

void FakeChip::FailNextGet(int err) {
    std::lock_guard lock(mutex_);
    failGet_ = err;
}

void FakeChip::ShortNextGet(int count) {
    std::lock_guard lock(mutex_);
    shortGet_ = count;
}

void FakeChip::ShortNextSet(int count) {
    std::lock_guard lock(mutex_);
    shortSet_ = count;
}

std::vector<FakeChip::Call> FakeChip::Calls() {
    std::lock_guard lock(mutex_);
    return calls_;
}

gboolean FakeChip::Handle(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer selfPtr) {
    auto* self = static_cast<FakeChip*>(selfPtr);
    const gulong request = umockdev_ioctl_client_get_request(client);
    const unsigned nr = _IOC_NR(request);
    const std::size_t size = _IOC_SIZE(request);
    if (_IOC_TYPE(request) != 'H' || size == 0) {
        umockdev_ioctl_client_complete(client, -1, ENOTTY);
        return TRUE;
    }
    GError* error = nullptr;
    UMockdevIoctlData* data =
        umockdev_ioctl_data_resolve(umockdev_ioctl_client_get_arg(client), 0, size, &error);
    if (!data) {
        g_clear_error(&error);
        umockdev_ioctl_client_complete(client, -1, EFAULT);
        return TRUE;
    }
    BYTE* bytes = data->data;
    long result = -1;
    int err = 0;
    {
        std::lock_guard lock(self->mutex_);
        self->calls_.push_back({nr, std::vector<BYTE>(bytes, bytes + size)});
        if (request == HIDIOCGRAWINFO) {
            hidraw_devinfo info{};
            info.bustype = 3;
            info.vendor = static_cast<__s16>(self->rawVendor);
            info.product = static_cast<__s16>(self->rawProduct);
            std::memcpy(bytes, &info, sizeof info);
            result = 0;
        } else if (request == HIDIOCSFEATURE(size)) {
            if (self->failSet_) {
                err = std::exchange(self->failSet_, 0);
            } else {
                const bool id1 = bytes[0] == 1;
                const WORD addr = size >= 4 ? static_cast<WORD>(bytes[2] << 8 | bytes[3]) : 0;
                if (size == 9 && bytes[1] == 0xB5) {
                    self->reply_.assign(9, 0);
                    self->reply_[0] = bytes[0];
                    self->reply_[id1 ? 3 : 4] = self->xdata_[addr];
                } else if (size == 9 && bytes[1] == 0xB6) {
                    self->xdata_[addr] = bytes[4];
                }
                result = static_cast<long>(size);
                if (self->shortSet_ >= 0) result = std::exchange(self->shortSet_, -1);
            }
        } else if (request == HIDIOCGFEATURE(size)) {
            if (self->failGet_) {
                err = std::exchange(self->failGet_, 0);
            } else {
                std::vector<BYTE> reply = self->reply_;
                if (size == 4096 && bytes[0] == 3) {
                    reply.resize(4096);
                    reply[0] = 3;
                    for (std::size_t i = 1; i < reply.size(); ++i) reply[i] = static_cast<BYTE>(i * 7);
                }
                const std::size_t n = std::min(reply.size(), size);
                std::copy_n(reply.begin(), n, bytes);
                result = static_cast<long>(n);
                if (self->shortGet_ >= 0) result = std::exchange(self->shortGet_, -1);
            }
        } else {
            err = ENOTTY;
        }
    }
    g_object_unref(data);
    umockdev_ioctl_client_complete(client, err ? -1 : result, err);
    return TRUE;
}

// --- Bed --------------------------------------------------------------------------

namespace {

std::string Hex4(WORD v) {
    char text[8];
    std::snprintf(text, sizeof text, "%04x", v);
    return text;
}

}  // namespace

Bed::Bed() : bed_(umockdev_testbed_new()) {}

Bed::~Bed() {
    // The test bed lets go of the handlers' sockets itself.
    g_object_unref(bed_);
    for (auto& [hidraw, handler] : handlers_) g_object_unref(handler);
}

void Bed::AddRecord(const std::string& record) {
    GError* error = nullptr;
    if (!umockdev_testbed_add_from_string(bed_, record.c_str(), &error)) {
        const std::string message = error ? error->message : "?";
        g_clear_error(&error);
        throw std::runtime_error("test bed: " + message);
    }
}

std::string Bed::AddUsbHid(const UsbHid& d) {
    const std::string bus = std::to_string(d.bus);
    // Root hub, then one USB device per step of the port chain (hubs, then
    // the chip itself), as the kernel lays them out.
    std::string path = "/devices/pci0000:00/0000:00:14.0/usb" + bus;
    auto usbDevice = [&](const std::string& p, const std::string& devpath, WORD vendor, WORD product, WORD bcd) {
        if (!present_.insert(p).second) return;
        AddRecord("P: " + p + "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\nA: busnum=" + bus + "\nA: devpath=" +
                  devpath + "\nA: idVendor=" + Hex4(vendor) + "\nA: idProduct=" + Hex4(product) +
                  "\nA: bcdDevice=" + Hex4(bcd) + "\n");
    };
    usbDevice(path, "0", 0x1d6b, 0x0002, 0x0601);
    std::string chain;
    for (std::size_t start = 0;;) {
        const std::size_t dot = d.devpath.find('.', start);
        chain = d.devpath.substr(0, dot);
        path += "/" + bus + "-" + chain;
        const bool last = dot == std::string::npos;
        if (last) usbDevice(path, chain, d.vendor, d.product, d.bcdDevice);
        else usbDevice(path, chain, 0x05e3, 0x0608, 0x6060);
        if (last) break;
        start = dot + 1;
    }
    const std::string n = std::to_string(d.hidraw);
    const std::string iface = path + "/" + bus + "-" + chain + ":1.0";
    AddRecord("P: " + iface + "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_interface\n");
    const std::string hid = iface + "/0003:" + Hex4(d.vendor) + ":" + Hex4(d.product) + "." + n;
    AddRecord("P: " + hid + "\nE: SUBSYSTEM=hid\nE: HID_ID=0003:0000" + Hex4(d.vendor) + ":0000" +
              Hex4(d.product) + "\n");
    const std::string node = hid + "/hidraw/hidraw" + n;
    AddRecord("P: " + node + "\nE: SUBSYSTEM=hidraw\nE: DEVNAME=/dev/hidraw" + n + "\nA: dev=241:" + n +
              "\nN: hidraw" + n + "\n");
    return "/sys" + node;
}

std::string Bed::AddVirtualHid(int hidraw) {
    const std::string n = std::to_string(hidraw);
    const std::string hid = "/devices/virtual/misc/uhid/0003:5156:7170." + n;
    AddRecord("P: " + hid + "\nE: SUBSYSTEM=hid\nE: HID_ID=0003:00005156:00007170\n");
    const std::string node = hid + "/hidraw/hidraw" + n;
    AddRecord("P: " + node + "\nE: SUBSYSTEM=hidraw\nE: DEVNAME=/dev/hidraw" + n + "\nA: dev=241:" + n +
              "\nN: hidraw" + n + "\n");
    return "/sys" + node;
}

void Bed::Attach(int hidraw, FakeChip* chip) {
    UMockdevIoctlBase* handler = umockdev_ioctl_base_new();
    g_signal_connect(handler, "handle-ioctl", G_CALLBACK(&FakeChip::Handle), chip);
    GError* error = nullptr;
    if (!umockdev_testbed_attach_ioctl(bed_, Node(hidraw).c_str(), handler, &error)) {
        const std::string message = error ? error->message : "?";
        g_clear_error(&error);
        g_object_unref(handler);
        throw std::runtime_error("attach ioctl: " + message);
    }
    handlers_[hidraw] = handler;
}

void Bed::Uevent(const std::string& syspath, const char* action) {
    umockdev_testbed_uevent(bed_, syspath.c_str(), action);
}

void Bed::Remove(const std::string& syspath) { umockdev_testbed_remove_device(bed_, syspath.c_str()); }

bool Preloaded() {
    const char* preload = std::getenv("LD_PRELOAD");
    return preload && std::strstr(preload, "libumockdev-preload");
}

}  // namespace mockbed

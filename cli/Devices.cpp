#include "Devices.h"

#include "ChipTypes.h"
#include "Hid.h"
#include "Interrupt.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace cli {

Outcome InterruptedOutcome() { return {InterruptStatus(), "interrupted"}; }

void CloseDevice(CVQPatch& patch) {
    if (patch.m_hDevice != INVALID_HANDLE_VALUE && patch.m_hDevice != HANDLE_NONE) hid::Close(patch.m_hDevice);
    patch.m_hDevice = INVALID_HANDLE_VALUE;
    patch.m_bConnected = 0;
}

std::optional<hid::Attributes> UsbIdsOf(const std::string& path) {
    const HANDLE probe = hid::Open(path, hid::Access::None);
    if (probe == INVALID_HANDLE_VALUE) return std::nullopt;
    hid::Attributes attributes;
    const bool known = hid::GetAttributes(probe, &attributes);
    hid::Close(probe);
    if (!known) return std::nullopt;
    return attributes;
}

std::string OpenProblem(const std::string& path) {
    const HANDLE h = hid::Open(path, hid::Access::ReadWrite);
    if (h != INVALID_HANDLE_VALUE) {
        hid::Close(h);
        return {};
    }
    const std::string reason = hid::LastOpenError();
    return reason.empty() ? "cannot be opened" : reason;
}

std::string AccessProblem(const std::vector<DWORD>& vendorIds, const std::string& onlyPath) {
    for (const hid::DeviceEntry& entry : hid::EnumeratePresent()) {
        if (!onlyPath.empty() && entry.path != onlyPath) continue;
        const std::optional<hid::Attributes> ids = UsbIdsOf(entry.path);
        if (!ids || std::find(vendorIds.begin(), vendorIds.end(), ids->vendorId) == vendorIds.end()) continue;
        std::string reason = OpenProblem(entry.path);
        if (reason.empty()) continue;
        const bool denied = reason == std::strerror(EACCES) || reason == std::strerror(EPERM);
        reason[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(reason[0])));
        return reason + " on " + entry.path + (denied ? ": see the udev rule in README" : "");
    }
    return {};
}

Outcome Connect(CVQPatch& patch, int row, const std::string& devicePath) {
    const BYTE count = patch.ScanDevices();
    if (Interrupted()) return InterruptedOutcome();
    const std::string label = DescriptorOf(row).label;
    if (count == 0) {
        const std::string problem = AccessProblem({patch.GetVendorId()}, devicePath);
        if (!problem.empty()) return {EXIT_NO_DEVICE, problem};
        return {EXIT_NO_DEVICE, "no device: no " + label + " chip found" + (devicePath.empty() ? "" : " at " + devicePath)};
    }
    if (devicePath.empty()) return {};  // the scan left the last one open
    for (int i = 0; i < count; ++i) {
        if (patch.m_strDevicePath[static_cast<std::size_t>(i)] != devicePath) continue;
        if (i != count - 1) patch.OpenDevice(static_cast<BYTE>(i));
        if (patch.m_hDevice == INVALID_HANDLE_VALUE) {
            return {EXIT_NO_DEVICE, hid::LastOpenError() + " on " + devicePath};
        }
        return {};
    }
    const std::string problem = AccessProblem({patch.GetVendorId()}, devicePath);
    if (!problem.empty()) return {EXIT_NO_DEVICE, problem};
    return {EXIT_NO_DEVICE, "no device: no " + label + " chip at " + devicePath};
}

std::string VersionText(const BYTE version[4]) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d%02d%02d%02d", version[0], version[1], version[2], version[3]);
    return text;
}

}  // namespace cli

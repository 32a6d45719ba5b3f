// The device walk of ScanDevices: every listed HID device is opened, its
// three identification bytes read and the rule's test applied; the accepted
// ones move to the front of the device list and the last one stays open.
#include "DeviceScan.h"

#include <vector>

BYTE CVQPatch::ScanWith(const IdentRule& rule) {
    m_bConnected = 0;
    EnumHidDevices();
    std::vector<std::string> paths, locations;
    for (int i = 0; i < MAX_DEVICE_LIST && !m_strDevicePath[i].empty(); ++i) {
        OpenPathIntoDevice(m_strDevicePath[i]);
        if (rule.beforeReads) rule.beforeReads();
        BYTE id[3];
        bool stop = false;
        for (int k = 0; k < 3; ++k) {
            bool fetchFailed = false;
            id[k] = rule.readByte(static_cast<WORD>(rule.baseAddr + k), &fetchFailed);
            if (fetchFailed && rule.stopOnFetchFailure) {
                stop = true;
                break;
            }
        }
        if (stop) break;
        if (!rule.matches(id[0], id[1], id[2])) continue;
        if (rule.extraTest && !rule.extraTest()) continue;
        paths.push_back(m_strDevicePath[i]);
        locations.push_back(m_strLocation[i]);
        m_bConnected = 1;
    }
    const std::size_t accepted = paths.size();
    for (std::size_t i = 0; i < accepted; ++i) {
        m_strDevicePath[i] = paths[i];
        m_strLocation[i] = locations[i];
    }
    if (accepted > 0) {
        OpenPathIntoDevice(m_strDevicePath[accepted - 1]);
        if (rule.afterOpen) rule.afterOpen();
    }
    return static_cast<BYTE>(accepted);
}

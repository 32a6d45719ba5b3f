// "VQ7160/70/70E" and "VQ7170S": EEPROM-only chips sharing their download
// and read-back.
#pragma once

#include "VQPatch.h"

class CVQ7170Patch : public CVQPatch {
public:
    void Download(BYTE memType, DWORD len, const BYTE* data) override;
    void ReadBack(BYTE memType, DWORD len, BYTE* buffer) override;
    void ReadDeviceVersion(BYTE memType, BYTE out[4]) override;
    DWORD GetVendorId() override { return 0x5156; }
    DWORD GetProductId() override { return 0x7170; }
    BYTE ScanDevices() override;
    bool LoadFile() override;
    BYTE GetImageMemoryType() override;
    BYTE GetSupportedMemoryTypes() override { return 3; }
    void SetImageMemoryType(BYTE memType) override;
};

class CVQ7170SPatch : public CVQ7170Patch {
public:
    DWORD GetVendorId() override { return 0x3B71; }
    DWORD GetProductId() override { return 0x7170; }
    BYTE ScanDevices() override;
    bool LoadFile() override;
    BYTE GetImageMemoryType() override;
    void SetImageMemoryType(BYTE memType) override;
};

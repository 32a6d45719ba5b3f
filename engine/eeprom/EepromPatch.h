// The EEPROM-only chips: "VQ7140S/40", "VQ7150/40E/40SE", and
// "VQ7160/70/70E" with "VQ7170S" (these two share their download and
// read-back). Their register access is the two-try XDATA access of CVQPatch.
#pragma once

#include "VQPatch.h"

class CVQ7140SPatch : public CVQPatch {
public:
    void Download(BYTE memType, DWORD len, const BYTE* data) override;
    void ReadBack(BYTE memType, DWORD len, BYTE* buffer) override;
    void ReadDeviceVersion(BYTE memType, BYTE out[4]) override;
    DWORD GetVendorId() override { return 0x5156; }
    DWORD GetProductId() override { return 0x0021; }
    BYTE ScanDevices() override;
    bool LoadFile() override;
    BYTE GetImageMemoryType() override { return MEMTYPE_24C01_16; }
    BYTE GetSupportedMemoryTypes() override { return 1; }
    void SetImageMemoryType(BYTE memType) override;
};

class CVQ7140XXPatch : public CVQPatch {
public:
    void Download(BYTE memType, DWORD len, const BYTE* data) override;
    void ReadBack(BYTE memType, DWORD len, BYTE* buffer) override;
    void ReadDeviceVersion(BYTE memType, BYTE out[4]) override;
    DWORD GetVendorId() override { return 0x5156; }
    DWORD GetProductId() override { return 0x0021; }
    BYTE ScanDevices() override;
    bool LoadFile() override;
    BYTE GetImageMemoryType() override;
    BYTE GetSupportedMemoryTypes() override { return 3; }
    void SetImageMemoryType(BYTE memType) override;
};

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

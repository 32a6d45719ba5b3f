// The EEPROM-only chips: "VQ7140S/40", "VQ7150/40E/40SE", and
// "VQ7160/70/70E" with "VQ7170S" (these two share their download and
// read-back). Their register access is the two-try XDATA access of CVQPatch.
#pragma once

#include "VQPatch.h"

class CVQ7140SPatch : public CVQPatch {
public:
    CVQ7140SPatch() : CVQPatch(CHIP_ROW_VQ7140S) {}
    void Download(BYTE memType, DWORD len, const BYTE* data) override;
    void ReadBack(BYTE memType, DWORD len, bool lengthGiven, BYTE* buffer, ReadFindings& found) override;
    void ReadDeviceVersion(BYTE memType, BYTE out[4]) override;
    BYTE ScanDevices() override;
};

class CVQ7140XXPatch : public CVQPatch {
public:
    CVQ7140XXPatch() : CVQPatch(CHIP_ROW_VQ7140XX) {}
    void Download(BYTE memType, DWORD len, const BYTE* data) override;
    void ReadBack(BYTE memType, DWORD len, bool lengthGiven, BYTE* buffer, ReadFindings& found) override;
    void ReadDeviceVersion(BYTE memType, BYTE out[4]) override;
    BYTE ScanDevices() override;
};

class CVQ7170Patch : public CVQPatch {
public:
    CVQ7170Patch() : CVQPatch(CHIP_ROW_VQ7170) {}
    void Download(BYTE memType, DWORD len, const BYTE* data) override;
    void ReadBack(BYTE memType, DWORD len, bool lengthGiven, BYTE* buffer, ReadFindings& found) override;
    void ReadDeviceVersion(BYTE memType, BYTE out[4]) override;
    BYTE ScanDevices() override;

protected:
    explicit CVQ7170Patch(int row) : CVQPatch(row) {}
};

class CVQ7170SPatch : public CVQ7170Patch {
public:
    CVQ7170SPatch() : CVQ7170Patch(CHIP_ROW_VQ7170S) {}
    BYTE ScanDevices() override;
};

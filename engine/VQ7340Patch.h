// "VQ7340/41" and "VQ5632": flash chips (with an EEPROM path) sharing one
// protocol. CVQ5632Patch reuses the VQ7340 operations.
#pragma once

#include "VQPatch.h"

inline constexpr int ACCESS_EEPROM_READ = 1;
inline constexpr int ACCESS_EEPROM_WRITE = 2;
inline constexpr int ACCESS_FLASH = 3;

class CVQ7340Patch : public CVQPatch {
public:
    CVQ7340Patch() { m_bUseReportId1 = 0; }

    void Download(BYTE memType, DWORD len, const BYTE* data) override;
    void ReadBack(BYTE memType, DWORD len, BYTE* buffer) override;
    void ReadDeviceVersion(BYTE memType, BYTE out[4]) override;
    DWORD GetVendorId() override { return 0x3B71; }
    DWORD GetProductId() override { return 0x7340; }
    BYTE ScanDevices() override;
    bool LoadFile() override;
    BYTE GetImageMemoryType() override;
    BYTE GetSupportedMemoryTypes() override { return 4; }
    void SetImageMemoryType(BYTE memType) override;

    // Register access with report id m_bUseReportId1.
    DWORD ReadSfr(BYTE sfr, BYTE* out);     // returns 0
    DWORD ReadXdata(WORD addr, BYTE* out);  // 0xFF when the send fails; 1 when the fetch failed
    bool WriteSfr(BYTE sfr, BYTE value);
    bool WriteXdata(WORD addr, BYTE value);

    void SetAccessMode(int mode);
    // Flash transfers of up to one step: bulk reports on report-id-1
    // devices, 8-byte read / 6-byte write steps on report-id-0 devices.
    // FALSE at the first request that fails.
    BOOL ReadFlash(DWORD addr, WORD len, BYTE* out);
    BOOL WriteFlash(DWORD addr, WORD len, const BYTE* data);

    int m_bUseReportId1 = 0;

private:
    friend class FlashJobMemory;

    BYTE ReportId() const { return m_bUseReportId1 ? 1 : 0; }
    // EEPROM byte access with the device's report id: a device that takes
    // report id 1 refuses the id-0 requests of ReadData and WriteByte.
    void ReadEeprom(BYTE memSel, WORD addr, BYTE count, BYTE* out) {
        ReadDataWithId(ReportId(), memSel, addr, count, out);
    }
    void WriteEeprom(BYTE memSel, WORD addr, BYTE value) { WriteByteWithId(ReportId(), memSel, addr, value); }
    // XDATA 0xF051: saved and cleared around every job.
    BYTE SaveGuard();
    void RestoreGuard(BYTE saved);
    // Start/set-up report of a flash transfer (idZeroCommand on id-0 devices).
    bool StartFlashTransfer(BYTE idZeroCommand, DWORD addr, WORD len);
    // Erase before a flash download of len bytes; false on any failure.
    bool EraseForDownload(DWORD len);
    bool ChipErase();
    bool EraseSectors(DWORD len);
    bool SendSectorErase(DWORD addr);
};

class CVQ5632Patch : public CVQ7340Patch {
public:
    DWORD GetProductId() override { return 0x5632; }
    bool LoadFile() override;
};

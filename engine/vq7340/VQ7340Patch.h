// "VQ7340/41" and "VQ5632": flash chips (with an EEPROM path) sharing one
// protocol. CVQ5632Patch reuses the VQ7340 operations.
#pragma once

#include "VQPatch.h"

inline constexpr int ACCESS_EEPROM_READ = 1;
inline constexpr int ACCESS_EEPROM_WRITE = 2;
inline constexpr int ACCESS_FLASH = 3;

class CVQ7340Patch : public CVQPatch {
public:
    CVQ7340Patch() : CVQPatch(CHIP_ROW_VQ7340) {}
    void Download(BYTE memType, DWORD len, const BYTE* data) override;
    void ReadBack(BYTE memType, DWORD len, bool lengthGiven, BYTE* buffer, ReadFindings& found) override;
    void ReadDeviceVersion(BYTE memType, BYTE out[4]) override;
    BYTE ScanDevices() override;

    // Register reads with report id m_bUseReportId1; the writes are
    // CVQPatch's WriteXdata and WriteSfr.
    // 1 when the request or the reply failed: out then holds no reply.
    DWORD ReadSfr(BYTE sfr, BYTE* out);
    DWORD ReadXdata(WORD addr, BYTE* out);  // 0xFF when the send fails; 1 when the fetch failed

    // Puts the EEPROM (read or write) or the flash on the chip's memory bus;
    // false when one of its requests failed (the bus may then be anywhere).
    bool SetAccessMode(int mode);
    // Flash transfers of up to one step: bulk reports on report-id-1
    // devices, 8-byte read / 6-byte write steps on report-id-0 devices.
    // FALSE at the first request that fails.
    BOOL ReadFlash(DWORD addr, WORD len, BYTE* out);
    BOOL WriteFlash(DWORD addr, WORD len, const BYTE* data);

protected:
    explicit CVQ7340Patch(int row) : CVQPatch(row) {}

private:
    friend class FlashJobMemory;

    // ReadXdata's request: 0 read, 1 the send failed, 2 the fetch failed;
    // out is 0xFF unless read.
    int ReadXdataRequest(WORD addr, BYTE* out);

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
    CVQ5632Patch() : CVQ7340Patch(CHIP_ROW_VQ5632) {}
};

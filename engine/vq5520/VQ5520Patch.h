// "VQ5520/1/2/3/5": EEPROM or flash behind a memory multiplexer.
#pragma once

#include "VQPatch.h"

class CVQ5520Patch : public CVQPatch {
public:
    CVQ5520Patch() : CVQPatch(CHIP_ROW_VQ5520) {}
    void Download(BYTE memType, DWORD len, const BYTE* data) override;
    void ReadBack(BYTE memType, DWORD len, bool lengthGiven, BYTE* buffer, ReadFindings& found) override;
    void ReadDeviceVersion(BYTE memType, BYTE out[4]) override;
    BYTE ScanDevices() override;
    void OpenDevice(BYTE index) override;

    // Register reads (also used by the option page); the writes are
    // CVQPatch's WriteXdata and WriteSfr.
    // 0 when the request can't be sent or the reply can't be fetched (noted
    // in m_bReadFailed).
    BYTE ReadXdata(WORD addr);
    BYTE ReadRegister(WORD addr, bool xdata);  // SFR by the address's low byte, or XDATA

    // The bus set-up sequences; false when one of their requests failed.
    bool SelectEepromMux();
    bool SelectFlashMux();
    // One HID_CMD_FLASH_READ8 exchange; false (out untouched, the failure
    // noted in m_bReadFailed) when the request or the reply fails.
    bool ReadFlash8(DWORD addr, BYTE out[8]);

private:
    // Port registers of the bus set-up.
    static constexpr BYTE SFR_P2 = 0xA0;
    static constexpr BYTE SFR_P3 = 0xB0;

    // Nine zero bytes; report id 1 when that send fails.
    void DetectReportId();

    // Read-modify-write of an SFR or an XDATA byte: (value & andMask) |
    // orMask; false when the read or the write failed.
    bool ModifyRegister(WORD addr, bool xdata, BYTE andMask, BYTE orMask);
    bool ModifySfr(BYTE sfr, BYTE andMask, BYTE orMask) { return ModifyRegister(sfr, false, andMask, orMask); }
    bool SelectMux(BYTE memType);
    // The reply byte at pos of a read request; 0 (and m_bReadFailed) when
    // the request or its reply fails.
    BYTE ReadReply(FEATURE_REPORT& r, std::size_t pos);
    // Erases the sectors an image of len bytes needs; false when an erase
    // request can't be sent.
    bool EraseFlashFor(DWORD len);
    bool WriteFlash4(DWORD addr, const BYTE* four);
    void WriteFlash1(DWORD addr, BYTE value);
    // Write and verify phases; false when the job has already ended.
    bool WritePhase(BYTE memType, DWORD len, const BYTE* data);
    bool VerifyPhase(BYTE memType, DWORD len, const BYTE* data);
    // Normal-mode read-back: the stored header decides the length. Finds
    // the code length, code checksum and read length; returns the number of
    // bytes to read.
    DWORD ReadStoredLength(BYTE memType, ReadFindings& found);
};

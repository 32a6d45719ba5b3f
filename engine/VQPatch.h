// The chip programmer base class: one device of one chip type, its
// identification and the operations on it.
#pragma once

#include "ChipTypes.h"
#include "EngineHost.h"
#include "HidReport.h"
#include "ImageFormat.h"
#include "WinTypes.h"

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>

inline constexpr int MAX_DEVICE_LIST = 255;

// What a ReadBack found besides the bytes: the numbers the window keeps with
// its image. A failed read changes none of them.
struct ReadFindings {
    // The bytes the read stands for (what the window then shows and saves):
    // the length asked for, unless the read learned another.
    DWORD readLen = 0;
    // The stored image's code length and code checksum, where the read
    // learned them.
    std::optional<WORD> codeLen;
    std::optional<WORD> checksum;
    // The first imageBytes bytes read replace the image being edited
    // (VQ7170, VQ7170S and VQ5520 reads); 0: the image stays as it is.
    DWORD imageBytes = 0;
    // The option page shows the image's fields anew.
    bool refreshPage = false;
    // A read led by the stored header (no length given, on a chip type
    // whose read follows it): whether the stored image's header and code
    // checksums held. Nothing for a read of a given length.
    std::optional<bool> sumsHeld;
    // A read request failed: nothing of the read counts.
    bool failed = false;
};

class CVQPatch {
public:
    explicit CVQPatch(int row);
    virtual ~CVQPatch();
    CVQPatch(const CVQPatch&) = delete;
    CVQPatch& operator=(const CVQPatch&) = delete;

    // Virtual operations, in slot order.
    virtual DWORD ReadData(BYTE memSel, WORD addr, BYTE count, BYTE* out);
    virtual DWORD WriteByte(BYTE memSel, WORD addr, BYTE value);
    virtual void Download(BYTE memType, DWORD len, const BYTE* data) = 0;
    // Reads the stored image into buffer (IMAGE_BUFFER_SIZE bytes). With
    // lengthGiven it fetches len bytes; without, the stored header decides
    // where the chip type has that rule (else len bytes as well). found
    // starts with readLen = len.
    virtual void ReadBack(BYTE memType, DWORD len, bool lengthGiven, BYTE* buffer, ReadFindings& found) = 0;
    virtual void ReadDeviceVersion(BYTE memType, BYTE out[4]) = 0;
    // Writes len bytes to the file at path; "Successful!" when they are all
    // there, false (nothing shown) when not.
    virtual bool SaveToBin(const std::string& path, DWORD len, const BYTE* data);
    virtual DWORD GetVendorId() { return m_desc.vendorId; }
    virtual DWORD GetProductId() { return m_desc.productId; }
    virtual BYTE ScanDevices() = 0;
    virtual void OpenDevice(BYTE index);
    // The file at path as this chip type loads it, over the image base.
    virtual LoadResult LoadFile(const std::string& path, std::span<const BYTE> base) {
        return LoadImage(path, m_desc.row, base);
    }
    // The memory type image bytes 0..1 stand for.
    virtual BYTE GetImageMemoryType(const BYTE* image) { return MagicMemoryType(m_desc.magic, image); }
    virtual BYTE GetSupportedMemoryTypes() { return m_desc.memoryTypes; }
    // The magic of memType into image bytes 0..1.
    virtual void SetImageMemoryType(BYTE* image, BYTE memType) { SetMagicMemoryType(m_desc.magic, image, memType); }

    const ChipDescriptor& Descriptor() const { return m_desc; }

    // Fills the device list with the present HID devices; returns their number.
    BYTE EnumHidDevices();
    // XDATA byte with report id 0, retried with id 1 when the send fails.
    // out = 0xFF when both sends fail or the fetch fails. Returns 1 when
    // the fetch failed.
    DWORD ReadXdataByte(WORD addr, BYTE* out);
    // XDATA write with report id 0, retried with id 1 when the send fails.
    bool WriteXdataByteTwoTry(WORD addr, BYTE value);

    // Register writes with the device's report id (m_bUseReportId1); the
    // send's result.
    bool WriteXdata(WORD addr, BYTE value);
    bool WriteSfr(BYTE sfr, BYTE value);

    int m_bConnected = 0;
    // 1 when the device takes report id 1 for its register and EEPROM
    // requests (VQ5520, VQ7340, VQ5632 find it out while scanning); the
    // EEPROM-only chips keep 0.
    int m_bUseReportId1 = 0;
    HANDLE m_hDevice = HANDLE_NONE;
    // After Download: true when the image was written and verified (the
    // job ended with its success text), false for every other end. Those
    // who run jobs without a window read the outcome here, not in texts.
    bool m_bDownloadOk = false;
    // When not empty, EnumHidDevices lists this path only (when present), so
    // that ScanDevices identifies and opens one given device and sends
    // nothing to any other.
    std::string m_strScanOnly;
    // Set when a read request (its send or its fetch) fails; a job clears it
    // before the reads whose outcome it needs.
    bool m_bReadFailed = false;
    std::array<std::string, MAX_DEVICE_LIST> m_strDevicePath;
    std::array<std::string, MAX_DEVICE_LIST> m_strLocation;
    // Why the first transfer that failed since the last ClearHidError
    // failed, as the HID layer tells it; empty while none has.
    std::string m_strHidError;
    void ClearHidError() { m_strHidError.clear(); }

protected:
    const ChipDescriptor& m_desc;
    // Keeps the HID layer's reason of a failed transfer on m_hDevice, when it
    // is the first since ClearHidError.
    void NoteHidFailure();

    // Opens a device path into m_hDevice, closing the handle it held first.
    void OpenPathIntoDevice(const std::string& path);
    // Stores h in m_hDevice, closing the handle it held first.
    void StoreDevice(HANDLE h);

    // The walk of ScanDevices; each class passes its identification rule.
    struct IdentRule;
    BYTE ScanWith(const IdentRule& rule);

    // The EEPROM requests of ReadData and WriteByte with a given report id
    // (ReadData and WriteByte always use 0; with id 1 the reply arrives one
    // byte earlier). WriteByteWithId returns 1 when its send failed, else 0.
    DWORD ReadDataWithId(BYTE reportId, BYTE memSel, WORD addr, BYTE count, BYTE* out);
    DWORD WriteByteWithId(BYTE reportId, BYTE memSel, WORD addr, BYTE value);

    BYTE ReportId() const { return m_bUseReportId1 ? 1 : 0; }
    // EEPROM byte access with the device's report id: a device that takes
    // report id 1 refuses the id-0 requests of ReadData and WriteByte.
    void ReadEeprom(BYTE memSel, WORD addr, BYTE count, BYTE* out) {
        ReadDataWithId(ReportId(), memSel, addr, count, out);
    }
    // False when the write request could not be sent.
    bool WriteEeprom(BYTE memSel, WORD addr, BYTE value) { return WriteByteWithId(ReportId(), memSel, addr, value) == 0; }

    // Start of every ReadBack: no failure yet; what the read has found so
    // far, to come back when it fails.
    ReadFindings BeginReadBack(const ReadFindings& found);
    // End of a ReadBack whose reads failed: the findings of its start come
    // back, marked failed; the bar goes to 100 and the status says so in red.
    void FailReadBack(ReadFindings& found, const ReadFindings& before);
    // A read in normal mode takes its length from the stored image: header
    // (48 bytes) and the four sum bytes behind its code. When the stored
    // header checksum holds, the code length and code checksum found are the
    // stored ones, else 0 and 0xFFFF. Returns the bytes to read, the image
    // with its sums (or the header and sums alone), also found.readLen.
    // found.sumsHeld tells whether the header checksum held; the caller
    // adds the code checksum once the code is read.
    DWORD AdoptStoredLength(const BYTE* header, const BYTE* sums, ChecksumLayout layout, ReadFindings& found);

    // Sends one 9-byte report and, when wanted, fetches the reply into it.
    // A fetch fails unless the reply reaches byte `need` - 1 (ReplyEnd):
    // what lies behind a short reply is the request, not data.
    bool Send(FEATURE_REPORT& r);
    bool Fetch(FEATURE_REPORT& r, std::size_t need);
};

// Formats the default .bin file name for a local time.
std::string DefaultBinFileName(const std::tm& t);

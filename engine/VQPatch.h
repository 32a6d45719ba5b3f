// The chip programmer base class and the image state shared with the
// user interface.
#pragma once

#include "ByteBlock.h"
#include "EngineHost.h"
#include "HidReport.h"
#include "ImageFormat.h"
#include "WinTypes.h"

#include <array>
#include <cstddef>
#include <string>

// Memory types; a chip's supported types are a bit mask of these.
inline constexpr BYTE MEMTYPE_24C01_16 = 1;
inline constexpr BYTE MEMTYPE_24C32_64 = 2;
inline constexpr BYTE MEMTYPE_FLASH = 4;

// Every EEPROM request carries 1 for the 24C32/64 class, 0 for anything else.
inline constexpr BYTE MemorySelector(BYTE memType) { return memType == MEMTYPE_24C32_64 ? 1 : 0; }

inline constexpr std::size_t IMAGE_BUFFER_SIZE = 16777216;
inline constexpr std::size_t EEPROM_SPACE = 65536;  // 16-bit EEPROM addresses
inline constexpr int MAX_DEVICE_LIST = 255;

// --- shared image state ----------------------------------------------------
// The window's. A Download of any chip type touches none of it: only its own
// chip programmer, that programmer's device handle, the bytes it is given
// and the host of its thread, so downloads may run side by side, each with a
// chip programmer of its own. A ReadBack is not of that kind: every type
// sets g_readLen, g_codeLen and g_checksum, and VQ7170, VQ7170S and VQ5520
// write g_image; reads stay one at a time.
extern BYTE g_image[IMAGE_BUFFER_SIZE];    // starts 5A A5, the rest 0
extern DWORD g_imageLen;                   // valid bytes in g_image, starts 2
extern WORD g_codeLen;                     // code length of the image
extern WORD g_checksum;                    // 16-bit sum of the image's code bytes
extern BYTE* g_workBuf;                    // IMAGE_BUFFER_SIZE bytes, start 0: save source, read-back target
extern DWORD g_readLen;                    // bytes a read asks for, starts 0x30

// Puts block behind g_workBuf and returns the block that was there, so that
// the bytes of a read change hands instead of being copied. A block smaller
// than IMAGE_BUFFER_SIZE (or none) is replaced by a fresh zeroed one. Only
// while no job uses the work buffer.
ByteBlock ExchangeWorkBuf(ByteBlock block);

// Magic bytes 0..1 of an image per memory type; a type without magic has none.
struct MemoryTypeMagic {
    BYTE type1[2];
    bool hasType2;
    BYTE type2[2];
    bool hasType4;
    BYTE type4[2];
};

class CVQPatch {
public:
    CVQPatch();
    virtual ~CVQPatch();
    CVQPatch(const CVQPatch&) = delete;
    CVQPatch& operator=(const CVQPatch&) = delete;

    // Virtual operations, in slot order.
    virtual DWORD ReadData(BYTE memSel, WORD addr, BYTE count, BYTE* out);
    virtual DWORD WriteByte(BYTE memSel, WORD addr, BYTE value);
    virtual void Download(BYTE memType, DWORD len, const BYTE* data) = 0;
    virtual void ReadBack(BYTE memType, DWORD len, BYTE* buffer) = 0;
    virtual void ReadDeviceVersion(BYTE memType, BYTE out[4]) = 0;
    virtual void SaveToBin(DWORD len, const BYTE* data);
    virtual DWORD GetVendorId() = 0;
    virtual DWORD GetProductId() = 0;
    virtual BYTE ScanDevices() = 0;
    virtual void OpenDevice(BYTE index);
    virtual bool LoadFile() = 0;
    virtual BYTE GetImageMemoryType() = 0;
    virtual BYTE GetSupportedMemoryTypes() = 0;
    virtual void SetImageMemoryType(BYTE memType) = 0;

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
    // After ReadBack: true when a read request of it failed. The read then
    // changed none of the image state, and the caller shows nothing of it.
    bool m_bReadBackFailed = false;
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

protected:
    // Opens a device path into m_hDevice, closing the handle it held first.
    void OpenPathIntoDevice(const std::string& path);
    // Stores h in m_hDevice, closing the handle it held first.
    void StoreDevice(HANDLE h);

    // The walk of ScanDevices; each class passes its identification rule.
    struct IdentRule;
    BYTE ScanWith(const IdentRule& rule);

    BYTE MagicMemoryType(const MemoryTypeMagic& magic) const;
    void SetMagicMemoryType(const MemoryTypeMagic& magic, BYTE memType);

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

    // The image state a read-back may change, taken at its start so that a
    // failed read can leave everything as it was.
    struct ImageState {
        DWORD imageLen, readLen;
        WORD codeLen, checksum;
    };
    // Start of every ReadBack: no failure yet; the state as it is now.
    ImageState BeginReadBack();
    // End of a ReadBack whose reads failed: the state of its start comes
    // back, the bar goes to 100 and the status says so in red.
    void FailReadBack(const ImageState& before);
    // A read in normal mode takes its length from the stored image: header
    // (48 bytes) and the four sum bytes behind its code. When the stored
    // header checksum holds, g_codeLen and g_checksum become the stored code
    // length and code checksum, else 0 and 0xFFFF. Returns the bytes to
    // read, the image with its sums (or the header and sums alone), also put
    // in g_readLen.
    DWORD AdoptStoredLength(const BYTE* header, const BYTE* sums, ChecksumLayout layout);

    // Sends one 9-byte report and, when wanted, fetches the reply into it.
    // A fetch fails unless the reply reaches byte `need` - 1 (ReplyEnd):
    // what lies behind a short reply is the request, not data.
    bool Send(FEATURE_REPORT& r);
    bool Fetch(FEATURE_REPORT& r, std::size_t need);
};

// Formats the default .bin file name for a local time.
std::string DefaultBinFileName(const std::tm& t);

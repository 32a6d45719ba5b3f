#include "VQPatch.h"

#include "JobProgress.h"
#include "OutputFile.h"
#include "hid/Hid.h"

#include <cstdio>
#include <cstring>

CVQPatch::CVQPatch(int row) : m_desc(DescriptorOf(row)) {}

CVQPatch::~CVQPatch() {
    if (m_bConnected != 0 && m_hDevice != INVALID_HANDLE_VALUE) {
        hid::Close(m_hDevice);
        m_hDevice = INVALID_HANDLE_VALUE;
    }
    m_bConnected = 0;
}

void CVQPatch::NoteHidFailure() {
    if (m_strHidError.empty()) m_strHidError = hid::LastError(m_hDevice);
}

bool CVQPatch::Send(FEATURE_REPORT& r) {
    if (hid::SetFeature(m_hDevice, r.data(), FEATURE_REPORT_SIZE)) return true;
    NoteHidFailure();
    return false;
}

bool CVQPatch::Fetch(FEATURE_REPORT& r, std::size_t need) {
    if (hid::GetFeature(m_hDevice, r.data(), FEATURE_REPORT_SIZE, need)) return true;
    NoteHidFailure();
    return false;
}

DWORD CVQPatch::ReadData(BYTE memSel, WORD addr, BYTE count, BYTE* out) {
    return ReadDataWithId(0, memSel, addr, count, out);
}

DWORD CVQPatch::WriteByte(BYTE memSel, WORD addr, BYTE value) {
    WriteByteWithId(0, memSel, addr, value);
    return 0;
}

DWORD CVQPatch::ReadDataWithId(BYTE reportId, BYTE memSel, WORD addr, BYTE count, BYTE* out) {
    FEATURE_REPORT r = AddressRequest(reportId, HID_CMD_EEPROM_READ, addr);
    r[8] = memSel;
    const BYTE n = count < 5 ? count : 5;
    const bool sent = Send(r);
    Sleep(1);
    const bool fetched = Fetch(r, ReplyEnd(reportId, 4, n));
    // After a failed request the buffer holds the request's own bytes: out
    // keeps what it held, and the failure is noted for the jobs.
    if (!sent || !fetched) m_bReadFailed = true;
    else if (n != 0) std::memcpy(out, &r[ReplyPos(reportId, 4)], n);
    return count > 5 ? 1 : 0;
}

DWORD CVQPatch::WriteByteWithId(BYTE reportId, BYTE memSel, WORD addr, BYTE value) {
    FEATURE_REPORT r = AddressRequest(reportId, HID_CMD_EEPROM_WRITE, addr);
    r[4] = value;
    r[8] = memSel;
    return Send(r) ? 0 : 1;
}

DWORD CVQPatch::ReadXdataByte(WORD addr, BYTE* out) {
    FEATURE_REPORT r = AddressRequest(0, HID_CMD_XDATA_READ, addr);
    if (!Send(r)) {
        r[0] = 1;
        if (!Send(r)) {
            *out = 0xFF;
            return 0;
        }
    }
    const BYTE id = r[0];
    const bool fetched = Fetch(r, ReplyEnd(id, 4));
    *out = fetched ? r[ReplyPos(id, 4)] : 0xFF;
    return fetched ? 0 : 1;
}

bool CVQPatch::WriteXdataByteTwoTry(WORD addr, BYTE value) {
    FEATURE_REPORT r = AddressRequest(0, HID_CMD_XDATA_WRITE, addr);
    r[4] = value;
    if (Send(r)) return true;
    r[0] = 1;
    return Send(r);
}

bool CVQPatch::WriteXdata(WORD addr, BYTE value) {
    FEATURE_REPORT r = AddressRequest(ReportId(), HID_CMD_XDATA_WRITE, addr);
    r[4] = value;
    return Send(r);
}

bool CVQPatch::WriteSfr(BYTE sfr, BYTE value) {
    FEATURE_REPORT r = RegisterRequest(ReportId(), HID_CMD_SFR_WRITE, sfr, value);
    return Send(r);
}

ReadFindings CVQPatch::BeginReadBack(const ReadFindings& found) {
    m_bReadFailed = false;
    return found;
}

void CVQPatch::FailReadBack(ReadFindings& found, const ReadFindings& before) {
    found = before;
    found.failed = true;
    EndJob("Reading failed!", STATUS_RED);
}

DWORD CVQPatch::AdoptStoredLength(const BYTE* header, const BYTE* sums, ChecksumLayout layout, ReadFindings& found) {
    const bool stored = HeaderChecksum(header, layout) == ReadBE16(sums);
    const WORD codeLen = stored ? ImageCodeLength(header) : 0;
    found.sumsHeld = stored;
    found.codeLen = codeLen;
    found.checksum = stored ? ReadBE16(sums + 2) : 0xFFFF;
    constexpr DWORD SUM_BYTES = 4;  // header checksum, code checksum
    found.readLen = static_cast<DWORD>(IMAGE_HEADER_SIZE) + codeLen + SUM_BYTES;
    return found.readLen;
}

void CVQPatch::StoreDevice(HANDLE h) {
    if (m_hDevice != INVALID_HANDLE_VALUE && m_hDevice != HANDLE_NONE) hid::Close(m_hDevice);
    m_hDevice = h;
}

void CVQPatch::OpenPathIntoDevice(const std::string& path) {
    // Open first, then let go of the old handle: a path that is already open
    // stays reachable either way.
    const HANDLE h = hid::Open(path, hid::Access::ReadWrite);
    StoreDevice(h);
}

void CVQPatch::OpenDevice(BYTE index) {
    if (index >= MAX_DEVICE_LIST || m_strDevicePath[index].empty()) return;
    OpenPathIntoDevice(m_strDevicePath[index]);
}

BYTE CVQPatch::EnumHidDevices() {
    for (auto& path : m_strDevicePath) path.clear();
    int count = 0;
    for (const hid::DeviceEntry& entry : hid::EnumeratePresent()) {
        if (!m_strScanOnly.empty() && entry.path != m_strScanOnly) continue;
        // One entry stays empty behind the last listed device.
        if (count >= MAX_DEVICE_LIST - 1) break;
        const HANDLE probe = hid::Open(entry.path, hid::Access::None);
        if (probe == INVALID_HANDLE_VALUE) continue;
        hid::Attributes attributes;
        const bool haveAttributes = hid::GetAttributes(probe, &attributes);
        hid::Close(probe);
        if (!haveAttributes || entry.location.empty()) continue;
        m_strLocation[count] = entry.location;
        m_strDevicePath[count] = entry.path;
        ++count;
    }
    return static_cast<BYTE>(count);
}

std::string DefaultBinFileName(const std::tm& t) {
    char name[64];
    std::snprintf(name, sizeof name, "VQ_Firmware_%d%02d%02d_%02d%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                  t.tm_hour, t.tm_min);
    return name;
}

bool CVQPatch::SaveToBin(const std::string& path, DWORD len, const BYTE* data) {
    // Written whole or not at all: a file that stood at path stays as it
    // was when the new one can't be written (a full disk, say).
    if (!WriteOutputFile(path, std::span<const BYTE>(data, data ? len : 0)).empty()) return false;
    SetStatusText("Successful!", STATUS_GREEN);
    return true;
}

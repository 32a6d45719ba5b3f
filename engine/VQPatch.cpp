#include "VQPatch.h"

#include "JobProgress.h"
#include "hid/Hid.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <utility>

BYTE g_image[IMAGE_BUFFER_SIZE];
DWORD g_imageLen = 2;
WORD g_codeLen = 0;
WORD g_checksum = 0;
DWORD g_readLen = 0x30;

namespace {
ByteBlock g_workBlock = NewZeroBlock(IMAGE_BUFFER_SIZE);
// g_image stays zero-filled in .bss; only the magic is set at start-up.
const bool g_imageMagicSet = [] {
    g_image[0] = 0x5A;
    g_image[1] = 0xA5;
    return true;
}();
}  // namespace

BYTE* g_workBuf = g_workBlock.Data();

ByteBlock ExchangeWorkBuf(ByteBlock block) {
    if (block.Data() == nullptr || block.capacity < IMAGE_BUFFER_SIZE) block = NewZeroBlock(IMAGE_BUFFER_SIZE);
    std::swap(block, g_workBlock);
    g_workBuf = g_workBlock.Data();
    return block;
}

CVQPatch::CVQPatch() = default;

CVQPatch::~CVQPatch() {
    if (m_bConnected != 0 && m_hDevice != INVALID_HANDLE_VALUE) {
        hid::Close(m_hDevice);
        m_hDevice = INVALID_HANDLE_VALUE;
    }
    m_bConnected = 0;
}

bool CVQPatch::Send(FEATURE_REPORT& r) { return hid::SetFeature(m_hDevice, r.data(), FEATURE_REPORT_SIZE); }

bool CVQPatch::Fetch(FEATURE_REPORT& r, std::size_t need) {
    return hid::GetFeature(m_hDevice, r.data(), FEATURE_REPORT_SIZE, need);
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

CVQPatch::ImageState CVQPatch::BeginReadBack() {
    m_bReadFailed = false;
    m_bReadBackFailed = false;
    return {g_imageLen, g_readLen, g_codeLen, g_checksum};
}

void CVQPatch::FailReadBack(const ImageState& before) {
    g_imageLen = before.imageLen;
    g_readLen = before.readLen;
    g_codeLen = before.codeLen;
    g_checksum = before.checksum;
    m_bReadBackFailed = true;
    EndJob("Reading failed!", STATUS_RED);
}

DWORD CVQPatch::AdoptStoredLength(const BYTE* header, const BYTE* sums, ChecksumLayout layout) {
    const bool stored = HeaderChecksum(header, layout) == ReadBE16(sums);
    g_codeLen = stored ? ImageCodeLength(header) : 0;
    g_checksum = stored ? ReadBE16(sums + 2) : 0xFFFF;
    constexpr DWORD SUM_BYTES = 4;  // header checksum, code checksum
    g_readLen = static_cast<DWORD>(IMAGE_HEADER_SIZE) + g_codeLen + SUM_BYTES;
    return g_readLen;
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

BYTE CVQPatch::MagicMemoryType(const MemoryTypeMagic& magic) const {
    const BYTE b0 = g_image[0], b1 = g_image[1];
    if (magic.hasType4 && b0 == magic.type4[0] && b1 == magic.type4[1]) return MEMTYPE_FLASH;
    if (magic.hasType2 && b0 == magic.type2[0] && b1 == magic.type2[1]) return MEMTYPE_24C32_64;
    return MEMTYPE_24C01_16;
}

void CVQPatch::SetMagicMemoryType(const MemoryTypeMagic& magic, BYTE memType) {
    const BYTE* bytes = nullptr;
    if (memType == MEMTYPE_24C01_16) bytes = magic.type1;
    else if (memType == MEMTYPE_24C32_64 && magic.hasType2) bytes = magic.type2;
    else if (memType == MEMTYPE_FLASH && magic.hasType4) bytes = magic.type4;
    if (!bytes) return;
    g_image[0] = bytes[0];
    g_image[1] = bytes[1];
}

std::string DefaultBinFileName(const std::tm& t) {
    char name[64];
    std::snprintf(name, sizeof name, "VQ_Firmware_%d%02d%02d_%02d%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                  t.tm_hour, t.tm_min);
    return name;
}

void CVQPatch::SaveToBin(DWORD len, const BYTE* data) {
    FileDialogSpec spec;
    spec.filter = "Bin File(*.bin)|*.bin|";
    // A name typed without extension becomes a .bin file.
    spec.defaultExt = "bin";
    spec.initialName = DefaultBinFileName(Host().LocalTime());
    const std::string path = Host().SaveFileDialog(spec);
    if (path.empty()) return;

    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) {
        Host().MessageBox("Create Bin File fail!");
        return;
    }
    file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(len));
    file.close();
    if (!file) {
        // A short write must not pass for a saved image.
        Host().MessageBox("Create Bin File fail!");
        return;
    }
    SetStatusText("Successful!", STATUS_GREEN);
}

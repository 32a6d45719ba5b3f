// The download and read-back jobs of all seven chip programmers against a
// device whose replies, length and bytes, come from the input. Besides
// crashes and undefined behaviour it stops (aborts) when
// - a job ends in a success text although a reply came too short to hold
//   the image data it was asked for, or, for a read that sets up the chip's
//   memory bus, too short to hold a set-up register;
// - a read that ended "Reading failed!" hands back an image or findings
//   other than the length it was asked for.
//
// Input: [0] chip-type row, [1] job (bits 0-1: download, normal or ticked
// read; bit 2: report id 1; bits 3-4: memory type 1, 2 or 4), [2] length
// in units of 3 bytes, then the replies in order: one control byte each
// (0xFF: the fetch fails; for a 9-byte report the reply's length, at most
// 9; for a 4096-byte report 16 bytes per unit, 0xFE and above the whole
// report), then the reply's bytes. When the input runs out every further
// fetch fails. Sends always go through.
#include "ChipTypes.h"
#include "HidReport.h"
#include "DeviceJobs.h"
#include "RecordingHost.h"
#include "hid/Hid.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Script {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    std::size_t pos = 0;
    bool readJob = false;
    bool setupReadsBus = false;  // a read of the VQ5520, VQ7340 or VQ5632
    bool shortData = false;      // a reply fell short of what it must hold
};

Script g_script;

// The bytes a reply to the request in r must reach at least: the first
// byte of the data it was asked for; 0 when it carries nothing that counts.
std::size_t NeededReply(const BYTE* r, std::size_t len) {
    if (len == BULK_REPORT_SIZE) return 2;
    const BYTE id = r[0] ? 1 : 0;
    switch (r[1]) {
    case HID_CMD_EEPROM_READ: return ReplyEnd(id, 4);
    case HID_CMD_FLASH_READ8: return ReplyEnd(id, 1, 8);
    case HID_CMD_FLASH_READ: return 2;
    case HID_CMD_FLASH_STATUS: return ReplyEnd(id, 3);
    case HID_CMD_SFR_READ: return g_script.setupReadsBus ? ReplyEnd(id, 3) : 0;
    case HID_CMD_XDATA_READ: {
        const WORD addr = static_cast<WORD>(r[2] << 8 | r[3]);
        const bool busRegister = addr == 0xF016 || addr == 0xF01F;
        return g_script.setupReadsBus && busRegister ? ReplyEnd(id, 4) : 0;
    }
    default: return 0;
    }
}

class ScriptedDevice final : public hid::Device {
public:
    bool SetFeature(const BYTE* report, std::size_t len) override { return SendFeature(report, len) >= 0; }
    bool GetFeature(BYTE* report, std::size_t len) override {
        return FetchFeature(report, len) == static_cast<long>(len);
    }
    bool GetAttributes(hid::Attributes* out) override {
        *out = {0x3B71, 0x7340, 0x0100};
        return true;
    }
    long SendFeature(const BYTE*, std::size_t len) override { return static_cast<long>(len); }
    long FetchFeature(BYTE* report, std::size_t len) override {
        Script& s = g_script;
        if (s.pos >= s.size || s.data[s.pos] == 0xFF) {
            s.pos = s.size;
            errno = EPIPE;
            return -1;
        }
        const std::uint8_t c = s.data[s.pos++];
        std::size_t n = len == BULK_REPORT_SIZE ? (c >= 0xFE ? len : std::size_t{c} * 16) : c;
        n = std::min({n, len, s.size - s.pos});
        if (n < NeededReply(report, len)) s.shortData = true;
        std::memcpy(report, s.data + s.pos, n);  // the bytes behind keep the request
        s.pos += n;
        return static_cast<long>(n);
    }
};

class ScriptedBackend final : public hid::Backend {
public:
    std::vector<hid::DeviceEntry> Enumerate() override { return {{"fuzz:1", "0000.0000.0000.001.001.000.000.000.000"}}; }
    std::unique_ptr<hid::Device> Open(const std::string&, hid::Access) override {
        return std::make_unique<ScriptedDevice>();
    }
    int ChangeFd() override { return -1; }
    std::vector<hid::Change> TakeChanges() override { return {}; }
};

struct Bench {
    RecordingHost host;
    HANDLE handle;
    std::unique_ptr<CVQPatch> patches[CHIP_TYPE_ROWS];
    Bench() {
        hid::SetBackend(std::make_shared<ScriptedBackend>());
        // One handle for the life of the process: the layer numbers handles
        // for good, so an open per input would grow its table.
        handle = hid::Open("fuzz:1", hid::Access::ReadWrite);
        for (int row = 0; row < CHIP_TYPE_ROWS; ++row) {
            patches[row] = MakeChipPatch(row);
            patches[row]->m_hDevice = handle;
        }
    }
};

bool IsSuccessText(const std::string& text) {
    return text == "Successful!" || text == "Upgrade Successful" || text == "Reading completed!";
}

constexpr BYTE kMemTypes[] = {MEMTYPE_24C01_16, MEMTYPE_24C32_64, MEMTYPE_FLASH, MEMTYPE_FLASH};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    static Bench bench;
    const int row = data[0] % CHIP_TYPE_ROWS;
    const int job = (data[1] & 3) % 3;
    CVQPatch& patch = *bench.patches[row];
    patch.m_bUseReportId1 = (data[1] >> 2) & 1;
    patch.m_bConnected = 1;
    const BYTE memType = kMemTypes[(data[1] >> 3) & 3];
    const DWORD len = DWORD{data[2]} * 3;

    g_script = {data + 3, size - 3, 0, job != 0, job != 0 && row >= 4, false};
    bench.host.Clear();

    JobResult result;
    if (job == 0) {
        static std::vector<BYTE> image;
        image.resize(len);
        for (DWORD i = 0; i < len; ++i) image[i] = static_cast<BYTE>(i * 13 + 1);
        result = Download(patch, image, memType);
    } else {
        result = ReadBack(patch, memType, len, job == 2);
    }

    const std::string last = result.statuses.empty() ? "" : result.statuses.back().text;
    if (g_script.shortData && IsSuccessText(last)) std::abort();
    const ReadFindings& found = result.found;
    if (last == "Reading failed!" &&
        (result.image || !found.failed || found.readLen != len || found.codeLen || found.checksum ||
         found.imageBytes != 0 || found.refreshPage))
        std::abort();
    return 0;
}

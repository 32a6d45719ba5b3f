// One chip programmer on one emulated chip of any family, with a recording
// host on the virtual clock: the rig of the fault and boundary tests.
#pragma once

#include "ChipFixture.h"
#include "ChipPatches.h"
#include "ChipTypes.h"
#include "Emulator.h"
#include "HidReport.h"
#include "ImageFormat.h"
#include "JobChecks.h"
#include "RecordingHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace faults {

using emu::ChipType;
using emu::LoggedReport;

// A chip family on one memory type, behind a device of one report id.
struct Target {
    const char* name;
    ChipType type;
    int reportId;
    BYTE memType;
};

// Every family on every memory type it has, behind devices of both report
// ids where the family takes both.
inline const Target kTargets[] = {
    {"VQ7140S", ChipType::VQ7140S, 0, MEMTYPE_24C01_16},
    {"VQ7140XX_24C01", ChipType::VQ7140XX, 0, MEMTYPE_24C01_16},
    {"VQ7140XX_24C32", ChipType::VQ7140XX, 0, MEMTYPE_24C32_64},
    {"VQ7170_24C01", ChipType::VQ7170, 0, MEMTYPE_24C01_16},
    {"VQ7170_24C32", ChipType::VQ7170, 0, MEMTYPE_24C32_64},
    {"VQ7170S_24C01", ChipType::VQ7170S, 0, MEMTYPE_24C01_16},
    {"VQ7170S_24C32", ChipType::VQ7170S, 0, MEMTYPE_24C32_64},
    {"VQ5520_24C01", ChipType::VQ5520, 0, MEMTYPE_24C01_16},
    {"VQ5520_24C32_Id1", ChipType::VQ5520, 1, MEMTYPE_24C32_64},
    {"VQ5520_Flash", ChipType::VQ5520, 0, MEMTYPE_FLASH},
    {"VQ5520_Flash_Id1", ChipType::VQ5520, 1, MEMTYPE_FLASH},
    {"VQ7340_Flash", ChipType::VQ7340, 0, MEMTYPE_FLASH},
    {"VQ7340_Flash_Id1", ChipType::VQ7340, 1, MEMTYPE_FLASH},
    {"VQ7340_24C01", ChipType::VQ7340, 0, MEMTYPE_24C01_16},
    {"VQ5632_Flash", ChipType::VQ5632, 0, MEMTYPE_FLASH},
    {"VQ5632_Flash_Id1", ChipType::VQ5632, 1, MEMTYPE_FLASH},
};

inline ChecksumLayout LayoutOf(ChipType type) {
    switch (type) {
    case ChipType::VQ7140S: return ChecksumLayout::VQ7140S;
    case ChipType::VQ7140XX: return ChecksumLayout::VQ7140XX;
    case ChipType::VQ7340:
    case ChipType::VQ5632: return ChecksumLayout::VQ7340;
    default: return ChecksumLayout::VQ7170;
    }
}

// An image of the family's layout with codeLen code bytes and valid sums.
inline std::vector<BYTE> ImageFor(ChipType type, WORD codeLen, unsigned seed = 3) {
    const ChecksumLayout layout = LayoutOf(type);
    std::vector<BYTE> image(CodeOffset(layout) + codeLen + (layout == ChecksumLayout::VQ7140S ? 0 : 4));
    unsigned x = seed * 2654435761u + 7u;
    for (BYTE& b : image) {
        x = x * 1103515245u + 12345u;
        b = static_cast<BYTE>(x >> 16);
    }
    image[0] = 0x5A;
    image[1] = 0xA5;
    image[10] &= static_cast<BYTE>(~OPTION10_BCSH);
    WriteBE16(image.data() + 2, codeLen);
    StoreChecksums(image.data(), layout);
    return image;
}

// Sends and fetches that carry image data: EEPROM and flash commands and
// bulk reports (a failed fetch still holds its request).
inline bool IsDataRequest(const LoggedReport& r) {
    if (r.bytes.size() == BULK_REPORT_SIZE) return true;
    if (r.bytes.size() != FEATURE_REPORT_SIZE) return false;
    switch (r.bytes[1]) {
    case HID_CMD_EEPROM_READ:
    case HID_CMD_EEPROM_WRITE:
    case HID_CMD_FLASH_READ8:
    case HID_CMD_FLASH_WRITE1:
    case HID_CMD_FLASH_WRITE4:
    case HID_CMD_FLASH_READ:
    case HID_CMD_FLASH_WRITE:
    case HID_CMD_FLASH_BULK:
    case HID_CMD_FLASH_SECTOR_ERASE:
    case HID_CMD_FLASH_CHIP_ERASE:
    case HID_CMD_FLASH_STATUS: return true;
    default: return false;
    }
}

inline bool IsSuccessText(const std::string& text) {
    return text == "Successful!" || text == "Upgrade Successful" || text == "Reading completed!";
}

// What a read hands the window: its findings and the bytes that replace
// the window's image (the first found.imageBytes bytes read).
struct ImageState {
    chiptest::Found found;
    std::vector<BYTE> head;
    bool operator==(const ImageState&) const = default;
    static ImageState Of(const JobResult& r) {
        std::vector<BYTE> head = chiptest::ReadBytes(r);
        head.resize(std::min<std::size_t>(head.size(), r.found.imageBytes));
        return {chiptest::FoundOf(r.found), std::move(head)};
    }
};

// The target's chip, obeying its bus set-up (gate) or only recording it.
inline emu::ChipConfig ConfigOf(const Target& t, bool gate) {
    emu::ChipConfig config;
    config.type = t.type;
    config.reportId = t.reportId;
    config.gateBus = gate;
    return config;
}

// The target's chip as an emulated-device list entry makes it, obeying its
// bus set-up, with further options ("stop=30", "short=2@9") when given.
inline emu::ChipConfig ListedChip(const Target& t, const std::string& options = {}) {
    std::string entry = std::string(emu::TypeName(t.type)) + (t.reportId ? ":id1" : "") + ":gate";
    if (!options.empty()) entry += ":" + options;
    std::vector<emu::ChipConfig> configs;
    std::string error;
    EXPECT_TRUE(emu::ParseEmulateList(entry, &configs, &error)) << entry << ": " << error;
    return configs.empty() ? ConfigOf(t, true) : configs.front();
}

// A fresh bus with one chip of the target, the programmer connected to it,
// the chip's log and the host's records empty.
class Rig : chiptest::ChipFixture {
public:
    // gate: the chip obeys its bus set-up registers.
    explicit Rig(const Target& t, bool gate = false) : Rig(t, ConfigOf(t, gate)) {}
    // A chip made as config says.
    Rig(const Target& t, const emu::ChipConfig& config) : target(t) {
        patch = MakeChipPatch(static_cast<int>(t.type));
        chip = ConnectChip(*patch, config);
        connected = patch->m_bConnected != 0;
    }
    Rig(const Rig&) = delete;
    Rig& operator=(const Rig&) = delete;

    int Selector() const { return target.memType == MEMTYPE_24C32_64 ? 1 : 0; }
    // Stores bytes in the target's memory directly, from address 0.
    void Store(const std::vector<BYTE>& bytes) {
        if (target.memType == MEMTYPE_FLASH) chip->WriteFlash(0, bytes);
        else chip->WriteEeprom(Selector(), 0, bytes);
    }
    // Puts the other memory of the chip on its bus, as a job on it would
    // have left it (chips with one memory only have nothing to switch).
    void DetachBus() {
        const bool flash = target.memType == MEMTYPE_FLASH;
        if (target.type == ChipType::VQ5520) chip->SetXdata(0xF016, flash ? 0x04 : 0x00);
        if (target.type == ChipType::VQ7340 || target.type == ChipType::VQ5632)
            chip->SetXdata(0xF01F, flash ? 0x00 : 0x10);
    }
    std::vector<BYTE> Stored(std::size_t n) const {
        return target.memType == MEMTYPE_FLASH ? chip->Flash(0, n) : chip->Eeprom(Selector(), 0, n);
    }

    // Reports the chip has seen since it was plugged in.
    std::size_t Reports() const { return chip->SetFeatureCount() + chip->GetFeatureCount(); }

    using ChipFixture::bus;
    using ChipFixture::host;
    Target target;
    std::unique_ptr<CVQPatch> patch;
    std::shared_ptr<emu::Chip> chip;
    bool connected = false;
};

}  // namespace faults

// The VQ7140S and VQ7140XX option pages.
#include "PageOptionVQ7140.h"

#include "PageControls.h"
#include "PageControls7140.h"
#include "ResourceIds.h"
#include "VQPatch.h"

#include <cstdint>
#include <cstring>

// --- VQ7140S -----------------------------------------------------------------

void CPageOptionVQ7140S::OnCreate() {
    // The page is white; its edit keeps the system colours.
    SetWhiteBackground({});
}

void CPageOptionVQ7140S::OnShowWindow(bool, UINT) {
    g_imageLen = IMAGE_HEADER16_SIZE;
    g_codeLen = 0;
    g_checksum = 0;
    // Magic, code length 0 and six option bytes; bytes 10..11 keep what the
    // image holds, the version becomes 0.
    const BYTE front[10] = {0x5A, 0xA5, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    std::memcpy(g_image, front, sizeof front);
    std::memset(g_image + 12, 0x00, 4);
}

// --- VQ7140XX ----------------------------------------------------------------

namespace {

// Header bytes the page shows.
constexpr std::size_t VID = 4;  // big-endian pair
constexpr std::size_t PID = 6;  // big-endian pair
constexpr std::size_t COMMON_FLAGS = 8;
constexpr std::size_t PORTS = 9;     // bit 0 AV, bit 1 SV; bits 2..7 kept
constexpr std::size_t FUNCTION = 10;  // bits 0..2 audio, stereo, BCSH; bits 4..7 mute pattern
constexpr std::size_t INPUT_TV = 11;  // bit 7 default input, bits 0..2 default TV mode
constexpr BYTE PORT_BITS = 0x03;
constexpr StringFieldLayout VIDEO_STRING = ShortStringField(VIDEO_STRING_FIELD);
constexpr StringFieldLayout AUDIO_STRING = ShortStringField(AUDIO_STRING_FIELD);

constexpr ComboField MUTE_PATTERN{4, 0xF0};
constexpr ComboField DEFAULT_INPUT{7, 0x80};
constexpr ComboField DEFAULT_TV_MODE{0, 0x07};
// "NO_SIGNAL" also sets bits 3..6.
constexpr BYTE TV_MODE_NO_SIGNAL = 7;
constexpr BYTE NO_SIGNAL_BITS = 0x7F;

// The four BCSH edits, in the order of the block's bytes.
struct BcshEdit {
    int id;
    int low, high;
    int CPageOptionVQ7140XX::*member;
    int defaultValue;  // without a stored block
};
const BcshEdit kBcsh[BCSH_SIZE] = {
    {IDC_BRIGHTNESS, -128, 127, &CPageOptionVQ7140XX::m_nBrightness, 0},
    {IDC_CONTRAST, 0, 255, &CPageOptionVQ7140XX::m_nContrast, 128},
    {IDC_SATURATION, 0, 255, &CPageOptionVQ7140XX::m_nSaturation, 128},
    {IDC_HUE, -128, 127, &CPageOptionVQ7140XX::m_nHue, 0},
};

// A stored BCSH byte as its edit shows it: brightness and hue are signed.
int BcshValue(const BcshEdit& e, BYTE b) { return e.low < 0 ? static_cast<std::int8_t>(b) : b; }

// kCommonFlagIds, for the id lists that hold more than these boxes.
#define COMMON_FLAG_IDS                                                                                        \
    IDC_COMMON_FLAG0, IDC_COMMON_FLAG1, IDC_COMMON_FLAG2, IDC_COMMON_FLAG3, IDC_COMMON_FLAG4, IDC_COMMON_FLAG5, \
        IDC_COMMON_FLAG6, IDC_COMMON_FLAG7

}  // namespace

void CPageOptionVQ7140XX::OnCreate() {
    for (int id : {COMMON_FLAG_IDS, IDC_AV_PORT, IDC_SV_PORT, IDC_AUDIO_ENABLE, IDC_STEREO_ENABLE, IDC_SAVE_BCSH})
        OnNotify(id, BN_CLICKED, [this] { OnOptionChanged(); });
    OnNotify(IDC_VIDEO_STRING_CHECK, BN_CLICKED, [this] { OnVideoStringChanged(); });
    OnNotify(IDC_AUDIO_STRING_CHECK, BN_CLICKED, [this] { OnAudioStringChanged(); });
    OnNotify(IDC_VID, EN_CHANGE, [this] { OnEnChangeVid(); });
    OnNotify(IDC_PID, EN_CHANGE, [this] { OnEnChangePid(); });
    OnNotify(IDC_VIDEO_STRING, EN_CHANGE, [this] { OnVideoStringChanged(); });
    OnNotify(IDC_AUDIO_STRING, EN_CHANGE, [this] { OnAudioStringChanged(); });
    OnNotify(IDC_BRIGHTNESS, EN_CHANGE, [this] { OnEnChangeBrightness(); });
    OnNotify(IDC_CONTRAST, EN_CHANGE, [this] { OnEnChangeContrast(); });
    OnNotify(IDC_SATURATION, EN_CHANGE, [this] { OnEnChangeSaturation(); });
    OnNotify(IDC_HUE, EN_CHANGE, [this] { OnEnChangeHue(); });
    for (int id : {IDC_MUTE_PATTERN, IDC_DEFAULT_INPUT, IDC_DEFAULT_TV_MODE})
        OnNotify(id, CBN_SELCHANGE, [this] { OnOptionChanged(); });
    SetWhiteBackground({IDC_STATIC, COMMON_FLAG_IDS, IDC_AV_PORT, IDC_SV_PORT, IDC_AUDIO_ENABLE, IDC_STEREO_ENABLE,
                        IDC_SAVE_BCSH, IDC_VIDEO_STRING_CHECK, IDC_AUDIO_STRING_CHECK});
}

void CPageOptionVQ7140XX::SetDefaults() {
    // Memory-type-1 magic, code length 0, VID and PID FFFF, no common flag,
    // both ports, audio, "Pure black", "AV", "NO_SIGNAL", version 0.
    WriteDefaultHeader({0x08, 0x16, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF,
                       0x00, 0xFF, 0x01, 0x7F, 0x00, 0x00, 0x00, 0x00});
    for (const BcshEdit& e : kBcsh) this->*e.member = e.defaultValue;
}

void CPageOptionVQ7140XX::LoadFromImage() {
    LoadFlagBoxes(kCommonFlagIds, g_image[COMMON_FLAGS]);
    LoadHexEdit(IDC_VID, VID);
    LoadHexEdit(IDC_PID, PID);
    LoadStringField(IDC_VIDEO_STRING_CHECK, IDC_VIDEO_STRING, VIDEO_STRING, kVideoStringDefault);
    LoadStringField(IDC_AUDIO_STRING_CHECK, IDC_AUDIO_STRING, AUDIO_STRING, kAudioStringDefault);
    LoadFlagBoxes({IDC_AV_PORT, IDC_SV_PORT}, g_image[PORTS]);
    LoadFlagBoxes({IDC_AUDIO_ENABLE, IDC_STEREO_ENABLE, IDC_SAVE_BCSH}, g_image[FUNCTION]);
    EnableStereoByAudio();

    // The block is found through the code length the header holds.
    const bool saved = (g_image[FUNCTION] & OPTION10_BCSH) != 0;
    const BYTE* block = g_image + static_cast<WORD>(ImageCodeLength(g_image) + BcshOffset(0));
    for (std::size_t i = 0; i < BCSH_SIZE; ++i) {
        const BcshEdit& e = kBcsh[i];
        LimitDlgItemText(e.id, 4);
        SetDlgItemText(e.id, saved ? QString::number(BcshValue(e, block[i])) : QString::number(e.defaultValue));
        EnableDlgItem(e.id, !saved);
    }

    LoadCombo(IDC_MUTE_PATTERN, g_image[FUNCTION], MUTE_PATTERN);
    LoadCombo(IDC_DEFAULT_INPUT, g_image[INPUT_TV], DEFAULT_INPUT);
    LoadCombo(IDC_DEFAULT_TV_MODE, g_image[INPUT_TV], DEFAULT_TV_MODE);
}

void CPageOptionVQ7140XX::EnableStereoByAudio() {
    const bool audio = IsDlgButtonChecked(IDC_AUDIO_ENABLE) != BST_UNCHECKED;
    EnableDlgItem(IDC_STEREO_ENABLE, audio);
    if (!audio) CheckDlgButton(IDC_STEREO_ENABLE, BST_UNCHECKED);
}

void CPageOptionVQ7140XX::OnOptionChanged() {
    g_image[COMMON_FLAGS] = FlagBoxBits(kCommonFlagIds);

    // At least one input port stays enabled.
    if (IsDlgButtonChecked(IDC_SV_PORT) == BST_UNCHECKED) CheckDlgButton(IDC_AV_PORT, BST_CHECKED);
    g_image[PORTS] = static_cast<BYTE>((g_image[PORTS] & ~PORT_BITS) | FlagBoxBits({IDC_AV_PORT, IDC_SV_PORT}));

    EnableStereoByAudio();
    BYTE function = FlagBoxBits({IDC_AUDIO_ENABLE, IDC_STEREO_ENABLE, IDC_SAVE_BCSH});

    // The BCSH block sits behind the checksums of the code in force; the
    // edits are locked while it is saved.
    const bool saveBcsh = (function & OPTION10_BCSH) != 0;
    BYTE* block = g_image + BcshOffset(g_codeLen);
    for (std::size_t i = 0; i < BCSH_SIZE; ++i) {
        EnableDlgItem(kBcsh[i].id, !saveBcsh);
        if (saveBcsh) block[i] = static_cast<BYTE>(this->*kBcsh[i].member);
    }

    function |= ComboBits(IDC_MUTE_PATTERN, MUTE_PATTERN);
    g_image[FUNCTION] = function;
    BYTE inputTv = ComboBits(IDC_DEFAULT_INPUT, DEFAULT_INPUT) | ComboBits(IDC_DEFAULT_TV_MODE, DEFAULT_TV_MODE);
    if (ComboIndexOf(inputTv, DEFAULT_TV_MODE) == TV_MODE_NO_SIGNAL) inputTv |= NO_SIGNAL_BITS;
    g_image[INPUT_TV] = inputTv;

    WriteBE16(g_image + 2, g_codeLen);
    g_imageLen = ImageLength(g_image, g_codeLen, Layout());
    g_checksum = StoreChecksums(g_image, Layout());
    UpdateImageInfo();
}

void CPageOptionVQ7140XX::OnEnChangeVid() { OnHexEditChanged(IDC_VID, VID); }

void CPageOptionVQ7140XX::OnEnChangePid() { OnHexEditChanged(IDC_PID, PID); }

void CPageOptionVQ7140XX::OnVideoStringChanged() {
    OnStringFieldChanged(IDC_VIDEO_STRING_CHECK, IDC_VIDEO_STRING, VIDEO_STRING);
}

void CPageOptionVQ7140XX::OnAudioStringChanged() {
    OnStringFieldChanged(IDC_AUDIO_STRING_CHECK, IDC_AUDIO_STRING, AUDIO_STRING);
}

void CPageOptionVQ7140XX::OnBcshEditChanged(std::size_t index) {
    const BcshEdit& e = kBcsh[index];
    if (const std::optional<int> value = CheckNumberEdit(e.id, e.low, e.high)) this->*e.member = *value;
}

void CPageOptionVQ7140XX::OnEnChangeBrightness() { OnBcshEditChanged(0); }

void CPageOptionVQ7140XX::OnEnChangeContrast() { OnBcshEditChanged(1); }

void CPageOptionVQ7140XX::OnEnChangeSaturation() { OnBcshEditChanged(2); }

void CPageOptionVQ7140XX::OnEnChangeHue() { OnBcshEditChanged(3); }

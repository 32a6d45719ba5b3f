// The VQ7140S and VQ7140XX option pages.
#include "PageOptionVQ7140.h"

#include "PageControls.h"
#include "PageControls7140.h"
#include "ResourceIds.h"
#include "AppShell.h"
#include "ImageDocument.h"
#include "VQPatch.h"

// --- VQ7140S -----------------------------------------------------------------

void CPageOptionVQ7140S::OnCreate() {
    // The page is white; its edit keeps the system colours.
    SetWhiteBackground({});
}

// --- VQ7140XX ----------------------------------------------------------------

namespace {

// The four BCSH edits, in the order of the block's bytes, with the fields
// that give their ranges and their values without a block.
struct BcshEdit {
    int id;
    const char* field;
    int CPageOptionVQ7140XX::*member;
};
const BcshEdit kBcsh[BCSH_SIZE] = {
    {IDC_BRIGHTNESS, "brightness", &CPageOptionVQ7140XX::m_nBrightness},
    {IDC_CONTRAST, "contrast", &CPageOptionVQ7140XX::m_nContrast},
    {IDC_SATURATION, "saturation", &CPageOptionVQ7140XX::m_nSaturation},
    {IDC_HUE, "hue", &CPageOptionVQ7140XX::m_nHue},
};

// The option boxes and the flag fields they show.
struct OptionBox {
    int id;
    const char* field;
};
constexpr OptionBox kPortBoxes[] = {{IDC_AV_PORT, "av-port"}, {IDC_SV_PORT, "sv-port"}};
constexpr OptionBox kFunctionBoxes[] = {
    {IDC_AUDIO_ENABLE, "audio"}, {IDC_STEREO_ENABLE, "stereo"}, {IDC_SAVE_BCSH, "save-bcsh"}};
constexpr OptionBox kCombos[] = {
    {IDC_MUTE_PATTERN, "mute-pattern"}, {IDC_DEFAULT_INPUT, "default-input"}, {IDC_DEFAULT_TV_MODE, "tv-mode"}};

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
    for (const OptionBox& combo : kCombos) OnNotify(combo.id, CBN_SELCHANGE, [this] { OnOptionChanged(); });
    SetWhiteBackground({IDC_STATIC, COMMON_FLAG_IDS, IDC_AV_PORT, IDC_SV_PORT, IDC_AUDIO_ENABLE, IDC_STEREO_ENABLE,
                        IDC_SAVE_BCSH, IDC_VIDEO_STRING_CHECK, IDC_AUDIO_STRING_CHECK});
}

void CPageOptionVQ7140XX::SetDefaults() {
    for (const BcshEdit& e : kBcsh) this->*e.member = Field(e.field).fallback;
}

void CPageOptionVQ7140XX::LoadFromImage() {
    LoadFlagBoxes(kCommonFlagIds, g_image[VQ7140XX_COMMON_FLAGS]);
    LoadHexEdit(IDC_VID, Field("vid"));
    LoadHexEdit(IDC_PID, Field("pid"));
    LoadStringField(IDC_VIDEO_STRING_CHECK, IDC_VIDEO_STRING, Field("video-string"));
    LoadStringField(IDC_AUDIO_STRING_CHECK, IDC_AUDIO_STRING, Field("audio-string"));
    for (const OptionBox& box : kPortBoxes) LoadFlagBox(box.id, Field(box.field));
    for (const OptionBox& box : kFunctionBoxes) LoadFlagBox(box.id, Field(box.field));
    EnableStereoByAudio();

    // The stored values, locked while the image saves them; else the values
    // without a block, open for editing.
    for (const BcshEdit& e : kBcsh) {
        const std::optional<int> stored = FieldNumber(g_doc.View(), Field(e.field));
        LimitDlgItemText(e.id, 4);
        SetDlgItemText(e.id, QString::number(stored.value_or(Field(e.field).fallback)));
        EnableDlgItem(e.id, !stored);
    }

    for (const OptionBox& combo : kCombos) LoadCombo(combo.id, Field(combo.field));
}

void CPageOptionVQ7140XX::EnableStereoByAudio() {
    const bool audio = IsTicked(IDC_AUDIO_ENABLE);
    EnableDlgItem(IDC_STEREO_ENABLE, audio);
    if (!audio) CheckDlgButton(IDC_STEREO_ENABLE, BST_UNCHECKED);
}

void CPageOptionVQ7140XX::OnOptionChanged() {
    g_image[VQ7140XX_COMMON_FLAGS] = FlagBoxBits(kCommonFlagIds);
    // At least one input port stays enabled.
    if (!IsTicked(IDC_SV_PORT)) CheckDlgButton(IDC_AV_PORT, BST_CHECKED);
    EnableStereoByAudio();
    for (const OptionBox& box : kPortBoxes) StoreFlagBox(box.id, Field(box.field));
    for (const OptionBox& box : kFunctionBoxes) StoreFlagBox(box.id, Field(box.field));
    for (const OptionBox& combo : kCombos) StoreCombo(combo.id, Field(combo.field));

    // The BCSH block sits behind the checksums of the code in force; the
    // edits are locked while it is saved.
    const bool saveBcsh = IsTicked(IDC_SAVE_BCSH);
    std::array<int, BCSH_SIZE> values{};
    for (std::size_t i = 0; i < BCSH_SIZE; ++i) {
        EnableDlgItem(kBcsh[i].id, !saveBcsh);
        values[i] = this->*kBcsh[i].member;
    }
    if (saveBcsh) PutBcshBlock(g_doc.View(), values);
    RefreshAfterEdit(FieldRefresh::OptionBytes);
}

void CPageOptionVQ7140XX::OnEnChangeVid() { OnHexEditChanged(IDC_VID, Field("vid")); }

void CPageOptionVQ7140XX::OnEnChangePid() { OnHexEditChanged(IDC_PID, Field("pid")); }

void CPageOptionVQ7140XX::OnVideoStringChanged() {
    OnStringFieldChanged(IDC_VIDEO_STRING_CHECK, IDC_VIDEO_STRING, Field("video-string"));
}

void CPageOptionVQ7140XX::OnAudioStringChanged() {
    OnStringFieldChanged(IDC_AUDIO_STRING_CHECK, IDC_AUDIO_STRING, Field("audio-string"));
}

void CPageOptionVQ7140XX::OnBcshEditChanged(std::size_t index) {
    const BcshEdit& e = kBcsh[index];
    const ImageField& field = Field(e.field);
    if (const std::optional<int> value = CheckNumberEdit(e.id, field.low, field.high)) this->*e.member = *value;
}

void CPageOptionVQ7140XX::OnEnChangeBrightness() { OnBcshEditChanged(0); }

void CPageOptionVQ7140XX::OnEnChangeContrast() { OnBcshEditChanged(1); }

void CPageOptionVQ7140XX::OnEnChangeSaturation() { OnBcshEditChanged(2); }

void CPageOptionVQ7140XX::OnEnChangeHue() { OnBcshEditChanged(3); }

// The VQ7170 and VQ7170S option pages.
#include "OptionPages.h"

#include "PageControls.h"
#include "ResourceIds.h"
#include "VQPatch.h"

namespace {

// Header bytes the pages show.
constexpr std::size_t COMMON_FLAGS = 4;
constexpr std::size_t HD_FLAGS = 5;
constexpr std::size_t VID = 6;  // big-endian pair
constexpr std::size_t PID = 8;  // big-endian pair
constexpr StringFieldLayout VIDEO_STRING = ShortStringField(VIDEO_STRING_FIELD);
constexpr StringFieldLayout AUDIO_STRING = ShortStringField(AUDIO_STRING_FIELD);

}  // namespace

void CPageOptionVQ7170::OnCreate() {
    OnNotify(IDC_VIDEO_STRING_CHECK, BN_CLICKED, [this] { OnVideoStringChanged(); });
    OnNotify(IDC_AUDIO_STRING_CHECK, BN_CLICKED, [this] { OnAudioStringChanged(); });
    OnNotify(IDC_VID, EN_CHANGE, [this] { OnEnChangeVid(); });
    OnNotify(IDC_PID, EN_CHANGE, [this] { OnEnChangePid(); });
    OnNotify(IDC_VIDEO_STRING, EN_CHANGE, [this] { OnVideoStringChanged(); });
    OnNotify(IDC_AUDIO_STRING, EN_CHANGE, [this] { OnAudioStringChanged(); });
    SetWhiteBackground({IDC_STATIC, IDC_COMMON_FLAG0, IDC_COMMON_FLAG1, IDC_COMMON_FLAG2, IDC_COMMON_FLAG3,
                        IDC_COMMON_FLAG4, IDC_COMMON_FLAG5, IDC_COMMON_FLAG6, IDC_COMMON_FLAG7, IDC_HD_FLAG0,
                        IDC_HD_FLAG1, IDC_HD_FLAG2, IDC_HD_FLAG3, IDC_HD_FLAG4, IDC_HD_FLAG5, IDC_HD_FLAG6,
                        IDC_HD_FLAG7, IDC_VIDEO_STRING_CHECK, IDC_AUDIO_STRING_CHECK});
}

void CPageOptionVQ7170::WriteDefaults(BYTE magic0, BYTE magic1) {
    WriteDefaultHeader({magic0, magic1, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF,
                       0xFF,   0xFF,   0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00});
}

void CPageOptionVQ7170::SetDefaults() { WriteDefaults(0x5A, 0xA5); }

void CPageOptionVQ7170S::SetDefaults() { WriteDefaults(0xA5, 0x5A); }

void CPageOptionVQ7170::LoadFromImage() {
    LoadFlagBoxes(kCommonFlagIds, g_image[COMMON_FLAGS]);
    LoadHexEdit(IDC_VID, VID);
    LoadHexEdit(IDC_PID, PID);
    LoadStringField(IDC_VIDEO_STRING_CHECK, IDC_VIDEO_STRING, VIDEO_STRING, kVideoStringDefault);
    LoadStringField(IDC_AUDIO_STRING_CHECK, IDC_AUDIO_STRING, AUDIO_STRING, kAudioStringDefault);
    LoadFlagBoxes(kHdFlagIds, g_image[HD_FLAGS]);
}

void CPageOptionVQ7170::OnEnChangeVid() { OnHexEditChanged(IDC_VID, VID); }

void CPageOptionVQ7170::OnEnChangePid() { OnHexEditChanged(IDC_PID, PID); }

void CPageOptionVQ7170::OnVideoStringChanged() {
    OnStringFieldChanged(IDC_VIDEO_STRING_CHECK, IDC_VIDEO_STRING, VIDEO_STRING);
}

void CPageOptionVQ7170::OnAudioStringChanged() {
    OnStringFieldChanged(IDC_AUDIO_STRING_CHECK, IDC_AUDIO_STRING, AUDIO_STRING);
}

// The VQ7170 and VQ7170S option pages.
#include "OptionPages.h"

#include "PageControls.h"
#include "ResourceIds.h"
#include "ImageDocument.h"
#include "VQPatch.h"

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

void CPageOptionVQ7170::LoadFromImage() {
    LoadFlagBoxes(kCommonFlagIds, g_image[VQ7170_COMMON_FLAGS]);
    LoadHexEdit(IDC_VID, Field("vid"));
    LoadHexEdit(IDC_PID, Field("pid"));
    LoadStringField(IDC_VIDEO_STRING_CHECK, IDC_VIDEO_STRING, Field("video-string"));
    LoadStringField(IDC_AUDIO_STRING_CHECK, IDC_AUDIO_STRING, Field("audio-string"));
    LoadFlagBoxes(kHdFlagIds, g_image[VQ7170_HD_FLAGS]);
}

void CPageOptionVQ7170::OnEnChangeVid() { OnHexEditChanged(IDC_VID, Field("vid")); }

void CPageOptionVQ7170::OnEnChangePid() { OnHexEditChanged(IDC_PID, Field("pid")); }

void CPageOptionVQ7170::OnVideoStringChanged() {
    OnStringFieldChanged(IDC_VIDEO_STRING_CHECK, IDC_VIDEO_STRING, Field("video-string"));
}

void CPageOptionVQ7170::OnAudioStringChanged() {
    OnStringFieldChanged(IDC_AUDIO_STRING_CHECK, IDC_AUDIO_STRING, Field("audio-string"));
}

// The VQ7340 option page.
#include "PageOptionVQ7340.h"

#include "PageControls.h"
#include "ResourceIds.h"
#include "AppShell.h"
#include "ImageDocument.h"
#include "VQPatch.h"

#include <string>

WORD g_hdcpKeyOffset = HDCP_KEY_OFFSET;

void CPageOptionVQ7340::OnCreate() {
    OnNotify(IDC_VID, EN_CHANGE, [this] { OnEnChangeVid(); });
    OnNotify(IDC_PID, EN_CHANGE, [this] { OnEnChangePid(); });
    OnNotify(IDC_VIDEO_STRING_CHECK, BN_CLICKED, [this] { OnVideoStringChanged(); });
    OnNotify(IDC_VIDEO_STRING, EN_CHANGE, [this] { OnVideoStringChanged(); });
    OnNotify(IDC_AUDIO_STRING, EN_CHANGE, [this] { OnAudioStringChanged(); });
    OnNotify(IDC_AUDIO_STRING_CHECK, BN_CLICKED, [this] { OnAudioStringChanged(); });
    OnNotify(IDC_KEY_OFFSET, EN_CHANGE, [this] { OnEnChangeKeyOffset(); });
    OnNotify(IDC_LOAD_KEY, BN_CLICKED, [this] { OnBnClickedLoadHdcpKey(); });
    OnNotify(IDC_ENTER_UPG, BN_CLICKED, [this] { OnBnClickedEnterUpg(); });
    SetWhiteBackground({IDC_STATIC, IDC_COMMON_FLAG0, IDC_COMMON_FLAG1, IDC_COMMON_FLAG2, IDC_COMMON_FLAG3,
                        IDC_COMMON_FLAG4, IDC_COMMON_FLAG5, IDC_COMMON_FLAG6, IDC_COMMON_FLAG7,
                        IDC_VIDEO_STRING_CHECK, IDC_AUDIO_STRING_CHECK});
}

void CPageOptionVQ7340::SetDefaults() {
    LimitDlgItemText(IDC_KEY_OFFSET, 4);
    SetDlgItemText(IDC_KEY_OFFSET, HexText(g_hdcpKeyOffset));
}

void CPageOptionVQ7340::LoadFromImage() {
    LoadFlagBoxes(kCommonFlagIds, g_image[VQ7340_COMMON_FLAGS]);
    LoadHexEdit(IDC_VID, Field("vid"));
    LoadHexEdit(IDC_PID, Field("pid"));
    // One layout for both strings, as the image stands before either is
    // written back.
    const ImageField& video = Field("video-string");
    const bool longLayout = LongLayoutApplies(g_doc.View(), video);
    LoadStringField(IDC_VIDEO_STRING_CHECK, IDC_VIDEO_STRING, video, longLayout);
    LoadStringField(IDC_AUDIO_STRING_CHECK, IDC_AUDIO_STRING, Field("audio-string"), longLayout);
}

void CPageOptionVQ7340::OnEnChangeVid() { OnHexEditChanged(IDC_VID, Field("vid")); }

void CPageOptionVQ7340::OnEnChangePid() { OnHexEditChanged(IDC_PID, Field("pid")); }

// A string edit is stored in the layout the image asks for now (a text
// longer than that layout holds is cut), then both checksums, as the long
// strings can lie inside the code; the checksum shown beside the code
// length keeps its value.
void CPageOptionVQ7340::OnVideoStringChanged() {
    OnStringFieldChanged(IDC_VIDEO_STRING_CHECK, IDC_VIDEO_STRING, Field("video-string"));
}

void CPageOptionVQ7340::OnAudioStringChanged() {
    OnStringFieldChanged(IDC_AUDIO_STRING_CHECK, IDC_AUDIO_STRING, Field("audio-string"));
}

void CPageOptionVQ7340::OnEnChangeKeyOffset() {
    if (const std::optional<DWORD> value = CheckHexEdit(IDC_KEY_OFFSET)) g_hdcpKeyOffset = static_cast<WORD>(*value);
}

void CPageOptionVQ7340::OnBnClickedLoadHdcpKey() {
    FileDialogSpec spec;
    spec.title = "Open hdcp key file!";
    spec.filter = "HDCP_KEY (*.bin)|*.bin|";
    const std::string path = Shell().OpenFileDialog(spec);
    if (path.empty()) return;
    // The image changes only when the whole key was read.
    ParsedChange key = LoadKeyFile(Field("hdcp-key"), path);
    if (!key.change) {
        Shell().MessageBox(key.error);
        return;
    }
    ApplyField(*key.change);
}

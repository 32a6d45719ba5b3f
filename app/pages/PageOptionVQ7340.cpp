// The VQ7340 option page.
#include "PageOptionVQ7340.h"

#include "PageControls.h"
#include "ResourceIds.h"
#include "VQPatch.h"

#include <QFileInfo>

#include <string>

WORD g_hdcpKeyOffset = 0x0310;

namespace {

// Header bytes the page shows.
constexpr std::size_t VID = 4;  // big-endian pair
constexpr std::size_t PID = 6;  // big-endian pair
constexpr std::size_t COMMON_FLAGS = 8;

// The strings: the length byte always in the header; the characters behind
// it (short layout) or in their own 64-byte areas (long layout).
constexpr std::size_t VIDEO_LONG_CHARS = 0x1010;
constexpr std::size_t AUDIO_LONG_CHARS = 0x1050;

// The field of one string in the layout in force.
StringFieldLayout StringField(bool video, bool longLayout) {
    const std::size_t length = video ? VIDEO_STRING_FIELD : AUDIO_STRING_FIELD;
    if (!longLayout) return ShortStringField(length);
    return LongStringField(length, video ? VIDEO_LONG_CHARS : AUDIO_LONG_CHARS);
}

bool LongLayoutNow() { return HasLongStringLayout(g_image, g_codeLen); }

}  // namespace

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
    // Magic 3C C3: the flash image.
    WriteDefaultHeader({0x3C, 0xC3, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF,
                       0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00});
    LimitDlgItemText(IDC_KEY_OFFSET, 4);
    SetDlgItemText(IDC_KEY_OFFSET, HexText(g_hdcpKeyOffset));
}

void CPageOptionVQ7340::LoadFromImage() {
    LoadFlagBoxes(kCommonFlagIds, g_image[COMMON_FLAGS]);
    LoadHexEdit(IDC_VID, VID);
    LoadHexEdit(IDC_PID, PID);
    // One layout for both strings, as the image stands before either is
    // written back.
    const bool longLayout = LongLayoutNow();
    LoadStringField(IDC_VIDEO_STRING_CHECK, IDC_VIDEO_STRING, StringField(true, longLayout), kVideoStringDefault);
    LoadStringField(IDC_AUDIO_STRING_CHECK, IDC_AUDIO_STRING, StringField(false, longLayout), kAudioStringDefault);
}

void CPageOptionVQ7340::OnEnChangeVid() { OnHexEditChanged(IDC_VID, VID); }

void CPageOptionVQ7340::OnEnChangePid() { OnHexEditChanged(IDC_PID, PID); }

void CPageOptionVQ7340::OnVideoStringChanged() { OnStringChanged(IDC_VIDEO_STRING_CHECK, IDC_VIDEO_STRING, true); }

void CPageOptionVQ7340::OnAudioStringChanged() { OnStringChanged(IDC_AUDIO_STRING_CHECK, IDC_AUDIO_STRING, false); }

void CPageOptionVQ7340::OnStringChanged(int boxId, int editId, bool video) {
    // A text longer than the layout in force (the layout can change under
    // the edit, for example after a read-back) is cut to what it holds.
    StoreStringField(boxId, editId, StringField(video, LongLayoutNow()));
    RefreshHeaderChecksum();
    // The long strings can lie inside the code. The checksum shown beside
    // the code length keeps its value.
    RefreshCodeChecksum();
    UpdateImageInfo();
}

void CPageOptionVQ7340::OnEnChangeKeyOffset() {
    if (const std::optional<DWORD> value = CheckHexEdit(IDC_KEY_OFFSET)) g_hdcpKeyOffset = static_cast<WORD>(*value);
}

void CPageOptionVQ7340::OnBnClickedLoadHdcpKey() {
    FileDialogSpec spec;
    spec.title = "Open hdcp key file!";
    spec.filter = "HDCP_KEY (*.bin)|*.bin|";
    const std::string path = Host().OpenFileDialog(spec);
    if (path.empty()) return;
    if (QFileInfo(QString::fromStdString(path)).suffix().compare(QStringLiteral("bin"), Qt::CaseInsensitive) != 0) {
        Host().MessageBox("File type error!\n");
        return;
    }
    // The image changes only when the whole key was read.
    const KeyFileRead read = ReadKeyFile(path, g_image + g_hdcpKeyOffset, HDCP_KEY_SIZE);
    switch (read.status) {
    case KeyFileRead::CannotOpen: Host().MessageBox("fail to open file!\n"); return;
    case KeyFileRead::WrongSize:
        Host().MessageBox(QString::asprintf("Invalid key because the length is %lld not equal to 285!\n", read.size)
                              .toStdString());
        return;
    case KeyFileRead::Loaded: break;
    }
    g_checksum = RefreshCodeChecksum();
    UpdateImageInfo();
}

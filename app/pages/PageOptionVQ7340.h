// Row 5, "VQ7340/41": Common Flag bits (shown only), USB vendor and product
// ids, video and audio strings in the short or the long layout, and the
// HDCP key loader.
#pragma once

#include "OptionPage.h"

// Image offset at which a loaded HDCP key is placed; edit 1049 shows it.
extern WORD g_hdcpKeyOffset;

// Size of an HDCP key file, and of the key in the image.
inline constexpr std::size_t HDCP_KEY_SIZE = 285;

class CPageOptionVQ7340 : public COptionPage {
public:
    explicit CPageOptionVQ7340(UINT nIDTemplate) : COptionPage(nIDTemplate, ChecksumLayout::VQ7340) {}

    void LoadFromImage() override;

protected:
    void OnCreate() override;
    void SetDefaults() override;

    void OnEnChangeVid();
    void OnEnChangePid();
    void OnVideoStringChanged();
    void OnAudioStringChanged();
    void OnEnChangeKeyOffset();
    void OnBnClickedLoadHdcpKey();
    void OnBnClickedEnterUpg() {}

private:
    // A string edit: store in the layout the image asks for now, then both
    // checksums (g_checksum stays) and the image information.
    void OnStringChanged(int boxId, int editId, bool video);
};

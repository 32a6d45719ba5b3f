// Row 5, "VQ7340/41": Common Flag bits (shown only), USB vendor and product
// ids, video and audio strings in the short or the long layout, and the
// HDCP key loader.
#pragma once

#include "OptionPage.h"

// Image offset at which a loaded HDCP key is placed; edit 1049 shows it.
extern WORD g_hdcpKeyOffset;

class CPageOptionVQ7340 : public COptionPage {
public:
    explicit CPageOptionVQ7340(UINT nIDTemplate) : COptionPage(nIDTemplate, CHIP_ROW_VQ7340) {}

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
};

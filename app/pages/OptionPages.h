// The seven option page classes, one per chip-type row.
#pragma once

#include "OptionPage.h"
#include "PageOptionVQ5520.h"
#include "PageOptionVQ5632.h"
#include "PageOptionVQ7140.h"
#include "PageOptionVQ7340.h"

// Row 2, "VQ7160/70/70E": Common Flag and HD Function Flag bits (shown
// only), USB vendor and product ids, video and audio strings.
class CPageOptionVQ7170 : public COptionPage {
public:
    explicit CPageOptionVQ7170(UINT nIDTemplate, int row = CHIP_ROW_VQ7170) : COptionPage(nIDTemplate, row) {}

    // Serves the VQ7170S page as well: both show the same header bytes.
    void LoadFromImage() override;

protected:
    void OnCreate() override;

    void OnEnChangeVid();
    void OnEnChangePid();
    void OnVideoStringChanged();
    void OnAudioStringChanged();
};

// Row 3, "VQ7170S": the VQ7170 page with its own captions and default magic.
class CPageOptionVQ7170S : public CPageOptionVQ7170 {
public:
    explicit CPageOptionVQ7170S(UINT nIDTemplate) : CPageOptionVQ7170(nIDTemplate, CHIP_ROW_VQ7170S) {}
};

// The seven option page classes, one per chip-type row. Pages without
// controls of their own yet are empty windows.
#pragma once

#include "OptionPage.h"

class CPageOptionVQ7140S : public COptionPage {
public:
    explicit CPageOptionVQ7140S(UINT nIDTemplate) : COptionPage(nIDTemplate, ChecksumLayout::VQ7140S) {}
};

class CPageOptionVQ7140XX : public COptionPage {
public:
    explicit CPageOptionVQ7140XX(UINT nIDTemplate) : COptionPage(nIDTemplate, ChecksumLayout::VQ7140XX) {}
};

// Row 2, "VQ7160/70/70E": Common Flag and HD Function Flag bits (shown
// only), USB vendor and product ids, video and audio strings.
class CPageOptionVQ7170 : public COptionPage {
public:
    explicit CPageOptionVQ7170(UINT nIDTemplate) : COptionPage(nIDTemplate, ChecksumLayout::VQ7170) {}

    // Serves the VQ7170S page as well: both show the same header bytes.
    void LoadFromImage() override;

protected:
    void OnCreate() override;
    void SetDefaults() override;
    // The default image with this magic in front.
    void WriteDefaults(BYTE magic0, BYTE magic1);

    void OnEnChangeVid();
    void OnEnChangePid();
    void OnVideoStringChanged();
    void OnAudioStringChanged();
};

// Row 3, "VQ7170S": the VQ7170 page with its own captions and default magic.
class CPageOptionVQ7170S : public CPageOptionVQ7170 {
public:
    using CPageOptionVQ7170::CPageOptionVQ7170;

protected:
    void SetDefaults() override;
};

class CPageOptionVQ7340 : public COptionPage {
public:
    explicit CPageOptionVQ7340(UINT nIDTemplate) : COptionPage(nIDTemplate, ChecksumLayout::VQ7340) {}
};

// Row 6, "VQ5632": its own header.
#include "PageOptionVQ5632.h"

class CPageOptionVQ5520 : public COptionPage {
public:
    explicit CPageOptionVQ5520(UINT nIDTemplate) : COptionPage(nIDTemplate, ChecksumLayout::VQ7170) {}
};

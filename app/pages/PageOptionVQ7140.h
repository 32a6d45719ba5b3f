// The option pages of rows 0 ("VQ7140S/40") and 1 ("VQ7150/40E/40SE").
#pragma once

#include "OptionPage.h"

#include <cstddef>

// Row 0: shows nothing; every show or hide resets the 16-byte header of its
// chips. Its images carry no checksums, and the chip programmer does not
// make it reload after a load or read-back.
class CPageOptionVQ7140S : public COptionPage {
public:
    explicit CPageOptionVQ7140S(UINT nIDTemplate) : COptionPage(nIDTemplate, CHIP_ROW_VQ7140S) {}

protected:
    // Only the header is reset, with nothing to load: no image-info refresh
    // either (the chip type change that shows the page refreshes it).
    void OnCreate() override;
};

// Row 1: USB ids and strings, input ports, audio, mute pattern, default
// input and TV mode, and the BCSH block (brightness, contrast, saturation,
// hue) that may follow the image's checksums.
class CPageOptionVQ7140XX : public COptionPage {
public:
    explicit CPageOptionVQ7140XX(UINT nIDTemplate) : COptionPage(nIDTemplate, CHIP_ROW_VQ7140XX) {}

    void LoadFromImage() override;

    // The BCSH values the edits hold; they reach the image only when an
    // option change finds "Save BCSH" ticked.
    int m_nBrightness = 0;    // -128..127
    int m_nContrast = 128;    // 0..255
    int m_nSaturation = 128;  // 0..255
    int m_nHue = 0;           // -128..127

protected:
    void OnCreate() override;
    void SetDefaults() override;

    // Rebuilds option bytes 8..11, the BCSH block, the code and image
    // lengths and both checksums from the controls.
    void OnOptionChanged();
    void OnEnChangeVid();
    void OnEnChangePid();
    void OnVideoStringChanged();
    void OnAudioStringChanged();
    void OnEnChangeBrightness();
    void OnEnChangeContrast();
    void OnEnChangeSaturation();
    void OnEnChangeHue();

private:
    // Stereo can be chosen only with audio: unticked and disabled without.
    void EnableStereoByAudio();
    // The signed-number rule on BCSH edit index (0 brightness .. 3 hue).
    void OnBcshEditChanged(std::size_t index);
};

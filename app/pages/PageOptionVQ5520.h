// Row 4, "VQ5520/1/2/3/5": SDRAM type, udisk switch, USB vendor and product
// ids, manufacturer and product strings, default video mode; six flag bits
// shown only; the hidden GPIO multiplex radios that switch the chip's
// memory bus directly.
#pragma once

#include "OptionPage.h"

class CPageOptionVQ5520 : public COptionPage {
public:
    explicit CPageOptionVQ5520(UINT nIDTemplate) : COptionPage(nIDTemplate, CHIP_ROW_VQ5520) {}

    void LoadFromImage() override;

protected:
    void OnCreate() override;

    void OnBnClickedSdram2M();
    void OnBnClickedSdram4M();
    void OnBnClickedSdram8M();
    void OnBnClickedSdram16M();
    void OnBnClickedSdramNone();
    void OnBnClickedSdramDefault();
    void OnBnClickedGpioEeprom();
    void OnBnClickedGpioFlash();
    void OnBnClickedUdiskEnable();
    void OnEnChangeVid();
    void OnEnChangePid();
    void OnManufacturerStringChanged();
    void OnProductStringChanged();
    void OnBnClickedVideoModeByGpio();
    void OnBnClickedNtsc();
    void OnBnClickedPal();
    void OnBnClickedDvoRgb888();
    void OnBnClickedDvo8bitBt601();
    void OnBnClickedDvo16bitBt601();
    void OnBnClickedDvo8bitBt656();
    void OnBnClickedDvo16bitBt656();
    void OnBnClickedDvo8bitBt709();
    void OnBnClickedDvo16bitBt709();
    void OnBnClickedDvo8bitBt1120();

private:
    // The SDRAM type of choice index, then the refreshes.
    void SetSdramType(std::size_t index);
    // The digital video output format, then the refreshes.
    void SetDvoFormat(int format);
    // The ten mode radios follow "Detemined by gpio".
    void EnableModeRadios(bool enable);
};

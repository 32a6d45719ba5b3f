// Row 6, "VQ5632": the udisk bit of the image, and a register tool that
// reads and writes single SFR, IDATA and XDATA bytes of the connected chip.
#pragma once

#include "OptionPage.h"

class CPageOptionVQ5632 : public COptionPage {
public:
    explicit CPageOptionVQ5632(UINT nIDTemplate) : COptionPage(nIDTemplate, CHIP_ROW_VQ5632) {}

    // The udisk box from header byte 8 bit 6.
    void LoadFromImage() override;

    // Register address of Read and Write, from the "Addr:" edit. Belongs to
    // the object, so it outlives the page window.
    WORD m_nAddr = 0;

protected:
    void OnCreate() override;
    void SetDefaults() override;

    void OnBnClickedUdiskEnable();
    void OnEnChangeAddr();
    void OnBnClickedRead();
    void OnBnClickedWrite();
    void OnBnClickedUdiskWriteEnable();

private:
    enum class Space { None, Sfr, Xdata };
    // The ticked register space; IDATA goes through the XDATA requests.
    Space TickedSpace() const;
};

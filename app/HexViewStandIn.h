// Stand-in for the hex view widget until it is available: keeps a copy of
// the bytes it is given and shows nothing.
#pragma once

#include "WinTypes.h"

#include <QWidget>

#include <vector>

class CHexEditBase : public QWidget {
public:
    explicit CHexEditBase(QWidget* parent = nullptr) : QWidget(parent) { setFocusPolicy(Qt::StrongFocus); }
    void SetData(const BYTE* pData, UINT nSize) {
        if (pData) m_data.assign(pData, pData + nSize); else m_data.clear();
        update();
    }
    BYTE* GetData() { return m_data.empty() ? nullptr : m_data.data(); }
    UINT GetDataSize() const { return static_cast<UINT>(m_data.size()); }
    void SetAddressDigits(UINT) {}
    void SetShowAddress(bool) {}
    void SetBytesPerRow(UINT, bool) {}

private:
    std::vector<BYTE> m_data;
};

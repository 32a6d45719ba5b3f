#include "ControlObjects.h"

#include "UiThread.h"

#include <algorithm>

void CProgressCtrl::SetRange(int lower, int upper) {
    RunOnUiThread([&] {
        m_nLower = lower;
        m_nUpper = upper;
        if (m_wnd) m_wnd->setRange(lower, upper);
    });
}

void CProgressCtrl::SetPos(int pos) {
    RunOnUiThread([&] {
        const int clamped = std::clamp(pos, m_nLower, std::max(m_nLower, m_nUpper));
        m_nPos.store(clamped, std::memory_order_release);
        if (!m_wnd) return;
        m_wnd->setValue(clamped);  // painted on the next pass of the event loop
    });
}

int CButton::GetCheck() const {
    return RunOnUiThread([&] { return m_wnd && m_wnd->isChecked() ? 1 : 0; });
}

void CButton::SetCheck(int check) {
    RunOnUiThread([&] {
        if (m_wnd) m_wnd->setChecked(check != 0);
    });
}

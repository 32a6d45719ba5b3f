#include "ControlObjects.h"

#include "UiThread.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>

void CProgressCtrl::SetRange(int lower, int upper) {
    RunOnUiThread([&] {
        m_nLower.store(lower);
        m_nUpper.store(upper);
        if (m_wnd) m_wnd->setRange(lower, upper);
    });
}

void CProgressCtrl::SetPos(int pos) {
    const int lower = m_nLower.load();
    m_nPos.store(std::clamp(pos, lower, std::max(lower, m_nUpper.load())));
    if (OnUiThread()) {
        ShowPos();
        return;
    }
    // One hand-over at a time; it shows whatever position is last by then.
    if (!m_bShowPending.exchange(true)) PostToUiThread([this] { ShowPosSoon(); });
}

void CProgressCtrl::ShowPendingPos() {
    if (m_bShowPending.exchange(false)) ShowPos();
}

void CProgressCtrl::ShowPosSoon() {
    using namespace std::chrono;
    const auto since = steady_clock::now() - m_lastShown;
    if (since >= milliseconds(FRAME_MS) || !m_wnd) {
        ShowPendingPos();
        return;
    }
    const int wait = static_cast<int>(duration_cast<milliseconds>(milliseconds(FRAME_MS) - since).count()) + 1;
    // Not tied to the bar's window: a bar that goes meanwhile must not leave
    // the hand-over pending for the next one.
    QTimer::singleShot(wait, QCoreApplication::instance(), [this] { ShowPendingPos(); });
}

void CProgressCtrl::ShowPos() {
    if (!m_wnd) return;
    const int pos = m_nPos.load();
    if (m_wnd->value() == pos) return;
    m_lastShown = std::chrono::steady_clock::now();
    // QProgressBar::setValue repaints at once; with updates off it only
    // stores the value, and turning them on again schedules the paint.
    if (!m_wnd->updatesEnabled()) {
        m_wnd->setValue(pos);
        return;
    }
    m_wnd->setUpdatesEnabled(false);
    m_wnd->setValue(pos);
    m_wnd->setUpdatesEnabled(true);
}

int CButton::GetCheck() const {
    return RunOnUiThread([&] { return m_wnd && m_wnd->isChecked() ? 1 : 0; });
}

void CButton::SetCheck(int check) {
    RunOnUiThread([&] {
        if (m_wnd) m_wnd->setChecked(check != 0);
    });
}

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
    // The first move hands over; while the user-interface thread follows the
    // bar, later moves need nothing more than the store above.
    if (!m_bFollowing.exchange(true)) PostToUiThread([this] { Follow(); });
}

void CProgressCtrl::ShowPendingPos() {
    if (m_bFollowing.load()) ShowPos();
}

void CProgressCtrl::Follow() {
    m_nFollowedPos = m_nPos.load();
    ShowPos();
    // Not tied to the bar's window: a bar that goes meanwhile must not stop
    // the following for the next one.
    QTimer::singleShot(FRAME_MS, QCoreApplication::instance(), [this] { FollowFrame(); });
}

void CProgressCtrl::FollowFrame() {
    if (m_nPos.load() != m_nFollowedPos) {
        Follow();
        return;
    }
    // A frame without a move: the next move hands over again. One made
    // since the look above would find the flag still set and hand nothing
    // over, so look once more after clearing it.
    m_bFollowing.store(false);
    if (m_nPos.load() != m_nFollowedPos && !m_bFollowing.exchange(true)) Follow();
}

void CProgressCtrl::ShowPos() {
    if (!m_wnd) return;
    const int pos = m_nPos.load();
    if (m_wnd->value() == pos) return;
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

void CButton::Attach(QAbstractButton* wnd) {
    QObject::disconnect(m_toggled);
    QObject::disconnect(m_destroyed);
    m_wnd = wnd;
    m_bChecked.store(wnd && wnd->isChecked());
    if (!wnd) return;
    // Every change of the state, by the user or by the program (no handler runs on it).
    m_toggled = QObject::connect(wnd, &QAbstractButton::toggled, wnd, [this](bool checked) { m_bChecked.store(checked); });
    m_destroyed = QObject::connect(wnd, &QObject::destroyed, wnd, [this] { m_bChecked.store(false); });
}

int CButton::GetCheck() const {
    if (OnUiThread()) return m_wnd && m_wnd->isChecked() ? 1 : 0;
    return m_bChecked.load() ? 1 : 0;
}

void CButton::SetCheck(int check) {
    RunOnUiThread([&] {
        if (m_wnd) m_wnd->setChecked(check != 0);
    });
}

// Control objects that exist before their windows: a global object is
// built at start-up and bound to its control window later by the main
// dialog (data exchange). Without a window the calls do nothing.
#pragma once

#include "WinTypes.h"

#include <QAbstractButton>
#include <QPointer>
#include <QProgressBar>

#include <atomic>

class CProgressCtrl {
public:
    void Attach(QProgressBar* wnd) { m_wnd = wnd; }
    QProgressBar* GetWnd() const { return m_wnd.data(); }

    void SetRange(int lower, int upper);
    // Moves the bar (clamped to the range); the bar is painted on the next
    // pass of the user-interface thread's event loop, so a job's hundred
    // steps cost no hundred paints. Any thread; the window is changed on the
    // user-interface thread before the call returns.
    void SetPos(int pos);
    // The position shown now; any thread.
    int GetPos() const { return m_nPos.load(std::memory_order_acquire); }

private:
    QPointer<QProgressBar> m_wnd;
    int m_nLower = 0;
    int m_nUpper = 100;
    std::atomic<int> m_nPos{0};
};

class CButton {
public:
    void Attach(QAbstractButton* wnd) { m_wnd = wnd; }
    QAbstractButton* GetWnd() const { return m_wnd.data(); }
    // 1 when checked, else 0 (also without a window). Any thread.
    int GetCheck() const;
    void SetCheck(int check);

private:
    QPointer<QAbstractButton> m_wnd;
};

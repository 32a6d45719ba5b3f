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
    // Moves the bar (clamped to the range). Never paints inside the call:
    // the bar is painted on a later pass of the user-interface thread's
    // event loop, so a job's hundred steps cost no hundred paints.
    // On the user-interface thread the bar takes the position at once. From
    // a worker the call returns without waiting: the position reaches the
    // bar on the user-interface thread after every call the worker handed
    // over before it (a status text set before shows before it, one set
    // after shows after it); positions set in between may be passed over,
    // the last one always arrives.
    void SetPos(int pos);
    // The position last set; any thread.
    int GetPos() const { return m_nPos.load(std::memory_order_acquire); }

private:
    // The last position onto the bar; user-interface thread.
    void ShowPos();

    QPointer<QProgressBar> m_wnd;
    std::atomic<int> m_nLower{0};
    std::atomic<int> m_nUpper{100};
    std::atomic<int> m_nPos{0};
    std::atomic<bool> m_bShowPending{false};  // a ShowPos is on its way to the user-interface thread
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

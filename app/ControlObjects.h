// Control objects that exist before their windows: a global object is
// built at start-up and bound to its control window later by the main
// dialog (data exchange). Without a window the calls do nothing.
#pragma once

#include "WinTypes.h"

#include <QAbstractButton>
#include <QPointer>
#include <QProgressBar>

#include <atomic>
#include <chrono>

class CProgressCtrl {
public:
    void Attach(QProgressBar* wnd) { m_wnd = wnd; }
    QProgressBar* GetWnd() const { return m_wnd.data(); }

    void SetRange(int lower, int upper);
    // Moves the bar (clamped to the range). Never paints inside the call:
    // the bar is painted on a later pass of the user-interface thread's
    // event loop.
    // On the user-interface thread the bar takes the position at once. From
    // a worker the call returns without waiting; the bar takes the position
    // on the user-interface thread after every call the worker handed over
    // before it, at most once a frame (a fast job's hundred steps cost no
    // hundred paints, which would take the processor from the job), and at
    // the latest when the next status text is shown (ShowPendingPos), so
    // the two keep their order. Positions in between may be passed over;
    // the last one always arrives.
    void SetPos(int pos);
    // The position last set; any thread.
    int GetPos() const { return m_nPos.load(std::memory_order_acquire); }
    // User-interface thread: a position from a worker still on its way is
    // shown now.
    void ShowPendingPos();

    // The shortest time between two moves of the bar from a worker.
    static constexpr int FRAME_MS = 16;

private:
    // User-interface thread: the last position onto the bar, now or, when
    // the bar moved less than a frame ago, once the frame is over.
    void ShowPosSoon();
    void ShowPos();

    QPointer<QProgressBar> m_wnd;
    std::atomic<int> m_nLower{0};
    std::atomic<int> m_nUpper{100};
    std::atomic<int> m_nPos{0};
    std::atomic<bool> m_bShowPending{false};  // a position from a worker is on its way
    std::chrono::steady_clock::time_point m_lastShown{};  // user-interface thread
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

// Control objects that exist before their windows: a global object is
// built at start-up and bound to its control window later by the main
// dialog (data exchange). Without a window the calls do nothing.
#pragma once

#include "PaintPacer.h"
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
    // event loop.
    // On the user-interface thread the bar takes the position at once. From
    // a worker the call returns without waiting: the first move of a run is
    // handed over to the user-interface thread, which shows it after every
    // call the worker handed over before, then follows the bar once a frame
    // for as long as the worker keeps moving it. A fast job's hundred steps
    // thus cost neither a hundred paints nor a hundred wake-ups, which would
    // take processor time from the job. A position set before a status text
    // shows before the text (ShowPendingPos); positions in between may be
    // passed over; the last one always arrives.
    void SetPos(int pos);
    // The position last set; any thread.
    int GetPos() const { return m_nPos.load(std::memory_order_acquire); }
    // User-interface thread: a worker's position not shown yet is shown now.
    void ShowPendingPos();

    // How often the user-interface thread looks at a bar a worker moves.
    static constexpr int FRAME_MS = CPaintPacer::FRAME_MS;

private:
    // User-interface thread: shows the last position and looks again a frame
    // later (FollowFrame), until a frame passes without a move.
    void Follow();
    void FollowFrame();
    // User-interface thread: the last position onto the bar.
    void ShowPos();

    QPointer<QProgressBar> m_wnd;
    std::atomic<int> m_nLower{0};
    std::atomic<int> m_nUpper{100};
    std::atomic<int> m_nPos{0};
    std::atomic<bool> m_bFollowing{false};  // the user-interface thread follows a worker's moves
    int m_nFollowedPos = 0;                 // user-interface thread: the position Follow last took
};

class CButton {
public:
    void Attach(QAbstractButton* wnd);
    QAbstractButton* GetWnd() const { return m_wnd.data(); }
    // 1 when checked, else 0 (also without a window). Any thread: a worker
    // reads the state the button had when the user-interface thread last
    // changed it, without a trip there.
    int GetCheck() const;
    void SetCheck(int check);

private:
    QPointer<QAbstractButton> m_wnd;
    std::atomic<bool> m_bChecked{false};  // follows the button on the user-interface thread
    QMetaObject::Connection m_toggled, m_destroyed;
};

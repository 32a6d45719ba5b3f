// Paces the paints of a top-level window to one a frame while it is on, so
// that a worker's calls onto the user-interface thread do not queue behind
// a paint of every change: an update request that comes within a frame of
// the last paint (or of the start) is noted, and the window is painted once
// at the end of the frame with everything that changed meanwhile. Stopping
// paints what is noted on the next pass of the event loop.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

class CPaintPacer final : public QObject {
public:
    static constexpr int FRAME_MS = 16;

    // window: any widget; its top-level window is paced.
    explicit CPaintPacer(QWidget* window);

    void Start();
    void Stop();

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void EndOfFrame();

    QPointer<QWidget> m_window;
    QElapsedTimer m_frame;  // since the last paint or the start
    QTimer m_endOfFrame;
    bool m_bOn = false;
    bool m_bNoted = false;     // a paint was asked for within the frame
    bool m_bPassing = false;   // the paint of the end of a frame is on its way
};

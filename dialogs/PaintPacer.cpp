#include "PaintPacer.h"

#include <QCoreApplication>
#include <QEvent>

CPaintPacer::CPaintPacer(QWidget* window) : m_window(window ? window->window() : nullptr) {
    m_endOfFrame.setSingleShot(true);
    m_endOfFrame.setTimerType(Qt::PreciseTimer);
    connect(&m_endOfFrame, &QTimer::timeout, this, [this] { EndOfFrame(); });
    if (m_window) m_window->installEventFilter(this);
}

void CPaintPacer::Start() {
    m_bOn = true;
    m_frame.start();
}

void CPaintPacer::Stop() {
    m_bOn = false;
    m_endOfFrame.stop();
    if (!m_bNoted || !m_window) return;
    m_bNoted = false;
    // Posted, not sent: Stop may run inside a worker's call, where nothing paints.
    QCoreApplication::postEvent(m_window, new QEvent(QEvent::UpdateRequest), Qt::LowEventPriority);
}

bool CPaintPacer::eventFilter(QObject* watched, QEvent* event) {
    if (!m_bOn || m_bPassing || watched != m_window || event->type() != QEvent::UpdateRequest) return false;
    const qint64 elapsed = m_frame.elapsed();
    if (elapsed >= FRAME_MS && !m_endOfFrame.isActive()) {
        m_frame.start();
        return false;  // paint now
    }
    m_bNoted = true;
    if (!m_endOfFrame.isActive()) m_endOfFrame.start(static_cast<int>(FRAME_MS - elapsed));
    return true;
}

void CPaintPacer::EndOfFrame() {
    m_frame.start();
    if (!m_bNoted || !m_window) return;
    m_bNoted = false;
    QEvent request(QEvent::UpdateRequest);
    m_bPassing = true;
    QCoreApplication::sendEvent(m_window, &request);
    m_bPassing = false;
}

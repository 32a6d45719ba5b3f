// Preloaded (LD_PRELOAD) into each program the start-up bench runs, the
// window and the hello-world alike: once the first paint of a top-level
// window has been handed to the window system, it writes the monotonic clock
// (nanoseconds, 8 bytes) to the descriptor named by STARTUP_PROBE_FD and
// ends the process at once. Does nothing when that variable is not set.
#include <QCoreApplication>
#include <QEvent>
#include <QMetaObject>
#include <QWidget>

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <unistd.h>

namespace {

class FirstPaintProbe : public QObject {
public:
    explicit FirstPaintProbe(int fd) : m_fd(fd) {}

    bool eventFilter(QObject* watched, QEvent* e) override {
        if (!m_seen && e->type() == QEvent::Paint) {
            const auto* w = qobject_cast<QWidget*>(watched);
            if (w && w->isWindow()) {
                m_seen = true;
                // The window paints itself first, then its children, then
                // hands the whole to the window system; the queued call runs
                // once all that has returned to the event loop.
                QMetaObject::invokeMethod(this, [this] { Report(); }, Qt::QueuedConnection);
            }
        }
        return false;
    }

private:
    void Report() const {
        timespec ts{};
        clock_gettime(CLOCK_MONOTONIC, &ts);
        const std::int64_t ns = static_cast<std::int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
        const ssize_t written = write(m_fd, &ns, sizeof ns);
        _exit(written == sizeof ns ? 0 : 1);
    }

    int m_fd;
    bool m_seen = false;
};

void InstallProbe() {
    const char* fd = std::getenv("STARTUP_PROBE_FD");
    if (!fd || !*fd) return;
    QCoreApplication::instance()->installEventFilter(new FirstPaintProbe(std::atoi(fd)));
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(InstallProbe)

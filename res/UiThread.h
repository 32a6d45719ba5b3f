// Runs code on the user-interface thread and waits for it, the way a
// window message sent from another thread is handled by the window's thread.
#pragma once

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

#include <type_traits>
#include <utility>

inline bool OnUiThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return !app || QThread::currentThread() == app->thread();
}

// Calls f on the user-interface thread: at once when already there, else
// queued to it while the calling thread blocks until f has returned. The
// caller must not hold anything the user-interface thread waits for.
template <class F>
auto RunOnUiThread(F&& f) -> std::invoke_result_t<F&> {
    using R = std::invoke_result_t<F&>;
    if (OnUiThread()) return f();
    if constexpr (std::is_void_v<R>) {
        QMetaObject::invokeMethod(QCoreApplication::instance(), [&f] { f(); }, Qt::BlockingQueuedConnection);
    } else {
        R result{};
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [&f, &result] { result = f(); }, Qt::BlockingQueuedConnection);
        return result;
    }
}

// Runs code on the user-interface thread and waits for it, the way a
// window message sent from another thread is handled by the window's thread.
#pragma once

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

#include <type_traits>
#include <utility>

#if defined(__SANITIZE_THREAD__)
extern "C" void __tsan_acquire(void* addr);
extern "C" void __tsan_release(void* addr);
#endif

namespace uithread_detail {
// The blocking call orders the caller's writes before f and f's writes
// before the caller goes on. Qt's own wait is invisible to ThreadSanitizer
// (Qt is not built with it), so the order is told to it here.
inline void Release([[maybe_unused]] void* token) {
#if defined(__SANITIZE_THREAD__)
    __tsan_release(token);
#endif
}
inline void Acquire([[maybe_unused]] void* token) {
#if defined(__SANITIZE_THREAD__)
    __tsan_acquire(token);
#endif
}
}  // namespace uithread_detail

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
    using uithread_detail::Acquire;
    using uithread_detail::Release;
    char token = 0;
    if constexpr (std::is_void_v<R>) {
        Release(&token);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [&f, &token] {
                Acquire(&token);
                f();
                Release(&token);
            },
            Qt::BlockingQueuedConnection);
        Acquire(&token);
    } else {
        R result{};
        Release(&token);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [&f, &result, &token] {
                Acquire(&token);
                result = f();
                Release(&token);
            },
            Qt::BlockingQueuedConnection);
        Acquire(&token);
        return result;
    }
}

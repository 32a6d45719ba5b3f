// Runs code on the user-interface thread while the calling thread waits for
// it to return.
#pragma once

#include <QCoreApplication>
#include <QThread>

#include <functional>
#include <type_traits>
#include <utility>

inline bool OnUiThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return !app || QThread::currentThread() == app->thread();
}

// Hands f to the user-interface thread and returns at once, wherever it is
// called from. f runs there on a later pass of the event loop, after every
// call handed over before it (by RunOnUiThread too); not at all when the
// application goes away first.
void PostToUiThread(std::function<void()> f);

namespace uithread_detail {
// Posts run(context) to the user-interface thread and blocks until it has
// returned there (or until the call is dropped because the application
// goes away). The hand-over and the wait use the standard library's locks,
// so that ThreadSanitizer sees the order too (Qt is not built with it).
void CallOnUiThread(void (*run)(void*), void* context);
}  // namespace uithread_detail

// Calls f on the user-interface thread: at once when already there, else
// queued to it while the calling thread blocks until f has returned. The
// caller must not hold anything the user-interface thread waits for.
template <class F>
auto RunOnUiThread(F&& f) -> std::invoke_result_t<F&> {
    using R = std::invoke_result_t<F&>;
    if (OnUiThread()) return f();
    if constexpr (std::is_void_v<R>) {
        uithread_detail::CallOnUiThread([](void* p) { (*static_cast<std::remove_reference_t<F>*>(p))(); },
                                        const_cast<void*>(static_cast<const void*>(&f)));
    } else {
        struct Context {
            std::remove_reference_t<F>* f;
            R result{};
        } ctx{&f};
        uithread_detail::CallOnUiThread([](void* p) {
            auto* c = static_cast<Context*>(p);
            c->result = (*c->f)();
        }, &ctx);
        return std::move(ctx.result);
    }
}

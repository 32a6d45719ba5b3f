#include "UiThread.h"

#include <QEvent>
#include <QObject>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <utility>

#if defined(__SANITIZE_THREAD__)
extern "C" void __tsan_acquire(void* addr);
extern "C" void __tsan_release(void* addr);
#endif

namespace uithread_detail {
namespace {

// The caller's event is built before it is posted; Qt's queue orders that,
// but ThreadSanitizer can't see into Qt, so the order is told to it.
void Release([[maybe_unused]] void* token) {
#if defined(__SANITIZE_THREAD__)
    __tsan_release(token);
#endif
}
void Acquire([[maybe_unused]] void* token) {
#if defined(__SANITIZE_THREAD__)
    __tsan_acquire(token);
#endif
}

// Shared by the caller and its event, so that either may be the last to
// let go of it.
struct Call {
    Call(void (*r)(void*), void* c) : run(r), context(c) {}
    void (*run)(void*);
    void* context;
    std::mutex mutex;
    std::condition_variable cv;
    // Set under mutex, so that a sleeping caller can't miss it; read
    // without it by a caller that spins.
    std::atomic<bool> finished{false};
};

// How long a caller spins for its call before it sleeps: most calls are
// back sooner, and a sleeping thread takes a while to wake up again.
constexpr auto SPIN = std::chrono::microseconds(50);

// The event of a call handed to the user-interface thread.
class UiCallEvent : public QEvent {
public:
    UiCallEvent() : QEvent(Type()) {}
    virtual void Run() = 0;

    static QEvent::Type Type() {
        static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
        return type;
    }
};

// A call whose caller waits for it.
class CallEvent final : public UiCallEvent {
public:
    explicit CallEvent(std::shared_ptr<Call> call) : m_call(std::move(call)) {}
    // An event dropped without being run (the application is going away)
    // still lets its caller go on.
    ~CallEvent() override {
        if (m_call) Finish();
    }
    void Run() override {
        m_call->run(m_call->context);
        Finish();
    }

private:
    void Finish() {
        const std::shared_ptr<Call> call = std::move(m_call);
        {
            std::lock_guard lock(call->mutex);
            call->finished.store(true, std::memory_order_release);
        }
        call->cv.notify_one();
    }
    std::shared_ptr<Call> m_call;
};

// A call nobody waits for.
class PostedEvent final : public UiCallEvent {
public:
    explicit PostedEvent(std::function<void()> f) : m_f(std::move(f)) {}
    void Run() override { m_f(); }

private:
    std::function<void()> m_f;
};

// Lives on the user-interface thread and runs the calls posted to it.
class Receiver final : public QObject {
public:
    Receiver() { moveToThread(QCoreApplication::instance()->thread()); }
    bool event(QEvent* e) override {
        Acquire(e);
        if (e->type() != UiCallEvent::Type()) return QObject::event(e);
        static_cast<UiCallEvent*>(e)->Run();
        return true;
    }
};

Receiver& TheReceiver() {
    static Receiver* receiver = new Receiver;  // never destroyed: callers may come late
    return *receiver;
}

}  // namespace

void CallOnUiThread(void (*run)(void*), void* context) {
    const auto call = std::make_shared<Call>(run, context);
    auto* event = new CallEvent(call);
    Release(event);
    QCoreApplication::postEvent(&TheReceiver(), event);
    const auto spinUntil = std::chrono::steady_clock::now() + SPIN;
    while (!call->finished.load(std::memory_order_acquire)) {
        if (std::chrono::steady_clock::now() < spinUntil) continue;
        std::unique_lock lock(call->mutex);
        call->cv.wait(lock, [&call] { return call->finished.load(std::memory_order_acquire); });
        break;
    }
}

}  // namespace uithread_detail

void PostToUiThread(std::function<void()> f) {
    using namespace uithread_detail;
    if (!QCoreApplication::instance()) {
        f();  // no event loop to hand it to
        return;
    }
    auto* event = new PostedEvent(std::move(f));
    Release(event);
    QCoreApplication::postEvent(&TheReceiver(), event);
}

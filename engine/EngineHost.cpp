#include "EngineHost.h"

#include "Pause.h"

#include <atomic>
#include <chrono>
#include <cstdio>

namespace {

class PlainHost final : public IEngineHost {
public:
    void SetStatusText(const std::string& text, COLORREF) override { std::fprintf(stderr, "%s\n", text.c_str()); }
    void SetProgress(int) override {}
    void Sleep(DWORD ms) override { PauseFor(std::chrono::milliseconds(ms)); }
    std::tm LocalTime() override { return LocalTimeNow(); }
};

PlainHost g_plainHost;
std::atomic<IEngineHost*> g_host{&g_plainHost};
thread_local IEngineHost* t_host = nullptr;

}  // namespace

IEngineHost& Host() {
    if (t_host) return *t_host;
    return *g_host.load(std::memory_order_acquire);
}

ScopedThreadHost::ScopedThreadHost(IEngineHost& host) : previous_(t_host) { t_host = &host; }

ScopedThreadHost::~ScopedThreadHost() { t_host = previous_; }

void SetEngineHost(IEngineHost* host) { g_host.store(host ? host : &g_plainHost, std::memory_order_release); }

std::tm LocalTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm out{};
    localtime_r(&now, &out);
    return out;
}

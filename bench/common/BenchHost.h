// An engine host for the benches: keeps the last status and progress, pauses
// on a virtual clock and shows nothing.
#pragma once

#include "EngineHost.h"

#include <string>

class BenchHost : public IEngineHost {
public:
    BenchHost() { SetEngineHost(this); }
    ~BenchHost() override { SetEngineHost(nullptr); }
    BenchHost(const BenchHost&) = delete;
    BenchHost& operator=(const BenchHost&) = delete;

    void SetStatusText(const std::string& text, COLORREF) override { last = text; }
    void SetProgress(int pos) override { progress = pos; }
    void Sleep(DWORD ms) override { virtualMs += ms; }
    std::tm LocalTime() override { return {}; }

    std::string last;
    volatile int progress = 0;
    unsigned long long virtualMs = 0;
};

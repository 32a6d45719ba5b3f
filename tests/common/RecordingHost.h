// A host for engine tests: records what the engine shows and keeps a
// virtual clock instead of pausing.
#pragma once

#include "EngineHost.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

class RecordingHost : public IEngineHost {
public:
    struct Status {
        std::string text;
        COLORREF colour;
        bool operator==(const Status&) const = default;
    };

    RecordingHost() { SetEngineHost(this); }
    ~RecordingHost() override { SetEngineHost(nullptr); }

    void SetStatusText(const std::string& text, COLORREF colour) override {
        std::lock_guard lock(mutex_);
        statuses.push_back({text, colour});
    }
    void SetProgress(int pos) override {
        std::lock_guard lock(mutex_);
        progress.push_back(pos);
    }
    void Sleep(DWORD ms) override {
        clockMs += ms;
        std::lock_guard lock(mutex_);
        if (recordPauses) pauses.push_back(ms);
    }
    std::tm LocalTime() override { return now; }

    // Sets the clock: year, month 1..12, day, hour, minute, second.
    void SetNow(int year, int month, int day, int hour, int minute, int second = 0) {
        now = {};
        now.tm_year = year - 1900;
        now.tm_mon = month - 1;
        now.tm_mday = day;
        now.tm_hour = hour;
        now.tm_min = minute;
        now.tm_sec = second;
    }

    const Status& LastStatus() const { return statuses.back(); }
    void Clear() {
        std::lock_guard lock(mutex_);
        statuses.clear();
        progress.clear();
        pauses.clear();
        clockMs = 0;
    }

    std::vector<Status> statuses;
    std::vector<int> progress;
    std::vector<DWORD> pauses;
    std::atomic<std::uint64_t> clockMs{0};
    bool recordPauses = false;
    std::tm now{};

private:
    std::mutex mutex_;
};

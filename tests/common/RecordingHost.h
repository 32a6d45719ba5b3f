// A host for engine tests: records what the engine shows, answers dialogs
// from a script and keeps a virtual clock instead of pausing.
#pragma once

#include "EngineHost.h"

#include <atomic>
#include <cstdint>
#include <deque>
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
    bool IsModifyLengthChecked() override { return modifyLengthChecked; }
    void RefreshOptionPage() override { ++pageRefreshes; }
    std::string OpenFileDialog(const FileDialogSpec& spec) override { return Answer(spec, true); }
    std::string SaveFileDialog(const FileDialogSpec& spec) override { return Answer(spec, false); }
    void MessageBox(const std::string& text) override {
        std::lock_guard lock(mutex_);
        messages.push_back(text);
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

    // The next dialog answers with this path ("" = cancel).
    void QueueDialogAnswer(std::string path) { answers.push_back(std::move(path)); }

    const Status& LastStatus() const { return statuses.back(); }
    void Clear() {
        std::lock_guard lock(mutex_);
        statuses.clear();
        progress.clear();
        messages.clear();
        pauses.clear();
        dialogs.clear();
        clockMs = 0;
        pageRefreshes = 0;
    }

    struct Dialog {
        bool open;
        FileDialogSpec spec;
    };

    std::vector<Status> statuses;
    std::vector<int> progress;
    std::vector<std::string> messages;
    std::vector<DWORD> pauses;
    std::vector<Dialog> dialogs;
    std::deque<std::string> answers;
    std::atomic<std::uint64_t> clockMs{0};
    std::atomic<int> pageRefreshes{0};
    bool modifyLengthChecked = false;
    bool recordPauses = false;
    std::tm now{};

private:
    std::string Answer(const FileDialogSpec& spec, bool open) {
        dialogs.push_back({open, spec});
        if (answers.empty()) return {};
        std::string path = answers.front();
        answers.pop_front();
        return path;
    }
    std::mutex mutex_;
};

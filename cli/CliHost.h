// The terminal's engine host: status texts and progress on standard error
// (a bar on a terminal, plain lines otherwise) or as JSON events on
// standard output.
#pragma once

#include "EngineHost.h"

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace cli {

enum class Output { Normal, Quiet, Json };

class CliHost final : public IEngineHost {
public:
    // terminal: standard error is a terminal (the bar is drawn there).
    CliHost(Output output, bool terminal);
    ~CliHost() override;
    CliHost(const CliHost&) = delete;
    CliHost& operator=(const CliHost&) = delete;

    // --- set by the command ---
    // A job starts: what the bar calls its bytes (asked at every step; 0:
    // not known).
    void BeginJob(std::function<unsigned long()> totalBytes);
    // The job has ended: the bar's line is closed.
    void EndJob();

    // A line of the command's own: normal output on standard error (not
    // with --quiet), an error always; with --json also as a status event.
    void Note(const std::string& text) const;
    void Error(const std::string& text) const;
    Output output() const { return output_; }

    // --- IEngineHost ---
    void SetStatusText(const std::string& text, COLORREF colour) override;
    void SetProgress(int pos) override;
    void Sleep(DWORD ms) override;
    std::tm LocalTime() override;

private:
    void DrawBar(bool force);
    void ClearBar();

    const Output output_;
    const bool terminal_;

    bool inJob_ = false;
    std::string lastStatus_;
    std::function<unsigned long()> totalBytes_;
    std::chrono::steady_clock::time_point jobStart_{};
    std::chrono::steady_clock::time_point lastDraw_{};
    int pos_ = -1;
    int lastPlainTenth_ = -1;
    bool barShown_ = false;
};

// A pause that Ctrl-C ends at once: it sleeps (but for its last few
// microseconds) until WakePauses is called, on any thread.
void SleepUnlessInterrupted(DWORD ms);
// Ends every pause now and any later one at once; for signal handlers
// (async-signal-safe, errno kept).
void WakePauses();

// "12.3 KiB" style.
std::string ByteText(double bytes);

}  // namespace cli

#include "CliHost.h"

#include "Interrupt.h"
#include "Json.h"
#include "Pause.h"
#include "Steps.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <ctime>

namespace cli {
namespace {

constexpr auto BAR_REDRAW = std::chrono::milliseconds(100);
constexpr int BAR_WIDTH = 24;

// Readable once a signal has asked the pauses to end: every pause sleeps
// polling it. Made before main, so a signal handler never has to.
const int g_wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);

void PrintLine(const std::string& text) { std::fprintf(stderr, "%s\n", Stamped(text).c_str()); }

std::string DurationText(double seconds) {
    const long s = static_cast<long>(seconds + 0.5);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
    return text;
}

}  // namespace

std::string ByteText(double bytes) {
    static const char* const units[] = {"B", "KiB", "MiB", "GiB"};
    int unit = 0;
    while (bytes >= 1024.0 && unit < 3) {
        bytes /= 1024.0;
        ++unit;
    }
    char text[32];
    if (unit == 0) std::snprintf(text, sizeof text, "%.0f B", bytes);
    else std::snprintf(text, sizeof text, "%.1f %s", bytes, units[unit]);
    return text;
}

CliHost::CliHost(Output output, bool terminal) : output_(output), terminal_(terminal) { SetEngineHost(this); }

CliHost::~CliHost() {
    ClearBar();
    SetEngineHost(nullptr);
}

void CliHost::BeginJob(std::function<unsigned long()> totalBytes) {
    totalBytes_ = std::move(totalBytes);
    inJob_ = true;
    pos_ = -1;
    lastPlainTenth_ = -1;
    jobStart_ = std::chrono::steady_clock::now();
    lastDraw_ = {};
}

void CliHost::EndJob() {
    ClearBar();
    inJob_ = false;
}

void CliHost::Note(const std::string& text) const {
    if (output_ == Output::Json) JsonLine("status").Add("text", text).Add("colour", "green").Print();
    else if (output_ == Output::Normal) PrintLine(text);
}

void CliHost::Error(const std::string& text) const {
    if (output_ == Output::Json) JsonLine("status").Add("text", text).Add("colour", "red").Print();
    PrintLine("quillmar-cli: " + text);
}

void CliHost::SetStatusText(const std::string& text, COLORREF colour) {
    // After Ctrl-C the job only fails its way to the end; what it says then
    // is no news.
    if (Interrupted()) return;
    const bool red = colour == STATUS_RED;
    lastStatus_ = text;
    switch (output_) {
    case Output::Json:
        JsonLine("status").Add("text", text).Add("colour", red ? "red" : "green").Print();
        Step(text);
        break;
    case Output::Quiet:
        if (red) PrintLine(text);
        break;
    case Output::Normal:
        ClearBar();
        PrintLine(text);
        if (inJob_ && terminal_) DrawBar(true);
        break;
    }
}

void CliHost::SetProgress(int pos) {
    if (pos == pos_ || Interrupted()) return;
    pos_ = pos;
    const unsigned long total = totalBytes_ ? totalBytes_() : 0;
    switch (output_) {
    case Output::Json: {
        JsonLine line("progress");
        line.Add("percent", pos).Add("phase", lastStatus_);
        if (total != 0) {
            line.Add("bytes", static_cast<std::int64_t>(total * static_cast<unsigned long>(std::clamp(pos, 0, 100)) / 100));
            line.Add("total", static_cast<std::int64_t>(total));
        }
        line.Print();
        break;
    }
    case Output::Quiet: break;
    case Output::Normal:
        if (terminal_) {
            DrawBar(pos >= 100);
        } else {
            const int tenth = std::clamp(pos, 0, 100) / 10;
            if (tenth < lastPlainTenth_) lastPlainTenth_ = -1;  // a new phase starts the bar again
            if (tenth > lastPlainTenth_) {
                lastPlainTenth_ = tenth;
                PrintLine(std::to_string(tenth * 10) + "% " + lastStatus_);
            }
        }
        break;
    }
}

void CliHost::DrawBar(bool force) {
    if (!inJob_ || !terminal_ || output_ != Output::Normal || pos_ < 0) return;
    const auto now = std::chrono::steady_clock::now();
    if (!force && now - lastDraw_ < BAR_REDRAW) return;
    lastDraw_ = now;
    const int pos = std::clamp(pos_, 0, 100);
    std::string bar(static_cast<std::size_t>(pos * BAR_WIDTH / 100), '#');
    bar.resize(BAR_WIDTH, '-');
    std::string line = "\r\033[K" + std::to_string(pos) + "% [" + bar + "] " + lastStatus_;
    const unsigned long total = totalBytes_ ? totalBytes_() : 0;
    const double seconds = std::chrono::duration<double>(now - jobStart_).count();
    if (total != 0) {
        const double done = static_cast<double>(total) * pos / 100.0;
        line += "  " + ByteText(done) + "/" + ByteText(static_cast<double>(total));
        if (seconds > 0.2) line += "  " + ByteText(done / seconds) + "/s";
    }
    if (pos > 0 && pos < 100 && seconds > 0.2) line += "  " + DurationText(seconds * (100 - pos) / pos) + " left";
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
    barShown_ = true;
}

void CliHost::ClearBar() {
    if (!barShown_) return;
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
    barShown_ = false;
}

void CliHost::Sleep(DWORD ms) { SleepUnlessInterrupted(ms); }

void SleepUnlessInterrupted(DWORD ms) {
    if (Interrupted()) return;
    RestUntilWoken(std::chrono::steady_clock::now() + std::chrono::milliseconds(ms), g_wakeFd);
}

void WakePauses() {
    if (g_wakeFd < 0) return;
    const int saved = errno;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(g_wakeFd, &one, sizeof one);
    errno = saved;
}

std::tm CliHost::LocalTime() { return LocalTimeNow(); }

}  // namespace cli

#include "Steps.h"

#include <atomic>
#include <cstdio>
#include <ctime>

namespace cli {
namespace {
std::atomic<bool> g_verbose{false};
}  // namespace

void SetVerbose(bool on) { g_verbose = on; }

bool Verbose() { return g_verbose; }

std::string TimeStamp(int digits) {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::tm local{};
    localtime_r(&now.tv_sec, &local);
    char text[32];
    const long fraction = digits >= 6 ? now.tv_nsec / 1000 : now.tv_nsec / 1'000'000;
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%0*ld", local.tm_hour, local.tm_min, local.tm_sec,
                  digits >= 6 ? 6 : 3, fraction);
    return text;
}

std::string Stamped(const std::string& text) { return Verbose() ? TimeStamp() + " " + text : text; }

void Step(const std::string& text) {
    if (!Verbose()) return;
    // One write per line, so the lines of devices at work at once don't mix.
    const std::string line = Stamped(text) + "\n";
    std::fputs(line.c_str(), stderr);
}

}  // namespace cli

// Start-up speed: from exec to the first paint of the window, Quillmar against
// a Qt Widgets hello-world built with the same flags, side by side.
//
//   startup_bench [pairs]          default: 10 pairs
//
// Each pair runs both programs once, one after the other (which one goes
// first alternates), and gives the ratio Quillmar / hello-world; the figure
// is the median of the pairs' ratios. One unmeasured run of each comes first,
// so both start from a warm page cache. Both programs get the same probe
// (probe/FirstPaintProbe.cpp, preloaded), which reports the moment the first
// paint of the top-level window has been handed to the window system and
// ends the process there; the clock starts just before the exec.
//
// The platform is the one the environment gives: QT_QPA_PLATFORM when set,
// else the X display in DISPLAY (for instance Xvfb with a window manager),
// else offscreen; the bench says which. Quillmar starts as a returning user
// starts it: with one emulated VQ7160/70 (QUILLMAR_EMULATE=vq7170) and that
// chip type remembered, in a settings folder of the bench's own
// (XDG_CONFIG_HOME, for both programs), never the user's.
#include "BenchStats.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

extern char** environ;

namespace {

constexpr int kProbeFd = 3;           // the descriptor the probe writes to, in the child
constexpr int kTimeoutMs = 30000;     // a program that shows no window by then fails the run
constexpr const char* kRegistryKey = "应用程序向导生成的本地应用程序";
constexpr int kChipTypeRow = 2;       // VQ7160/70/70E, the type of the emulated chip

std::int64_t NowNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

// A fresh settings folder holding the remembered chip type; removed at exit.
struct SettingsFolder {
    std::string path;
    SettingsFolder() {
        char tmpl[] = "/tmp/startup_bench.XXXXXX";
        if (!mkdtemp(tmpl)) return;
        path = tmpl;
        const std::string dir = path + "/" + kRegistryKey;
        mkdir(dir.c_str(), 0700);
        std::ofstream(dir + "/Quillmar.conf") << "[Settings]\nChipType=" << kChipTypeRow << "\n";
    }
    ~SettingsFolder() {
        if (path.empty()) return;
        const std::string cmd = "rm -rf '" + path + "'";
        if (std::system(cmd.c_str()) != 0) std::fprintf(stderr, "could not remove %s\n", path.c_str());
    }
};

// The environment with the variables the bench sets replaced; a preload
// already there stays, after the probe.
std::vector<std::string> ChildEnvironment(const std::string& settings) {
    const std::string preload = "LD_PRELOAD=";
    std::vector<std::string> env{preload + FIRST_PAINT_PROBE, "STARTUP_PROBE_FD=" + std::to_string(kProbeFd),
                                 "XDG_CONFIG_HOME=" + settings, "QUILLMAR_EMULATE=vq7170"};
    for (char** e = environ; *e; ++e) {
        const std::string_view var = *e;
        if (var.starts_with(preload)) {
            env.front().append(" ").append(var.substr(preload.size()));
            continue;
        }
        const bool replaced = var.starts_with("STARTUP_PROBE_FD=") || var.starts_with("XDG_CONFIG_HOME=") ||
                              var.starts_with("QUILLMAR_EMULATE=");
        if (!replaced) env.emplace_back(var);
    }
    return env;
}

// Milliseconds from the exec of program to its first paint; nothing when it
// failed to report one in time.
std::optional<double> TimeToFirstPaint(const char* program, const std::vector<std::string>& env) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return std::nullopt;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], kProbeFd);
    const int devnull = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (devnull >= 0) {
        posix_spawn_file_actions_adddup2(&actions, devnull, STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, devnull, STDERR_FILENO);
    }
    std::vector<char*> envp;
    for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    char* argv[] = {const_cast<char*>(program), nullptr};

    pid_t pid = 0;
    const std::int64_t start = NowNs();
    const int spawned = posix_spawn(&pid, program, &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (devnull >= 0) close(devnull);
    if (spawned != 0) {
        close(fds[0]);
        std::fprintf(stderr, "cannot start %s: %s\n", program, std::strerror(spawned));
        return std::nullopt;
    }

    std::int64_t painted = 0;
    pollfd p{fds[0], POLLIN, 0};
    const bool ready = poll(&p, 1, kTimeoutMs) == 1;
    const bool reported = ready && read(fds[0], &painted, sizeof painted) == sizeof painted;
    close(fds[0]);
    if (!reported) kill(pid, SIGKILL);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!reported) {
        std::fprintf(stderr, "%s reported no first paint\n", program);
        return std::nullopt;
    }
    return static_cast<double>(painted - start) / 1e6;
}

std::string Platform() {
    if (const char* qpa = std::getenv("QT_QPA_PLATFORM"); qpa && *qpa) return std::string(qpa) + " (QT_QPA_PLATFORM)";
    if (const char* display = std::getenv("DISPLAY"); display && *display)
        return std::string("xcb on DISPLAY ") + display;
    return "offscreen (no DISPLAY)";
}

std::string LoadAverage() {
    std::ifstream f("/proc/loadavg");
    std::string one, five, fifteen;
    f >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

}  // namespace

int main(int argc, char** argv) {
    const int pairs = argc > 1 ? std::atoi(argv[1]) : 10;
    if (pairs < 1) {
        std::fprintf(stderr, "usage: %s [pairs]\n", argv[0]);
        return 2;
    }
    // Without a display, both run offscreen (set for the children too).
    if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    SettingsFolder settings;
    if (settings.path.empty()) {
        std::fprintf(stderr, "cannot make a settings folder\n");
        return 1;
    }
    const std::vector<std::string> env = ChildEnvironment(settings.path);
    const char* const app = QUILLMAR_EXECUTABLE;
    const char* const hello = HELLO_EXECUTABLE;

    std::printf("startup_bench: exec to first paint, %d pairs, platform %s\n", pairs, Platform().c_str());
    std::printf("processors %u, load average before %s\n", std::thread::hardware_concurrency(), LoadAverage().c_str());
    if (!TimeToFirstPaint(hello, env) || !TimeToFirstPaint(app, env)) return 1;  // warm-up

    std::vector<double> helloMs, appMs, ratios;
    for (int i = 0; i < pairs; ++i) {
        std::optional<double> h, a;
        if (i % 2 == 0) {
            h = TimeToFirstPaint(hello, env);
            a = TimeToFirstPaint(app, env);
        } else {
            a = TimeToFirstPaint(app, env);
            h = TimeToFirstPaint(hello, env);
        }
        if (!h || !a) return 1;
        helloMs.push_back(*h);
        appMs.push_back(*a);
        ratios.push_back(*a / *h);
        std::printf("pair %2d: hello-world %7.1f ms, Quillmar %7.1f ms, ratio %.3f\n", i + 1, *h, *a, *a / *h);
    }
    std::printf("hello-world ms (min / median / max): %s\n", Str(SpreadOf(helloMs), "%.1f").c_str());
    std::printf("Quillmar ms    (min / median / max): %s\n", Str(SpreadOf(appMs), "%.1f").c_str());
    std::printf("ratio          (min / median / max): %s\n", Str(SpreadOf(ratios)).c_str());
    std::printf("load average after %s\n", LoadAverage().c_str());
    std::printf("median ratio %.3f (target: at most 1.15)\n", SpreadOf(ratios).median);
    return 0;
}

#include "CliRun.h"

#include "TestData.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

std::vector<std::string> CliResult::OutLines() const {
    std::vector<std::string> lines;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string InDir(const std::string& text, const std::string& dir) {
    return std::regex_replace(text, std::regex("\\{dir\\}"), dir);
}

std::string TestName(std::string what) {
    for (char& ch : what) {
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
    }
    return what;
}

std::string TempDir() {
    std::string pattern = (std::getenv("TMPDIR") ? std::getenv("TMPDIR") : std::string("/tmp")) + "/clitest.XXXXXX";
    const char* made = mkdtemp(pattern.data());
    return made ? made : "";
}

std::vector<unsigned char> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFileBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<BYTE> ImageFile(ChecksumLayout layout, WORD len, unsigned seed) {
    const bool header16 = layout == ChecksumLayout::VQ7140S;
    std::vector<BYTE> image = RandomBytes(header16 ? 16 + len : IMAGE_HEADER_SIZE + len + 4, seed);
    image[2] = static_cast<BYTE>(len >> 8);
    image[3] = static_cast<BYTE>(len);
    if (layout == ChecksumLayout::VQ7140XX) image[10] &= static_cast<BYTE>(~OPTION10_BCSH);
    const bool flash = layout == ChecksumLayout::VQ7340;
    image[0] = flash ? 0x3C : 0x5A;  // else no memory-type magic of any chip: the 24C01-16 class
    image[1] = flash ? 0xC3 : 0x5A;
    if (flash) image[8] |= 0x80;
    if (!header16) StoreChecksums(image.data(), layout);
    return image;
}

CliProcess::CliProcess(const std::vector<std::string>& args, const std::string& emulate, const CliOptions& options) {
    static int counter = 0;
    errFile_ = TempDir() + "/stderr" + std::to_string(++counter);
    std::string terminalName;
    if (options.stderrTerminal) {
        terminalFd_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (terminalFd_ < 0 || grantpt(terminalFd_) != 0 || unlockpt(terminalFd_) != 0) return;
        terminalName = ptsname(terminalFd_);
        terminalChildFd_ = open(terminalName.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    }
    int fds[2];
    if (pipe(fds) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
        dup2(fds[1], STDOUT_FILENO);
        const int err = options.stderrTerminal ? open(terminalName.c_str(), O_RDWR | O_NOCTTY)
                                               : open(errFile_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(err, STDERR_FILENO);
        close(fds[0]);
        if (options.fileSizeLimit >= 0) {
            const rlimit limit{static_cast<rlim_t>(options.fileSizeLimit), static_cast<rlim_t>(options.fileSizeLimit)};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        setenv("QUILLMAR_EMULATE", emulate.c_str(), 1);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(QUILLMAR_CLI));
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(QUILLMAR_CLI, argv.data());
        _exit(127);
    }
    close(fds[1]);
    outFd_ = fds[0];
}

CliProcess::~CliProcess() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (outFd_ >= 0) close(outFd_);
    if (terminalFd_ >= 0) close(terminalFd_);
    if (terminalChildFd_ >= 0) close(terminalChildFd_);
}

bool CliProcess::ReadLine(std::string* line) {
    for (;;) {
        const std::size_t nl = pending_.find('\n');
        if (nl != std::string::npos) {
            *line = pending_.substr(0, nl);
            rest_ += pending_.substr(0, nl + 1);
            pending_.erase(0, nl + 1);
            return true;
        }
        if (outFd_ < 0) return false;
        // The terminal is read as well, so that the child never waits for it.
        pollfd fds[2] = {{outFd_, POLLIN, 0}, {terminalFd_, POLLIN, 0}};
        if (poll(fds, terminalFd_ >= 0 ? 2 : 1, -1) < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        char buffer[4096];
        if (terminalFd_ >= 0 && (fds[1].revents & POLLIN)) {
            const ssize_t n = read(terminalFd_, buffer, sizeof buffer);
            if (n > 0) terminal_.append(buffer, static_cast<std::size_t>(n));
        }
        if (!(fds[0].revents & (POLLIN | POLLHUP | POLLERR))) continue;
        const ssize_t n = read(outFd_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        pending_.append(buffer, static_cast<std::size_t>(n));
    }
}

void CliProcess::Signal(int sig) const { kill(pid_, sig); }

void CliProcess::CloseOutput() {
    if (outFd_ >= 0) close(outFd_);
    outFd_ = -1;
}

CliResult CliProcess::Wait() {
    CliResult result;
    std::string line;
    while (ReadLine(&line)) {
    }
    result.out = rest_ + pending_;
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    result.killed = WIFSIGNALED(status);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    if (terminalFd_ >= 0) {
        // What the child left on its terminal before it ended.
        const int flags = fcntl(terminalFd_, F_GETFL);
        fcntl(terminalFd_, F_SETFL, flags | O_NONBLOCK);
        char buffer[4096];
        for (ssize_t n; (n = read(terminalFd_, buffer, sizeof buffer)) > 0;) terminal_.append(buffer, static_cast<std::size_t>(n));
        result.err = terminal_;
    } else {
        const std::vector<unsigned char> err = ReadFileBytes(errFile_);
        result.err.assign(err.begin(), err.end());
    }
    std::remove(errFile_.c_str());
    rmdir(errFile_.substr(0, errFile_.rfind('/')).c_str());
    return result;
}

CliResult RunCli(const std::vector<std::string>& args, const std::string& emulate, const CliOptions& options) {
    return CliProcess(args, emulate, options).Wait();
}

namespace {

// One JSON value from s[i] on, i moved past it.
struct JsonParser {
    const std::string& s;
    std::size_t i = 0;
    bool At(const char* chars) const { return i < s.size() && s[i] && std::strchr(chars, s[i]); }
    void Space() {
        while (At(" \t\r\n")) ++i;
    }
    bool String() {
        if (!At("\"")) return false;
        for (++i; i < s.size(); ++i) {
            if (s[i] == '"') return ++i, true;
            if (static_cast<unsigned char>(s[i]) < 0x20) return false;
            if (s[i] != '\\') continue;
            ++i;
            if (At("u")) {
                for (int k = 0; k < 4; ++k)
                    if (++i >= s.size() || !std::isxdigit(static_cast<unsigned char>(s[i]))) return false;
            } else if (!At("\"\\/bfnrt")) {
                return false;
            }
        }
        return false;
    }
    bool Value() {
        Space();
        if (At("\"")) return String();
        if (!At("{[")) {
            for (const std::string word : {"true", "false", "null"})
                if (s.compare(i, word.size(), word) == 0) return i += word.size(), true;
            const std::size_t start = i;
            while (At("-+.eE0123456789")) ++i;
            return i > start && s[start] != '+' && std::isdigit(static_cast<unsigned char>(s[i - 1]));
        }
        const bool keyed = s[i] == '{';
        const char close[2] = {keyed ? '}' : ']', 0};
        ++i;
        Space();
        if (At(close)) return ++i, true;
        for (;;) {
            Space();
            if (keyed && !(String() && (Space(), At(":")) && ++i)) return false;
            if (!Value()) return false;
            Space();
            if (At(close)) return ++i, true;
            if (!At(",")) return false;
            ++i;
        }
    }
};

}  // namespace

bool IsJsonObject(const std::string& text) {
    JsonParser p{text};
    p.Space();
    if (!p.At("{") || !p.Value()) return false;
    p.Space();
    return p.i == text.size();
}

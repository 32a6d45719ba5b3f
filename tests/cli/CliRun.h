// Runs quillmar-cli as a child process and collects what it printed.
#pragma once

#include "ImageFormat.h"

#include <sys/types.h>

#include <string>
#include <vector>

struct CliResult {
    int status = -1;        // exit status; 128 + signal when killed
    bool killed = false;    // ended by a signal, not by exit
    std::string out, err;   // err: what the terminal showed, with stderrTerminal
    std::vector<std::string> OutLines() const;
};

// How the child runs besides its arguments.
struct CliOptions {
    // Standard error on a pseudo terminal; standard output stays a pipe.
    bool stderrTerminal = false;
    // The child's limit on the size of a file it writes (RLIMIT_FSIZE), in
    // bytes; -1: none.
    long long fileSizeLimit = -1;
};

// emulate: QUILLMAR_EMULATE for the child (set even when empty).
CliResult RunCli(const std::vector<std::string>& args, const std::string& emulate, const CliOptions& options = {});

// A child whose standard output is read line by line while it runs.
class CliProcess {
public:
    CliProcess(const std::vector<std::string>& args, const std::string& emulate, const CliOptions& options = {});
    ~CliProcess();
    // The next line of standard output; false at its end.
    bool ReadLine(std::string* line);
    void Signal(int sig) const;
    // Closes the reading end of standard output, as `| head -1` does once
    // it has its line.
    void CloseOutput();
    // Waits for the end; the rest of standard output goes to result.out.
    CliResult Wait();

private:
    pid_t pid_ = -1;
    int outFd_ = -1;
    int terminalFd_ = -1;       // the pseudo terminal's master side
    int terminalChildFd_ = -1;  // its other side, held open while the child may not have it yet
    std::string errFile_;
    std::string pending_;
    std::string rest_;
    std::string terminal_;
};

// Whether text is one JSON object (strings, numbers, booleans, null,
// nested objects and arrays).
bool IsJsonObject(const std::string& text);

// text with every "{dir}" replaced by dir.
std::string InDir(const std::string& text, const std::string& dir);
// A test's name from its description: each character but letters and
// digits becomes '_'.
std::string TestName(std::string what);

// A fresh empty folder for one test's files.
std::string TempDir();
std::vector<unsigned char> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::vector<unsigned char>& bytes);

// A .bin image that every loader takes as it is: code length in bytes 2..3
// and both sums in place, so the bytes downloaded are the file's bytes.
// VQ7340 layout: flash magic, code from flash (up to 0xFC00 bytes).
std::vector<BYTE> ImageFile(ChecksumLayout layout, WORD len, unsigned seed);

// Runs quillmar-cli as a child process and collects what it printed.
#pragma once

#include "ImageFormat.h"

#include <sys/types.h>

#include <string>
#include <vector>

struct CliResult {
    int status = -1;  // exit status; 128 + signal when killed
    std::string out, err;
    std::vector<std::string> OutLines() const;
};

// emulate: QUILLMAR_EMULATE for the child (set even when empty).
CliResult RunCli(const std::vector<std::string>& args, const std::string& emulate);

// A child whose standard output is read line by line while it runs.
class CliProcess {
public:
    CliProcess(const std::vector<std::string>& args, const std::string& emulate);
    ~CliProcess();
    // The next line of standard output; false at its end.
    bool ReadLine(std::string* line);
    void Signal(int sig) const;
    // Waits for the end; the rest of standard output goes to result.out.
    CliResult Wait();

private:
    pid_t pid_ = -1;
    int outFd_ = -1;
    std::string errFile_;
    std::string pending_;
    std::string rest_;
};

// Whether text is one JSON object (strings, numbers, booleans, null,
// nested objects and arrays).
bool IsJsonObject(const std::string& text);

// A fresh empty folder for one test's files.
std::string TempDir();
std::vector<unsigned char> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::vector<unsigned char>& bytes);

// A .bin image that every loader takes as it is: code length in bytes 2..3
// and both sums in place, so the bytes downloaded are the file's bytes.
// VQ7340 layout: flash magic, code from flash (up to 0xFC00 bytes).
std::vector<BYTE> ImageFile(ChecksumLayout layout, WORD len, unsigned seed);

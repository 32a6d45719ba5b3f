// -v, --verbose: each step of a run (the command, the image loaded, the
// devices looked at, opened and closed, every status line) on standard
// error with the local time it happened.
#pragma once

#include <string>

namespace cli {

void SetVerbose(bool on);
bool Verbose();

// The local time now, "14:03:07.123" (digits 3) or "14:03:07.123456" (6).
std::string TimeStamp(int digits = 3);

// With -v: "14:03:07.123 text" on standard error; nothing without.
void Step(const std::string& text);

// A line for standard error as -v shows it: with the time in front.
std::string Stamped(const std::string& text);

}  // namespace cli

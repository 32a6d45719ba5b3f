// --trace FILE: every report sent to a device and received from it, in hex,
// with the time and the device, and the opens and closes around them: what
// a user attaches to a bug report. -v's steps about devices (opened,
// closed) come from the same place.
//
// No byte of an HDCP key reaches the file: the data bytes of the flash
// transfers (bulk reports, streamed steps) whose address lies in the chip
// type's key area show as "**", sent or read back, whatever key they hold
// (one given, one from a key directory, one a chip or a file already has);
// so do the bytes a report carries over from the last one in its buffer.
#pragma once

#include "DeviceJobs.h"
#include "Hid.h"

#include <memory>
#include <string>

namespace cli {

// Starts the trace into path (created or truncated) with a first line that
// names the program, its version and the command line; keyArea: the chip
// type's key area in memory addresses (empty: none). The error text, or
// empty.
std::string StartTrace(const std::string& path, const std::string& commandLine, HiddenBytes keyArea);
// Flushes and closes the trace; nothing when none was started.
void EndTrace();

// Wraps a backend: opens, closes and every report go to the trace (when one
// was started) and the opens and closes to -v's steps; byte counts, results
// and errno stay those of the inner backend.
std::shared_ptr<hid::Backend> MakeWatchedBackend(std::shared_ptr<hid::Backend> inner);

}  // namespace cli

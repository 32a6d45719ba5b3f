// --trace FILE: every report sent to a device and received from it, in hex,
// with the time and the device, and the opens and closes around them: what
// a user attaches to a bug report. -v's steps about devices (opened,
// closed) come from the same place.
//
// No byte of an HDCP key reaches the file. Two rules hide them, both ways
// (sent and read back), each byte shown as "**":
// - By address: the data bytes of the chips' memory transfers (EEPROM byte
//   writes and reads, flash bulk reports, streamed flash steps) whose memory
//   address lies in the chip type's key area, whatever the bytes are: a key
//   given, one from a key directory, or one a chip already holds.
// - By content: any four or more bytes in a row, anywhere in a report, that
//   are a piece of a key given to this run (four equal bytes excepted, as
//   erased memory reads).
#pragma once

#include "DeviceJobs.h"
#include "Hid.h"

#include <memory>
#include <span>
#include <string>

namespace cli {

// Starts the trace into path (created or truncated) with a first line that
// names the program, its version and the command line; keyArea: the chip
// type's key area in memory addresses (empty: none). The error text, or
// empty.
std::string StartTrace(const std::string& path, const std::string& commandLine, HiddenBytes keyArea);
// Flushes and closes the trace; nothing when none was started.
void EndTrace();

// A key of this run: its pieces are masked wherever they turn up.
void HideInTrace(std::span<const BYTE> key);

// Wraps a backend: opens, closes and every report go to the trace (when one
// was started) and the opens and closes to -v's steps; byte counts, results
// and errno stay those of the inner backend.
std::shared_ptr<hid::Backend> MakeWatchedBackend(std::shared_ptr<hid::Backend> inner);

}  // namespace cli

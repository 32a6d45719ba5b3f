// Ending a job early: Ctrl-C, SIGTERM and SIGHUP, and a standard output
// that went away (`--json | head -1`). Each ends the job the same way: it
// stops at its next report.
//
// Once interrupted, every feature report through the HID layer fails before
// it reaches a device, and the host's pauses return at once, so the running
// job ends within one report; the caller then closes the device as after
// any job. A report under way is never cut: the process is not killed by a
// broken pipe, nor by a file grown past its size limit.
#pragma once

#include "Hid.h"

#include <memory>

namespace cli {

// Catches SIGINT, SIGTERM and SIGHUP (a second one ends the process at
// once) and ignores SIGPIPE and SIGXFSZ, so that a failed write is only a
// failed write.
void CatchInterrupts();
bool Interrupted();
// The exit status of an interrupted command: 128 + the signal, so 130 for
// Ctrl-C, 143 for SIGTERM, 129 for SIGHUP and 141 (a broken pipe) for a
// standard output that could not be written.
int InterruptStatus();

// Flushes standard output; a write that failed there interrupts the job.
// False when standard output can't be written.
bool FlushStandardOutput();

// Wraps a backend so that every report fails once interrupted.
std::shared_ptr<hid::Backend> MakeInterruptibleBackend(std::shared_ptr<hid::Backend> inner);

}  // namespace cli

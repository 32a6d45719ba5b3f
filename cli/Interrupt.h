// Ctrl-C during a job: the job stops at its next report.
//
// Once interrupted, every feature report through the HID layer fails before
// it reaches a device, and the host's pauses return at once, so the running
// job ends within one report; the caller then closes the device as after
// any job.
#pragma once

#include "Hid.h"

#include <memory>

namespace cli {

// Catches SIGINT (a second Ctrl-C ends the process at once).
void CatchInterrupts();
bool Interrupted();

// Wraps a backend so that every report fails once interrupted.
std::shared_ptr<hid::Backend> MakeInterruptibleBackend(std::shared_ptr<hid::Backend> inner);

}  // namespace cli

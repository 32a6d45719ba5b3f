// Pauses of the calling thread that last as long as asked and no longer
// than the system's wake-up takes: never shorter (a signal does not cut one
// short), and without the timer slack by which Linux otherwise lets a
// thread's timers fire up to 50 us late.
#pragma once

#include <chrono>

// Until the steady clock has reached deadline (at once when it has).
void PauseUntil(std::chrono::steady_clock::time_point deadline);
// For at least d from now.
void PauseFor(std::chrono::nanoseconds d);

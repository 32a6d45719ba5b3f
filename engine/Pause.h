// Pauses of the calling thread that last as long as asked, never shorter (a
// signal does not cut one short) and only a few microseconds longer.
//
// A thread woken by a timer runs some time after the timer's moment: the
// timer slack (50 us by default on Linux; set to 1 ns here for the pausing
// thread) and then the wake-up itself, tens of microseconds on a busy
// machine. A pause therefore sleeps until a margin before its end and waits
// out the rest awake. The margin follows how late the thread's own recent
// wake-ups were, so a quiet machine spends little time awake.
#pragma once

#include <chrono>

// Until the steady clock has reached deadline (at once when it has).
void PauseUntil(std::chrono::steady_clock::time_point deadline);
// For at least d from now.
void PauseFor(std::chrono::nanoseconds d);
// Until deadline as PauseUntil, but asleep for all of it but the last few
// microseconds: the thread wakes early only by what nine in ten of its
// wake-ups are late at least (at most 50 us), not by a margin for its worst
// ones, so most pauses end a few microseconds late and a rare slow wake-up
// that much later. For many threads waiting at once,
// where every microsecond awake costs processor time.
void RestUntil(std::chrono::steady_clock::time_point deadline);
// Until deadline as RestUntil, unless wakeFd becomes readable first: then
// it returns false at once. The wait sleeps in poll(), so a signal handler
// that writes to wakeFd (an eventfd, a pipe) ends it wherever it sleeps,
// on any thread; once wakeFd stays readable, every later call returns false
// at once. A signal that leaves wakeFd alone does not cut it short.
bool RestUntilWoken(std::chrono::steady_clock::time_point deadline, int wakeFd);

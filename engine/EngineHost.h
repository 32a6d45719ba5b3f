// What the engine needs from whoever runs it, and nothing more: a place for
// its status texts and progress, and its pauses and clock.
//
// The window implements this over its status bar, the command line over a
// terminal; tests implement it with a recorder and a virtual clock. Every
// call may come from a worker thread.
#pragma once

#include "WinTypes.h"

#include <ctime>
#include <string>

inline constexpr COLORREF STATUS_GREEN = 0x008000;
inline constexpr COLORREF STATUS_RED = 0x0000FF;

class IEngineHost {
public:
    virtual ~IEngineHost() = default;

    // Pane 0 of the status bar: text in a COLORREF colour. Synchronous.
    virtual void SetStatusText(const std::string& text, COLORREF colour) = 0;
    // Progress bar position 0..100. Synchronous.
    virtual void SetProgress(int pos) = 0;
    // Pause of the calling thread: ms milliseconds, never less (the
    // application's and the plain host's are a few microseconds more at
    // most, see Pause.h).
    virtual void Sleep(DWORD ms) = 0;
    // Local date and time now.
    virtual std::tm LocalTime() = 0;
};

// The local date and time now, for the hosts' LocalTime.
std::tm LocalTimeNow();

// The host in use: the calling thread's own (ScopedThreadHost) when it has
// one, else the process's. Without SetEngineHost the process's is a plain
// host: real pauses and clock, texts to standard error.
IEngineHost& Host();
// The process's host; nullptr restores the plain host. Not for use while a
// job runs on it.
void SetEngineHost(IEngineHost* host);

// While it lives, Host() on the thread that made it is host; other threads
// keep theirs. Jobs that run side by side, each on a thread of its own, so
// each report to a host of their own. Scopes nest: the previous host of the
// thread comes back when the inner one goes.
class ScopedThreadHost {
public:
    explicit ScopedThreadHost(IEngineHost& host);
    ~ScopedThreadHost();
    ScopedThreadHost(const ScopedThreadHost&) = delete;
    ScopedThreadHost& operator=(const ScopedThreadHost&) = delete;

private:
    IEngineHost* previous_;
};

// Shorthands used all over the engine.
inline void SetStatusText(const std::string& text, COLORREF colour) { Host().SetStatusText(text, colour); }
inline void SetProgress(int pos) { Host().SetProgress(pos); }
inline void Sleep(DWORD ms) { Host().Sleep(ms); }

// The status log: every status text the window showed, with the time it
// came and its colour, so that what went wrong while nobody looked can be
// read afterwards. The newest kStatusLogCapacity entries are kept; the
// oldest go first. One line of text per entry, the same in the log window,
// on the clipboard and in a saved file.
#pragma once

#include "WinTypes.h"

#include <QDateTime>
#include <QString>

#include <cstddef>
#include <ctime>
#include <deque>
#include <functional>

inline constexpr std::size_t kStatusLogCapacity = 10000;

struct StatusLogEntry {
    QDateTime time;  // local time
    QString text;
    COLORREF colour = 0;
};

class CStatusLog {
public:
    explicit CStatusLog(std::size_t capacity = kStatusLogCapacity) : m_capacity(capacity) {}

    // Keeps entry, dropping the oldest one when the log is full, then tells
    // the listener.
    void Add(StatusLogEntry entry);
    void Clear() { m_entries.clear(); }
    const std::deque<StatusLogEntry>& Entries() const { return m_entries; }
    std::size_t Capacity() const { return m_capacity; }

    // Called with each entry once it is kept (one listener; empty: none).
    void SetListener(std::function<void(const StatusLogEntry&)> listener) { m_listener = std::move(listener); }

private:
    std::size_t m_capacity;
    std::deque<StatusLogEntry> m_entries;
    std::function<void(const StatusLogEntry&)> m_listener;
};

// "green" and "red" for the two status colours, "#rrggbb" for any other.
QString StatusColourName(COLORREF colour);
// "2026-03-01 14:02:11.042  red    Verify error!": the local time to the
// millisecond, the colour's name padded to five characters, the text with
// its line breaks turned into blanks (one line per entry).
QString StatusLogLine(const StatusLogEntry& entry);
// Every entry's line, oldest first, each ended by a line feed.
QString StatusLogText(const std::deque<StatusLogEntry>& entries);
// The name a saved log is proposed under: "Status_log_20260301_1402.txt".
QString StatusLogFileName(const std::tm& t);
// Writes text in UTF-8 to the file at path, which is replaced only once all
// of it is written: a failure leaves any file there as it was. False, with
// the path and the reason in error, when it could not be written.
bool WriteTextFile(const QString& path, const QString& text, QString* error);

#include "StatusLog.h"

#include "EngineHost.h"

#include <QSaveFile>

#include <utility>

void CStatusLog::Add(StatusLogEntry entry) {
    if (m_capacity == 0) return;
    if (m_entries.size() >= m_capacity) m_entries.pop_front();
    m_entries.push_back(std::move(entry));
    if (m_listener) m_listener(m_entries.back());
}

QString StatusColourName(COLORREF colour) {
    switch (colour) {
    case STATUS_GREEN: return QStringLiteral("green");
    case STATUS_RED: return QStringLiteral("red");
    default:
        // COLORREF is 0x00BBGGRR.
        return QString::asprintf("#%02x%02x%02x", colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
    }
}

QString StatusLogLine(const StatusLogEntry& entry) {
    QString text = entry.text;
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return entry.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")) + QStringLiteral("  ") +
           StatusColourName(entry.colour).leftJustified(5) + QStringLiteral("  ") + text;
}

QString StatusLogText(const std::deque<StatusLogEntry>& entries) {
    QString all;
    for (const StatusLogEntry& e : entries) all += StatusLogLine(e) + QLatin1Char('\n');
    return all;
}

QString StatusLogFileName(const std::tm& t) {
    return QString::asprintf("Status_log_%d%02d%02d_%02d%02d.txt", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour,
                             t.tm_min);
}

bool WriteTextFile(const QString& path, const QString& text, QString* error) {
    QSaveFile file(path);
    const QByteArray bytes = text.toUtf8();
    const bool written = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
    if (!written && error) *error = path + QStringLiteral(": ") + file.errorString();
    return written;
}

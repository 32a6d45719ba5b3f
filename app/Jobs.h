// The download and read jobs of the main dialog and the pure rules around
// them: which controls a job disables and enables, the busy texts, the
// device list entries, the read length and device changes noted during a
// job.
#pragma once

#include "WinTypes.h"

#include <QString>

#include <span>

enum class JobKind { Download, Read };

// Worker procedures, one thread per job. param is the address of the cell
// holding the dialog (g_pWorkerDlg). Both return 0.
DWORD DownloadThreadProc(void* param);
DWORD ReadThreadProc(void* param);

// "Downloading, please wait!" or "Reading, please wait!".
QString BusyText(JobKind kind);

// Controls a job disables when it starts, in this order; the pressed button
// is not among them.
std::span<const int> ControlsDisabledBy(JobKind kind);
// Controls every job enables when it ends, in this order (the read length
// edit and the memory-type radios follow their own rules).
std::span<const int> ControlsEnabledAfterJob();

// " 1. [1-3-0-0-0-0]": a device list entry, numbered from 1.
QString DeviceListEntry(int number, const QString& portPath);

// The read length the edit takes at most.
inline constexpr DWORD READ_LENGTH_MAX = 0x8000000;
// The number of bytes a read asks for: at most the size of the work buffer.
DWORD ReadLengthForJob(DWORD readLen);

// What a new text of the read-length edit leads to.
struct ReadLengthVerdict {
    enum Kind {
        Store,    // value is the new read length
        Invalid,  // "Invalid parameters", then the edit gets text
        Replace,  // the edit gets text (which stores its own value)
    };
    Kind kind = Store;
    DWORD value = 0;
    QString text;
};
ReadLengthVerdict CheckReadLength(const QString& text);

// Device arrivals and removals that came while a job ran: the job's device
// stays open until it ends, then one rescan handles them all.
class DeferredDeviceChanges {
public:
    enum class Action { None, Rescan, Arrival };

    void Note(bool arrival) {
        m_bPending = true;
        m_bArrival = m_bArrival || arrival;
    }
    bool Pending() const { return m_bPending; }
    // What is due now (an arrival when any device arrived), and forgets it.
    Action Take() {
        const Action a = !m_bPending ? Action::None : m_bArrival ? Action::Arrival : Action::Rescan;
        m_bPending = m_bArrival = false;
        return a;
    }

private:
    bool m_bPending = false;
    bool m_bArrival = false;
};

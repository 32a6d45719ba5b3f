// The main dialog against emulated chips, for the device and job tests: an
// emulated bus installed before the window (which watches it for device
// changes), the real engine host, and modal boxes and file dialogs answered
// as they open.
#pragma once

#include "AppTestEnv.h"
#include "DialogFixture.h"
#include "Emulator.h"
#include "Globals.h"
#include "QtEngineHost.h"
#include "ResourceIds.h"
#include "TessadaneDlg.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <vector>

// Answers every modal message box (OK) and file dialog (the next queued
// path; none queued: cancel) that opens while the event loop runs.
class ModalAnswerer : public QObject {
public:
    struct Box {
        QString caption;
        QString text;
        int buttons;
    };
    struct FileDialog {
        QString title;
        QStringList filters;  // as the dialog shows them
        bool save;
    };

    ModalAnswerer();
    void QueuePath(const QString& path) { m_paths.push_back(path); }

    std::vector<Box> boxes;
    std::vector<FileDialog> fileDialogs;

private:
    void Answer();
    QTimer m_timer;
    std::deque<QString> m_paths;
};

class JobsTest : public WithTestApplication, public DialogFixture<CQtEngineHost> {
protected:
    void SetUp() override;
    void TearDown() override;

    // Puts bytes into the image and shows them (hex view and all).
    void ShowImage(const std::vector<BYTE>& bytes);
    // A VQ7170 answering in 300 us per report, and a download of image to it
    // pressed (still running on return).
    std::shared_ptr<emu::Chip> StartSlowDownload(const std::vector<BYTE>& image);
    // Types hex digits into the hex view at a byte offset.
    void TypeIntoView(UINT offset, const char* digits);
    std::vector<BYTE> ViewBytes() const;

    // A user's click (nothing happens on a disabled control).
    void Click(int id);
    // The user types text into an edit, replacing what it holds.
    void TypeInto(int id, const QString& text);

    // Spins the event loop until cond holds; false after timeoutMs.
    static bool WaitFor(const std::function<bool()>& cond, int timeoutMs = 20000);
    // Until no job runs and what it left behind has been handled.
    static bool WaitIdle(int timeoutMs = 30000);

    static QString Status();
    static COLORREF StatusColour();
    QString Text(int id) const { return dlg->GetDlgItemText(id); }
    bool Enabled(int id) const { return dlg->IsDlgItemEnabled(id); }
    bool ShowsIcon(const QPixmap* icon) const;

    // Reports of one command the chip got with SetFeature.
    static std::size_t CommandCount(const emu::Chip& chip, BYTE command);

    emu::ScopedBackend bus;  // before the dialog opens; the dialog is closed in TearDown
    ModalAnswerer modal;
};

// A chip of the EEPROM type of row 2 ("VQ7160/70/70E"); bigger EEPROMs than
// the default so that longer images fit.
emu::ChipConfig Vq7170(unsigned latencyMicros = 0, std::string location = {});
// A distinct byte pattern of the given length.
std::vector<BYTE> Pattern(std::size_t len, BYTE seed);

// The engine's user-interface seam over Qt: status text and progress on the
// main dialog's status bar; and the window's shell: file dialogs and message
// boxes. Calls from a worker thread run on the user-interface thread while
// the worker waits.
#pragma once

#include "AppShell.h"
#include "EngineHost.h"

#include <QString>

class QWidget;

// "Bin File(*.bin)|*.bin|" -> "Bin File(*.bin) (*.bin)": pairs of
// description and patterns separated by '|', turned into Qt's
// "description (patterns)" filters joined by ";;"; patterns separated by ';'
// become blank-separated. A file dialog that hides the filters' details
// then shows each description as given.
QString QtFileFilter(const std::string& filter);

// A modal message box with an OK button only and the application's name as
// caption, owned by owner (by the main window when owner is null). Any
// thread; it runs on the user-interface thread.
void ShowAppMessageBox(QWidget* owner, const QString& text);

// A short system beep, whatever the sound type asks for. BeepCount tells
// how many there were (for tests; offscreen beeps make no sound).
void MessageBeep(UINT type);
int BeepCount();

class CQtEngineHost final : public IEngineHost {
public:
    void SetStatusText(const std::string& text, COLORREF colour) override;
    void SetProgress(int pos) override;
    void Sleep(DWORD ms) override;
    std::tm LocalTime() override;
};

class CQtShell final : public IAppShell {
public:
    std::string OpenFileDialog(const FileDialogSpec& spec) override;
    std::string SaveFileDialog(const FileDialogSpec& spec) override;
    void MessageBox(const std::string& text) override;
};

// The engine's user-interface seam over Qt: status text and progress on the
// main dialog's status bar, the "Modify  Length(H):" check box, the option
// page refresh, file dialogs and message boxes. Calls from a worker thread
// run on the user-interface thread while the worker waits.
#pragma once

#include "EngineHost.h"

#include <QString>

// "Bin File(*.bin)|*.bin|" -> "Bin File(*.bin)": pairs of description and
// patterns separated by '|', turned into Qt's "description (patterns)"
// filters joined by ";;"; patterns separated by ';' become blank-separated.
QString QtFileFilter(const std::string& filter);

class CQtEngineHost final : public IEngineHost {
public:
    void SetStatusText(const std::string& text, COLORREF colour) override;
    void SetProgress(int pos) override;
    bool IsModifyLengthChecked() override;
    void RefreshOptionPage() override;
    std::string OpenFileDialog(const FileDialogSpec& spec) override;
    std::string SaveFileDialog(const FileDialogSpec& spec) override;
    void MessageBox(const std::string& text) override;
    void Sleep(DWORD ms) override;
    std::tm LocalTime() override;
};

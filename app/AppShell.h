// What the window asks of its user besides its controls: file dialogs and
// message boxes. The Qt shell shows them; tests put a shell of their own in
// its place.
#pragma once

#include <string>

struct FileDialogSpec {
    std::string title;        // empty: the dialog's default title
    std::string filter;       // "Bin File(*.bin)|*.bin|" style, pairs separated by '|'
    std::string defaultExt;   // without dot; added when the typed name has none
    std::string initialName;  // proposed file name
};

class IAppShell {
public:
    virtual ~IAppShell() = default;
    // File dialogs: the chosen path, or empty when cancelled.
    virtual std::string OpenFileDialog(const FileDialogSpec& spec) = 0;
    virtual std::string SaveFileDialog(const FileDialogSpec& spec) = 0;
    // Modal message box with an OK button.
    virtual void MessageBox(const std::string& text) = 0;
};

// The shell in use: the Qt one unless SetAppShell put another in its place.
IAppShell& Shell();
// nullptr: the Qt shell again.
void SetAppShell(IAppShell* shell);

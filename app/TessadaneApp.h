// The application object: start-up runs the main dialog modally, and the
// life of that dialog is the life of the tool.
#pragma once

#include "WinApp.h"

#include <string>

// Text of the company key the settings live under.
inline constexpr const char* kRegistryKey = "应用程序向导生成的本地应用程序";
// The desktop entry's name (without ".desktop"), by which docks and task
// bars match the window to the entry's icon.
inline constexpr const char* kDesktopFileName = "org.quillmar.Quillmar";

class CTessadaneApp : public CWinApp {
public:
    CTessadaneApp();
    ~CTessadaneApp() override;

    // Runs the main dialog; always returns FALSE (no message loop follows).
    // An emulate list that does not parse stops it first: a message box,
    // then exit code 2 and no window.
    BOOL InitInstance() override;

    // A file to open once the window shows, as Open File would (the command
    // line's); empty for none.
    std::string m_strFileToOpen;
};

// When QUILLMAR_EMULATE is set, replaces the HID backend by emulated chips
// (which keep no report log).
// Returns false, says why on standard error and in error, and leaves an
// empty emulated bus (no real device) when the text is not valid.
bool InstallEmulatorFromEnvironment(std::string* error = nullptr);

// Hands the dialogs the templates and icons of res/ and the hex view as the
// window of the custom control classes "CHexEditBase" and "CHexEditBase_SC".
void InstallDialogResources();

#include "TessadaneApp.h"

#include "Emulator.h"
#include "QtEngineHost.h"
#include "TessadaneDlg.h"

#include <cstdio>
#include <string>

CTessadaneApp::CTessadaneApp() : CWinApp("Quillmar") {}

CTessadaneApp::~CTessadaneApp() = default;

BOOL CTessadaneApp::InitInstance() {
    // The common-control, control-container, shell-manager and visual-manager
    // set-up of other platforms has no counterpart here.
    SetRegistryKey(QString::fromUtf8(kRegistryKey));
    InstallEmulatorFromEnvironment();

    CQtEngineHost host;
    SetEngineHost(&host);
    {
        CTessadaneDlg dlg;
        m_pMainWnd = &dlg;
        dlg.DoModal();  // Enter, Escape and the close box all just end it
        m_pMainWnd = nullptr;
    }
    SetEngineHost(nullptr);
    return FALSE;
}

bool InstallEmulatorFromEnvironment() {
    std::string error;
    if (emu::InstallFromEnvironment(&error) || error.empty()) return true;
    std::fprintf(stderr, "%s\n", error.c_str());
    return false;
}

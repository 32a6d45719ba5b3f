#include "TessadaneApp.h"

#include "QtEngineHost.h"
#include "TessadaneDlg.h"

#include <cstdio>
#include <cstdlib>

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
    const char* spec = std::getenv("QUILLMAR_EMULATE");
    if (!spec) return true;
    // EMULATOR HOOK: parse the text and install the emulator backend here
    // once emulator/ offers its install function.
    std::fprintf(stderr, "QUILLMAR_EMULATE is set, but this build has no chip emulator.\n");
    return false;
}

#include "TessadaneApp.h"

#include "DialogResources.h"
#include "Emulator.h"
#include "HexEditBase.h"
#include "IconsAndStrings.h"
#include "QtEngineHost.h"
#include "TessadaneDlg.h"
#include "Templates.h"

#include <cstdio>
#include <string>

// The application object is built before main, so the dialogs find the
// templates, icons and the hex view before any window is made.
CTessadaneApp::CTessadaneApp() : CWinApp(nullptr) { InstallDialogResources(); }

CTessadaneApp::~CTessadaneApp() = default;

BOOL CTessadaneApp::InitInstance() {
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
    if (const auto bus = emu::InstallFromEnvironment(&error)) {
        // Nothing in the application reads the chips' report logs; kept on,
        // they would hold a copy of every report for the whole session.
        for (const auto& chip : bus->Chips()) chip->SetLogging(false);
        return true;
    }
    if (error.empty()) return true;
    std::fprintf(stderr, "%s\n", error.c_str());
    return false;
}

void InstallDialogResources() {
    SetDialogResources({&FindTemplateResource, &LoadIconPixmap, &CreateHexEditByClassName});
}

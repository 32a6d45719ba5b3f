#include "TessadaneApp.h"

#include "DialogResources.h"
#include "Emulator.h"
#include "HexEditBase.h"
#include "IconsAndStrings.h"
#include "QtEngineHost.h"
#include "TessadaneDlg.h"
#include "Templates.h"

#include <QGuiApplication>

#include <cstdio>
#include <string>

// The application object is built before main, so the dialogs find the
// templates, icons and the hex view before any window is made.
CTessadaneApp::CTessadaneApp() : CWinApp(nullptr) { InstallDialogResources(); }

CTessadaneApp::~CTessadaneApp() = default;

BOOL CTessadaneApp::InitInstance() {
    SetRegistryKey(QString::fromUtf8(kRegistryKey));
    QGuiApplication::setDesktopFileName(QString::fromUtf8(kDesktopFileName));
    std::string error;
    if (!InstallEmulatorFromEnvironment(&error)) {
        // Not the chips asked for, and never the real ones instead: the
        // tool stops before its window opens.
        ShowAppMessageBox(nullptr, QString::fromStdString(error));
        m_nExitCode = 2;
        return FALSE;
    }

    CQtEngineHost host;
    SetEngineHost(&host);
    {
        CTessadaneDlg dlg;
        m_pMainWnd = &dlg;
        if (!m_strFileToOpen.empty()) dlg.OpenFileOnceShown(m_strFileToOpen);
        dlg.DoModal();  // only the close box ends it
        m_pMainWnd = nullptr;
    }
    SetEngineHost(nullptr);
    return FALSE;
}

bool InstallEmulatorFromEnvironment(std::string* error) {
    const std::string why = emu::StartEmulationFromEnvironment();
    if (error) *error = why;
    if (why.empty()) return true;
    std::fprintf(stderr, "%s\n", why.c_str());
    return false;
}

void InstallDialogResources() {
    SetDialogResources({&FindTemplateResource, &LoadIconPixmap, &CreateHexEditByClassName});
}

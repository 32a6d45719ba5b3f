// The application object's base: name, main window and the profile
// settings (stored with QSettings in the native format under
// <registry key>/<application name>, section/entry as the key).
#pragma once

#include "WinTypes.h"

#include <QString>

class QWidget;

// The path of the running executable ("" when it can't be read).
QString ModuleFileName();
// The application name an executable path gives: its file name without the
// folders (a path the system reports as deleted, after the file was
// replaced, gives the name it had).
QString AppNameFromModulePath(const QString& path);

class CWinApp {
public:
    // Without a name, the application takes its executable's file name, so
    // a renamed copy has its own settings and message-box caption.
    explicit CWinApp(const char* pszAppName = nullptr);
    virtual ~CWinApp() = default;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance() { return TRUE; }
    // The process's exit status once the application has run.
    virtual int ExitInstance() { return m_nExitCode; }

    // Company key of the settings path; also names the organisation.
    void SetRegistryKey(const QString& key);
    UINT GetProfileInt(const QString& section, const QString& entry, int nDefault) const;
    // Leaves the file alone when it holds that value already (as written:
    // the same decimal text).
    bool WriteProfileInt(const QString& section, const QString& entry, int nValue) const;

    QString m_pszAppName;  // caption of message boxes, last key of the settings path
    QString m_pszRegistryKey;
    QWidget* m_pMainWnd = nullptr;
    int m_nExitCode = 0;
};

// The application object's base: name, main window and the profile
// settings (stored with QSettings in the native format under
// <registry key>/<application name>, section/entry as the key).
#pragma once

#include "WinTypes.h"

#include <QString>

class QWidget;

class CWinApp {
public:
    explicit CWinApp(const char* pszAppName) : m_pszAppName(QString::fromUtf8(pszAppName)) {}
    virtual ~CWinApp() = default;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance() { return TRUE; }

    // Company key of the settings path; also names the organisation.
    void SetRegistryKey(const QString& key);
    UINT GetProfileInt(const QString& section, const QString& entry, int nDefault) const;
    bool WriteProfileInt(const QString& section, const QString& entry, int nValue) const;

    QString m_pszAppName;  // caption of message boxes, last key of the settings path
    QString m_pszRegistryKey;
    QWidget* m_pMainWnd = nullptr;
};

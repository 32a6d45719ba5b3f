#include "WinApp.h"

#include <QCoreApplication>
#include <QSettings>

namespace {

QString SettingsKey(const QString& section, const QString& entry) { return section + QLatin1Char('/') + entry; }

}  // namespace

void CWinApp::SetRegistryKey(const QString& key) {
    m_pszRegistryKey = key;
    QCoreApplication::setOrganizationName(key);
    QCoreApplication::setApplicationName(m_pszAppName);
}

UINT CWinApp::GetProfileInt(const QString& section, const QString& entry, int nDefault) const {
    const QSettings settings(QSettings::NativeFormat, QSettings::UserScope, m_pszRegistryKey, m_pszAppName);
    bool ok = false;
    const QVariant v = settings.value(SettingsKey(section, entry));
    const qlonglong value = v.toLongLong(&ok);
    return ok ? static_cast<UINT>(value) : static_cast<UINT>(nDefault);
}

bool CWinApp::WriteProfileInt(const QString& section, const QString& entry, int nValue) const {
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, m_pszRegistryKey, m_pszAppName);
    settings.setValue(SettingsKey(section, entry), nValue);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

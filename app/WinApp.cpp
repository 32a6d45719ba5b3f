#include "WinApp.h"

#include <QCoreApplication>
#include <QSettings>

#include <cerrno>
#include <unistd.h>

QString ModuleFileName() {
    char buf[4096];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return {};
    return QString::fromLocal8Bit(buf, n);
}

QString AppNameFromModulePath(const QString& path) {
    QString file = path;
    const QString deleted = QStringLiteral(" (deleted)");
    if (file.endsWith(deleted)) file.chop(deleted.size());
    return file.mid(file.lastIndexOf(QLatin1Char('/')) + 1);
}

CWinApp::CWinApp(const char* pszAppName) {
    if (pszAppName) {
        m_pszAppName = QString::fromUtf8(pszAppName);
        return;
    }
    m_pszAppName = AppNameFromModulePath(ModuleFileName());
    // No readable executable path: the name the program was started by.
    if (m_pszAppName.isEmpty()) m_pszAppName = QString::fromLocal8Bit(program_invocation_short_name);
}

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
    const QString key = SettingsKey(section, entry);
    // A write takes a lock file, a new copy of the file flushed to disk and
    // a rename: not worth it for the value the file holds already.
    if (settings.value(key).toString() == QString::number(nValue)) return true;
    settings.setValue(key, nValue);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

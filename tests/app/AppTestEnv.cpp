#include "AppTestEnv.h"

#include "Emulator.h"
#include "Globals.h"
#include "ResourceIds.h"
#include "TessadaneDlg.h"
#include "hid/Hid.h"

#include <QApplication>
#include <QCoreApplication>
#include <QSettings>
#include <QTemporaryDir>

#include <atomic>
#include <thread>

namespace {

QTemporaryDir& SettingsDir() {
    static QTemporaryDir dir;
    return dir;
}

}  // namespace

QApplication& TestApplication() {
    static int argc = 1;
    static char name[] = "app_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        auto* a = new QApplication(argc, argv);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, SettingsDir().path());
        theApp.SetRegistryKey(QString::fromUtf8(kRegistryKey));
        // Keep an emulated bus a fixture installed already.
        if (!std::dynamic_pointer_cast<emu::EmulatorBackend>(hid::CurrentBackend())) hid::SetBackend(emu::MakeBackend());
        return a;
    }();
    return *app;
}

QString TestSettingsDir() { return SettingsDir().path(); }

void StoreChipType(std::optional<int> value) {
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, QString::fromUtf8(kRegistryKey), theApp.m_pszAppName);
    if (value)
        s.setValue(QStringLiteral("Settings/ChipType"), *value);
    else
        s.remove(QStringLiteral("Settings/ChipType"));
    s.sync();
}

QVariant StoredChipType() {
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, QString::fromUtf8(kRegistryKey), theApp.m_pszAppName);
    return s.value(QStringLiteral("Settings/ChipType"));
}

std::unique_ptr<CTessadaneDlg> OpenMainDialog(std::optional<int> storedChipType) {
    StoreChipType(storedChipType);
    auto dlg = std::make_unique<CTessadaneDlg>();
    const bool created = dlg->CreateFromTemplate();
    Q_ASSERT(created);
    (void)created;
    dlg->show();
    QCoreApplication::processEvents();
    return dlg;
}

void ChooseChipType(CTessadaneDlg& dlg, int row) {
    dlg.ComboSetCurSel(IDC_CHIP_TYPE, row);
    dlg.SendNotify(IDC_CHIP_TYPE, CBN_SELCHANGE);
}

void RunOnWorkerThread(const std::function<void()>& work) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
        work();
        done = true;
    });
    while (!done) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    worker.join();
    QCoreApplication::processEvents();
}

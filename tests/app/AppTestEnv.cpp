#include "AppTestEnv.h"

#include "Globals.h"

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

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
        return a;
    }();
    return *app;
}

QString TestSettingsDir() { return SettingsDir().path(); }

#include <QCoreApplication>

#include <atomic>
#include <thread>

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

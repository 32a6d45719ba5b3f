// Set-up shared by the application tests and the screenshot tool: a
// QApplication on the offscreen platform and settings kept in a temporary
// folder, never the user's own.
#pragma once

#include <QString>
#include <QVariant>

#include <memory>
#include <optional>

class QApplication;
class CTessadaneDlg;

// Creates the application once (offscreen unless QT_QPA_PLATFORM says
// otherwise), points the settings at a fresh temporary folder and puts an
// empty emulated HID bus in place, so no test reaches real devices.
QApplication& TestApplication();
// Folder holding the settings of this process.
QString TestSettingsDir();

#include <functional>

// Runs work on a second thread while this (the user-interface) thread keeps
// handling events, as it must for the work's calls into the windows.
void RunOnWorkerThread(const std::function<void()>& work);

// Base of fixtures whose members are widgets: the application exists
// before the members are built.
struct WithTestApplication {
    WithTestApplication() { TestApplication(); }
};

// The remembered chip type in the test settings (nullopt: none stored).
void StoreChipType(std::optional<int> value);
QVariant StoredChipType();

// Opens the main dialog as start-up does, with this chip type remembered.
std::unique_ptr<CTessadaneDlg> OpenMainDialog(std::optional<int> storedChipType);

// The user picks chip-type row `row` in the combo box.
void ChooseChipType(CTessadaneDlg& dlg, int row);

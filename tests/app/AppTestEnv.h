// Set-up shared by the application tests and the screenshot tool: a
// QApplication on the offscreen platform and settings kept in a temporary
// folder, never the user's own.
#pragma once

#include <QString>
#include <QVariant>

#include <functional>
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

// Rows of the chip-type combo box.
inline constexpr int ROW_VQ7140S = 0;
inline constexpr int ROW_VQ7140XX = 1;
inline constexpr int ROW_VQ7170 = 2;   // 24c01/2/4/8/16 and 24c32/64
inline constexpr int ROW_VQ7170S = 3;
inline constexpr int ROW_VQ5520 = 4;   // all three memory types
inline constexpr int ROW_VQ7340 = 5;   // flash only
inline constexpr int ROW_VQ5632 = 6;

// The user picks chip-type row `row` in the combo box.
void ChooseChipType(CTessadaneDlg& dlg, int row);

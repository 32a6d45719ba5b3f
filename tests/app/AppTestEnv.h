// Set-up shared by the application tests and the screenshot tool: a
// QApplication on the offscreen platform and settings kept in a temporary
// folder, never the user's own.
#pragma once

#include <QString>

class QApplication;

// Creates the application once (offscreen unless QT_QPA_PLATFORM says
// otherwise) and points the settings at a fresh temporary folder.
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

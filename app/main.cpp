// Start-up: the global objects are built before main; the application
// object then runs the main dialog until the user closes it.
#include "Globals.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    theApp.InitInstance();  // returns FALSE once the dialog has ended
    return theApp.ExitInstance();
}

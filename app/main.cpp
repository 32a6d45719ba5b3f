// Start-up: the global objects are built before main; the application
// object then runs the main dialog until the user closes it. Help and
// version are answered before the toolkit starts: no window, no display.
#include "CommandLine.h"
#include "Globals.h"

#include <QApplication>

int main(int argc, char** argv) {
    const std::string program = theApp.m_pszAppName.toStdString();
    const CommandLine asked = ParseCommandLine(ArgumentsOf(argc, argv));
    if (asked.action == CommandLine::Action::Help || asked.action == CommandLine::Action::Version)
        return *AnswerWithoutWindow(asked, program);

    QApplication app(argc, argv);  // takes the toolkit's own options out of argv
    const CommandLine line = ParseCommandLine(ArgumentsOf(argc, argv));
    if (const std::optional<int> status = AnswerWithoutWindow(line, program)) return *status;
    theApp.m_strFileToOpen = line.file;
    theApp.InitInstance();  // returns FALSE once the dialog has ended
    return theApp.ExitInstance();
}

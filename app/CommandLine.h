// The window's command line: "Quillmar [FILE]", plus --help and --version,
// which are answered without a window. The toolkit's own options (for
// example -platform) are the toolkit's: it takes them out of the arguments
// before the file is looked for.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct CommandLine {
    enum class Action {
        Run,      // open the window (and file, when one is given)
        Help,     // print the help and end
        Version,  // print the version and end
        Misuse,   // print error and end with exit status 2
    };
    Action action = Action::Run;
    std::string file;   // Run: the file to open; empty: none
    std::string error;  // Misuse: what is wrong
};

// The arguments after the program's name: "-h" or "--help" and "-v" or
// "--version" anywhere before "--" (the first one counts, whatever else is
// there); otherwise at most one FILE, with any other argument starting with
// '-' an unknown option, up to a "--", after which every argument is a file.
CommandLine ParseCommandLine(const std::vector<std::string>& args);
// argv[1..argc-1].
std::vector<std::string> ArgumentsOf(int argc, char** argv);

std::string HelpText(const std::string& program);
std::string VersionLine(const std::string& program);

// Answers help, version and misuse on standard output or standard error
// and gives the exit status; nothing for Run.
std::optional<int> AnswerWithoutWindow(const CommandLine& line, const std::string& program);

#include "CommandLine.h"

#include <cstdio>

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    bool options = true;
    bool fileSeen = false;
    for (const std::string& arg : args) {
        if (options && arg == "--") {
            options = false;
            continue;
        }
        if (options && (arg == "-h" || arg == "--help")) return {CommandLine::Action::Help, {}, {}};
        if (options && (arg == "-v" || arg == "--version")) return {CommandLine::Action::Version, {}, {}};
        if (options && arg.size() > 1 && arg[0] == '-') {
            if (line.error.empty()) line.error = "unknown option '" + arg + "'";
            continue;
        }
        if (fileSeen) {
            if (line.error.empty()) line.error = "more than one file: '" + line.file + "' and '" + arg + "'";
            continue;
        }
        fileSeen = true;
        line.file = arg;
    }
    if (!line.error.empty()) {
        line.action = CommandLine::Action::Misuse;
        line.file.clear();
    }
    return line;
}

std::vector<std::string> ArgumentsOf(int argc, char** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return args;
}

std::string HelpText(const std::string& program) {
    return "Usage: " + program + " [OPTION]... [FILE]\n"
           "Programs patch and firmware images into USB video bridge chips, verifies\n"
           "them, reads them back and saves them as .bin files.\n"
           "\n"
           "  FILE           an Intel HEX (.hex) or binary (.bin) image, opened for the\n"
           "                 remembered chip type as Open File opens it\n"
           "  -h, --help     print this help and exit\n"
           "  -v, --version  print the version and exit\n"
           "  --             the next argument is the file, even when it starts with '-'\n"
           "\n"
           "The standard options of the Qt toolkit apply too, for example -platform.\n"
           "QUILLMAR_EMULATE attaches emulated chips instead of real ones (see the\n"
           "manual page).\n";
}

std::string VersionLine(const std::string& program) { return program + " " QUILLMAR_VERSION "\n"; }

std::optional<int> AnswerWithoutWindow(const CommandLine& line, const std::string& program) {
    switch (line.action) {
    case CommandLine::Action::Help: std::fputs(HelpText(program).c_str(), stdout); return 0;
    case CommandLine::Action::Version: std::fputs(VersionLine(program).c_str(), stdout); return 0;
    case CommandLine::Action::Misuse:
        std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", program.c_str(), line.error.c_str(),
                     program.c_str());
        return 2;
    case CommandLine::Action::Run: break;
    }
    return std::nullopt;
}

// A command of quillmar-cli: its name, its help, its options and its run
// function, in one object. Each command lives in a file of its own, which
// registers it; main.cpp only hands the command line to the one asked for.
#pragma once

#include "CliHost.h"

#include <CLI/CLI.hpp>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace cli {

class Command {
public:
    virtual ~Command() = default;
    // Adds the command's options to its subcommand; the parse fills the
    // command's members.
    virtual void AddOptions(CLI::App& sub) = 0;
    // After the parse: what is wrong with the values given (a usage error,
    // exit status 2), or empty. Runs before any device is looked at.
    virtual std::string Check() { return {}; }
    // Does the command's work; returns the process's exit status.
    virtual int Run(CliHost& host) = 0;
};

struct CommandSpec {
    int order;         // place in the listing of --help
    const char* name;  // "download"
    const char* help;  // one line
    std::function<std::unique_ptr<Command>()> make;
};

// After the parse: the first option of app or of its command given an empty
// value ("--chip: empty value"), a usage error; empty when there is none. An
// empty value is what an unset variable in a script gives: no option takes
// one.
std::string EmptyValue(const CLI::App& app);

// Every registered command, in the order of their `order`.
std::vector<CommandSpec> AllCommands();

// A command file registers its command with one of these:
//   const CommandRegistration kRegistered{{40, "download", "...", [] { return std::make_unique<DownloadCommand>(); }}};
struct CommandRegistration {
    explicit CommandRegistration(CommandSpec spec);
};

}  // namespace cli

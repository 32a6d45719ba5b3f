// quillmar-cli: the download and read jobs of the window from a terminal,
// for scripts and production lines. The engine, the HID layer and the chip
// emulator are those of the window; this is a second engine host.
//
// Each command is an object of its own file (Command.h); this only parses
// the command line and hands it to the command asked for.
#include "Command.h"
#include "CommandOptions.h"
#include "Devices.h"
#include "Emulator.h"
#include "Hid.h"
#include "Interrupt.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

int UsageError(const std::string& text) {
    std::fprintf(stderr, "quillmar-cli: %s\n", text.c_str());
    return cli::EXIT_USAGE;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"quillmar-cli: downloads images to USB video bridge chips and reads them back.", "quillmar-cli"};
    app.require_subcommand(1);
    app.fallthrough();
    app.footer("Exit status: 0 success, 1 the job failed, 2 usage error or refused file, 3 no device or the device "
               "is not accessible, 130/143/129 interrupted by Ctrl-C/SIGTERM/SIGHUP, 141 standard output closed.\nChip types: " + cli::ChipTypeChoices() +
               ".\nQUILLMAR_EMULATE attaches emulated chips instead of real ones (see README).");

    bool json = false, quiet = false;
    app.add_flag("--json", json, "Print one JSON object per event (status, progress, result) on standard output");
    app.add_flag("-q,--quiet", quiet, "Print nothing but errors");

    struct Entry {
        CLI::App* sub;
        std::unique_ptr<cli::Command> command;
    };
    std::vector<Entry> commands;
    for (const cli::CommandSpec& spec : cli::AllCommands()) {
        Entry entry{app.add_subcommand(spec.name, spec.help), spec.make()};
        entry.command->AddOptions(*entry.sub);
        commands.push_back(std::move(entry));
    }

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        return code == 0 ? cli::EXIT_OK : cli::EXIT_USAGE;
    }
    const auto chosen = std::find_if(commands.begin(), commands.end(), [](const Entry& e) { return e.sub->parsed(); });
    if (chosen == commands.end()) return UsageError("no command");
    if (const std::string error = cli::EmptyValue(app); !error.empty()) return UsageError(error);
    if (const std::string error = chosen->command->Check(); !error.empty()) return UsageError(error);

    // Emulated chips as in the window; a bad list is refused.
    if (const std::string error = emu::StartEmulationFromEnvironment(); !error.empty()) return UsageError(error);
    hid::SetBackend(cli::MakeInterruptibleBackend(hid::CurrentBackend()));
    cli::CatchInterrupts();

    const cli::Output mode = json ? cli::Output::Json : quiet ? cli::Output::Quiet : cli::Output::Normal;
    cli::CliHost host(mode, isatty(STDERR_FILENO) != 0);
    return chosen->command->Run(host);
}

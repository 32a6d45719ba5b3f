// quillmar-cli: the download and read jobs of the window from a terminal,
// for scripts and production lines. The engine, the HID layer and the chip
// emulator are those of the window; this is a second engine host.
//
// Each command is an object of its own file (Command.h); this only parses
// the command line and hands it to the command asked for.
#include "ChipTypes.h"
#include "Command.h"
#include "CommandOptions.h"
#include "Devices.h"
#include "Emulator.h"
#include "Hid.h"
#include "ImageInput.h"
#include "Interrupt.h"
#include "Steps.h"
#include "Trace.h"

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

// The command line as the trace's first lines repeat it.
std::string CommandLine(int argc, char** argv) {
    std::string line;
    for (int i = 0; i < argc; ++i) line += (i ? " " : "") + std::string(argv[i]);
    return line;
}

// The HDCP key area of the chip type the command's --chip names (empty
// without one).
HiddenBytes KeyAreaOf(const CLI::App& sub) {
    const CLI::Option* chip = sub.get_option_no_throw("--chip");
    if (!chip || chip->count() == 0) return {};
    const std::optional<int> row = FindChipRow(chip->as<std::string>());
    return row ? cli::KeyArea(*row) : HiddenBytes{};
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"quillmar-cli: downloads images to USB video bridge chips and reads them back.", "quillmar-cli"};
    app.require_subcommand(1);
    app.fallthrough();
    app.footer("Exit status: 0 success, 1 the job failed, 2 usage error or refused file, 3 no device or the device "
               "is not accessible, 130/143/129 interrupted by Ctrl-C/SIGTERM/SIGHUP, 141 standard output closed.\nChip types: " + cli::ChipTypeChoices() +
               ".\nQUILLMAR_EMULATE attaches emulated chips instead of real ones (see README).");

    app.set_version_flag("--version", std::string("quillmar-cli ") + QUILLMAR_VERSION, "Print the version and exit");
    bool json = false, quiet = false, verbose = false;
    std::string trace;
    app.add_flag("--json", json, "Print one JSON object per event (status, progress, result) on standard output");
    CLI::Option* quietFlag = app.add_flag("-q,--quiet", quiet, "Print nothing but errors");
    app.add_flag("-v,--verbose", verbose, "Print each step with the time it happened on standard error")
        ->excludes(quietFlag);
    app.add_option("--trace", trace,
                   "Write every report sent to a device and received from it, in hex with the time and the "
                   "device, to FILE (HDCP key bytes masked)")
        ->type_name("FILE");

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
    if (app.get_option("--trace")->count() != 0 && trace.empty()) return UsageError("--trace needs a file name");

    cli::SetVerbose(verbose);
    cli::Step(std::string("quillmar-cli ") + QUILLMAR_VERSION + " " + chosen->sub->get_name());
    // Emulated chips as in the window; a bad list is refused.
    if (const std::string error = emu::StartEmulationFromEnvironment(); !error.empty()) return UsageError(error);
    if (!trace.empty()) {
        if (const std::string error = cli::StartTrace(trace, CommandLine(argc, argv), KeyAreaOf(*chosen->sub));
            !error.empty()) {
            return UsageError(error);
        }
    }
    // The reports are traced where they meet the device: one refused after
    // Ctrl-C never went out.
    std::shared_ptr<hid::Backend> backend = hid::CurrentBackend();
    if (!trace.empty() || verbose) backend = cli::MakeWatchedBackend(std::move(backend));
    hid::SetBackend(cli::MakeInterruptibleBackend(std::move(backend)));
    cli::CatchInterrupts();

    const cli::Output mode = json ? cli::Output::Json : quiet ? cli::Output::Quiet : cli::Output::Normal;
    int status = 0;
    {
        cli::CliHost host(mode, isatty(STDERR_FILENO) != 0);
        status = chosen->command->Run(host);
    }
    cli::Step("exit status " + std::to_string(status));
    cli::EndTrace();
    return status;
}

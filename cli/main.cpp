// quillmar-cli: the download and read jobs of the window from a terminal,
// for scripts and production lines. The engine, the HID layer and the chip
// emulator are those of the window; this is a second engine host.
#include "ChipTypes.h"
#include "CliHost.h"
#include "Commands.h"
#include "Emulator.h"
#include "Hid.h"
#include "Interrupt.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <unistd.h>

namespace {

// The chip types a --chip value may name, for the help and for errors.
std::string ChipTypeChoices() {
    std::string text;
    for (int row = 0; row < CHIP_TYPE_ROWS; ++row) {
        if (!text.empty()) text += ", ";
        const ChipTypeName& n = CHIP_TYPE_NAMES[static_cast<std::size_t>(row)];
        text += std::string(n.shortName) + " (\"" + n.label + "\", " + std::to_string(row) + ")";
    }
    return text;
}

// A read length: hexadecimal, at most the 16 MB the read buffer holds.
std::optional<DWORD> ParseLength(std::string text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text = text.substr(2);
    if (text.empty() || text.size() > 8 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
        return std::nullopt;
    }
    const unsigned long value = std::stoul(text, nullptr, 16);
    if (value > IMAGE_BUFFER_SIZE) return std::nullopt;
    return static_cast<DWORD>(value);
}

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
               "is not accessible, 130 interrupted.\nChip types: " + ChipTypeChoices() +
               ".\nQUILLMAR_EMULATE attaches emulated chips instead of real ones (see README).");

    bool json = false, quiet = false;
    app.add_flag("--json", json, "Print one JSON object per event (status, progress, result) on standard output");
    app.add_flag("-q,--quiet", quiet, "Print nothing but errors");

    std::string chip, memory, device, file, output, length, hdcpKey;
    std::vector<std::string> settings;
    const auto addChip = [&](CLI::App* sub, bool required) {
        CLI::Option* option = sub->add_option("-c,--chip", chip, "Chip type: row name, short name or row number 0-6");
        if (required) option->required();
    };
    const auto addMemory = [&](CLI::App* sub) {
        sub->add_option("-m,--memory", memory, "Memory type: 24c01, 24c32 or flash");
    };
    const auto addDevice = [&](CLI::App* sub) {
        sub->add_option("-d,--device", device, "Device path, as list shows it (default: the last chip found)");
    };

    CLI::App* list = app.add_subcommand("list", "List the attached chips: type, report id, location, path, version");
    addChip(list, false);

    CLI::App* info = app.add_subcommand("info", "Load an image file as Open File does and describe it");
    info->add_option("file", file, "Image file (.hex or .bin)")->required();
    addChip(info, true);

    CLI::App* fields = app.add_subcommand("fields", "List the fields --set takes, with their kinds and values");
    addChip(fields, true);

    CLI::App* download = app.add_subcommand("download", "Load an image file and download it with verify");
    download->add_option("file", file, "Image file (.hex or .bin)")->required();
    addChip(download, true);
    addMemory(download);
    download->add_option("-s,--set", settings, "Set a field of the image before the download (repeatable)")
        ->allow_extra_args(false);
    download->add_option("--hdcp-key", hdcpKey, "HDCP key file (285 bytes) put into the image");
    std::vector<std::string> devices;
    std::string keyDir;
    bool all = false;
    download->add_option("-d,--device", devices,
                         "Device path, as list shows it (default: the last chip found); repeat it for several "
                         "devices at once")
        ->allow_extra_args(false);
    CLI::Option* allOption = download->add_flag("--all", all, "Download to every attached chip of the type at once");
    download->add_option("--hdcp-key-dir", keyDir,
                         "Give each device the next unused key file (*.bin) of DIR, recorded in DIR/used.log")
        ->excludes("--hdcp-key");
    allOption->excludes("--device");

    CLI::App* read = app.add_subcommand("read", "Read the chip's image and save it as a .bin file");
    addChip(read, true);
    addMemory(read);
    read->add_option("-l,--length", length, "Bytes to read, hexadecimal (default: the stored image's length)");
    addDevice(read);
    read->add_option("-o,--output", output, "File to save the bytes read in")->required();

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        return code == 0 ? cli::EXIT_OK : cli::EXIT_USAGE;
    }

    std::optional<int> row;
    if (!chip.empty()) {
        row = FindChipRow(chip);
        if (!row) return UsageError("unknown chip type '" + chip + "'; one of: " + ChipTypeChoices());
    }
    std::optional<BYTE> memType;
    if (!memory.empty()) {
        memType = cli::FindMemoryType(memory);
        if (!memType) return UsageError("unknown memory type '" + memory + "'; one of: 24c01, 24c32, flash");
    }
    std::optional<DWORD> readLength;
    if (!length.empty()) {
        readLength = ParseLength(length);
        if (!readLength) return UsageError("read length '" + length + "' is not a hexadecimal number up to 1000000");
    }
    std::vector<cli::FieldSetting> fieldSettings;
    for (const std::string& setting : settings) {
        const std::size_t eq = setting.find('=');
        if (eq == std::string::npos || eq == 0) return UsageError("--set takes NAME=VALUE, not '" + setting + "'");
        fieldSettings.push_back({setting.substr(0, eq), setting.substr(eq + 1)});
    }

    // Emulated chips as in the window; a bad list is refused.
    if (const std::string error = emu::StartEmulationFromEnvironment(); !error.empty()) return UsageError(error);
    hid::SetBackend(cli::MakeInterruptibleBackend(hid::CurrentBackend()));
    cli::CatchInterrupts();

    const cli::Output mode = json ? cli::Output::Json : quiet ? cli::Output::Quiet : cli::Output::Normal;
    cli::CliHost host(mode, isatty(STDERR_FILENO) != 0);
    if (*list) return cli::RunList(host, row);
    if (*info) return cli::RunInfo(host, file, *row);
    if (*fields) return cli::RunFields(host, *row);
    if (*download) {
        cli::DownloadOptions options;
        options.row = *row;
        options.memType = memType;
        options.settings = std::move(fieldSettings);
        options.hdcpKeyPath = hdcpKey;
        if (all || devices.size() > 1 || !keyDir.empty()) options.many = cli::ManyDevices{all, devices, keyDir};
        else if (!devices.empty()) options.devicePath = devices.front();
        return cli::RunDownload(host, file, options);
    }
    cli::ReadOptions options;
    options.row = *row;
    options.memType = memType;
    options.length = readLength;
    options.devicePath = device;
    options.outputPath = output;
    return cli::RunRead(host, options);
}

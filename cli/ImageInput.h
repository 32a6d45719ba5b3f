// What a download and a verify share: the image (FILE, --chip, --memory,
// --set, --hdcp-key), loaded as Open File loads it and prepared as the
// memory-type radio and the option page leave it, and the devices to work
// on (--device, --all).
#pragma once

#include "CliHost.h"
#include "CommandOptions.h"
#include "DeviceJobs.h"
#include "Devices.h"
#include "Image.h"

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

namespace cli {

struct ImageInput {
    std::string file;
    ChipOption chip;
    MemoryOption memory;
    SetOption set;
    std::string hdcpKey;

    // setHelp: what --set does for this command.
    void Add(CLI::App& sub, const std::string& setHelp);
    std::string Check();
    // Loads the file and applies --memory (the image's magic follows it),
    // --set and --hdcp-key; image and memType, or the refusal (status 2).
    Outcome Prepare(CliHost& host, Image* image, BYTE* memType) const;
};

struct DeviceChoice {
    std::vector<std::string> paths;
    bool all = false;

    // allHelp: what --all does for this command.
    void Add(CLI::App& sub, const std::string& allHelp);
    // Several devices at once (--all, or --device more than once).
    bool Many() const { return all || paths.size() > 1; }
    // The one device: empty for the last chip found.
    std::string One() const { return paths.empty() ? std::string() : paths.front(); }
};

// Where row's images keep their HDCP key; empty for a type without one.
HiddenBytes KeyArea(int row);

}  // namespace cli

// Several devices in one download: every device gets its own job, all at
// once (batch/), and a line as it ends; a summary follows.
#pragma once

#include "CliHost.h"
#include "Devices.h"
#include "Image.h"

#include <string>
#include <vector>

namespace cli {

struct ManyDevices {
    bool all = false;                  // every attached chip of the type
    std::vector<std::string> paths;    // else these devices
    std::string keyDir;                // a key of this directory for each device; empty: none
};

// Downloads image (already loaded and prepared) to the devices; success
// only when every device was written and verified.
Outcome DownloadToMany(CliHost& host, const Image& image, BYTE memType, const ManyDevices& devices);

}  // namespace cli

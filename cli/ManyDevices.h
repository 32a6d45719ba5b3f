// Several devices in one download: every device gets its own job, all at
// once (batch/), and a line as it ends; a summary follows.
#pragma once

#include "CliHost.h"
#include "Devices.h"

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
Outcome DownloadToMany(CliHost& host, std::vector<BYTE> image, int row, BYTE memType, WORD codeLen, WORD checksum,
                       const ManyDevices& devices);

}  // namespace cli

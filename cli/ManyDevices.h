// Several devices in one download: every device gets its own job, all at
// once (batch/), and a line as it ends; a summary follows.
#pragma once

#include "CliHost.h"
#include "DeviceJobs.h"
#include "Devices.h"
#include "Image.h"

#include <string>
#include <vector>

namespace cli {

struct ManyDevices {
    bool all = false;                  // every attached chip of the type
    std::vector<std::string> paths;    // else these devices
    std::string keyDir;                // a key of this directory for each device; empty: none
    ImageJob job = ImageJob::Download;  // or compare each chip with the image
    HiddenBytes hidden{};              // a verify's failure leaves these bytes' values out
};

// Downloads image (already loaded and prepared) to the devices; success
// only when every device was written and verified (a verify: found equal).
Outcome DownloadToMany(CliHost& host, const Image& image, BYTE memType, const ManyDevices& devices);

}  // namespace cli

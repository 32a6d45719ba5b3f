// The commands of quillmar-cli. Each returns the process's exit status.
#pragma once

#include "CliFields.h"
#include "CliHost.h"
#include "Devices.h"
#include "ManyDevices.h"

#include <optional>
#include <string>
#include <vector>

namespace cli {

// Memory types by name: "24c01", "24c32", "flash"; nothing for others.
std::optional<BYTE> FindMemoryType(const std::string& name);
const char* MemoryTypeName(BYTE memType);

int RunList(CliHost& host, std::optional<int> row);
int RunInfo(CliHost& host, const std::string& file, int row);
int RunFields(CliHost& host, int row);

struct DownloadOptions {
    int row = 0;
    std::optional<BYTE> memType;  // none: the image's own
    std::vector<FieldSetting> settings;
    std::string hdcpKeyPath;
    std::string devicePath;  // empty: the last chip found
    // Several devices at once (--all, --device more than once, a key
    // directory): devicePath is then unused.
    std::optional<ManyDevices> many;
};
int RunDownload(CliHost& host, const std::string& file, const DownloadOptions& options);

// What one device's download needs besides the device and the image.
struct DownloadTarget {
    int row = 0;
    BYTE memType = 0;
};
// One device's whole download: scans for the chip type, opens devicePath
// (empty: the last chip found), downloads and verifies image, closes the
// device. Takes its own copy of the image, so that several devices can be
// programmed one after another from one prepared image.
Outcome DownloadToDevice(const std::string& devicePath, std::vector<BYTE> image, const DownloadTarget& target,
                         CliHost& host);

struct ReadOptions {
    int row = 0;
    std::optional<BYTE> memType;   // none: the chip type's default
    std::optional<DWORD> length;   // none: the length the stored image gives
    std::string devicePath;
    std::string outputPath;
};
int RunRead(CliHost& host, const ReadOptions& options);

}  // namespace cli

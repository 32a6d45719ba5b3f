// What the commands of quillmar-cli share: loading an image file as Open
// File does, choosing the memory type, one device's download, and the
// closing result of a command. Each returns the process's exit status or an
// Outcome that leads to it.
#pragma once

#include "CliFields.h"
#include "CliHost.h"
#include "DeviceJobs.h"
#include "Devices.h"

#include <optional>
#include <string>

namespace cli {

// The result line of every command: the closing text where it has not been
// shown yet, and with --json the result event. Returns outcome.status; a
// command whose standard output could not be written did not succeed.
int Finish(CliHost& host, const char* command, Outcome outcome);

// The end of a job: interrupted, failed (with its reason, shown where it
// tells more than the red text the job showed) or done.
Outcome JobOutcome(const JobResult& result);

// The memory type a job uses: the one asked for, else `otherwise`, else
// the chip type's first. A type the chip type lacks is a usage error.
Outcome ChooseMemoryType(int row, std::optional<BYTE> asked, BYTE otherwise, BYTE* out);
// The same with the image's memory type for `otherwise`.
Outcome ChooseMemoryType(int row, std::optional<BYTE> asked, const Image& image, BYTE* out);

// Open File: the file's refusal texts, then its path and the reason, status
// 2; a file cut to 16 MB loads all the same, with its message.
Outcome LoadImageFile(CliHost& host, const std::string& file, int row, Image* out);

// One field line of `fields` (withValue false) or `info`.
void PrintField(const CliHost& host, const CliField& field, bool withValue);

// One device's whole download: scans for the chip type, opens devicePath
// (empty: the last chip found, as the window does), downloads and verifies
// image, closes the device.
Outcome DownloadToDevice(CliHost& host, const std::string& devicePath, const Image& image, BYTE memType);
// The same for either job that takes an image; a verify's difference is
// the closing text (hidden: bytes whose values it leaves out).
Outcome ImageJobOnDevice(CliHost& host, ImageJob job, const std::string& devicePath, const Image& image,
                         BYTE memType, HiddenBytes hidden = {});

}  // namespace cli

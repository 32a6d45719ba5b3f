// The option fields of a chip type's image for the command line: what
// `fields` lists, what `info` shows and what `--set` and `--hdcp-key`
// change. All of it comes from the chip types' field table, on an image as
// the chip type's option page would see it. Neither a value nor an error
// text ever carries key bytes.
#pragma once

#include "CommandOptions.h"
#include "Image.h"

#include <string>
#include <vector>

namespace cli {

struct CliField {
    std::string name;     // as --set takes it
    std::string kind;     // e.g. "number", "flag", "choice", "text"
    std::string allowed;  // the values --set takes, for the listing
    std::string value;    // the image's value (FieldValues only); never key bytes
};

// The fields --set takes for chip-type row 0..6, values left empty.
std::vector<CliField> ListFields(int row);
// The fields of image with their values.
std::vector<CliField> FieldValues(const Image& image);
// Applies the settings in order, then the HDCP key file (hdcpKeyPath empty:
// none), to image and refreshes its checksums as the option page would.
// On false (error names the setting at fault) image is unchanged.
bool ApplyFields(Image& image, const std::vector<FieldSetting>& settings, const std::string& hdcpKeyPath,
                 std::string* error);

}  // namespace cli

// The option fields of a chip type's image for the command line: what
// `fields` lists, what `info` shows and what `--set` and `--hdcp-key`
// change. All of it comes from the chip types' field table; every call
// here works on g_image as the chip type's option page would. Neither a
// value nor an error text ever carries key bytes.
#pragma once

#include <string>
#include <vector>

namespace cli {

struct CliField {
    std::string name;     // as --set takes it
    std::string kind;     // e.g. "number", "flag", "choice", "text"
    std::string allowed;  // the values --set takes, for the listing
    std::string value;    // the image's value (FieldValues only); never key bytes
};

struct FieldSetting {
    std::string name;
    std::string value;
};

// The fields --set takes for chip-type row 0..6, values left empty.
bool ListFields(int row, std::vector<CliField>* out, std::string* error);
// The fields of the image in g_image with their values.
bool FieldValues(int row, std::vector<CliField>* out, std::string* error);
// Applies the settings in order, then the HDCP key file (hdcpKeyPath empty:
// none), to g_image and refreshes its checksums as the option page would.
// On false (error names the setting at fault) g_image is unchanged.
bool ApplyFields(int row, const std::vector<FieldSetting>& settings, const std::string& hdcpKeyPath,
                 std::string* error);

}  // namespace cli

#include "CliFields.h"

#include "ImageFields.h"

#include <algorithm>
#include <utility>

namespace cli {
namespace {

CliField Describe(const ImageField& field) {
    return {field.name, FieldKindName(field.kind), AllowedValues(field), {}};
}

bool Apply(Image& image, const FieldChange& change, std::string* error) {
    const std::string refused = ApplyFieldChange(image, change);
    if (!refused.empty()) {
        *error = std::string(change.field->name) + ": " + refused;
        return false;
    }
    // A key the image is too short to carry would never reach the chip.
    if (change.field->kind == FieldKind::KeyFile && !ReadField(image, *change.field).present) {
        *error = std::string(change.field->name) + ": the image (" + std::to_string(image.length) +
                 " bytes) is too short to carry the key";
        return false;
    }
    return true;
}

// A string the chip shows holds printable ASCII characters only: the option
// page would keep one byte of each other character, so "画画" would reach
// the chip as ";;".
std::string UnshowableCharacter(const ImageField& field, const std::string& value) {
    for (std::size_t i = 0; i < value.size(); ++i) {
        const auto c = static_cast<unsigned char>(value[i]);
        if (c >= 0x20 && c < 0x7F) continue;
        return std::string(field.name) + ": the chip shows printable ASCII characters only; byte " +
               std::to_string(i + 1) + " of the value is " + (c < 0x80 ? "a control character" : "not ASCII");
    }
    return {};
}

}  // namespace

std::vector<CliField> ListFields(int row) {
    std::vector<CliField> out;
    for (const ImageField& field : ChipFields(row)) out.push_back(Describe(field));
    return out;
}

std::vector<CliField> FieldValues(const Image& image) {
    std::vector<CliField> out;
    for (const ImageField& field : ChipFields(image.row)) {
        CliField f = Describe(field);
        const FieldReading reading = ReadField(image, field);
        f.value = reading.present || field.kind == FieldKind::KeyFile ? reading.text : "(absent)";
        out.push_back(std::move(f));
    }
    return out;
}

bool ApplyFields(Image& image, const std::vector<FieldSetting>& settings, const std::string& hdcpKeyPath,
                 std::string* error) {
    if (settings.empty() && hdcpKeyPath.empty()) return true;
    const int row = image.row;
    std::vector<FieldChange> changes;
    for (const FieldSetting& setting : settings) {
        const ImageField* field = FindField(row, setting.name);
        if (field && field->kind == FieldKind::String) {
            if (std::string refused = UnshowableCharacter(*field, setting.value); !refused.empty()) {
                *error = std::move(refused);
                return false;
            }
        }
        ParsedChange parsed = ParseFieldChange(row, setting.name + "=" + setting.value);
        if (!parsed.change) {
            *error = parsed.error;
            return false;
        }
        changes.push_back(std::move(*parsed.change));
    }
    if (!hdcpKeyPath.empty()) {
        const auto fields = ChipFields(row);
        const auto key = std::find_if(fields.begin(), fields.end(),
                                      [](const ImageField& f) { return f.kind == FieldKind::KeyFile; });
        if (key == fields.end()) {
            *error = "--hdcp-key: this chip type's image has no HDCP key";
            return false;
        }
        ParsedChange parsed = LoadKeyFile(*key, hdcpKeyPath);
        if (!parsed.change) {
            // The page's texts end in a line feed; a terminal line doesn't.
            std::string text = parsed.error;
            while (!text.empty() && text.back() == '\n') text.pop_back();
            *error = "--hdcp-key: " + text;
            return false;
        }
        changes.push_back(std::move(*parsed.change));
    }
    // The changes go to a copy first, so a refused one leaves the image as it was.
    Image changed = image;
    for (const FieldChange& change : changes) {
        if (!Apply(changed, change, error)) return false;
    }
    image = std::move(changed);
    return true;
}

}  // namespace cli

#include "CliFields.h"

#include "ImageFields.h"
#include "VQPatch.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace cli {
namespace {

CliField Describe(const ImageField& field) {
    return {field.name, FieldKindName(field.kind), AllowedValues(field), {}};
}

// A private copy of the image state that changes are tried on first, so a
// refused setting leaves g_image as it was.
struct ImageCopy {
    std::unique_ptr<BYTE[]> bytes{new BYTE[IMAGE_BUFFER_SIZE]};
    DWORD length = g_imageLen;
    WORD codeLen = g_codeLen;
    WORD checksum = g_checksum;
    ImageCopy() { std::memcpy(bytes.get(), g_image, IMAGE_BUFFER_SIZE); }
    ImageView View() { return {bytes.get(), IMAGE_BUFFER_SIZE, length, codeLen, checksum}; }
    void StoreInGlobals() const {
        std::memcpy(g_image, bytes.get(), IMAGE_BUFFER_SIZE);
        g_imageLen = length;
        g_codeLen = codeLen;
        g_checksum = checksum;
    }
};

bool Apply(int row, const ImageView& image, const FieldChange& change, std::string* error) {
    const std::string refused = ApplyFieldChange(row, image, change);
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

}  // namespace

bool ListFields(int row, std::vector<CliField>* out, std::string*) {
    out->clear();
    for (const ImageField& field : ChipFields(row)) out->push_back(Describe(field));
    return true;
}

bool FieldValues(int row, std::vector<CliField>* out, std::string*) {
    out->clear();
    const ImageView image = GlobalImage();
    for (const ImageField& field : ChipFields(row)) {
        CliField f = Describe(field);
        const FieldReading reading = ReadField(image, field);
        f.value = reading.present || field.kind == FieldKind::KeyFile ? reading.text : "(absent)";
        out->push_back(std::move(f));
    }
    return true;
}

bool ApplyFields(int row, const std::vector<FieldSetting>& settings, const std::string& hdcpKeyPath,
                 std::string* error) {
    if (settings.empty() && hdcpKeyPath.empty()) return true;
    std::vector<FieldChange> changes;
    for (const FieldSetting& setting : settings) {
        ParsedChange parsed = ParseFieldChange(row, setting.name + "=" + setting.value);
        if (!parsed.change) {
            *error = parsed.error;
            return false;
        }
        changes.push_back(std::move(*parsed.change));
    }
    if (!hdcpKeyPath.empty()) {
        const auto key = std::find_if(ChipFields(row).begin(), ChipFields(row).end(),
                                      [](const ImageField& f) { return f.kind == FieldKind::KeyFile; });
        if (key == ChipFields(row).end()) {
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
    ImageCopy copy;
    for (const FieldChange& change : changes) {
        if (!Apply(row, copy.View(), change, error)) return false;
    }
    copy.StoreInGlobals();
    return true;
}

}  // namespace cli

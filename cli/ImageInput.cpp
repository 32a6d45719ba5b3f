#include "ImageInput.h"

#include "ChipTypes.h"
#include "CliFields.h"
#include "Commands.h"
#include "ImageFields.h"
#include "Steps.h"

namespace cli {

void ImageInput::Add(CLI::App& sub, const std::string& setHelp) {
    sub.add_option("file", file, "Image file (.hex or .bin)")->required();
    chip.Add(sub, true);
    memory.Add(sub);
    set.Add(sub);
    sub.get_option("--set")->description(setHelp);
    sub.add_option("--hdcp-key", hdcpKey, "HDCP key file (285 bytes) put into the image");
}

std::string ImageInput::Check() {
    for (std::string error : {chip.Check(), memory.Check(), set.Check()})
        if (!error.empty()) return error;
    return {};
}

Outcome ImageInput::Prepare(CliHost& host, Image* image, BYTE* memType) const {
    Step("loading " + file + " as " + DescriptorOf(chip.row).label);
    if (Outcome loaded = LoadImageFile(host, file, chip.row, image); loaded.status != EXIT_OK) return loaded;
    if (Outcome chosen = ChooseMemoryType(chip.row, memory.type, *image, memType); chosen.status != EXIT_OK) {
        return chosen;
    }
    // As the memory-type radio does: the image's magic follows the choice.
    if (memory.type) image->SetMemoryType(*memType);
    std::string error;
    if (!ApplyFields(*image, set.settings, hdcpKey, &error)) return {EXIT_USAGE, error};
    Step("image of " + std::to_string(image->Bytes().size()) + " bytes for the " + MemoryTypeName(*memType) +
         " memory");
    return {};
}

void DeviceChoice::Add(CLI::App& sub, const std::string& allHelp) {
    sub.add_option("-d,--device", paths,
                   "Device path, as list shows it (default: the last chip found); repeat it for several "
                   "devices at once")
        ->allow_extra_args(false);
    sub.add_flag("--all", all, allHelp)->excludes("--device");
}

HiddenBytes KeyArea(int row) {
    const ImageField* key = KeyField(row);
    if (!key) return {};
    return {static_cast<DWORD>(key->offset), static_cast<DWORD>(key->offset + key->size)};
}

}  // namespace cli

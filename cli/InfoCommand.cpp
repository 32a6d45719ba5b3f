// quillmar-cli info FILE --chip TYPE: the file loaded as Open File loads it,
// described: lengths, checksums, memory type and every field.
#include "ChipTypes.h"
#include "Command.h"
#include "CommandOptions.h"
#include "Commands.h"
#include "Json.h"

#include <cstdio>

namespace cli {
namespace {

std::string Hex(unsigned long value, int digits) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%0*lX", digits, value);
    return text;
}

class InfoCommand final : public Command {
public:
    void AddOptions(CLI::App& sub) override {
        sub.add_option("file", file_, "Image file (.hex or .bin)")->required();
        chip_.Add(sub, true);
    }
    std::string Check() override { return chip_.Check(); }
    int Run(CliHost& host) override {
        Image image;
        if (Outcome loaded = LoadImageFile(host, file_, chip_.row, &image); loaded.status != EXIT_OK) {
            return Finish(host, "info", loaded);
        }
        const ChipDescriptor& chip = DescriptorOf(chip_.row);
        const ChecksumLayout layout = chip.layout;
        const BYTE memType = image.MemoryType();
        // Every byte the sums cover lies within the image as loaded.
        image.bytes.Reach(static_cast<std::size_t>(IMAGE_HEADER_SIZE) + image.codeLen + 4);
        const BYTE* bytes = image.bytes.data();
        const WORD headerSum = HeaderChecksum(bytes, layout);
        const WORD codeSum = CodeChecksum(bytes, image.codeLen, layout);
        const bool hasSums = layout != ChecksumLayout::VQ7140S;
        const WORD storedHeader = hasSums ? ReadBE16(bytes + IMAGE_HEADER_SIZE + image.codeLen) : 0;
        const WORD storedCode = hasSums ? ReadBE16(bytes + IMAGE_HEADER_SIZE + image.codeLen + 2) : 0;
        const bool hold = storedHeader == headerSum && storedCode == codeSum;
        if (host.output() == Output::Json) {
            JsonLine line("info");
            line.Add("file", file_).Add("chip", chip.label).Add("image_length", static_cast<std::int64_t>(image.length));
            line.Add("code_length", static_cast<int>(image.codeLen)).Add("memory_type", MemoryTypeName(memType));
            line.Add("header_checksum", static_cast<int>(headerSum)).Add("code_checksum", static_cast<int>(codeSum));
            if (hasSums) {
                line.Add("stored_header_checksum", static_cast<int>(storedHeader));
                line.Add("stored_code_checksum", static_cast<int>(storedCode)).Add("checksums_hold", hold);
            }
            line.Print();
        } else {
            std::printf("file: %s\nchip type: %s\n", file_.c_str(), chip.label);
            std::printf("image length: %s (%lu bytes)\n", Hex(image.length, 4).c_str(),
                        static_cast<unsigned long>(image.length));
            std::printf("code length: %s (%u bytes)\n", Hex(image.codeLen, 4).c_str(), static_cast<unsigned>(image.codeLen));
            if (hasSums) {
                std::printf("header checksum: stored %s, computed %s\n", Hex(storedHeader, 4).c_str(),
                            Hex(headerSum, 4).c_str());
                std::printf("code checksum: stored %s, computed %s\n", Hex(storedCode, 4).c_str(), Hex(codeSum, 4).c_str());
                std::printf("checksums: %s\n", hold ? "hold" : "do not hold");
            } else {
                std::printf("code checksum: computed %s (this chip type stores none)\n", Hex(codeSum, 4).c_str());
            }
            std::printf("memory type: %s\n", MemoryTypeName(memType));
        }
        if (host.output() != Output::Json) std::printf("fields:\n");
        for (const CliField& field : FieldValues(image)) PrintField(host, field, true);
        std::fflush(stdout);
        return Finish(host, "info", {});
    }

private:
    std::string file_;
    ChipOption chip_;
};

const CommandRegistration kRegistered{{20, "info", "Load an image file as Open File does and describe it",
                                       [] { return std::make_unique<InfoCommand>(); }}};

}  // namespace
}  // namespace cli

// quillmar-cli read --chip TYPE -o FILE: the chip's image read back and
// saved as a .bin file.
#include "ChipTypes.h"
#include "Command.h"
#include "CommandOptions.h"
#include "Commands.h"

namespace cli {
namespace {

class ReadCommand final : public Command {
public:
    void AddOptions(CLI::App& sub) override {
        chip_.Add(sub, true);
        memory_.Add(sub);
        sub.add_option("-l,--length", length_, "Bytes to read, hexadecimal (default: the stored image's length)");
        sub.add_option("-d,--device", device_, "Device path, as list shows it (default: the last chip found)");
        sub.add_option("-o,--output", output_, "File to save the bytes read in")->required();
    }
    std::string Check() override {
        for (std::string error : {chip_.Check(), memory_.Check()})
            if (!error.empty()) return error;
        if (!length_.empty()) {
            readLength_ = ParseLength(length_);
            if (!readLength_) return "read length '" + length_ + "' is not a hexadecimal number up to 1000000";
        }
        return {};
    }
    int Run(CliHost& host) override {
        const ChipDescriptor& chip = DescriptorOf(chip_.row);
        Image start;
        start.row = chip.row;
        BYTE memType = 0;
        if (Outcome chosen = ChooseMemoryType(chip.row, memory_.type, start, &memType); chosen.status != EXIT_OK) {
            return Finish(host, "read", chosen);
        }
        const auto patch = chip.make();
        if (Outcome connected = Connect(*patch, chip.row, device_); connected.status != EXIT_OK) {
            CloseDevice(*patch);
            return Finish(host, "read", connected);
        }
        // A read led by the stored header learns its length on the way.
        host.BeginJob([length = readLength_.value_or(0)] { return static_cast<unsigned long>(length); });
        const JobResult result = ReadBack(*patch, memType, readLength_.value_or(chip.readLength), readLength_.has_value());
        host.EndJob();
        CloseDevice(*patch);
        if (Outcome outcome = JobOutcome(result); outcome.status != EXIT_OK) return Finish(host, "read", outcome);

        const std::span<const BYTE> bytes = result.image->Bytes();
        if (!patch->SaveToBin(output_, static_cast<DWORD>(bytes.size()), bytes.data())) {
            return Finish(host, "read", {EXIT_JOB_FAILED, "Create Bin File fail! (" + output_ + ")"});
        }
        return Finish(host, "read", {EXIT_OK, "Successful!", true});
    }

private:
    ChipOption chip_;
    MemoryOption memory_;
    std::string length_;
    std::optional<DWORD> readLength_;
    std::string device_;
    std::string output_;
};

const CommandRegistration kRegistered{{50, "read", "Read the chip's image and save it as a .bin file",
                                       [] { return std::make_unique<ReadCommand>(); }}};

}  // namespace
}  // namespace cli

// quillmar-cli read --chip TYPE -o FILE: the chip's image read back and
// saved as a .bin file, or written to standard output.
#include "ChipTypes.h"
#include "Command.h"
#include "CommandOptions.h"
#include "Commands.h"
#include "ImageFields.h"
#include "Interrupt.h"
#include "OutputFile.h"

#include <cstdio>

namespace cli {
namespace {

// The output path that stands for standard output.
constexpr const char* STANDARD_OUTPUT = "-";

// A read led by the stored header whose sums did not hold has read what
// the header alone allowed.
std::string SumsFailedText(std::size_t bytesRead) {
    const bool headerOnly = bytesRead <= IMAGE_HEADER_SIZE + 4;
    return "stored checksums do not hold; read " + std::to_string(bytesRead) + " bytes" +
           (headerOnly ? " of header only" : "") + " (use --length)";
}

class ReadCommand final : public Command {
public:
    void AddOptions(CLI::App& sub) override {
        chip_.Add(sub, true);
        memory_.Add(sub);
        sub.add_option("-l,--length", length_, "Bytes to read, hexadecimal (default: the stored image's length)");
        sub.add_option("-d,--device", device_, "Device path, as list shows it (default: the last chip found)");
        sub.add_option("-o,--output", output_, "File to save the bytes read in; - for standard output")->required();
    }
    std::string Check() override {
        for (std::string error : {chip_.Check(), memory_.Check()})
            if (!error.empty()) return error;
        if (!length_.empty()) {
            readLength_ = ParseLength(length_);
            if (!readLength_) {
                return "read length '" + length_ + "' is not a hexadecimal number from 1 to 1000000";
            }
        }
        // Before any device is asked anything.
        if (const std::string problem = output_ == STANDARD_OUTPUT ? std::string() : OutputPathProblem(output_);
            !problem.empty()) {
            return "Create Bin File fail! (" + problem + ")";
        }
        return {};
    }
    int Run(CliHost& host) override {
        const bool toStandardOutput = output_ == STANDARD_OUTPUT;
        if (toStandardOutput && host.output() == Output::Json) {
            return Finish(host, "read", {EXIT_USAGE, "-o - writes the bytes where --json writes its events"});
        }
        const ChipDescriptor& chip = DescriptorOf(chip_.row);
        // Without --memory, the memory the window starts with.
        BYTE memType = 0;
        if (Outcome chosen = ChooseMemoryType(chip.row, memory_.type, DefaultMemoryType(chip.row), &memType);
            chosen.status != EXIT_OK) {
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
        if (result.found.sumsHeld == false) return Finish(host, "read", {EXIT_JOB_FAILED, SumsFailedText(bytes.size())});
        if (toStandardOutput) {
            std::fwrite(bytes.data(), 1, bytes.size(), stdout);
            if (!FlushStandardOutput()) return Finish(host, "read", InterruptedOutcome());
        } else if (const std::string error = WriteOutputFile(output_, bytes); !error.empty()) {
            return Finish(host, "read", {EXIT_JOB_FAILED, "Create Bin File fail! (" + error + ")"});
        }
        host.SetStatusText("Successful!", STATUS_GREEN);
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

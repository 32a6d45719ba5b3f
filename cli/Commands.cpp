#include "Commands.h"

#include "ChipTypes.h"
#include "Hid.h"
#include "Interrupt.h"
#include "Json.h"

#include <cstdio>

namespace cli {

int Finish(CliHost& host, const char* command, const Outcome& outcome) {
    if (outcome.status != EXIT_OK && !outcome.shown && !outcome.text.empty()) host.Error(outcome.text);
    if (host.output() == Output::Json) {
        JsonLine result("result");
        result.Add("command", command).Add("ok", outcome.status == EXIT_OK).Add("exit", outcome.status);
        result.Add("text", outcome.text);
        result.Add("device_closed", hid::OpenHandleCount() == 0);
        result.Print();
    }
    return outcome.status;
}

Outcome JobOutcome(const JobResult& result) {
    if (Interrupted()) return {EXIT_INTERRUPTED, "interrupted"};
    if (!result.ok) return {EXIT_JOB_FAILED, result.reason, true};
    return {EXIT_OK, result.statuses.empty() ? std::string() : result.statuses.back().text, true};
}

Outcome ChooseMemoryType(int row, std::optional<BYTE> asked, const Image& image, BYTE* out) {
    const ChipDescriptor& chip = DescriptorOf(row);
    const BYTE mask = chip.memoryTypes;
    if (asked) {
        if ((mask & *asked) == 0) {
            return {EXIT_USAGE, std::string("memory type ") + MemoryTypeName(*asked) + " is not supported by " + chip.label};
        }
        *out = *asked;
        return {};
    }
    BYTE type = image.MemoryType();
    if ((mask & type) == 0) type = static_cast<BYTE>(mask & -mask);
    *out = type;
    return {};
}

Outcome LoadImageFile(CliHost& host, const std::string& file, int row, Image* out) {
    LoadResult loaded = LoadImage(file, row);
    std::vector<std::string> messages;
    for (std::string message : loaded.messages) {
        while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) message.pop_back();
        messages.push_back(std::move(message));
    }
    if (!loaded) {
        for (const std::string& message : messages) host.Error(message);
        return {EXIT_USAGE, "Open file failed!"};
    }
    for (const std::string& message : messages) host.Note(message);
    host.Note("Opened file successfully!");
    *out = std::move(*loaded.image);
    return {};
}

void PrintField(const CliHost& host, const CliField& field, bool withValue) {
    if (host.output() == Output::Json) {
        JsonLine line("field");
        line.Add("name", field.name).Add("kind", field.kind).Add("allowed", field.allowed);
        if (withValue) line.Add("value", field.value);
        line.Print();
        return;
    }
    if (withValue) std::printf("  %s = %s\n", field.name.c_str(), field.value.c_str());
    else std::printf("%s\t%s\t%s\n", field.name.c_str(), field.kind.c_str(), field.allowed.c_str());
}

Outcome DownloadToDevice(CliHost& host, const std::string& devicePath, const Image& image, BYTE memType) {
    return ImageJobOnDevice(host, ImageJob::Download, devicePath, image, memType);
}

Outcome ImageJobOnDevice(CliHost& host, ImageJob job, const std::string& devicePath, const Image& image,
                         BYTE memType, HiddenBytes hidden) {
    const auto patch = MakeChipPatch(image.row);
    Outcome connected = Connect(*patch, image.row, devicePath);
    if (connected.status != EXIT_OK) {
        CloseDevice(*patch);
        return connected;
    }
    const std::span<const BYTE> bytes = image.Bytes();
    host.BeginJob([size = bytes.size()] { return static_cast<unsigned long>(size); });
    const JobResult result = RunImageJob(job, *patch, bytes, memType, hidden);
    host.EndJob();
    CloseDevice(*patch);
    Outcome outcome = JobOutcome(result);
    // The status line said only "Verify error!"; where and what is news.
    if (result.difference && outcome.status == EXIT_JOB_FAILED) outcome.shown = false;
    return outcome;
}

}  // namespace cli

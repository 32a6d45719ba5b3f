#include "Commands.h"

#include "ChipTypes.h"
#include "Hid.h"
#include "Interrupt.h"
#include "Json.h"

#include <algorithm>
#include <cstdio>

namespace cli {

int Finish(CliHost& host, const char* command, Outcome outcome) {
    // What the command printed has to have reached standard output.
    FlushStandardOutput();
    if (Interrupted() && outcome.status == EXIT_OK) outcome = InterruptedOutcome();
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
    if (Interrupted()) return InterruptedOutcome();
    if (!result.ok) {
        // The red text has been shown; the HID layer's reason behind it not yet.
        const bool shown = std::any_of(result.statuses.begin(), result.statuses.end(),
                                       [&](const StatusLine& s) { return s.text == result.reason; });
        return {EXIT_JOB_FAILED, result.reason, shown};
    }
    return {EXIT_OK, result.statuses.empty() ? std::string() : result.statuses.back().text, true};
}

Outcome ChooseMemoryType(int row, std::optional<BYTE> asked, const Image& image, BYTE* out) {
    return ChooseMemoryType(row, asked, image.MemoryType(), out);
}

Outcome ChooseMemoryType(int row, std::optional<BYTE> asked, BYTE otherwise, BYTE* out) {
    const ChipDescriptor& chip = DescriptorOf(row);
    const BYTE mask = chip.memoryTypes;
    if (asked) {
        if ((mask & *asked) == 0) {
            return {EXIT_USAGE, std::string("memory type ") + MemoryTypeName(*asked) + " is not supported by " + chip.label};
        }
        *out = *asked;
        return {};
    }
    BYTE type = otherwise;
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
        // The window's texts, then which file and why.
        for (const std::string& message : messages) host.Error(message);
        return {EXIT_USAGE, loaded.reason.empty() ? file + ": refused" : loaded.reason};
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

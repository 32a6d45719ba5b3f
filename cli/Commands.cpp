#include "Commands.h"

#include "ChipTypes.h"
#include "Hid.h"
#include "ImageFields.h"
#include "ImageFormat.h"
#include "Interrupt.h"
#include "Json.h"

#include <algorithm>
#include <cstdio>

namespace cli {
namespace {

struct MemoryName {
    const char* name;
    BYTE type;
};
constexpr MemoryName MEMORY_NAMES[] = {{"24c01", MEMTYPE_24C01_16}, {"24c32", MEMTYPE_24C32_64}, {"flash", MEMTYPE_FLASH}};

const char* Label(int row) { return CHIP_TYPE_NAMES[static_cast<std::size_t>(row)].label; }

std::string Hex(unsigned long value, int digits) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%0*lX", digits, value);
    return text;
}

// The result line of every command: the closing text where it has not been
// shown yet, and with --json the result event.
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

// The end of a job: interrupted, failed or done. Any red status fails it,
// even when the job went on to a green end (a flash download whose erase
// failed still verifies and may end "Upgrade Successful").
Outcome JobOutcome(const CliHost& host, bool failed) {
    if (Interrupted()) return {EXIT_INTERRUPTED, "interrupted"};
    if (host.SawError()) return {EXIT_JOB_FAILED, host.FirstError(), true};
    if (failed) return {EXIT_JOB_FAILED, host.LastStatus(), true};
    return {EXIT_OK, host.LastStatus(), true};
}

// The memory type a job uses: the one asked for, else the image's, else the
// chip's first.
Outcome ChooseMemoryType(CVQPatch& patch, int row, std::optional<BYTE> asked, BYTE* out) {
    const BYTE mask = patch.GetSupportedMemoryTypes();
    if (asked) {
        if ((mask & *asked) == 0) {
            return {EXIT_USAGE, std::string("memory type ") + MemoryTypeName(*asked) + " is not supported by " + Label(row)};
        }
        *out = *asked;
        return {};
    }
    BYTE type = patch.GetImageMemoryType();
    if ((mask & type) == 0) type = static_cast<BYTE>(mask & -mask);
    *out = type;
    return {};
}

// Open File: the file's refusal texts and "Open file failed!", status 2.
Outcome LoadImage(CliHost& host, CVQPatch& patch, const std::string& file) {
    host.SetOpenPath(file);
    const bool loaded = patch.LoadFile();
    host.SetOpenPath({});
    const std::vector<std::string> messages = host.TakeMessages();
    if (!loaded) {
        for (const std::string& message : messages) host.Error(message);
        return {EXIT_USAGE, "Open file failed!"};
    }
    // A file cut to 16 MB loads all the same, with its message.
    for (const std::string& message : messages) host.Note(message);
    host.Note("Opened file successfully!");
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

}  // namespace

std::optional<BYTE> FindMemoryType(const std::string& name) {
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const MemoryName& m : MEMORY_NAMES) {
        if (lower == m.name) return m.type;
    }
    return std::nullopt;
}

const char* MemoryTypeName(BYTE memType) {
    for (const MemoryName& m : MEMORY_NAMES) {
        if (m.type == memType) return m.name;
    }
    return "unknown";
}

int RunList(CliHost& host, std::optional<int> row) {
    int listed = 0;
    std::vector<DWORD> vendors;
    for (int r = 0; r < CHIP_TYPE_ROWS && !Interrupted(); ++r) {
        if (row && r != *row) continue;
        const auto patch = MakeChipPatch(r);
        vendors.push_back(patch->GetVendorId());
        BYTE memType = 0;
        ChooseMemoryType(*patch, r, std::nullopt, &memType);
        const BYTE count = patch->ScanDevices();
        for (int i = 0; i < count && !Interrupted(); ++i) {
            patch->OpenDevice(static_cast<BYTE>(i));
            BYTE version[4] = {0, 0, 0, 0};
            patch->ReadDeviceVersion(memType, version);
            const std::string& path = patch->m_strDevicePath[static_cast<std::size_t>(i)];
            const std::string& location = patch->m_strLocation[static_cast<std::size_t>(i)];
            if (Interrupted()) break;
            ++listed;
            if (host.output() == Output::Json) {
                JsonLine("device")
                    .Add("chip", Label(r))
                    .Add("short_name", CHIP_TYPE_NAMES[static_cast<std::size_t>(r)].shortName)
                    .Add("row", r)
                    .Add("report_id", patch->m_bUseReportId1)
                    .Add("location", location)
                    .Add("path", path)
                    .Add("version", VersionText(version))
                    .Print();
            } else {
                std::printf("%s\tid%d\t%s\t%s\t%s\n", Label(r), patch->m_bUseReportId1, location.c_str(), path.c_str(),
                            VersionText(version).c_str());
            }
        }
        CloseDevice(*patch);
    }
    std::fflush(stdout);
    if (Interrupted()) return Finish(host, "list", {EXIT_INTERRUPTED, "interrupted"});
    if (listed == 0) {
        const std::string problem = AccessProblem(vendors);
        return Finish(host, "list", {EXIT_NO_DEVICE, problem.empty() ? "no device: no chip found" : problem});
    }
    return Finish(host, "list", {});
}

int RunInfo(CliHost& host, const std::string& file, int row) {
    const auto patch = MakeChipPatch(row);
    if (Outcome loaded = LoadImage(host, *patch, file); loaded.status != EXIT_OK) return Finish(host, "info", loaded);
    const ChecksumLayout layout = ChipLayout(row);
    const BYTE memType = patch->GetImageMemoryType();
    const WORD headerSum = HeaderChecksum(g_image, layout);
    const WORD codeSum = CodeChecksum(g_image, g_codeLen, layout);
    const bool hasSums = layout != ChecksumLayout::VQ7140S;
    const WORD storedHeader = hasSums ? ReadBE16(g_image + IMAGE_HEADER_SIZE + g_codeLen) : 0;
    const WORD storedCode = hasSums ? ReadBE16(g_image + IMAGE_HEADER_SIZE + g_codeLen + 2) : 0;
    const bool hold = storedHeader == headerSum && storedCode == codeSum;
    if (host.output() == Output::Json) {
        JsonLine line("info");
        line.Add("file", file).Add("chip", Label(row)).Add("image_length", static_cast<std::int64_t>(g_imageLen));
        line.Add("code_length", static_cast<int>(g_codeLen)).Add("memory_type", MemoryTypeName(memType));
        line.Add("header_checksum", static_cast<int>(headerSum)).Add("code_checksum", static_cast<int>(codeSum));
        if (hasSums) {
            line.Add("stored_header_checksum", static_cast<int>(storedHeader));
            line.Add("stored_code_checksum", static_cast<int>(storedCode)).Add("checksums_hold", hold);
        }
        line.Print();
    } else {
        std::printf("file: %s\nchip type: %s\n", file.c_str(), Label(row));
        std::printf("image length: %s (%lu bytes)\n", Hex(g_imageLen, 4).c_str(), static_cast<unsigned long>(g_imageLen));
        std::printf("code length: %s (%u bytes)\n", Hex(g_codeLen, 4).c_str(), static_cast<unsigned>(g_codeLen));
        if (hasSums) {
            std::printf("header checksum: stored %s, computed %s\n", Hex(storedHeader, 4).c_str(), Hex(headerSum, 4).c_str());
            std::printf("code checksum: stored %s, computed %s\n", Hex(storedCode, 4).c_str(), Hex(codeSum, 4).c_str());
            std::printf("checksums: %s\n", hold ? "hold" : "do not hold");
        } else {
            std::printf("code checksum: computed %s (this chip type stores none)\n", Hex(codeSum, 4).c_str());
        }
        std::printf("memory type: %s\n", MemoryTypeName(memType));
    }
    std::vector<CliField> fields;
    std::string error;
    if (FieldValues(row, &fields, &error)) {
        if (host.output() != Output::Json) std::printf("fields:\n");
        for (const CliField& field : fields) PrintField(host, field, true);
    } else {
        host.Error("fields: " + error);
    }
    std::fflush(stdout);
    return Finish(host, "info", {});
}

int RunFields(CliHost& host, int row) {
    std::vector<CliField> fields;
    std::string error;
    if (!ListFields(row, &fields, &error)) return Finish(host, "fields", {EXIT_USAGE, error});
    for (const CliField& field : fields) PrintField(host, field, false);
    std::fflush(stdout);
    return Finish(host, "fields", {});
}

Outcome DownloadToDevice(const std::string& devicePath, std::vector<BYTE> image, const DownloadTarget& target,
                         CliHost& host) {
    const auto patch = MakeChipPatch(target.row);
    Outcome connected = Connect(*patch, target.row, devicePath);
    if (connected.status != EXIT_OK) {
        CloseDevice(*patch);
        return connected;
    }
    const std::size_t size = image.size();
    host.BeginJob([size] { return static_cast<unsigned long>(size); });
    patch->Download(target.memType, static_cast<DWORD>(size), image.data());
    host.EndJob();
    CloseDevice(*patch);
    return JobOutcome(host, false);
}

int RunDownload(CliHost& host, const std::string& file, const DownloadOptions& options) {
    const auto patch = MakeChipPatch(options.row);
    if (Outcome loaded = LoadImage(host, *patch, file); loaded.status != EXIT_OK) return Finish(host, "download", loaded);
    BYTE memType = 0;
    if (Outcome chosen = ChooseMemoryType(*patch, options.row, options.memType, &memType); chosen.status != EXIT_OK) {
        return Finish(host, "download", chosen);
    }
    // As the memory-type radio does: the image's magic follows the choice.
    if (options.memType) patch->SetImageMemoryType(memType);
    std::string error;
    if (!ApplyFields(options.row, options.settings, options.hdcpKeyPath, &error)) {
        return Finish(host, "download", {EXIT_USAGE, error});
    }
    std::vector<BYTE> image(g_image, g_image + g_imageLen);
    if (options.many) {
        return Finish(host, "download",
                      DownloadToMany(host, std::move(image), options.row, memType, g_codeLen, g_checksum, *options.many));
    }
    return Finish(host, "download", DownloadToDevice(options.devicePath, std::move(image), {options.row, memType}, host));
}

int RunRead(CliHost& host, const ReadOptions& options) {
    const auto patch = MakeChipPatch(options.row);
    BYTE memType = 0;
    if (Outcome chosen = ChooseMemoryType(*patch, options.row, options.memType, &memType); chosen.status != EXIT_OK) {
        return Finish(host, "read", chosen);
    }
    if (Outcome connected = Connect(*patch, options.row, options.devicePath); connected.status != EXIT_OK) {
        CloseDevice(*patch);
        return Finish(host, "read", connected);
    }
    host.SetModifyLength(options.length.has_value());
    if (options.length) g_readLen = *options.length;
    // A read led by the stored header learns its length on the way.
    host.BeginJob([] { return static_cast<unsigned long>(g_readLen); });
    patch->ReadBack(memType, g_readLen, g_workBuf);
    host.EndJob();
    const bool failed = patch->m_bReadBackFailed;
    CloseDevice(*patch);
    Outcome outcome = JobOutcome(host, failed);
    if (outcome.status != EXIT_OK) return Finish(host, "read", outcome);

    host.SetSavePath(options.outputPath);
    patch->SaveToBin(std::min<DWORD>(g_readLen, IMAGE_BUFFER_SIZE), g_workBuf);
    host.SetSavePath({});
    const std::vector<std::string> messages = host.TakeMessages();
    if (!messages.empty()) return Finish(host, "read", {EXIT_JOB_FAILED, messages.front() + " (" + options.outputPath + ")"});
    return Finish(host, "read", {EXIT_OK, host.LastStatus(), true});
}

}  // namespace cli

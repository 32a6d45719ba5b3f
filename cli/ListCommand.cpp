// quillmar-cli list [--chip TYPE]: the attached chips with their type,
// report id, location, path and version.
#include "ChipTypes.h"
#include "Command.h"
#include "CommandOptions.h"
#include "Commands.h"
#include "Interrupt.h"
#include "Json.h"

#include <cstdio>

namespace cli {
namespace {

class ListCommand final : public Command {
public:
    void AddOptions(CLI::App& sub) override { chip_.Add(sub, false); }
    std::string Check() override { return chip_.Check(); }
    int Run(CliHost& host) override {
        int listed = 0;
        std::vector<DWORD> vendors;
        for (const ChipDescriptor& type : CHIP_TYPES) {
            if (Interrupted()) break;
            if (chip_.given && type.row != chip_.row) continue;
            const auto patch = type.make();
            vendors.push_back(patch->GetVendorId());
            Image start;
            start.row = type.row;
            BYTE memType = 0;
            ChooseMemoryType(type.row, std::nullopt, start, &memType);
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
                        .Add("chip", type.label)
                        .Add("short_name", type.shortName)
                        .Add("row", type.row)
                        .Add("report_id", patch->m_bUseReportId1)
                        .Add("location", location)
                        .Add("path", path)
                        .Add("version", VersionText(version))
                        .Print();
                } else {
                    std::printf("%s\tid%d\t%s\t%s\t%s\n", type.label, patch->m_bUseReportId1, location.c_str(),
                                path.c_str(), VersionText(version).c_str());
                    FlushStandardOutput();  // a reader that went away ends the listing
                }
            }
            CloseDevice(*patch);
        }
        if (Interrupted()) return Finish(host, "list", InterruptedOutcome());
        if (listed == 0) {
            const std::string problem = AccessProblem(vendors);
            return Finish(host, "list", {EXIT_NO_DEVICE, problem.empty() ? "no device: no chip found" : problem});
        }
        return Finish(host, "list", {});
    }

private:
    ChipOption chip_;
};

const CommandRegistration kRegistered{{10, "list", "List the attached chips: type, report id, location, path, version",
                                       [] { return std::make_unique<ListCommand>(); }}};

}  // namespace
}  // namespace cli

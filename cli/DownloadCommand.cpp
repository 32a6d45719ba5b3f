// quillmar-cli download FILE --chip TYPE: the file loaded as Open File loads
// it, its fields set, then downloaded with verify to one chip or several.
#include "CliFields.h"
#include "Command.h"
#include "CommandOptions.h"
#include "Commands.h"
#include "ManyDevices.h"

namespace cli {
namespace {

class DownloadCommand final : public Command {
public:
    void AddOptions(CLI::App& sub) override {
        sub.add_option("file", file_, "Image file (.hex or .bin)")->required();
        chip_.Add(sub, true);
        memory_.Add(sub);
        set_.Add(sub);
        sub.add_option("--hdcp-key", hdcpKey_, "HDCP key file (285 bytes) put into the image");
        sub.add_option("-d,--device", devices_,
                       "Device path, as list shows it (default: the last chip found); repeat it for several "
                       "devices at once")
            ->allow_extra_args(false);
        CLI::Option* all = sub.add_flag("--all", all_, "Download to every attached chip of the type at once");
        sub.add_option("--hdcp-key-dir", keyDir_,
                       "Give each device the next unused key file (*.bin) of DIR, recorded in DIR/used.log")
            ->excludes("--hdcp-key");
        all->excludes("--device");
    }
    std::string Check() override {
        for (std::string error : {chip_.Check(), memory_.Check(), set_.Check()})
            if (!error.empty()) return error;
        return {};
    }
    int Run(CliHost& host) override {
        Image image;
        if (Outcome loaded = LoadImageFile(host, file_, chip_.row, &image); loaded.status != EXIT_OK) {
            return Finish(host, "download", loaded);
        }
        BYTE memType = 0;
        if (Outcome chosen = ChooseMemoryType(chip_.row, memory_.type, image, &memType); chosen.status != EXIT_OK) {
            return Finish(host, "download", chosen);
        }
        // As the memory-type radio does: the image's magic follows the choice.
        if (memory_.type) image.SetMemoryType(memType);
        std::string error;
        if (!ApplyFields(image, set_.settings, hdcpKey_, &error)) return Finish(host, "download", {EXIT_USAGE, error});
        if (all_ || devices_.size() > 1 || !keyDir_.empty()) {
            return Finish(host, "download", DownloadToMany(host, image, memType, ManyDevices{all_, devices_, keyDir_}));
        }
        const std::string device = devices_.empty() ? std::string() : devices_.front();
        return Finish(host, "download", DownloadToDevice(host, device, image, memType));
    }

private:
    std::string file_;
    ChipOption chip_;
    MemoryOption memory_;
    SetOption set_;
    std::string hdcpKey_;
    std::vector<std::string> devices_;
    bool all_ = false;
    std::string keyDir_;
};

const CommandRegistration kRegistered{{40, "download", "Load an image file and download it with verify",
                                       [] { return std::make_unique<DownloadCommand>(); }}};

}  // namespace
}  // namespace cli

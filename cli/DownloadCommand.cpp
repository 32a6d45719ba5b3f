// quillmar-cli download FILE --chip TYPE: the file loaded as Open File loads
// it, its fields set, then downloaded with verify to one chip or several.
#include "Command.h"
#include "Commands.h"
#include "ImageInput.h"
#include "ManyDevices.h"

namespace cli {
namespace {

class DownloadCommand final : public Command {
public:
    void AddOptions(CLI::App& sub) override {
        input_.Add(sub, "Set a field of the image before the download (repeatable)");
        devices_.Add(sub, "Download to every attached chip of the type at once");
        sub.add_option("--hdcp-key-dir", keyDir_,
                       "Give each device the next unused key file (*.bin) of DIR, recorded in DIR/used.log")
            ->excludes("--hdcp-key");
    }
    std::string Check() override { return input_.Check(); }
    int Run(CliHost& host) override {
        Image image;
        BYTE memType = 0;
        if (Outcome prepared = input_.Prepare(host, &image, &memType); prepared.status != EXIT_OK) {
            return Finish(host, "download", prepared);
        }
        if (devices_.Many() || !keyDir_.empty()) {
            return Finish(host, "download",
                          DownloadToMany(host, image, memType, ManyDevices{devices_.all, devices_.paths, keyDir_}));
        }
        return Finish(host, "download", DownloadToDevice(host, devices_.One(), image, memType));
    }

private:
    ImageInput input_;
    DeviceChoice devices_;
    std::string keyDir_;
};

const CommandRegistration kRegistered{{40, "download", "Load an image file and download it with verify",
                                       [] { return std::make_unique<DownloadCommand>(); }}};

}  // namespace
}  // namespace cli

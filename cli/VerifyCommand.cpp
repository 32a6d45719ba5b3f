// quillmar-cli verify FILE --chip TYPE: the file loaded and prepared as a
// download prepares it, then compared with what one chip or several hold;
// nothing is written to a chip's memory.
#include "Command.h"
#include "Commands.h"
#include "ImageInput.h"
#include "ManyDevices.h"

namespace cli {
namespace {

class VerifyCommand final : public Command {
public:
    void AddOptions(CLI::App& sub) override {
        input_.Add(sub, "Set a field of the image before the comparison (repeatable)");
        devices_.Add(sub, "Compare every attached chip of the type at once");
    }
    std::string Check() override { return input_.Check(); }
    int Run(CliHost& host) override {
        Image image;
        BYTE memType = 0;
        if (Outcome prepared = input_.Prepare(host, &image, &memType); prepared.status != EXIT_OK) {
            return Finish(host, "verify", prepared);
        }
        const HiddenBytes key = KeyArea(image.row);
        if (devices_.Many()) {
            return Finish(host, "verify",
                          DownloadToMany(host, image, memType,
                                         ManyDevices{devices_.all, devices_.paths, {}, ImageJob::Verify, key}));
        }
        return Finish(host, "verify", ImageJobOnDevice(host, ImageJob::Verify, devices_.One(), image, memType, key));
    }

private:
    ImageInput input_;
    DeviceChoice devices_;
};

const CommandRegistration kRegistered{{45, "verify", "Load an image file and compare the chip with it, writing nothing",
                                       [] { return std::make_unique<VerifyCommand>(); }}};

}  // namespace
}  // namespace cli

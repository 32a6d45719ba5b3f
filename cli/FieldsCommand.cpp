// quillmar-cli fields --chip TYPE: the fields --set takes.
#include "CliFields.h"
#include "Command.h"
#include "CommandOptions.h"
#include "Commands.h"

#include <cstdio>

namespace cli {
namespace {

class FieldsCommand final : public Command {
public:
    void AddOptions(CLI::App& sub) override { chip_.Add(sub, true); }
    std::string Check() override { return chip_.Check(); }
    int Run(CliHost& host) override {
        for (const CliField& field : ListFields(chip_.row)) PrintField(host, field, false);
        std::fflush(stdout);
        return Finish(host, "fields", {});
    }

private:
    ChipOption chip_;
};

const CommandRegistration kRegistered{{30, "fields", "List the fields --set takes, with their kinds and values",
                                       [] { return std::make_unique<FieldsCommand>(); }}};

}  // namespace
}  // namespace cli

#include "Command.h"

#include <algorithm>

namespace cli {
namespace {
std::vector<CommandSpec>& Registry() {
    static std::vector<CommandSpec> commands;
    return commands;
}
}  // namespace

CommandRegistration::CommandRegistration(CommandSpec spec) { Registry().push_back(std::move(spec)); }

std::vector<CommandSpec> AllCommands() {
    std::vector<CommandSpec> commands = Registry();
    std::stable_sort(commands.begin(), commands.end(),
                     [](const CommandSpec& a, const CommandSpec& b) { return a.order < b.order; });
    return commands;
}

}  // namespace cli

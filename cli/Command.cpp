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

std::string EmptyValue(const CLI::App& app) {
    for (const CLI::Option* option : app.get_options()) {
        if (option->get_type_size() == 0 || option->count() == 0) continue;  // a flag, or not given
        for (const std::string& value : option->results()) {
            if (value.empty()) return option->get_name() + ": empty value";
        }
    }
    for (const CLI::App* sub : app.get_subcommands()) {
        if (std::string error = EmptyValue(*sub); !error.empty()) return error;
    }
    return {};
}

std::vector<CommandSpec> AllCommands() {
    std::vector<CommandSpec> commands = Registry();
    std::stable_sort(commands.begin(), commands.end(),
                     [](const CommandSpec& a, const CommandSpec& b) { return a.order < b.order; });
    return commands;
}

}  // namespace cli

// The bash completion of quillmar-cli, run by bash as the shell runs it on
// Tab: COMP_WORDS and COMP_CWORD set, the function that `complete`
// registered for quillmar-cli called, COMPREPLY read.
#include "CliRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <regex>
#include <set>
#include <sstream>
#include <sys/wait.h>

namespace {

// What bash offers for words (the last one the word being completed), as
// bash splits a line: "--chip=vq7340" is "--chip", "=", "vq7340".
std::set<std::string> Offered(const std::vector<std::string>& words) {
    std::string script = "source '" QUILLMAR_CLI_COMPLETION "'\nCOMP_WORDS=('" QUILLMAR_CLI "'";
    for (const std::string& w : words) script += " '" + w + "'";
    script += ")\nCOMP_CWORD=" + std::to_string(words.size()) + R"(
f=$(complete -p quillmar-cli | sed -E 's/.*-F ([^ ]+).*/\1/')
"$f" "${COMP_WORDS[0]}" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD-1]}"
printf '%s\n' "${COMPREPLY[@]}"
)";
    const std::string dir = TempDir();
    WriteFileBytes(dir + "/complete.sh", std::vector<BYTE>(script.begin(), script.end()));
    std::FILE* out = popen(("cd '" + dir + "' && bash --norc --noprofile complete.sh").c_str(), "r");
    std::set<std::string> offered;
    char line[512];
    while (out && std::fgets(line, sizeof line, out)) {
        std::string word = line;
        word.erase(word.find_last_not_of('\n') + 1);
        if (!word.empty()) offered.insert(word);
    }
    EXPECT_TRUE(out && WEXITSTATUS(pclose(out)) == 0);
    return offered;
}

std::set<std::string> Matching(const std::string& text, const std::string& pattern) {
    std::set<std::string> found;
    const std::regex re(pattern);
    for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator(); ++it)
        found.insert((*it)[1]);
    return found;
}

// The commands --help lists, and the options of each command's --help.
std::set<std::string> HelpCommands() {
    const std::string help = RunCli({"--help"}, "").out;
    return Matching(help.substr(help.find("Subcommands:")), R"(\n  ([a-z]+) )");
}
std::set<std::string> HelpOptions(const std::string& command) {
    std::vector<std::string> args;
    if (!command.empty()) args.push_back(command);
    args.push_back("--help");
    const std::string help = RunCli(args, "").out;
    const std::size_t options = help.find("Options:");
    const std::string section = help.substr(options, help.find("\n\n", options) - options);
    return Matching(section, R"((?:\n  |[ ,])(--?[a-z][a-z0-9-]*))");
}

TEST(CliCompletion, OffersEveryCommandOfTheHelp) {
    const std::set<std::string> commands = HelpCommands();
    EXPECT_GE(commands.size(), 6u);
    EXPECT_EQ(Offered({""}), commands);
    for (const std::string& command : commands) {
        EXPECT_EQ(Offered({command.substr(0, 3)}).count(command), 1u) << command;
    }
}

TEST(CliCompletion, OffersEveryOptionOfEachCommandsHelp) {
    std::set<std::string> global = HelpOptions("");
    for (const std::string& command : HelpCommands()) {
        std::set<std::string> options = HelpOptions(command);
        options.insert(global.begin(), global.end());
        EXPECT_EQ(Offered({command, "x", "-"}), options) << command;
    }
    EXPECT_EQ(Offered({"-"}), global);
}

// The chip type as `fields` lists its fields: the names --set takes.
std::set<std::string> FieldNames(const std::string& chip) {
    std::set<std::string> names;
    std::istringstream in(RunCli({"fields", "--chip", chip}, "").out);
    for (std::string line; std::getline(in, line);) names.insert(line.substr(0, line.find('\t')) + "=");
    return names;
}

TEST(CliCompletion, OffersTheValuesOfAnOption) {
    const std::set<std::string> chips = {"vq7140s", "vq7140xx", "vq7170", "vq7170s", "vq5520", "vq7340", "vq5632"};
    const struct {
        std::vector<std::string> words;
        std::set<std::string> offered;
    } cases[] = {
        {{"download", "a.hex", "--chip", ""}, chips},
        {{"read", "-c", "vq71"}, {"vq7140s", "vq7140xx", "vq7170", "vq7170s"}},
        {{"verify", "--chip", "=", "vq5"}, {"vq5520", "vq5632"}},
        {{"read", "--memory", ""}, {"24c01", "24c32", "flash"}},
        {{"download", "a.hex", "--chip", "vq7340", "--set", ""}, FieldNames("vq7340")},
        {{"verify", "-c", "=", "vq5520", "-s", ""}, FieldNames("vq5520")},
        {{"download", "a.hex", "-s", "vid=1", "--chip", "vq7340", "-s", "p"}, {"pid="}},
        {{"download", "a.hex", "--set", ""}, {}},                    // no chip type given yet
        {{"--trace", "list", "d"}, {"download"}},                    // the trace file is no command
        {{"read", "--length", ""}, {}},
    };
    for (const auto& c : cases) {
        std::string line;
        for (const std::string& w : c.words) line += w + " ";
        EXPECT_EQ(Offered(c.words), c.offered) << line;
    }
    EXPECT_GE(FieldNames("vq7340").size(), 5u);
}

}  // namespace

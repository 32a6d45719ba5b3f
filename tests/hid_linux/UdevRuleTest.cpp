// The udev rule shipped for the chips' hidraw nodes: every line parses as
// udev reads it, and each vendor id gets the seat user (uaccess) and the
// plugdev group read-write access, nobody else.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

// One assignment or match: key (with its attribute), operator, value.
struct Token {
    std::string key, op, value;
    bool operator<(const Token& o) const { return std::tie(key, op, value) < std::tie(o.key, o.op, o.value); }
};

// The rule lines of the file, comments and blank lines left out; false in
// ok when a line does not parse.
std::vector<std::set<Token>> ParseRules(const std::string& path, bool& ok) {
    static const std::regex token(R"(\s*([A-Z_]+(?:\{[^}]+\})?)\s*(==|!=|\+=|-=|:=|=)\s*\"([^\"]*)\"\s*(,|$))");
    std::vector<std::set<Token>> rules;
    std::ifstream in(path);
    ok = static_cast<bool>(in);
    std::string line;
    while (std::getline(in, line)) {
        if (line.find_first_not_of(" \t") == std::string::npos || line[line.find_first_not_of(" \t")] == '#') continue;
        std::set<Token> rule;
        auto it = line.cbegin();
        std::smatch m;
        while (it != line.cend() && std::regex_search(it, line.cend(), m, token, std::regex_constants::match_continuous)) {
            rule.insert({m[1], m[2], m[3]});
            it = m[0].second;
        }
        if (it != line.cend()) ok = false;
        rules.push_back(rule);
    }
    return rules;
}

}  // namespace

TEST(UdevRule, EachVendorGivesTheSeatUserAndPlugdevReadWriteAccess) {
    bool ok = false;
    const std::vector<std::set<Token>> rules = ParseRules(QUILLMAR_UDEV_RULES, ok);
    ASSERT_TRUE(ok);
    const char* vendors[] = {"5156", "3b71"};
    ASSERT_EQ(rules.size(), std::size(vendors));
    for (std::size_t i = 0; i < std::size(vendors); ++i) {
        const std::set<Token> expected = {
            {"KERNEL", "==", "hidraw*"},        {"SUBSYSTEM", "==", "hidraw"},
            {"ATTRS{idVendor}", "==", vendors[i]}, {"TAG", "+=", "uaccess"},
            {"GROUP", "=", "plugdev"},          {"MODE", "=", "0660"},
        };
        EXPECT_EQ(rules[i].size(), expected.size()) << vendors[i];
        for (const Token& t : expected)
            EXPECT_EQ(rules[i].count(t), 1u) << vendors[i] << ": " << t.key << t.op << '"' << t.value << '"';
    }
}

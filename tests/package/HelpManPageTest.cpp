// pivane --help and pivanectl --help against their man pages: the same options, the same
// commands with the same arguments, so that neither drifts from the other.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "ShellCommand.h"

namespace fs = std::filesystem;

namespace {

fs::path SourceDir() {
    const char* dir = std::getenv("PIVANE_SOURCE_DIR");
    return dir ? fs::path(dir) : fs::path(PIVANE_BUILD_DIR) / "..";
}

std::string Help(const std::string& program, int expectedStatus = 0) {
    std::string out;
    const std::string bin = (fs::path(PIVANE_BUILD_DIR) / "bin" / program).string();
    // No display and no running copy are needed for help.
    EXPECT_EQ(RunShellCommand("env -u DISPLAY '" + bin + "' --help 2>&1", out), expectedStatus)
        << out;
    return out;
}

// A man page as plain text: font escapes dropped, "\-" as "-".
std::string ManText(const std::string& name) {
    std::ifstream in(SourceDir() / "data/man" / name);
    std::stringstream text;
    text << in.rdbuf();
    std::string s = std::regex_replace(text.str(), std::regex(R"(\\f[BIRP])"), "");
    return std::regex_replace(s, std::regex(R"(\\-)"), "-");
}

// The lines of one section (from ".SH NAME" to the next ".SH").
std::string Section(const std::string& man, const std::string& name) {
    const size_t at = man.find("\n.SH " + name + "\n");
    if (at == std::string::npos) return {};
    const size_t start = at + name.size() + 6;
    const size_t end = man.find("\n.SH ", start);
    return man.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

// The first line after each .TP: the item a paragraph describes.
std::vector<std::string> Items(const std::string& section) {
    std::vector<std::string> items;
    std::istringstream lines(section);
    std::string line;
    bool next = false;
    while (std::getline(lines, line)) {
        if (next) items.push_back(line);
        next = line == ".TP";
    }
    return items;
}

std::set<std::string> OptionNames(const std::string& text) {
    std::set<std::string> names;
    const std::regex option(R"((?:^|[\s,\[])(--?[a-z][a-z-]*))");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), option);
         it != std::sregex_iterator(); ++it)
        names.insert((*it)[1]);
    return names;
}

TEST(HelpManPage, PivaneOptionsAgree) {
    const std::string help = Help("pivane");
    std::string helpOptions;
    std::istringstream lines(help);
    std::string line;
    while (std::getline(lines, line))
        if (line.rfind("  -", 0) == 0) helpOptions += line.substr(0, line.find("  ", 2)) + "\n";
    std::string manOptions;
    for (const auto& item : Items(Section(ManText("pivane.1"), "OPTIONS")))
        manOptions += item + "\n";
    const auto fromHelp = OptionNames(helpOptions);
    EXPECT_GE(fromHelp.size(), 5u) << help;
    EXPECT_EQ(fromHelp, OptionNames(manOptions));
}

TEST(HelpManPage, PivanectlCommandsAndOptionsAgree) {
    const std::string help = Help("pivanectl");
    // "  name  usage  summary" rows after "commands:"; long usages put the summary below.
    std::map<std::string, std::string> fromHelp;
    std::istringstream lines(help.substr(help.find("commands:")));
    std::string line;
    const std::regex row(R"(^  ([a-z][a-z-]*(?: [a-z][a-z-]*)?) +(\S.*?)?\s*$)");
    while (std::getline(lines, line)) {
        std::smatch m;
        if (line.size() < 3 || line[2] == ' ' || !std::regex_match(line, m, row)) continue;
        fromHelp[m[1]] = "";
    }
    std::map<std::string, std::string> fromMan;
    const std::regex item(R"(^([a-z][a-z-]*(?: [a-z][a-z-]*)?)(?: (.*))?$)");
    for (const auto& i : Items(Section(ManText("pivanectl.1"), "COMMANDS"))) {
        std::smatch m;
        if (std::regex_match(i, m, item)) fromMan[m[1]] = m[2];
    }
    std::set<std::string> helpNames, manNames;
    for (const auto& [name, usage] : fromHelp)
        helpNames.insert(name);
    for (const auto& [name, usage] : fromMan)
        manNames.insert(name);
    EXPECT_GE(helpNames.size(), 20u) << help;
    EXPECT_EQ(helpNames, manNames);
    // Each command's arguments as its own --help gives them.
    for (const auto& [name, usage] : fromMan) {
        std::string out;
        const std::string bin = (fs::path(PIVANE_BUILD_DIR) / "bin" / "pivanectl").string();
        ASSERT_EQ(RunShellCommand("'" + bin + "' " + name + " --help 2>&1", out), 0) << name;
        const std::string first = out.substr(0, out.find('\n'));
        EXPECT_EQ(first, "usage: pivanectl " + name + " " + usage) << name;
    }
    // The global options of the usage lines.
    const std::string usage = help.substr(0, help.find("\n\n"));
    std::string manOptions;
    for (const auto& i : Items(Section(ManText("pivanectl.1"), "OPTIONS")))
        manOptions += i + "\n";
    auto helpOptions = OptionNames(usage);
    helpOptions.insert("--help");
    EXPECT_EQ(helpOptions, OptionNames(manOptions));
}

} // namespace

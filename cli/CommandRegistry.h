#pragma once

#include <functional>
#include <string>
#include <vector>

class CliContext;

// The table of pivanectl's top-level commands. Each command file adds its own entries through a
// static CommandRegistry::Entry, so the table never has to be edited by hand.
class CommandRegistry {
public:
    using Handler = std::function<int(CliContext&, const std::vector<std::string>& args)>;

    struct Command {
        std::string name;    // one word, or two for a group's subcommand ("profile list")
        std::string usage;   // arguments after the name, e.g. "N NAME"
        std::string summary; // one line for --help
        bool needsDevice = false;
        Handler handler;
    };

    struct Entry {
        Entry(std::string name, std::string usage, std::string summary, bool needsDevice,
              Handler handler);
    };

    static CommandRegistry& Instance();

    // Null when no command has this name.
    const Command* Find(const std::string& name) const;
    const std::vector<Command>& Commands() const { return commands_; }

private:
    std::vector<Command> commands_;
};

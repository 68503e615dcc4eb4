#include "cli/CommandRegistry.h"

#include <algorithm>

CommandRegistry::Entry::Entry(std::string name, std::string usage, std::string summary,
                              bool needsDevice, Handler handler) {
    auto& commands = CommandRegistry::Instance().commands_;
    commands.push_back(
        {std::move(name), std::move(usage), std::move(summary), needsDevice, std::move(handler)});
    std::sort(commands.begin(), commands.end(),
              [](const Command& a, const Command& b) { return a.name < b.name; });
}

CommandRegistry& CommandRegistry::Instance() {
    static CommandRegistry registry;
    return registry;
}

const CommandRegistry::Command* CommandRegistry::Find(const std::string& name) const {
    for (const auto& c : commands_)
        if (c.name == name) return &c;
    return nullptr;
}

// pivanectl: the command-line front end over Pivane's device, store and file code.
#include "app/platform/InstanceLock.h"
#include "cli/CliContext.h"
#include "cli/CommandRegistry.h"
#include "cli/PermissionCheck.h"

#include <cstdio>
#include <string>
#include <vector>

static void PrintHelp() {
    std::printf("usage: pivanectl [--simulated-mouse[=wired|wireless|both]]\n"
                "                 [--simulated-keyboard[=feature|prefixed]] [--sim-state FILE]\n"
                "                 [--profile N] [--json] COMMAND [ARGS]\n\n"
                "Configures a supported mouse and Pivane's settings from the terminal.\n\n"
                "commands:\n");
    for (const auto& c : CommandRegistry::Instance().Commands()) {
        if (c.usage.size() <= 28)
            std::printf("  %-16s %-28s %s\n", c.name.c_str(), c.usage.c_str(), c.summary.c_str());
        else // long argument lists get the summary on a line of its own
            std::printf("  %-16s %s\n  %-16s %-28s %s\n", c.name.c_str(), c.usage.c_str(), "", "",
                        c.summary.c_str());
    }
    std::printf("\n'pivanectl COMMAND --help' describes one command.\n"
                "Exit status: 0 success, 1 the operation failed, 2 wrong usage.\n");
}

int main(int argc, char** argv) {
    CliContext context;
    int at = context.ParseGlobalOptions(argc, argv);
    if (at < 0) return CliContext::kUsage;
    if (at >= argc || std::string(argv[at]) == "--help" || std::string(argv[at]) == "help") {
        PrintHelp();
        return at >= argc ? CliContext::kUsage : CliContext::kOk;
    }
    // Groups such as "profile list" are registered under both words; try those first.
    const CommandRegistry::Command* command = nullptr;
    int words = 1;
    if (at + 1 < argc)
        command = CommandRegistry::Instance().Find(std::string(argv[at]) + " " + argv[at + 1]);
    if (command) {
        words = 2;
    } else {
        command = CommandRegistry::Instance().Find(argv[at]);
    }
    if (!command) return context.Usage(std::string("unknown command '") + argv[at] + "'");
    std::vector<std::string> args(argv + at + words, argv + argc);
    if (!args.empty() && args[0] == "--help") {
        std::printf("usage: pivanectl %s %s\n  %s\n", command->name.c_str(), command->usage.c_str(),
                    command->summary.c_str());
        return CliContext::kOk;
    }
    // A running Pivane owns the mouse; interleaved commands would confuse its worker.
    if (command->needsDevice && InstanceLock::IsHeldElsewhere())
        return context.Fail("Pivane is running and holds the mouse; make the change in its "
                            "window or quit it first");
    if (!context.LoadSimulatedMouse()) return CliContext::kFailed;
    // Real hardware that is there but may not be opened would only look absent.
    if (command->needsDevice && context.simulatedMouse.empty() && context.simulatedKeyboard.empty())
        if (int status = PermissionCheck::Run(context)) return status;
    int status = command->handler(context, args);
    // A state that could not be kept is a failed run, whatever the command did.
    if (!context.SaveSimulatedMouse()) status = CliContext::kFailed;
    return status;
}

// pivanectl udev-rule: the udev rule for the configured devices, printed or installed, for
// people who run Pivane from a build tree (the package installs the rule itself).
#include "app/device/HidPermissionProbe.h"
#include "app/files/ApplicationConfig.h"
#include "app/files/UdevRule.h"
#include "app/platform/AppFolders.h"
#include "cli/CliContext.h"
#include "cli/CommandRegistry.h"
#include "cli/JsonWriter.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern char** environ;

namespace {

const char* const kRulesFolder = "/etc/udev/rules.d";

// The folder "udev-rule install" writes to; $PIVANE_UDEV_RULES_DIR lets tests use a scratch one.
std::string RulesFolder() {
    const char* folder = std::getenv("PIVANE_UDEV_RULES_DIR");
    return folder && *folder ? folder : kRulesFolder;
}

// Runs udevadm with `args`; false when it cannot be started or fails.
bool RunUdevadm(const std::vector<const char*>& args) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>("udevadm"));
    for (const char* a : args)
        argv.push_back(const_cast<char*>(a));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, "udevadm", nullptr, nullptr, argv.data(), environ) != 0) return false;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Written beside the target and renamed over it, so udev never reads half a rule.
bool WriteRule(const std::string& path, const std::string& text, std::string& error) {
    const std::string temp = path + ".tmp";
    FILE* file = std::fopen(temp.c_str(), "wb");
    if (!file) {
        error = std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed || chmod(temp.c_str(), 0644) != 0 ||
        std::rename(temp.c_str(), path.c_str()) != 0) {
        error = std::strerror(errno);
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

int RunUdevRule(CliContext& context, const std::vector<std::string>& args, bool install) {
    if (!args.empty())
        return context.Usage(std::string(install ? "udev-rule install" : "udev-rule") +
                             " takes no arguments");
    const std::string config = ApplicationConfig::PathIn(AppFolders::ProgramFolder());
    std::vector<UdevRule::Device> devices;
    if (!UdevRule::ReadDevices(config, devices))
        return context.Fail("cannot read the device list " + config);
    if (devices.empty()) return context.Fail(config + " names no device ids");
    const std::string rule = UdevRule::Compose(devices);
    if (!install) {
        if (context.json)
            context.PrintJson(JsonWriter()
                                  .BeginObject()
                                  .Field("file_name", UdevRule::kFileName)
                                  .Field("rule", rule)
                                  .EndObject()
                                  .Text());
        else
            context.Say(rule);
        return CliContext::kOk;
    }
    const std::string path = RulesFolder() + "/" + UdevRule::kFileName;
    std::string error;
    if (!WriteRule(path, rule, error)) {
        if (geteuid() != 0)
            return context.Fail("cannot write " + path + " (" + error +
                                "); run it as root: " + HidPermissionProbe::FixCommandHere());
        return context.Fail("cannot write " + path + " (" + error + ")");
    }
    // udev applies new rules to new events only; a change event on the hidraw nodes already
    // there makes it apply them now.
    const bool applied = RunUdevadm({"control", "--reload"}) &&
                         RunUdevadm({"trigger", "--subsystem-match=hidraw", "--action=change"});
    if (context.json) {
        context.PrintJson(JsonWriter()
                              .BeginObject()
                              .Field("path", path)
                              .Field("applied", applied)
                              .EndObject()
                              .Text());
    } else {
        context.Say("installed " + path + "\n");
        if (!applied)
            context.Say("udev could not be asked to apply it now; unplug the device and plug it "
                        "in again\n");
    }
    return CliContext::kOk;
}

const CommandRegistry::Entry
    udevRulePrint("udev-rule", "",
                  "print the udev rule that lets the user at the seat open the devices", false,
                  [](CliContext& context, const std::vector<std::string>& args) {
                      return RunUdevRule(context, args, false);
                  });
const CommandRegistry::Entry udevRuleInstall(
    "udev-rule install", "",
    "install that rule in /etc/udev/rules.d and apply it to the devices plugged in (as root)",
    false, [](CliContext& context, const std::vector<std::string>& args) {
        return RunUdevRule(context, args, true);
    });

} // namespace

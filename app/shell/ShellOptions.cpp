#include "app/shell/ShellOptions.h"

#include <cstdlib>
#include <cstring>

bool ShellOptions::Parse(int argc, char** argv) {
    error.clear();
    for (int i = 1; i < argc; ++i) {
        if (!argv[i]) continue;
        std::string arg = argv[i];
        // The installer's shortcut and the autostart entry may glue it to other text.
        if (arg.find("-minimize") != std::string::npos) minimize = true;
        if (arg == "--quit") {
            quit = true;
        } else if (arg == "--simulated-mouse") {
            simulatedMouse = "both";
        } else if (arg.rfind("--simulated-mouse=", 0) == 0) {
            std::string value = arg.substr(std::strlen("--simulated-mouse="));
            if (value != "wired" && value != "wireless" && value != "both") {
                error = "--simulated-mouse takes wired, wireless or both";
                return false;
            }
            simulatedMouse = value;
        } else if (arg == "--simulated-keyboard") {
            simulatedKeyboard = "feature";
        } else if (arg.rfind("--simulated-keyboard=", 0) == 0) {
            std::string value = arg.substr(std::strlen("--simulated-keyboard="));
            if (value != "feature" && value != "prefixed") {
                error = "--simulated-keyboard takes feature or prefixed";
                return false;
            }
            simulatedKeyboard = value;
        } else if (arg == "--sim-state") {
            if (i + 1 >= argc || !argv[i + 1] || !*argv[i + 1]) {
                error = "--sim-state needs a file";
                return false;
            }
            simStateFile = argv[++i];
        } else if (arg.rfind("--sim-state=", 0) == 0) {
            simStateFile = arg.substr(std::strlen("--sim-state="));
            if (simStateFile.empty()) {
                error = "--sim-state needs a file";
                return false;
            }
        }
    }
    return true;
}

void ShellOptions::PrepareEnvironment() {
    setenv("GDK_GL", "disable", 1);
    const char* backend = std::getenv("GDK_BACKEND");
    if (!backend || !*backend) setenv("GDK_BACKEND", "x11", 1);
}

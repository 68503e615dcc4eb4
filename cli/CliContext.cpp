#include "cli/CliContext.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

int CliContext::ParseGlobalOptions(int argc, char** argv) {
    int i = 1;
    for (; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg.rfind("--", 0) != 0) break;
        if (arg == "--json") {
            json = true;
        } else if (arg == "--simulated-mouse") {
            simulatedMouse = "both";
        } else if (arg.rfind("--simulated-mouse=", 0) == 0) {
            simulatedMouse = arg.substr(std::strlen("--simulated-mouse="));
            if (simulatedMouse != "wired" && simulatedMouse != "wireless" &&
                simulatedMouse != "both") {
                Usage("--simulated-mouse takes wired, wireless or both");
                return -1;
            }
        } else if (arg == "--sim-state" || arg == "--profile") {
            if (i + 1 >= argc) {
                Usage(arg + " needs a value");
                return -1;
            }
            std::string value = argv[++i];
            if (arg == "--sim-state") {
                simStateFile = value;
            } else {
                char* end = nullptr;
                long n = std::strtol(value.c_str(), &end, 10);
                if (value.empty() || *end != '\0' || n < 1 || n > 1000000) {
                    Usage("--profile takes a profile id");
                    return -1;
                }
                profile = static_cast<int>(n);
            }
        } else if (arg == "--help") {
            break;
        } else {
            Usage("unknown option " + arg);
            return -1;
        }
    }
    return i;
}

int CliContext::Fail(const std::string& message) const {
    std::fprintf(stderr, "pivanectl: %s\n", message.c_str());
    return kFailed;
}

int CliContext::Usage(const std::string& message) const {
    std::fprintf(stderr, "pivanectl: %s\nTry 'pivanectl --help'.\n", message.c_str());
    return kUsage;
}

void CliContext::Say(const std::string& text) const {
    if (!json) std::fputs(text.c_str(), stdout);
}

void CliContext::PrintJson(const std::string& document) const {
    std::fputs(document.c_str(), stdout);
    std::fputc('\n', stdout);
}

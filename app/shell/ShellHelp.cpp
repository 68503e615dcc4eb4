#include "app/shell/ShellHelp.h"

#include <cstring>

bool ShellHelp::Requested(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (argv[i] && (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0))
            return true;
    return false;
}

const char* ShellHelp::Text() {
    return "usage: pivane [-minimize] [--simulated-mouse[=wired|wireless|both]]\n"
           "              [--simulated-keyboard[=feature|prefixed]] [--sim-state FILE]\n"
           "       pivane --quit\n\n"
           "Configures a supported gaming mouse: profiles, DPI levels, report rate, buttons,\n"
           "macros and lighting. One copy runs per user; starting another shows the first.\n\n"
           "options:\n"
           "  -minimize              start hidden in the tray\n"
           "  --simulated-mouse[=wired|wireless|both]\n"
           "                         talk to the emulated mouse instead of hardware (both)\n"
           "  --simulated-keyboard[=feature|prefixed]\n"
           "                         talk to an emulated keyboard as well (feature)\n"
           "  --sim-state FILE       keep the emulated devices' state in FILE\n"
           "  --quit                 end the running copy and wait until it has gone\n"
           "  -h, --help             print this help and end\n\n"
           "Settings are kept in ~/Documents/ORMAN-QV7 Files/db/. See pivane(1).\n";
}

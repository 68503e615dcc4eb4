#pragma once

#include <string>

// What the command line asks of one run of the program.
class ShellOptions {
public:
    bool minimize = false;         // "-minimize" anywhere, also inside a longer argument
    bool quit = false;             // --quit: ask the running copy to end, then end
    std::string simulatedMouse;    // "", "wired", "wireless" or "both"
    std::string simulatedKeyboard; // "", "feature" or "prefixed"
    std::string simStateFile;      // --sim-state FILE
    std::string error;             // why Parse failed

    // Reads the arguments. Arguments it does not know are ignored, as they always were; false
    // (with error set) only for a malformed option of its own.
    bool Parse(int argc, char** argv);

    // Before GTK starts: no GL (it costs tens of megabytes and nothing here draws with it), and
    // the X11 back end, which the popups, the move-drag, key injection and screen sampling need,
    // unless the user chose a back end.
    static void PrepareEnvironment();
};

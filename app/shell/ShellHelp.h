#pragma once

// pivane --help: the command line the program takes, as the man page describes it.
class ShellHelp {
public:
    // True when the arguments ask for help ("--help" or "-h"); nothing else is done then.
    static bool Requested(int argc, char** argv);
    static const char* Text();
};

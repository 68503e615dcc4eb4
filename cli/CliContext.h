#pragma once

#include <string>

// What one pivanectl run was asked for (the global options) plus the shared ways of answering:
// a one-line reason on stderr, or one JSON document on stdout with --json.
class CliContext {
public:
    enum ExitCode { kOk = 0, kFailed = 1, kUsage = 2 };

    std::string simulatedMouse; // "", "wired", "wireless" or "both"
    std::string simStateFile;   // --sim-state FILE
    int profile = 0;            // --profile N; 0 means the active profile
    bool json = false;

    // Parses the global options that precede the command; returns the index of the command word,
    // or -1 with a message on stderr.
    int ParseGlobalOptions(int argc, char** argv);

    // Prints "pivanectl: <message>" on stderr and returns kFailed.
    int Fail(const std::string& message) const;
    // Prints "pivanectl: <message>" and a hint on stderr and returns kUsage.
    int Usage(const std::string& message) const;
    // Prints text on stdout (human output) unless --json is on.
    void Say(const std::string& text) const;
    // Prints a finished JSON document on stdout.
    void PrintJson(const std::string& document) const;
};

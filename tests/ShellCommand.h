#pragma once

#include <cstdio>
#include <string>
#include <sys/wait.h>

// Runs a shell command line for tests that drive the real programs; its stdout goes to `out`.
// Returns the exit status, or -1 when it could not run or was killed.
inline int RunShellCommand(const std::string& command, std::string& out) {
    out.clear();
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return -1;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, n);
    int raw = pclose(pipe);
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

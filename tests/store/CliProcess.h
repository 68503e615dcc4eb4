#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// One real pivanectl process with a private home, started without a shell so that it can be
// killed at a chosen moment. Its stdout and stderr go to files beside the home.
class CliProcess {
public:
    // home is the HOME of the process (its data folder lies below it); the program folder is
    // PIVANE_HOME of the test, unless programFolder is given.
    CliProcess(std::string home, std::vector<std::string> args, std::string programFolder = "");
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;
    ~CliProcess();

    // False when the process could not be started.
    bool Start();
    void Kill();
    // The exit status, or -1 when it was killed by a signal or never ran.
    int Wait();
    // Start() + Wait().
    int Run();

    std::string Out() const;
    std::string Err() const;

    // The pivanectl of the build.
    static std::string Program();

private:
    std::string home_;
    std::vector<std::string> args_;
    std::string programFolder_;
    std::string outFile_;
    std::string errFile_;
    pid_t pid_ = -1;
    int status_ = -1;
};

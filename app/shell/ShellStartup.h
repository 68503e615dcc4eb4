#pragma once

#include "app/shell/ShellOptions.h"
#include "app/shell/SingleInstance.h"

#include <string>

// The program's start-up up to the main window, in the order that keeps a second copy cheap:
// the command line, `--quit`, the single-instance claim (a second copy asks the first to show
// itself and ends before it reads the language or touches any file of the user), the
// environment GTK needs, the language and the data folder's "db". The program's entry:
//
//   ShellStartup startup;
//   int status;
//   if (!startup.Begin(argc, argv, status)) return status;
//   ... GTK, Tolva, the main window (InstanceRequests, WorkerWindow, ShellServices) ...
//   startup.Instance().Listen(window);
class ShellStartup {
public:
    // How long a second copy keeps trying to reach the first one, which may still be starting.
    static constexpr int kReachTimeoutMs = 3000;
    // How long `--quit` waits for the running copy to give its lock up.
    static constexpr int kQuitTimeoutMs = 5000;

    // True: this copy runs; set up the window, then Listen on Instance(). False: the program
    // ends now with exitCode (0 for a second copy and a done --quit, 1 when --quit failed, 2
    // for a malformed command line).
    bool Begin(int argc, char** argv, int& exitCode);

    const ShellOptions& Options() const { return options_; }
    SingleInstance& Instance() { return instance_; }
    int LanguageId() const { return languageId_; }
    const std::string& ProgramFolder() const { return programFolder_; }
    const std::string& DataFolder() const { return dataFolder_; }
    // False when the data folder's "db" could not be created (the store then fails quietly).
    bool DatabaseFolderReady() const { return databaseFolderReady_; }

    // Sends "exit 610" to the running copy and waits until it has ended. 0 when it ended or no
    // copy was running, 1 when it did not answer or did not end.
    static int QuitRunningCopy();
    // Asks the running copy to show its window; false when it could not be reached in time.
    static bool RaiseRunningCopy();

private:
    ShellOptions options_;
    SingleInstance instance_;
    int languageId_ = 0;
    std::string programFolder_;
    std::string dataFolder_;
    bool databaseFolderReady_ = false;
};

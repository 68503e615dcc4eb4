// The program's start-up without its window, for tests that need real processes: it claims the
// single instance, and while it runs writes what it was asked into the file $PROBE_LOG
// ("ready minimize=0|1", "show", "exit"). The exit request ends it with status 0, as it ends
// the program. With PROBE_DEAF set it never listens.
#include "app/shell/InstanceRequests.h"
#include "app/shell/ShellStartup.h"

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

void Note(const std::string& line) {
    const char* path = std::getenv("PROBE_LOG");
    if (!path) return;
    int fd = open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0) return;
    std::string text = line + "\n";
    (void)!write(fd, text.data(), text.size());
    close(fd);
}

class ProbeWindow final : public InstanceRequests {
public:
    void OnShowRequest() override { Note("show"); }
    void OnExitRequest() override {
        Note("exit");
        _exit(0);
    }
};

} // namespace

int main(int argc, char** argv) {
    ShellStartup startup;
    int exitCode = 0;
    if (!startup.Begin(argc, argv, exitCode)) return exitCode;
    ProbeWindow window;
    // PROBE_DEAF: a copy that holds the lock but never answers (hung, or its socket failed).
    bool listening = !std::getenv("PROBE_DEAF") && startup.Instance().Listen(window);
    Note(std::string("ready minimize=") + (startup.Options().minimize ? "1" : "0") + " listening=" +
         (listening ? "1" : "0") + " db=" + (startup.DatabaseFolderReady() ? "1" : "0"));
    for (;;)
        pause();
}

// pivane: the program. One copy per user; a second one raises the first and ends.
//   pivane [-minimize] [--simulated-mouse[=wired|wireless|both]] [--sim-state FILE]
//   pivane --quit        ends the running copy (installers and the update hand-off use it)
#include "app/device/HidDeviceManager.h"
#include "app/shell/KeyboardDlg.h"
#include "app/shell/ShellHelp.h"
#include "app/shell/ShellStartup.h"
#include "app/store/LightFrameStore.h"
#include "app/store/SettingsDatabase.h"
#include "ui/core/Manager.h"
#include "ui/platform/Platform.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <thread>

using namespace Tolva;

namespace {

// SIGTERM, SIGINT and SIGHUP close the window the normal way (the teardown keeps the emulated
// mouse's state and stops the worker), from a thread of their own: the mask is set before any
// other thread exists, so every thread inherits it and only this one takes them.
void BlockStopSignals(sigset_t& set) {
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

void WatchStopSignals(sigset_t set, std::atomic<NativeWindow*>* window) {
    int signal = 0;
    while (sigwait(&set, &signal) == 0) {
        NativeWindow* w = window->load();
        if (!w || !Platform::PostMessage(w, WM_CLOSE)) _exit(0);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (ShellHelp::Requested(argc, argv)) {
        std::fputs(ShellHelp::Text(), stdout);
        return 0;
    }
    sigset_t stopSignals;
    BlockStopSignals(stopSignals);

    // Command line, --quit, the single-instance claim (a second copy ends here without touching
    // the settings), GDK_GL and GDK_BACKEND, the language and the data folder's "db".
    ShellStartup startup;
    int status = 0;
    if (!startup.Begin(argc, argv, status)) return status;

    Manager::SetProgramFolder(startup.ProgramFolder());
    if (!Platform::InitFromEnvironment(&argc, &argv)) {
        std::fprintf(stderr, "pivane: cannot open the display\n");
        return 1;
    }

    KeyboardDlg::Setup setup;
    setup.manager = &HidDeviceManager::Instance();
    setup.store = &SettingsDatabase::Instance();
    setup.lightFrames = &LightFrameStore::Instance();
    setup.options = startup.Options();
    setup.programFolder = startup.ProgramFolder();
    setup.dataFolder = startup.DataFolder();
    // bench/shell: the wall clock at the first frame, to be compared with the launch time.
    if (const char* report = std::getenv("PIVANE_REPORT_FIRST_FRAME"); report && *report == '1')
        setup.firstFrame = [] {
            timespec now{};
            clock_gettime(CLOCK_REALTIME, &now);
            std::fprintf(stderr, "first_frame_epoch_ns=%lld\n",
                         static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
        };
    KeyboardDlg window(std::move(setup));
    if (!window.CreateMainWindow()) {
        std::fprintf(stderr, "pivane: cannot create the main window\n");
        return 1;
    }
    std::atomic<NativeWindow*> handle{window.GetSafeHwnd()};
    std::thread(WatchStopSignals, stopSignals, &handle).detach();
    startup.Instance().Listen(window);

    window.ShowModal(startup.Options().minimize ? SW_HIDE : SW_SHOW);

    handle = nullptr;
    startup.Instance().StopListening();
    window.Teardown();
    std::fflush(nullptr);
    // Nothing of the process is needed any more; static destructors would only race the
    // library's threads.
    _exit(0);
}

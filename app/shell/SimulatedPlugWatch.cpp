#include "app/shell/SimulatedPlugWatch.h"

#include "sim/EmulatedMouse.h"

#include <climits>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The command interface of a link as enumeration names it, whether or not it is plugged.
bool CommandInterfaceOf(const EmulatedMouse::Fixture& fixture, EmulatedMouse::Link link,
                        HidInterfaceInfo& info) {
    const auto& list =
        link == EmulatedMouse::Link::Cable ? fixture.cableInterfaces : fixture.receiverInterfaces;
    for (const auto& item : list) {
        if (item.command) {
            info = item.info;
            return true;
        }
    }
    return false;
}

} // namespace

SimulatedPlugWatch::SimulatedPlugWatch(std::shared_ptr<EmulatedMouse> mouse, std::string stateFile)
    : mouse_(std::move(mouse)), stateFile_(std::move(stateFile)) {
    size_t slash = stateFile_.rfind('/');
    folder_ = slash == std::string::npos ? "." : (slash == 0 ? "/" : stateFile_.substr(0, slash));
    name_ = slash == std::string::npos ? stateFile_ : stateFile_.substr(slash + 1);
}

SimulatedPlugWatch::~SimulatedPlugWatch() {
    Close();
}

bool SimulatedPlugWatch::Open() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (epollFd_ >= 0) return true;
    if (!mouse_ || name_.empty()) return false;
    epollFd_ = epoll_create1(EPOLL_CLOEXEC);
    inotifyFd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    pendingFd_ = eventfd(0, EFD_SEMAPHORE | EFD_NONBLOCK | EFD_CLOEXEC);
    bool ok = epollFd_ >= 0 && inotifyFd_ >= 0 && pendingFd_ >= 0;
    // Writers replace the file by renaming a temporary one over it: watch the folder.
    ok = ok && inotify_add_watch(inotifyFd_, folder_.c_str(),
                                 IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE) >= 0;
    epoll_event watch{};
    watch.events = EPOLLIN;
    ok = ok && epoll_ctl(epollFd_, EPOLL_CTL_ADD, inotifyFd_, &watch) == 0;
    ok = ok && epoll_ctl(epollFd_, EPOLL_CTL_ADD, pendingFd_, &watch) == 0;
    if (ok) return true;
    for (int* fd : {&epollFd_, &inotifyFd_, &pendingFd_}) {
        if (*fd >= 0) close(*fd);
        *fd = -1;
    }
    return false;
}

void SimulatedPlugWatch::Close() {
    std::lock_guard<std::mutex> lock(mutex_);
    for (int* fd : {&epollFd_, &inotifyFd_, &pendingFd_}) {
        if (*fd >= 0) close(*fd);
        *fd = -1;
    }
    pending_.clear();
}

int SimulatedPlugWatch::Fd() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return epollFd_;
}

bool SimulatedPlugWatch::ReadPlugs(const std::string& stateFile, Plugs& plugs) {
    struct stat st {};
    if (stat(stateFile.c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
        st.st_size > EmulatedMouse::kMaxStateFileSize)
        return false;
    std::ifstream file(stateFile);
    std::string line;
    if (!std::getline(file, line) || line != EmulatedMouse::kStateHeader) return false;
    bool sawPlugs = false;
    while (std::getline(file, line)) {
        std::istringstream in(line);
        std::string word;
        in >> word;
        int a = 0, b = 0;
        if (word == "plugged" && in >> a >> b) {
            plugs.cable = a != 0;
            plugs.receiver = b != 0;
            sawPlugs = true;
        } else if (word == "linked" && in >> a) {
            plugs.linked = a != 0;
        } else if (word == "battery" && in >> a) {
            plugs.battery = a;
        } else if (word == "report") {
            break; // the log comes last and may be long
        }
    }
    return sawPlugs;
}

void SimulatedPlugWatch::Queue(const Event& event) {
    pending_.push_back(event);
    uint64_t one = 1;
    (void)!write(pendingFd_, &one, sizeof one);
}

// Called under mutex_.
void SimulatedPlugWatch::Refresh() {
    bool ours = false;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        ssize_t n = read(inotifyFd_, buffer, sizeof buffer);
        if (n <= 0) break;
        for (ssize_t at = 0; at < n;) {
            auto* event = reinterpret_cast<inotify_event*>(buffer + at);
            if (event->len > 0 && name_ == event->name) ours = true;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    Plugs plugs;
    if (!ours || !ReadPlugs(stateFile_, plugs)) return;
    EmulatedMouse::Fixture now = mouse_->GetFixture();
    struct Change {
        EmulatedMouse::Link link;
        bool was;
        bool is;
    };
    for (const Change& change :
         {Change{EmulatedMouse::Link::Cable, now.cablePlugged, plugs.cable},
          Change{EmulatedMouse::Link::Receiver, now.receiverPlugged, plugs.receiver}}) {
        if (change.was == change.is) continue;
        HidInterfaceInfo info;
        if (change.link == EmulatedMouse::Link::Cable)
            mouse_->PlugCable(change.is);
        else
            mouse_->PlugReceiver(change.is);
        if (CommandInterfaceOf(now, change.link, info))
            Queue({change.is ? kArrival : kRemoval, info.interfaceName, info.path});
    }
    if (plugs.linked != now.receiverLinked) mouse_->SetReceiverLinked(plugs.linked);
    if (plugs.battery >= 0 && plugs.battery != now.battery) mouse_->SetBattery(plugs.battery);
}

bool SimulatedPlugWatch::Receive(Event& event) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (epollFd_ < 0) return false;
    if (pending_.empty()) Refresh();
    uint64_t one = 0;
    if (pending_.empty() || read(pendingFd_, &one, sizeof one) != sizeof one) return false;
    event = pending_.front();
    pending_.pop_front();
    return true;
}

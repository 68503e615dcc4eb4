#include "app/shell/SingleInstance.h"

#include "app/shell/InstanceRequests.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {

int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The address of path. A path too long for sun_path (a deep $XDG_RUNTIME_DIR) is named through
// an open descriptor of its folder instead, which the caller closes after bind or connect.
bool MakeAddress(const std::string& path, sockaddr_un& address, int& folderFd) {
    folderFd = -1;
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    std::string name = path;
    if (name.size() >= sizeof address.sun_path) {
        size_t slash = path.rfind('/');
        if (slash == std::string::npos) return false;
        std::string folder = slash == 0 ? "/" : path.substr(0, slash);
        folderFd = open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (folderFd < 0) return false;
        name = "/proc/self/fd/" + std::to_string(folderFd) + path.substr(slash);
        if (name.size() >= sizeof address.sun_path) {
            close(folderFd);
            folderFd = -1;
            return false;
        }
    }
    std::memcpy(address.sun_path, name.c_str(), name.size() + 1);
    return true;
}

bool SameUser(int fd) {
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0) return false;
    return credentials.uid == getuid();
}

void Answer(int fd, const char* text) {
    // Best effort: a peer that does not read its answer must not hold the listener up.
    (void)!send(fd, text, std::strlen(text), MSG_DONTWAIT | MSG_NOSIGNAL);
}

struct Peer {
    int fd = -1;
    int64_t deadlineMs = 0;
    std::string line;
};

} // namespace

SingleInstance::~SingleInstance() {
    StopListening();
    lock_.Release();
}

std::string SingleInstance::SocketPath() {
    std::string path = InstanceLock::LockPath();
    size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    std::string name = path.substr(folder.size());
    // Keep the lock file's prefix (the user id when there is no runtime folder).
    const std::string lockName = "ORMAN-Q410.lock";
    std::string prefix = name.size() >= lockName.size()
                             ? name.substr(0, name.size() - lockName.size())
                             : std::string();
    return folder + prefix + kSocketName;
}

SingleInstance::Role SingleInstance::Claim() {
    // The holder may end between our attempt and the probe: then try again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (lock_.Acquire()) return Role::First;
        if (InstanceLock::IsHeldElsewhere()) return Role::Second;
    }
    // A lock file that cannot be made at all guards nothing.
    return Role::Unguarded;
}

bool SingleInstance::Listen(InstanceRequests& requests) {
    if (!lock_.IsHeld() || thread_.joinable()) return false;
    std::string path = SocketPath();
    sockaddr_un address{};
    int folderFd = -1;
    if (!MakeAddress(path, address, folderFd)) return false;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        if (folderFd >= 0) close(folderFd);
        return false;
    }
    // Whatever is there was left by a copy that ended without cleaning up: we hold the lock.
    unlink(path.c_str());
    // Only the user may connect: the socket is created without group and other bits.
    mode_t old = umask(0177);
    int bound = bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    umask(old);
    if (folderFd >= 0) close(folderFd);
    if (bound != 0 || chmod(path.c_str(), 0600) != 0 || listen(fd, kMaxPeers) != 0) {
        if (bound == 0) unlink(path.c_str());
        close(fd);
        return false;
    }
    bound_ = true;
    wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd_ < 0) {
        close(fd);
        unlink(path.c_str());
        bound_ = false;
        return false;
    }
    thread_ = std::thread(&SingleInstance::Run, this, fd, wakeFd_, &requests);
    return true;
}

void SingleInstance::StopListening() {
    if (thread_.joinable()) {
        uint64_t one = 1;
        (void)!write(wakeFd_, &one, sizeof one);
        thread_.join();
    }
    if (wakeFd_ >= 0) close(wakeFd_);
    wakeFd_ = -1;
    if (bound_) unlink(SocketPath().c_str());
    bound_ = false;
}

void SingleInstance::Run(int listenFd, int wakeFd, InstanceRequests* requests) {
    std::vector<Peer> peers;
    for (;;) {
        std::vector<pollfd> fds = {{wakeFd, POLLIN, 0}, {listenFd, POLLIN, 0}};
        int64_t now = NowMs();
        int timeout = -1;
        for (const Peer& peer : peers) {
            fds.push_back({peer.fd, POLLIN, 0});
            int left = static_cast<int>(std::max<int64_t>(0, peer.deadlineMs - now));
            if (timeout < 0 || left < timeout) timeout = left;
        }
        int ready = poll(fds.data(), fds.size(), timeout);
        if (ready < 0 && errno != EINTR) break;
        if (ready > 0 && fds[0].revents != 0) break;

        // Requests are acted on after the poll set is walked, so a callback that ends the
        // process does so with every answer sent.
        std::vector<std::string> accepted;
        now = NowMs();
        for (size_t i = 0; i < peers.size(); ++i) {
            Peer& peer = peers[i];
            short events = ready > 0 ? fds[2 + i].revents : 0;
            bool finished = false;
            if (events != 0) {
                char buffer[kMaxRequestBytes + 1];
                ssize_t n = recv(peer.fd, buffer, sizeof buffer, MSG_DONTWAIT);
                if (n > 0) peer.line.append(buffer, static_cast<size_t>(n));
                bool ended = n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR);
                size_t newline = peer.line.find('\n');
                if (newline != std::string::npos || ended) {
                    std::string line = peer.line.substr(0, newline);
                    if (!line.empty() && line.back() == '\r') line.pop_back();
                    if (line == kShowRequest || line == kExitRequest) {
                        Answer(peer.fd, "ok\n");
                        accepted.push_back(line);
                    } else {
                        Answer(peer.fd, "?\n");
                    }
                    finished = true;
                } else if (peer.line.size() > kMaxRequestBytes) {
                    Answer(peer.fd, "?\n");
                    finished = true;
                }
            }
            if (!finished && now >= peer.deadlineMs) finished = true; // said nothing in time
            if (finished) {
                close(peer.fd);
                peer.fd = -1;
            }
        }
        std::erase_if(peers, [](const Peer& peer) { return peer.fd < 0; });

        if (ready > 0 && (fds[1].revents & POLLIN)) {
            int fd;
            while ((fd = accept4(listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC)) >= 0) {
                if (!SameUser(fd) || peers.size() >= static_cast<size_t>(kMaxPeers)) {
                    close(fd);
                    continue;
                }
                peers.push_back({fd, NowMs() + kPeerTimeoutMs, {}});
            }
        }

        for (const std::string& request : accepted) {
            if (request == kShowRequest)
                requests->OnShowRequest();
            else
                requests->OnExitRequest();
        }
    }
    for (Peer& peer : peers)
        close(peer.fd);
    close(listenFd);
}

bool SingleInstance::Send(const std::string& request, int timeoutMs) {
    sockaddr_un address{};
    int folderFd = -1;
    if (request.find('\n') != std::string::npos) return false;
    if (!MakeAddress(SocketPath(), address, folderFd)) return false;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        if (folderFd >= 0) close(folderFd);
        return false;
    }
    // A UNIX socket connects at once or not at all (a full backlog gives EAGAIN).
    int connected = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    if (folderFd >= 0) close(folderFd);
    std::string line = request + "\n";
    if (connected != 0 ||
        send(fd, line.data(), line.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(line.size())) {
        close(fd);
        return false;
    }
    std::string answer;
    int64_t deadline = NowMs() + timeoutMs;
    while (answer.find('\n') == std::string::npos) {
        int left = static_cast<int>(deadline - NowMs());
        if (left <= 0) break;
        pollfd pfd{fd, POLLIN, 0};
        int ready = poll(&pfd, 1, left);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) break;
        char buffer[16];
        ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        if (n <= 0) break;
        answer.append(buffer, static_cast<size_t>(n));
        if (answer.size() > 16) break;
    }
    close(fd);
    return answer == "ok\n";
}

#pragma once

#include "app/platform/InstanceLock.h"

#include <atomic>
#include <string>
#include <thread>

class InstanceRequests;

// One running copy per user: the lock file that pivanectl also looks at (InstanceLock), plus a
// UNIX socket (mode 0600) beside it through which later copies reach the running one. A request
// is one line: "show" or "exit 610"; the answer is "ok" (or "?" for anything else). The
// listener runs on its own thread and never lets a peer hold it up: each connection has one
// second to send its line, and a line longer than 64 bytes is refused.
class SingleInstance {
public:
    static constexpr const char* kShowRequest = "show";
    static constexpr const char* kExitRequest = "exit 610";
    static constexpr const char* kSocketName = "ORMAN-Q410.sock";
    static constexpr int kPeerTimeoutMs = 1000;
    static constexpr size_t kMaxRequestBytes = 64;
    static constexpr int kMaxPeers = 16;

    enum class Role {
        First,     // this copy holds the lock and runs
        Second,    // another copy holds it: ask it to show itself and end
        Unguarded, // no lock could be created (no writable runtime folder): run without one
    };

    SingleInstance() = default;
    // Stops the listener, removes the socket this copy bound and gives the lock up.
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Takes the lock without waiting.
    Role Claim();
    // Binds the socket (replacing one left by a copy that was killed: holding the lock proves
    // nobody serves it) and starts the listener thread. False when this copy does not hold the
    // lock or the socket cannot be set up; the copy then runs but cannot be reached.
    bool Listen(InstanceRequests& requests);
    void StopListening();
    bool IsListening() const { return thread_.joinable(); }

    // Sends one request to the running copy and waits up to timeoutMs for its answer. True when
    // it answered "ok". Never opens anything but the socket.
    static bool Send(const std::string& request, int timeoutMs = 2000);
    // The socket's path: beside the lock file.
    static std::string SocketPath();

private:
    void Run(int listenFd, int wakeFd, InstanceRequests* requests);

    InstanceLock lock_;
    std::thread thread_;
    int wakeFd_ = -1;
    bool bound_ = false;
};

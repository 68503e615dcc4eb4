#pragma once

#include <string>
#include <sys/types.h>

// The Python update server (update_server.py) as a test runs it: a folder of files served on
// 127.0.0.1 at a free port, with a log of every request's headers.
class UpdateServer {
public:
    UpdateServer();
    ~UpdateServer();
    UpdateServer(const UpdateServer&) = delete;
    UpdateServer& operator=(const UpdateServer&) = delete;

    // Starts the server over a fresh folder; false when it does not listen within 10 seconds.
    bool Start();
    void Stop();

    const std::string& Root() const { return root_; }
    // "http://127.0.0.1:<port>" followed by path.
    std::string Url(const std::string& path) const;
    int Port() const { return port_; }
    // Writes a file below the root (folders are made).
    bool Put(const std::string& relative, const std::string& bytes) const;
    // The request log, one JSON object a line.
    std::string Log() const;

    // A port on 127.0.0.1 that nothing listens on (bound, then closed).
    static int ClosedPort();

private:
    std::string root_;
    std::string work_;
    pid_t pid_ = -1;
    int port_ = 0;
};

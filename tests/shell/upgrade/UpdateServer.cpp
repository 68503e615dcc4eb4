#include "tests/shell/upgrade/UpdateServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>
#include <vector>

extern char** environ;

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

} // namespace

UpdateServer::UpdateServer() {
    char pattern[] = "/tmp/pivane-updates-XXXXXX";
    if (mkdtemp(pattern)) {
        work_ = pattern;
        root_ = work_ + "/root";
        std::filesystem::create_directories(root_);
    }
}

UpdateServer::~UpdateServer() {
    Stop();
    std::error_code ec;
    if (!work_.empty()) std::filesystem::remove_all(work_, ec);
}

bool UpdateServer::Start() {
    if (work_.empty() || pid_ > 0) return false;
    const std::string portFile = work_ + "/port";
    const std::string log = work_ + "/requests.log";
    std::string script = UPDATE_SERVER_SCRIPT;
    std::vector<std::string> args = {"python3", script,  "--root", root_,          "--port-file",
                                     portFile,  "--log", log,      "--slow-delay", "0.05"};
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawnp(&pid_, "python3", nullptr, nullptr, argv.data(), environ) != 0) {
        pid_ = -1;
        return false;
    }
    for (int i = 0; i < 200; ++i) {
        const std::string text = ReadFile(portFile);
        if (!text.empty()) {
            port_ = std::atoi(text.c_str());
            return port_ > 0;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    Stop();
    return false;
}

void UpdateServer::Stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
}

std::string UpdateServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

bool UpdateServer::Put(const std::string& relative, const std::string& bytes) const {
    const std::filesystem::path path = std::filesystem::path(root_) / relative;
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

std::string UpdateServer::Log() const {
    return ReadFile(work_ + "/requests.log");
}

int UpdateServer::ClosedPort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    close(fd);
    return port;
}

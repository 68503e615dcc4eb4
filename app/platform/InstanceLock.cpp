#include "app/platform/InstanceLock.h"

#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {
constexpr const char* kLockName = "ORMAN-Q410.lock";
}

InstanceLock::~InstanceLock() {
    Release();
}

std::string InstanceLock::LockPath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime) {
        std::string path = runtime;
        if (path.back() != '/') path += '/';
        return path + kLockName;
    }
    // No per-user runtime folder: keep users apart by the user id.
    const char* tmp = std::getenv("TMPDIR");
    std::string path = (tmp && *tmp) ? tmp : "/tmp";
    if (path.back() != '/') path += '/';
    return path + std::to_string(getuid()) + "-" + kLockName;
}

bool InstanceLock::IsHeldElsewhere() {
    int fd = open(LockPath().c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    // flock locks belong to the open file description, so this probe conflicts with every
    // holder, including one in this process.
    bool held = flock(fd, LOCK_SH | LOCK_NB) != 0;
    close(fd);
    return held;
}

bool InstanceLock::Acquire() {
    if (fd_ >= 0) return true;
    int fd = open(LockPath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

void InstanceLock::Release() {
    if (fd_ < 0) return;
    flock(fd_, LOCK_UN);
    close(fd_);
    fd_ = -1;
}

#pragma once

#include <string>

// The single-instance lock of the program: a lock file "ORMAN-Q410.lock" in $XDG_RUNTIME_DIR
// (or, without one, in the temporary folder with the user id in the name). A running Pivane
// holds it with an advisory lock; pivanectl looks at it before it talks to the device.
class InstanceLock {
public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // The lock file's path for the current environment.
    static std::string LockPath();
    // True when another process (or another InstanceLock of this one) holds the lock. A missing
    // or unreadable lock file counts as not held.
    static bool IsHeldElsewhere();

    // Takes the lock without waiting; false when someone else holds it or the file cannot be
    // created. Taking it twice through the same object is true.
    bool Acquire();
    // Gives the lock up (the file stays; an unlocked file means no instance runs).
    void Release();
    bool IsHeld() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

#pragma once

#include <cstddef>
#include <deque>
#include <mutex>
#include <vector>

// The worker's first-in first-out list of task codes. The window thread (and the hot-plug
// thread) append at the back; the worker reads the front and removes it only once its task has
// finished, so a code stays visible while it runs. One lock serialises every operation.
class TaskQueue {
public:
    void Append(int code);
    // The front code without removing it; false when the queue is empty.
    bool Front(int& code) const;
    // Removes the front code; false when the queue is empty.
    bool RemoveFront();
    size_t Size() const;
    bool Empty() const { return Size() == 0; }
    // The codes in queue order (for tests and diagnostics).
    std::vector<int> Snapshot() const;
    void Clear();

private:
    mutable std::mutex mutex_;
    std::deque<int> codes_;
};

#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "ui/platform/Geometry.h"
#include "ui/platform/Messages.h"

namespace Tolva {

class NativeWindow;
struct Message;

// The posted-message queue and the table of live windows, shared by the window thread and any
// thread that posts. One lock guards both, and each window's update rectangle.
class MessageQueue {
public:
    static MessageQueue& Instance();

    // Window registry. Register gives the window its serial.
    uint64_t Register(const std::shared_ptr<NativeWindow>& window);
    void Unregister(NativeWindow* window);
    std::shared_ptr<NativeWindow> Find(NativeWindow* window);
    bool IsLive(NativeWindow* window);
    std::vector<std::shared_ptr<NativeWindow>> Windows();

    // False when the window is not live. A WM_TIMER for a window and id already waiting is dropped.
    bool Post(NativeWindow* window, uint32_t msg, WPARAM wParam, LPARAM lParam);
    void PostQuit(int code);
    // Takes the oldest posted message of a live window (or the quit); false when none.
    bool Take(Message& out);
    // A WM_PAINT for the first shown window with a pending update; false when none.
    bool TakePaint(Message& out);
    bool HasWork();
    // Waits until something is posted or `timeoutMs` passed (0 = no limit).
    void Wait(uint32_t timeoutMs);
    void Notify();
    void Clear();

    // Update rectangles, kept here so that any thread may add to them.
    bool AddUpdate(NativeWindow* window, const Rect& rect);
    Rect TakeUpdate(NativeWindow* window);
    Rect PeekUpdate(NativeWindow* window);

private:
    struct Entry {
        NativeWindow* window = nullptr;
        uint64_t serial = 0;
        uint32_t msg = 0;
        WPARAM wParam = 0;
        LPARAM lParam = 0;
    };
    struct Live {
        std::shared_ptr<NativeWindow> window;
        uint64_t serial = 0;
        Rect update;
    };

    std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<Entry> queue_;
    std::vector<NativeWindow*> order_; // creation order, for paint fairness
    std::map<NativeWindow*, Live> live_;
    uint64_t nextSerial_ = 1;
    bool quit_ = false;
    int quitCode_ = 0;
};

} // namespace Tolva

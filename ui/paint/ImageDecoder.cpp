#include "ui/paint/ImageDecoder.h"

#include "ui/paint/Image.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace Tolva {
namespace {

struct DecodeQueue {
    std::mutex lock;
    std::condition_variable ready;
    std::deque<std::weak_ptr<Image>> images;
    bool running = false;
};

// Never destroyed: the thread may still be waiting on it while the program exits.
DecodeQueue& Queue() {
    static auto* queue = new DecodeQueue;
    return *queue;
}

void Run() {
    DecodeQueue& q = Queue();
    for (;;) {
        std::shared_ptr<Image> image;
        {
            std::unique_lock guard(q.lock);
            q.ready.wait(guard, [&] { return !q.images.empty(); });
            image = q.images.front().lock();
            q.images.pop_front();
        }
        // A draw that gets there first waits for this decode instead of starting its own.
        if (image) image->FrameCount();
    }
}

} // namespace

void ImageDecoder::DecodeAhead(const std::shared_ptr<Image>& image) {
    if (!image || image->IsDecoded()) return;
    DecodeQueue& q = Queue();
    {
        std::lock_guard guard(q.lock);
        q.images.push_back(image);
        if (!q.running) {
            q.running = true;
            std::thread(Run).detach();
        }
    }
    q.ready.notify_one();
}

} // namespace Tolva

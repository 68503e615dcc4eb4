#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>
#include <vector>

#include "ui/platform/Platform.h"

using namespace Tolva;

namespace {

std::atomic<int> g_paints{0};

LRESULT Count(void* self, NativeWindow* w, uint32_t msg, WPARAM wp, LPARAM) {
    if (msg == WM_NCCREATE) return 1;
    if (msg == WM_USER) static_cast<std::vector<WPARAM>*>(self)->push_back(wp);
    if (msg == WM_PAINT) {
        Rect r;
        w->BeginPaint(r);
        ++g_paints;
    }
    return 0;
}

// Worker threads post and invalidate while the window thread pumps and destroys windows.
TEST(PlatformThreadTest, PostsFromManyThreadsArriveOnceAndInOrderPerThread) {
    ASSERT_TRUE(Platform::Init(BackendKind::Headless));
    std::vector<WPARAM> got;
    WindowParams p;
    p.rect = {0, 0, 50, 50};
    NativeWindow* w = Platform::CreateNativeWindow(p, &Count, &got);
    ASSERT_NE(w, nullptr);
    w->Show(SW_SHOW);
    NativeWindow* doomed = Platform::CreateNativeWindow(p, &Count, &got);
    NativeWindow* const doomedHandle = doomed; // the threads keep using it after it is gone

    constexpr int kThreads = 4, kPosts = 2000;
    std::atomic<int> done{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kPosts; ++i) {
                Platform::PostMessage(w, WM_USER, static_cast<WPARAM>(t * kPosts + i));
                Platform::PostMessage(doomedHandle,
                                      WM_USER + 1); // may be gone: must be refused quietly
                if (i % 50 == 0) Platform::InvalidateRect(w);
            }
            ++done;
        });
    }
    Message m;
    for (;;) {
        bool finished = done == kThreads; // read before looking, so nothing posted is missed
        if (doomed && got.size() > 100) {
            doomed->Destroy();
            doomed = nullptr;
        }
        if (Platform::PeekMessage(m)) {
            Platform::DispatchMessage(m);
            continue;
        }
        if (finished) break;
        std::this_thread::yield();
    }
    for (auto& t : threads)
        t.join();
    Platform::ProcessPending();

    ASSERT_EQ(got.size(), static_cast<size_t>(kThreads * kPosts));
    std::set<WPARAM> unique(got.begin(), got.end());
    EXPECT_EQ(unique.size(), got.size());
    std::vector<long> prev(kThreads, -1);
    for (WPARAM v : got) {
        int t = static_cast<int>(v / kPosts);
        EXPECT_GT(static_cast<long>(v), prev[t]);
        prev[t] = static_cast<long>(v);
    }
    EXPECT_GT(g_paints.load(), 0);
    Platform::Shutdown();
}

} // namespace

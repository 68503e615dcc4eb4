// Many threads asking an opened image for its first frame at once: it is decoded once, and every
// thread sees the same frames.

#include "ui/core/Manager.h"
#include "ui/paint/Image.h"

#include <gtest/gtest.h>

#include <latch>
#include <string>
#include <thread>
#include <vector>

using namespace Tolva;

namespace {

TEST(ImageThreadTest, FirstUseFromManyThreadsDecodesOnce) {
    constexpr int kThreads = 8;
    const std::pair<std::string, int> files[] = {
        {Manager::GetSkinFolder() + "main_bkg.png", 1},
        {Manager::GetSkinFolder() + "loading/loading.gif", 12}};
    for (const auto& [path, frames] : files) {
        for (int round = 0; round < 10; ++round) {
            std::shared_ptr<Image> image = Image::Open(path);
            ASSERT_NE(image, nullptr) << path;
            ASSERT_FALSE(image->IsDecoded());
            std::latch start(kThreads);
            std::vector<cairo_surface_t*> seen(kThreads, nullptr);
            std::vector<int> counts(kThreads, -1);
            std::vector<std::thread> threads;
            for (int t = 0; t < kThreads; ++t) {
                threads.emplace_back([&, t] {
                    start.arrive_and_wait();
                    // Each entry point may be the first: the painter, the animation timer.
                    if (t % 3 == 1) counts[t] = image->FrameCount();
                    if (t % 3 == 2) image->FrameDelay(frames - 1);
                    seen[t] = image->Surface(0);
                    if (counts[t] < 0) counts[t] = image->FrameCount();
                });
            }
            for (std::thread& th : threads)
                th.join();
            EXPECT_TRUE(image->IsDecoded());
            for (int t = 0; t < kThreads; ++t) {
                EXPECT_NE(seen[t], nullptr) << path << " thread " << t;
                EXPECT_EQ(seen[t], seen[0]) << path << " thread " << t;
                EXPECT_EQ(counts[t], frames) << path << " thread " << t;
            }
        }
    }
}

} // namespace

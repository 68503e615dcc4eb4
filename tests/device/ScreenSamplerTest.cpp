#include "app/platform/GdkScreenSampler.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

TEST(GdkScreenSamplerTest, WithoutADisplayThereIsNothingToRead) {
    const char* old = std::getenv("DISPLAY");
    std::string saved = old ? old : "";
    setenv("DISPLAY", ":29871", 1); // no server listens there
    {
        GdkScreenSampler sampler;
        EXPECT_EQ(sampler.Width(), 0);
        EXPECT_EQ(sampler.Height(), 0);
        uint32_t colour = 0x123456;
        EXPECT_FALSE(sampler.Pixel(0, 0, colour));
        EXPECT_EQ(colour, 0x123456u);
    }
    if (old)
        setenv("DISPLAY", saved.c_str(), 1);
    else
        unsetenv("DISPLAY");
}

} // namespace

#include "ui/core/Manager.h"
#include "ui/core/PaintManager.h"
#include "ui/paint/FontRegistry.h"
#include "ui/paint/Image.h"
#include "ui/paint/ImageCache.h"
#include "ui/paint/MRender.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>

using namespace Tolva;

namespace {

// The generated skin: every strip loads and splits evenly into the frames its users ask for.
TEST(SkinTest, GeneratedStripsLoadWithTheirFrameCounts) {
    ImageCache cache;
    cache.SetFolder(Manager::GetSkinFolder());
    const std::pair<const char*, int> strips[] = {
        {"btn_apply.png", 4},          {"sysbtn_close.png", 4},      {"main_sysbtn_min.png", 4},
        {"imgbtn_add.png", 4},         {"btn_checkbox.png", 8},      {"btn_radiobox.png", 8},
        {"btn_direction_left.png", 8}, {"img_thumb.png", 4},         {"img_key_bkg.png", 2},
        {"icon\\tab_home.png", 3},     {"icon//icon_pc.png", 1},     {"img_scroll_v.png", 4},
        {"main_bkg.png", 1},           {"img_circlepalette.png", 1}, {"logo\\logo.png", 1}};
    for (const auto& [name, frames] : strips) {
        const ImgResInfo* info = cache.Add(name, frames);
        ASSERT_NE(info, nullptr) << name;
        EXPECT_EQ(info->image->Width() % frames, 0) << name;
        EXPECT_GT(info->frameWidth, 0) << name;
    }
    EXPECT_EQ(cache.Find("main_bkg.png")->image->Width(), 1200);
    EXPECT_EQ(cache.Find("img_thumb.png")->frameWidth, 16);
    EXPECT_EQ(cache.Find("img_thumb.png")->height, 27);
}

TEST(SkinTest, LoadingAnimationAndWindowIconDecode) {
    auto gif = Image::Load(Manager::GetSkinFolder() + "loading/loading.gif");
    ASSERT_NE(gif, nullptr);
    EXPECT_EQ(gif->FrameCount(), 12);
    EXPECT_GT(gif->FrameDelay(0), 0);
    // Frames differ: the spinner turns.
    cairo_surface_t* a = gif->Surface(0);
    cairo_surface_t* b = gif->Surface(3);
    ASSERT_TRUE(a && b);
    EXPECT_NE(0, std::memcmp(cairo_image_surface_get_data(a), cairo_image_surface_get_data(b),
                             static_cast<size_t>(cairo_image_surface_get_stride(a)) * 48));
    auto icon = MRender::LoadIconFromFile(Manager::GetProgramFolder() + "Pivane.ico");
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->Width(), 32);
    // The main window's own icon is the library's resource 107.
    EXPECT_NE(MRender::LoadIconFromFile(Manager::GetSkinFolder() + "res_107.ico"), nullptr);
}

TEST(FontTest, PrivateFontFilesAddTheirFamilyAndUnknownFamiliesDrawNothing) {
    const std::string file = "/usr/share/fonts/truetype/open-sans/OpenSans-Semibold.ttf";
    if (!std::filesystem::exists(file)) GTEST_SKIP() << "no Open Sans on this machine";
    EXPECT_EQ(FontRegistry::Instance().AddFontFile(file), "Open Sans");
    EXPECT_EQ(FontRegistry::Instance().AddFontFile("/nonexistent/font.ttf"), "");
    EXPECT_TRUE(FontRegistry::Instance().HasFamily("Open Sans"));
    EXPECT_FALSE(FontRegistry::Instance().HasFamily("No Such Family 1234"));
    TextStyle style;
    style.family = "Open Sans";
    style.size = 18;
    const Size size = MRender::GetTextBounds(style, "Apply");
    EXPECT_GT(size.cx, 20);
    EXPECT_GT(size.cy, 10);
    style.family = "No Such Family 1234";
    EXPECT_EQ(MRender::GetTextBounds(style, "Apply"), (Size{0, 0}));
}

TEST(OriginTest, ContentIsPlacedByItsAlignment) {
    const Rect box{10, 20, 110, 60};
    EXPECT_EQ(MRender::GetOriginPoint(box, Size{30, 10}, TextStyle::Near, TextStyle::Near),
              (Point{10, 20}));
    EXPECT_EQ(MRender::GetOriginPoint(box, Size{30, 10}, TextStyle::Center, TextStyle::Center),
              (Point{45, 35}));
    EXPECT_EQ(MRender::GetOriginPoint(box, Size{30, 10}, TextStyle::Far, TextStyle::Far),
              (Point{80, 50}));
    // Odd leftovers: the half pixel goes right and down.
    EXPECT_EQ(MRender::GetOriginPoint(box, Size{31, 11}, TextStyle::Center, TextStyle::Center),
              (Point{45, 35}));
    // Content wider than the box starts before it.
    EXPECT_EQ(MRender::GetOriginPoint(box, Size{120, 40}, TextStyle::Far, TextStyle::Center),
              (Point{-10, 20}));

    TextStyle style;
    style.family.clear();
    for (const char* family : {"Open Sans", "DejaVu Sans", "Liberation Sans"})
        if (style.family.empty() && FontRegistry::Instance().HasFamily(family))
            style.family = family;
    if (style.family.empty()) GTEST_SKIP() << "no text font";
    style.hAlign = TextStyle::Far;
    style.vAlign = TextStyle::Far;
    const Size text = MRender::GetTextBounds(style, "Apply");
    const Point far = MRender::GetOriginPoint(style, "Apply", box);
    EXPECT_EQ(far.x + text.cx, box.right);
    EXPECT_EQ(far.y + text.cy, box.bottom);
    // Wrapped text is aligned inside the box width by the layout, so its run starts at the left.
    style.multiLine = true;
    EXPECT_EQ(MRender::GetOriginPoint(style, "Apply", box).x, box.left);
    EXPECT_EQ(MRender::GetOriginPoint(style, "", box), (Point{10, 20}));
}

// Fonts built into the library are found by number in the skin folder, like images.
TEST(FontTest, FontsByResourceIdComeFromTheSkinFolder) {
    const std::string file = "/usr/share/fonts/truetype/open-sans/OpenSans-Semibold.ttf";
    if (!std::filesystem::exists(file)) GTEST_SKIP() << "no Open Sans on this machine";
    char tmpl[] = "/tmp/tolva-fontres-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    const std::filesystem::path home = tmpl;
    const std::filesystem::path skin = home / "skins" / "theme1";
    std::filesystem::create_directories(skin);
    std::filesystem::copy_file(file, skin / "res_4242.ttf");
    const char* old = std::getenv("PIVANE_HOME");
    const std::string saved = old ? old : "";
    setenv("PIVANE_HOME", (home.string() + "/").c_str(), 1);
    {
        PaintManager pm;
        EXPECT_EQ(pm.AddTempFont("", 4242), "Open Sans");
        EXPECT_EQ(pm.AddTempFont("Body", 4242), "Body");
        EXPECT_EQ(pm.AddTempFont("", 4243), "");
        EXPECT_TRUE(pm.AddGDITempFont(4242));
        EXPECT_FALSE(pm.AddGDITempFont(4243));
    }
    if (old)
        setenv("PIVANE_HOME", saved.c_str(), 1);
    else
        unsetenv("PIVANE_HOME");
    std::filesystem::remove_all(home);
}

} // namespace

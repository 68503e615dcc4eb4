#include "TolvaFixture.h"

#include "ui/controls/MComboBox.h"
#include "ui/controls/MSlider.h"
#include "ui/controls/MSpinButton.h"
#include "ui/core/CArea.h"
#include "ui/core/Manager.h"
#include "ui/paint/ImageCache.h"
#include "ui/paint/MImageList.h"
#include "ui/paint/MRender.h"

#include <cairo.h>

#include <filesystem>
#include <functional>
#include <unistd.h>

using namespace Tolva;

namespace TolvaTest {
namespace {

namespace fs = std::filesystem;

// A strip whose frame k is filled with colors[k].
void WriteStrip(const fs::path& path, int frameWidth, int height,
                const std::vector<uint32_t>& colors) {
    cairo_surface_t* s = cairo_image_surface_create(
        CAIRO_FORMAT_ARGB32, frameWidth * static_cast<int>(colors.size()), height);
    cairo_t* cr = cairo_create(s);
    for (size_t k = 0; k < colors.size(); ++k) {
        MRender::SetSourceARGB(cr, colors[k]);
        cairo_rectangle(cr, static_cast<double>(k) * frameWidth, 0, frameWidth, height);
        cairo_fill(cr);
    }
    cairo_destroy(cr);
    fs::create_directories(path.parent_path());
    cairo_surface_write_to_png(s, path.c_str());
    cairo_surface_destroy(s);
}

class PaintTest : public TolvaTest {
protected:
    void SetUp() override {
        TolvaTest::SetUp();
        skin = fs::temp_directory_path() / ("tolva-skin-" + std::to_string(getpid()));
        fs::create_directories(skin);
        WriteStrip(skin / "btn_apply.png", 50, 30,
                   {0xFF101010, 0xFF202020, 0xFFFF0000, 0xFF404040});
    }
    void TearDown() override {
        fs::remove_all(skin);
        TolvaTest::TearDown();
    }
    fs::path skin;
};

TEST_F(PaintTest, TheFirstRequestFixesTheFrameCount) {
    ImageCache cache;
    cache.SetFolder(skin.string());
    const ImgResInfo* four = cache.Add("btn_apply.png", 4);
    ASSERT_NE(four, nullptr);
    EXPECT_EQ(four->frameWidth, 50);
    EXPECT_EQ(four->height, 30);
    const ImgResInfo* three = cache.Add("btn_apply.png", 3);
    EXPECT_EQ(three, four);
    EXPECT_EQ(three->frameWidth, 50);
    EXPECT_EQ(three->frameCount, 4);
    EXPECT_EQ(cache.Add("missing.png", 4), nullptr);
    EXPECT_EQ(cache.Size(), 1u);
    // Skin names use backslashes and doubled slashes; both resolve into the folder.
    EXPECT_EQ(cache.FullPath("icon\\tab_home.png"), (skin / "icon/tab_home.png").string());
    EXPECT_EQ(cache.FullPath("icon//icon_pc.png"), (skin / "icon/icon_pc.png").string());
}

// Exposes the protected frame helpers.
class StripControl : public MControlFont {
public:
    using MControlFont::FrameSource;
    using MControlFont::MControlFont;
    void DrawControl(cairo_t* cr, const Rect& clip) override {
        DrawImageState(cr, frame, GetRect(), 4);
    }
    int frame = 0;
};

TEST_F(PaintTest, StateFramesComeFromTheirSourceRectangle) {
    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Open(200, 100));
    dlg.GetPaintManager().Images().SetFolder(skin.string());
    auto* c = static_cast<StripControl*>(dlg.GetPaintManager().AddControl(
        std::make_unique<StripControl>(&dlg, 1, Rect{10, 10, 60, 40}), 1));
    ASSERT_EQ(c->SetImage("btn_apply.png", 4), 1);
    EXPECT_EQ(c->GetImageSize(), (Size{50, 30}));
    EXPECT_EQ(c->FrameSource(2), (Rect{100, 0, 150, 30}));
    EXPECT_EQ(c->SetImage("nothing-here.png", 4), 0);
    EXPECT_EQ(c->GetImagePath(), "btn_apply.png");
    c->frame = 2;
    dlg.GetPaintManager().Invalidate();
    Platform::ProcessPending();
    EXPECT_EQ(head->Pixel(dlg.GetSafeHwnd(), {35, 25}), 0xFFFF0000u);
    EXPECT_EQ(head->Pixel(dlg.GetSafeHwnd(), {10, 10}), 0xFFFF0000u);
}

TEST_F(PaintTest, CaretInvertsWhatIsUnderItAndStaysLitWhileMoving) {
    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Open(200, 100));
    PaintManager& pm = dlg.GetPaintManager();
    pm.AddControl(std::make_unique<ProbeButton>(&dlg, 1, Rect{10, 10, 90, 40}), 1);
    auto* owner = static_cast<ProbeButton*>(
        pm.AddControl(std::make_unique<ProbeButton>(&dlg, 2, Rect{120, 50, 180, 90}), 1));
    auto paint = [&] {
        pm.Invalidate();
        Platform::ProcessPending();
    };
    paint();
    const Point a{20, 20}, b{60, 20};
    const uint32_t underA = head->Pixel(dlg.GetSafeHwnd(), a);
    const uint32_t underB = head->Pixel(dlg.GetSafeHwnd(), b);
    auto inverted = [](uint32_t argb) { return 0xFF000000u | (~argb & 0x00FFFFFFu); };

    pm.ShowCaret(true); // no caret created yet: nothing to show
    paint();
    EXPECT_EQ(head->Pixel(dlg.GetSafeHwnd(), a), underA);

    pm.CreateCaret(owner, 2, 16);
    pm.SetCaretPos(a);
    pm.ShowCaret(true);
    paint();
    EXPECT_EQ(pm.GetCurrentCaretObject(), owner);
    EXPECT_EQ(head->Pixel(dlg.GetSafeHwnd(), a), inverted(underA));

    // The blink turns it off; a move lights it again at the new place only.
    dlg.SendMessageW(WM_TIMER, 6553, 0);
    paint();
    EXPECT_EQ(head->Pixel(dlg.GetSafeHwnd(), a), underA);
    pm.SetCaretPos(b);
    paint();
    EXPECT_EQ(head->Pixel(dlg.GetSafeHwnd(), a), underA);
    EXPECT_EQ(head->Pixel(dlg.GetSafeHwnd(), b), inverted(underB));

    // Removing its owner takes the caret away.
    pm.RemoveControl(owner);
    paint();
    EXPECT_EQ(pm.GetCurrentCaretObject(), nullptr);
    EXPECT_EQ(head->Pixel(dlg.GetSafeHwnd(), b), underB);
}

TEST_F(PaintTest, NineGridKeepsCornersUnscaledAndStretchesTheRest) {
    // A 20 x 20 source whose 4 x 4 corners each hold a distinct pattern.
    cairo_surface_t* src = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 20, 20);
    cairo_surface_flush(src);
    auto* px = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(src));
    const int stride = cairo_image_surface_get_stride(src) / 4;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) {
            const bool corner = (x < 4 || x >= 16) && (y < 4 || y >= 16);
            px[y * stride + x] =
                corner ? 0xFF000000u | (x * 12u << 16) | (y * 12u << 8) | 0x80 : 0xFF00C000u;
        }
    cairo_surface_mark_dirty(src);
    cairo_surface_t* dst = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 100, 40);
    cairo_t* cr = cairo_create(dst);
    MRender::DrawImageFrame(cr, src, {0, 0, 100, 40}, 0, 0, 20, 20, 4);
    cairo_destroy(cr);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(PixelAt(dst, x, y), PixelAt(src, x, y));
            EXPECT_EQ(PixelAt(dst, 96 + x, y), PixelAt(src, 16 + x, y));
            EXPECT_EQ(PixelAt(dst, x, 36 + y), PixelAt(src, x, 16 + y));
            EXPECT_EQ(PixelAt(dst, 96 + x, 36 + y), PixelAt(src, 16 + x, 16 + y));
        }
    EXPECT_EQ(PixelAt(dst, 50, 20), 0xFF00C000u);
    EXPECT_EQ(PixelAt(dst, 50, 1), 0xFF00C000u);
    EXPECT_EQ(PixelAt(dst, 4, 20), 0xFF00C000u);
    cairo_surface_destroy(dst);
    cairo_surface_destroy(src);
}

TEST_F(PaintTest, AreaTransparencyRunsBetweenItsEnds) {
    CArea area(nullptr, 1, {0, 0, 10, 101});
    area.SetTransparent(0, 100, 0xFF000000);
    EXPECT_EQ(area.LineAlpha(0, 101), 255);
    EXPECT_EQ(area.LineAlpha(100, 101), 0);
    EXPECT_EQ(area.LineAlpha(50, 101), 128);
    area.SetTransparent(80, 20, 0xFF000000);
    // start > end: the blend runs from the last alpha to the first.
    EXPECT_EQ(area.LineAlpha(0, 101), 51);
    EXPECT_EQ(area.LineAlpha(100, 101), 204);
}

TEST_F(PaintTest, RepaintOfOneControlRedrawsOnlyWhatOverlapsItAbove) {
    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Open(300, 200));
    ProbeButton* a = dlg.AddButton(1, {10, 10, 100, 100});
    ProbeButton* over = dlg.AddButton(2, {50, 50, 150, 150});
    ProbeButton* apart = dlg.AddButton(3, {200, 10, 290, 100});
    ProbeButton* under = dlg.AddButton(4, {0, 0, 5, 5});
    dlg.GetPaintManager().Invalidate();
    Platform::ProcessPending();
    ASSERT_EQ(a->redraws, 1);
    ASSERT_EQ(over->redraws, 1);
    a->UpdateControl(true);
    Platform::ProcessPending();
    EXPECT_EQ(a->redraws, 2);
    EXPECT_EQ(over->redraws, 2);
    EXPECT_EQ(apart->redraws, 1);
    EXPECT_EQ(under->redraws, 1);
    // A repaint without erase copies the cache again without rebuilding it.
    a->UpdateControl(false);
    Platform::ProcessPending();
    EXPECT_EQ(a->redraws, 2);
}

TEST_F(PaintTest, DialogMatchesItsReferenceImage) {
    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Open(200, 120));
    auto* area = static_cast<CArea*>(dlg.CreateArea("CArea", 9, {0, 60, 200, 120}));
    ASSERT_NE(area, nullptr);
    area->SetTransparent(0, 100, 0xFF10A8FD);
    auto* solid = static_cast<CArea*>(dlg.CreateArea("CArea", 8, {150, 10, 190, 50}));
    solid->SetTransparent(0, 0, 0xFF202020);
    solid->SetFrame(true, 0xFFFFFFFF);
    dlg.AddButton(1, {10, 10, 80, 40}, 0xFF3060A0);
    dlg.AddButton(2, {60, 30, 130, 70}, 0x80FF8000);
    dlg.GetPaintManager().Invalidate();
    Platform::ProcessPending();
    cairo_surface_t* frame = head->Frame(dlg.GetSafeHwnd());
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(CompareWithReference(frame, "dialog_areas_and_buttons"), "");
    // The border colour frames the window, the inner colour fills it.
    EXPECT_TRUE(Near(head->Pixel(dlg.GetSafeHwnd(), {0, 0}), 0xFE575757u));
    EXPECT_TRUE(Near(head->Pixel(dlg.GetSafeHwnd(), {100, 5}), 0xFE050505u));
}

TEST_F(PaintTest, StretchedNineGridMatchesItsReferenceImage) {
    // A 24 x 24 framed tile with a diagonal gradient inside, stretched with insets 3, 5, 7, 2.
    cairo_surface_t* src = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 24, 24);
    cairo_t* cr = cairo_create(src);
    cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, 24, 24);
    cairo_pattern_add_color_stop_rgb(g, 0, 0.1, 0.6, 1.0);
    cairo_pattern_add_color_stop_rgb(g, 1, 0.9, 0.2, 0.1);
    cairo_set_source(cr, g);
    cairo_paint(cr);
    cairo_pattern_destroy(g);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.8);
    cairo_set_line_width(cr, 2);
    cairo_rectangle(cr, 1, 1, 22, 22);
    cairo_stroke(cr);
    cairo_destroy(cr);
    cairo_surface_t* dst = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 160, 90);
    cr = cairo_create(dst);
    MRender::DrawImageFrameMID(cr, src, {10, 10, 150, 80}, 0, 0, 24, 24, 3, 5, 7, 2);
    MRender::DrawImageFrame(cr, src, {0, 82, 160, 90}, 0, 0, 24, 24, 4);
    cairo_destroy(cr);
    EXPECT_EQ(CompareWithReference(dst, "nine_grid_stretch"), "");
    cairo_surface_destroy(dst);
    cairo_surface_destroy(src);
}

// The pixels of a rectangle of a window's last frame.
std::vector<uint32_t> Snapshot(HeadlessBackend* head, NativeWindow* w, const Rect& r) {
    std::vector<uint32_t> pixels;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            pixels.push_back(head->Pixel(w, {x, y}));
    return pixels;
}

TEST_F(PaintTest, ABackgroundPictureOverTheWholeWindowLeavesNothingOfTheLastFrame) {
    // Opaque except for a transparent top-left quarter: there a control that went away must
    // leave no trace, as if the window had been cleared first.
    cairo_surface_t* back = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 200, 120);
    cairo_t* cr = cairo_create(back);
    cairo_set_source_rgb(cr, 0.2, 0.4, 0.6);
    cairo_paint(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_rectangle(cr, 0, 0, 100, 60);
    cairo_fill(cr);
    cairo_destroy(cr);
    cairo_surface_write_to_png(back, (skin / "back.png").c_str());
    cairo_surface_destroy(back);

    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Open(200, 120));
    PaintManager& pm = dlg.GetPaintManager();
    for (int mode : {BackModeNormal, BackModeMID}) {
        SCOPED_TRACE(mode);
        pm.SetBackMode(mode, 4);
        // Pictures are named from the skin folder.
        ASSERT_TRUE(pm.LoadBKImage(fs::relative(skin / "back.png", Manager::GetSkinFolder())));
        ProbeButton* b = dlg.AddButton(1, {10, 10, 60, 40}, 0xFFFF0000);
        pm.Invalidate();
        Platform::ProcessPending();
        EXPECT_TRUE(Near(head->Pixel(dlg.GetSafeHwnd(), {30, 20}), 0xFFFF0000u));
        b->SetVisible(false, true);
        Platform::ProcessPending();
        EXPECT_TRUE(Near(head->Pixel(dlg.GetSafeHwnd(), {30, 20}), 0xFF000000u));
        EXPECT_TRUE(Near(head->Pixel(dlg.GetSafeHwnd(), {150, 100}), 0xFF336699u));
        pm.RemoveControl(b);
    }
}

TEST_F(PaintTest, CachedControlsShowEachChangeAndComeBackToTheSamePicture) {
    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Open(400, 200));
    NativeWindow* w = dlg.GetSafeHwnd();
    auto* combo = dynamic_cast<MComboBox*>(dlg.CreateControl("MComboBox", 10, {10, 10, 190, 40}));
    auto* slider = dynamic_cast<MSlider*>(dlg.CreateControl("MSlider", 11, {10, 60, 190, 90}));
    auto* spin =
        dynamic_cast<MSpinButton*>(dlg.CreateControl("MSpinButton", 12, {210, 10, 300, 40}));
    ASSERT_TRUE(combo && slider && spin);
    combo->AddItem("125 Hz");
    combo->AddItem("1000 Hz");
    combo->SetCurSel(0);
    spin->SetRange(0, 255);
    spin->SetCurValue(7);
    slider->SetProgress(2);
    dlg.GetPaintManager().Invalidate();
    Platform::ProcessPending();

    struct Case {
        const char* what;
        MControl* control;
        std::function<void()> change, back;
    };
    const Case cases[] = {
        {"selection", combo, [&] { combo->SetCurSel(1); }, [&] { combo->SetCurSel(0); }},
        {"item text", combo, [&] { combo->SetItemText(0, "250 Hz"); },
         [&] { combo->SetItemText(0, "125 Hz"); }},
        {"enabled", combo, [&] { combo->SetEnabled(false); }, [&] { combo->SetEnabled(true); }},
        {"slider value", slider, [&] { slider->SetProgress(8); }, [&] { slider->SetProgress(2); }},
        {"spin value", spin, [&] { spin->SetCurValue(200); }, [&] { spin->SetCurValue(7); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Rect r = c.control->GetRect();
        const auto before = Snapshot(head, w, r);
        c.change();
        // A plain repaint of the whole window, as another control's change would cause.
        dlg.GetPaintManager().Invalidate();
        Platform::ProcessPending();
        EXPECT_NE(Snapshot(head, w, r), before);
        c.back();
        dlg.GetPaintManager().Invalidate();
        Platform::ProcessPending();
        EXPECT_EQ(Snapshot(head, w, r), before);
    }
}

TEST_F(PaintTest, ImageListDrawsFramesAtItsSizeAndChecksIndices) {
    MImageList list(skin.string());
    EXPECT_EQ(list.AddImage("btn_apply.png", 4, 77), 0);
    EXPECT_EQ(list.AddImage("missing.png", 1, 78), -1);
    EXPECT_EQ(list.GetImagePathByID(77), "btn_apply.png");
    EXPECT_EQ(list.GetImagePath(3), "");
    EXPECT_EQ(list.GetItemImageData(-1), nullptr);
    list.SetDrawImgSize(10, 10);
    cairo_surface_t* dst = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 20, 20);
    cairo_t* cr = cairo_create(dst);
    list.DrawItemIcon(cr, {0, 0, 20, 20}, 0, 2);
    list.DrawItemIcon(cr, {0, 0, 20, 20}, 5, 0);
    cairo_destroy(cr);
    EXPECT_EQ(PixelAt(dst, 10, 10), 0xFFFF0000u);
    EXPECT_EQ(PixelAt(dst, 2, 2), 0u);
    cairo_surface_destroy(dst);
}

} // namespace
} // namespace TolvaTest

namespace TolvaTest {
namespace {

// The comparison itself: a changed pixel beyond the tolerance fails and leaves a diff image.
TEST(ReferenceCompareTest, ADifferenceBeyondTheToleranceFailsAndWritesADiff) {
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("tolva-ref-" + std::to_string(getpid()));
    const fs::path home = root / "bin";
    fs::create_directories(home);
    const char* oldSource = std::getenv("PIVANE_SOURCE_DIR");
    const char* oldHome = std::getenv("PIVANE_HOME");
    const std::string savedSource = oldSource ? oldSource : "";
    const std::string savedHome = oldHome ? oldHome : "";
    setenv("PIVANE_SOURCE_DIR", root.c_str(), 1);
    setenv("PIVANE_HOME", (home.string() + "/").c_str(), 1);

    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 8, 8);
    cairo_t* cr = cairo_create(s);
    cairo_set_source_rgb(cr, 0.2, 0.4, 0.6);
    cairo_paint(cr);
    setenv("TOLVA_UPDATE_REFERENCES", "1", 1);
    EXPECT_EQ(CompareWithReference(s, "probe"), "");
    unsetenv("TOLVA_UPDATE_REFERENCES");
    EXPECT_TRUE(fs::exists(root / "tests/ui/reference/probe.png"));
    EXPECT_EQ(CompareWithReference(s, "probe"), "");
    // Within the tolerance of 8 per channel.
    cairo_set_source_rgb(cr, 0.2 + 4 / 255.0, 0.4, 0.6);
    cairo_paint(cr);
    EXPECT_EQ(CompareWithReference(s, "probe"), "");
    cairo_set_source_rgb(cr, 1, 0, 0);
    cairo_rectangle(cr, 2, 2, 1, 1);
    cairo_fill(cr);
    const std::string result = CompareWithReference(s, "probe");
    EXPECT_NE(result.find("1 pixels differ"), std::string::npos) << result;
    EXPECT_TRUE(fs::exists(root / "tests/ui-diff/probe.png"));
    cairo_destroy(cr);
    cairo_surface_destroy(s);

    setenv("PIVANE_SOURCE_DIR", savedSource.c_str(), 1);
    setenv("PIVANE_HOME", savedHome.c_str(), 1);
    fs::remove_all(root);
}

} // namespace
} // namespace TolvaTest

#include "TolvaFixture.h"

#include "ui/paint/MRender.h"

#include <cairo.h>

#include <cstdlib>
#include <filesystem>

// fontconfig keeps its configuration and caches for the life of the process (GTK and pango never
// call FcFini): not leaks of ours. Read by LeakSanitizer in sanitizer builds only.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

namespace TolvaTest {
namespace {

// Run straight from the build tree (not through ctest), the suite still finds the program folder
// with the generated skin, which lives in bin/ rather than next to the test program.
class ProgramFolderEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
#ifdef TOLVA_TEST_PROGRAM_DIR
        if (const char* home = std::getenv("PIVANE_HOME"); !home || !*home)
            setenv("PIVANE_HOME", TOLVA_TEST_PROGRAM_DIR, 1);
#endif
    }
};
[[maybe_unused]] const auto* const programFolder =
    ::testing::AddGlobalTestEnvironment(new ProgramFolderEnvironment);

} // namespace

using namespace Tolva;

void ProbeButton::DrawControl(cairo_t* cr, const Rect& clip) {
    const Rect r = GetRect();
    if (UpdateMemDC(r.Width(), r.Height())) {
        ++redraws;
        cairo_t* mem = cairo_create(MemSurface());
        MRender::SetSourceARGB(mem, color_);
        cairo_paint(mem);
        cairo_destroy(mem);
    }
    BlitCache(cr, clip);
}

int ProbeButton::OnControlLButtonDown(unsigned, Point pt) {
    if (!PtInRect(pt)) return 0;
    pressed = true;
    SendMessageW(1, 0, 0);
    return 1;
}

int ProbeButton::OnControlLButtonUp(unsigned, Point pt) {
    const bool was = pressed;
    pressed = false;
    if (was && PtInRect(pt)) SendMessageW(2, 0, 0);
    return 1;
}

int ProbeButton::OnControlMouseMove(unsigned, Point pt) {
    moves.push_back(pt);
    hovering = PtInRect(pt);
    return hovering ? 1 : 0;
}

int ProbeButton::OnControlKeyDown(unsigned key, unsigned, unsigned) {
    keys.push_back(key);
    return 0;
}

bool ProbeDialog::Open(int width, int height) {
    if (!Create(nullptr, "Probe", WS_POPUP, 0, Rect{100, 100, 100 + width, 100 + height}))
        return false;
    GetPaintManager().SetPaintPause(0);
    ShowWindow(SW_SHOW);
    Platform::ProcessPending();
    return true;
}

ProbeButton* ProbeDialog::AddButton(unsigned id, const Rect& rect, uint32_t color) {
    return static_cast<ProbeButton*>(
        GetPaintManager().AddControl(std::make_unique<ProbeButton>(this, id, rect, color), 1));
}

void TolvaTest::SetUp() {
    ASSERT_TRUE(Platform::Init(BackendKind::Headless));
    head = Platform::Headless();
    ASSERT_NE(head, nullptr);
    head->SetManualPeriodicTimers(true);
}

void TolvaTest::TearDown() {
    Platform::Shutdown();
}

bool Near(uint32_t a, uint32_t b, int tolerance) {
    for (int s = 0; s < 32; s += 8)
        if (std::abs(int((a >> s) & 0xFF) - int((b >> s) & 0xFF)) > tolerance) return false;
    return true;
}

uint32_t PixelAt(cairo_surface_t* surface, int x, int y) {
    cairo_surface_flush(surface);
    const int w = cairo_image_surface_get_width(surface);
    const int h = cairo_image_surface_get_height(surface);
    if (x < 0 || y < 0 || x >= w || y >= h) return 0;
    const auto* row = reinterpret_cast<const uint32_t*>(
        cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface));
    const uint32_t p = row[x];
    const uint32_t a = p >> 24;
    if (a == 0) return 0;
    auto un = [a](uint32_t c) { return std::min<uint32_t>(255, (c * 255 + a / 2) / a); };
    return (a << 24) | (un((p >> 16) & 0xFF) << 16) | (un((p >> 8) & 0xFF) << 8) | un(p & 0xFF);
}

std::string CompareWithReference(cairo_surface_t* surface, const std::string& name, int tolerance) {
    namespace fs = std::filesystem;
    const char* source = std::getenv("PIVANE_SOURCE_DIR");
    const fs::path ref = fs::path(source ? source : ".") / "tests/ui/reference" / (name + ".png");
    const char* update = std::getenv("TOLVA_UPDATE_REFERENCES");
    if (update && std::string(update) == "1") {
        fs::create_directories(ref.parent_path());
        cairo_surface_write_to_png(surface, ref.c_str());
        return {};
    }
    cairo_surface_t* expected = cairo_image_surface_create_from_png(ref.c_str());
    if (cairo_surface_status(expected) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(expected);
        return "no reference image " + ref.string() + " (run with TOLVA_UPDATE_REFERENCES=1)";
    }
    const int w = cairo_image_surface_get_width(surface);
    const int h = cairo_image_surface_get_height(surface);
    if (cairo_image_surface_get_width(expected) != w ||
        cairo_image_surface_get_height(expected) != h) {
        cairo_surface_destroy(expected);
        return "size differs from " + ref.string();
    }
    cairo_surface_t* diff = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_surface_flush(diff);
    auto* d = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(diff));
    const int dstride = cairo_image_surface_get_stride(diff) / 4;
    int bad = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const uint32_t a = PixelAt(surface, x, y), b = PixelAt(expected, x, y);
            bool differs = false;
            for (int s = 0; s < 32; s += 8)
                differs =
                    differs || std::abs(int((a >> s) & 0xFF) - int((b >> s) & 0xFF)) > tolerance;
            d[y * dstride + x] = differs ? 0xFFFF0000 : (0x40000000 | ((a >> 2) & 0x003F3F3F));
            bad += differs;
        }
    }
    cairo_surface_mark_dirty(diff);
    std::string result;
    if (bad) {
        const char* build = std::getenv("PIVANE_HOME");
        const fs::path out = fs::path(build ? build : ".") / ".." / "tests" / "ui-diff";
        fs::create_directories(out);
        const fs::path file = out / (name + ".png");
        cairo_surface_write_to_png(diff, file.c_str());
        result = std::to_string(bad) + " pixels differ; diff image " + file.string();
    }
    cairo_surface_destroy(diff);
    cairo_surface_destroy(expected);
    return result;
}

} // namespace TolvaTest

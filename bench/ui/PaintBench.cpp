// Repaint cost of a 1200 x 720 dialog holding 100 controls on the headless back end: the whole
// window, and one control whose look changed.

#include "ui/core/MControlFont.h"
#include "ui/core/MDialog.h"
#include "ui/platform/HeadlessBackend.h"
#include "ui/platform/Platform.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

using namespace Tolva;

namespace {

// A skinned push button: the state frame drawn nine-grid and a centred title, kept in its cache.
class BenchButton : public MControlFont {
public:
    using MControlFont::MControlFont;
    void DrawControl(cairo_t* cr, const Rect& clip) override {
        const Rect r = GetRect();
        if (UpdateMemDC(r.Width(), r.Height())) {
            cairo_t* mem = cairo_create(MemSurface());
            cairo_translate(mem, -r.left, -r.top);
            DrawImageState(mem, state, r, 8);
            DrawTitle(mem, r, 0xFFFFFFFF);
            cairo_destroy(mem);
        }
        BlitCache(cr, clip);
    }
    int state = 0;
};

struct Scene {
    Scene() {
        Platform::Init(BackendKind::Headless);
        dialog = std::make_unique<MDialog>();
        dialog->Create(nullptr, "bench", WS_POPUP, 0, Rect{0, 0, 1200, 720});
        dialog->ShowWindow(SW_SHOW);
        PaintManager& pm = dialog->GetPaintManager();
        pm.SetPaintPause(0);
        pm.LoadBKImage("main_bkg.png");
        for (int i = 0; i < 100; ++i) {
            const int x = 20 + (i % 10) * 116, y = 20 + (i / 10) * 68;
            auto b = std::make_unique<BenchButton>(
                dialog.get(), 100 + i, Rect{x, y, x + 108, y + 40}, "Button " + std::to_string(i));
            b->SetAlignment(1, 1);
            auto* added = static_cast<BenchButton*>(pm.AddControl(std::move(b), 1));
            added->SetImage("btn_apply.png", 4);
            buttons.push_back(added);
        }
        Paint();
    }
    ~Scene() {
        dialog.reset();
        Platform::Shutdown();
    }
    void Paint() { Platform::ProcessPending(); }

    std::unique_ptr<MDialog> dialog;
    std::vector<BenchButton*> buttons;
};

Scene& TheScene() {
    static Scene scene;
    return scene;
}

void BM_FullRepaint(benchmark::State& state) {
    Scene& s = TheScene();
    for (auto _ : state) {
        s.dialog->GetPaintManager().Invalidate();
        s.Paint();
    }
}
BENCHMARK(BM_FullRepaint)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

void BM_FullRepaintRebuildingEveryCache(benchmark::State& state) {
    Scene& s = TheScene();
    for (auto _ : state) {
        for (BenchButton* b : s.buttons)
            b->SetUpdate(false, false);
        s.dialog->GetPaintManager().Invalidate();
        s.Paint();
    }
}
BENCHMARK(BM_FullRepaintRebuildingEveryCache)->Unit(benchmark::kMillisecond);

void BM_OneControlRepaint(benchmark::State& state) {
    Scene& s = TheScene();
    BenchButton* b = s.buttons[55];
    int n = 0;
    for (auto _ : state) {
        b->state = (++n) % 3;
        b->UpdateControl(true);
        s.Paint();
    }
}
BENCHMARK(BM_OneControlRepaint)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

} // namespace

int main(int argc, char** argv) {
    // The skin lives in the program folder beside the benchmarks' build folder.
    if (!std::getenv("PIVANE_HOME")) {
        char exe[4096];
        const ssize_t n = readlink("/proc/self/exe", exe, sizeof(exe) - 1);
        if (n > 0) {
            std::string dir(exe, static_cast<size_t>(n));
            dir.erase(dir.find_last_of('/'));
            setenv("PIVANE_HOME", (dir + "/../bin/").c_str(), 1);
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

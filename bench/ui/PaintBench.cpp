// Repaint cost of a 1200 x 720 dialog holding 100 of the library's controls, created by class
// name the way the program builds its pages, on the headless back end: the whole window, the
// whole window with every cache rebuilt, and one control whose look changed.

#include "ui/controls/CButtonBase.h"
#include "ui/controls/MComboBox.h"
#include "ui/controls/MEdit.h"
#include "ui/controls/MLevelCtrl.h"
#include "ui/controls/MPicture.h"
#include "ui/controls/MProgress.h"
#include "ui/controls/MSlider.h"
#include "ui/controls/MSpinButton.h"
#include "ui/controls/MText.h"
#include "ui/core/MDialog.h"
#include "ui/core/PaintManager.h"
#include "ui/platform/HeadlessBackend.h"
#include "ui/platform/Platform.h"
#include "ui/widgets/CColorButton.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

using namespace Tolva;

namespace {

// The classes of a typical page, in turn; each gets the content the program gives it.
const char* const kClasses[] = {"MButton",       "CCheckButton", "MText",        "MSlider",
                                "MComboBox",     "CRadioButton", "MProgress",    "MEdit",
                                "CSwitchButton", "MPicture",     "CTextButton",  "MLevelCtrl",
                                "CIconButton",   "MSpinButton",  "CColorButton", "CImageButton"};

void Configure(MControl* c, int i) {
    auto* font = dynamic_cast<MControlFont*>(c);
    if (font) font->SetFontWidth(10);
    if (auto* b = dynamic_cast<CButtonBase*>(c)) {
        b->SetAlignment(1, 1);
        const std::string cls = b->GetObjectClass();
        if (cls == "MButton" || cls == "CIconButton") b->SetImage("btn_apply.png", 4);
        if (cls == "CImageButton") b->SetImage("imgbtn_add.png", 4);
        if (auto* swatch = dynamic_cast<CColorButton*>(c)) swatch->SetColor(0x2080F0);
        if (cls == "CCheckButton" || cls == "CSwitchButton") b->SetCheck(i % 2 == 0);
    } else if (auto* t = dynamic_cast<MText*>(c)) {
        t->SetTitle("Report rate " + std::to_string(125 * (i % 8 + 1)) + " Hz");
    } else if (auto* s = dynamic_cast<MSlider*>(c)) {
        s->SetImage("img_slider_back.png", 1);
        s->SetThumbImage("img_thumb.png", 4);
        s->SetProgress(i % 10);
    } else if (auto* combo = dynamic_cast<MComboBox*>(c)) {
        combo->SetImage("img_combobox.png", 4);
        for (const char* rate : {"125 Hz", "500 Hz", "1000 Hz"})
            combo->AddItem(rate);
        combo->SetCurSel(i % 3);
    } else if (auto* p = dynamic_cast<MProgress*>(c)) {
        p->SetBackGroundImage("img_progress_bk.png");
        p->SetForeGroundImage("img_progress_fg.png");
        p->EnableShowText(true);
        p->SetProgress(i % 100);
    } else if (auto* e = dynamic_cast<MEdit*>(c)) {
        e->SetImage("img_edit.png", 4);
        e->SetEditText("Macro " + std::to_string(i));
    } else if (auto* pic = dynamic_cast<MPicture*>(c)) {
        pic->SetImage("icon\\bg_logo1.png");
    } else if (auto* l = dynamic_cast<MLevelCtrl*>(c)) {
        l->SetRangeValue(1, 5);
        l->SetLevelValue(i % 5 + 1);
    } else if (auto* spin = dynamic_cast<MSpinButton*>(c)) {
        spin->SetRange(0, 255);
        spin->SetCurValue(i);
    }
}

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
            const char* cls = kClasses[i % (sizeof(kClasses) / sizeof(kClasses[0]))];
            MControl* c = dialog->CreateControl(cls, 100 + i, Rect{x, y, x + 108, y + 40},
                                                std::string(cls) + " " + std::to_string(i));
            if (!c) continue;
            Configure(c, i);
            controls.push_back(c);
        }
        Paint();
    }
    ~Scene() {
        dialog.reset();
        Platform::Shutdown();
    }
    void Paint() { Platform::ProcessPending(); }

    std::unique_ptr<MDialog> dialog;
    std::vector<MControl*> controls;
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
    state.counters["controls"] = static_cast<double>(s.controls.size());
}
BENCHMARK(BM_FullRepaint)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

void BM_FullRepaintRebuildingEveryCache(benchmark::State& state) {
    Scene& s = TheScene();
    for (auto _ : state) {
        for (MControl* c : s.controls)
            c->SetUpdate(false, true);
        s.dialog->GetPaintManager().Invalidate();
        s.Paint();
    }
}
BENCHMARK(BM_FullRepaintRebuildingEveryCache)->Unit(benchmark::kMillisecond);

// A button going through its states: the cache holds them all, so only a copy is painted.
void BM_OneButtonStateRepaint(benchmark::State& state) {
    Scene& s = TheScene();
    auto* b = dynamic_cast<CButtonBase*>(s.dialog->GetControl(100));
    if (!b) {
        state.SkipWithError("no button");
        return;
    }
    int n = 0;
    for (auto _ : state) {
        b->ShowState((++n) % 3);
        s.Paint();
    }
}
BENCHMARK(BM_OneButtonStateRepaint)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

// A progress bar with a new value: its cache is drawn again, text included.
void BM_OneProgressValueRepaint(benchmark::State& state) {
    Scene& s = TheScene();
    auto* p = dynamic_cast<MProgress*>(s.dialog->GetControl(106));
    if (!p) {
        state.SkipWithError("no progress bar");
        return;
    }
    int n = 0;
    for (auto _ : state) {
        p->SetProgress((++n) % 100);
        s.Paint();
    }
}
BENCHMARK(BM_OneProgressValueRepaint)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

} // namespace

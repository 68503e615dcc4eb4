#include "ui/widgets/DPIControl.h"

#include "ui/controls/CCheckButton.h"
#include "ui/core/ControlFactory.h"
#include "ui/core/Manager.h"
#include "ui/core/PaintManager.h"
#include "ui/paint/CairoStateGuard.h"
#include "ui/paint/MRender.h"
#include "ui/paint/TextFit.h"
#include "ui/widgets/CColorButton.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace Tolva {
namespace {

constexpr uint32_t kWhite = 0xFFFFFFFF;

const ControlFactory::Registrar
    kRegistrar("DPIControl",
               [](MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                  bool visible, bool enabled) -> std::unique_ptr<MControl> {
                   return std::make_unique<DPIControl>(parent, id, rect, title, visible, enabled);
               });

Rect BoxRect(const Rect& r) {
    return {r.left, r.top + 30, r.left + 24, r.bottom};
}
Rect SwatchRect(const Rect& r) {
    return {r.right - 20, r.top + 35, r.right, r.bottom - 5};
}
Rect LevelRect(const Rect& r) {
    return {r.left + 2, r.top + 35, r.right - 22, r.bottom - 5};
}
Rect CaptionRect(const Rect& r) {
    return {r.left, r.top + 15, r.right, r.top + 35};
}
Rect ValueRect(const Rect& r) {
    return {r.left + 5, r.top + 36, r.right - 30, r.bottom - 8};
}

} // namespace

DPIControl::DPIControl(MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                       bool visible, bool enabled)
    : MPanel(parent, id, rect, title, visible, enabled) {
    SetFontWidth(13);
    SetImageCount(2);
    box_ = static_cast<CCheckButton*>(
        AddChild(std::make_unique<CCheckButton>(this, kEnableBoxId, BoxRect(rect)), 1));
    box_->SetCheck(true);
    swatch_ = static_cast<CColorButton*>(
        AddChild(std::make_unique<CColorButton>(this, kSwatchId, SwatchRect(rect)), 1));
    swatch_->SetColor(color_);
    swatch_->SetControlCheck(true);
    // The children lie inside the level; they never make the panel scroll.
    SetEnableScroll(false);
}

DPIControl::~DPIControl() {
    std::lock_guard guard(valueLock_);
    if (edit_ && edit_->GetListener() == this) edit_->SetListener(nullptr);
}

void DPIControl::InitControl(PaintManager* manager) {
    if (!manager) return;
    if (!GetImage()) MPanel::SetImage("img_dpi_level.png", 2);
    if (box_ && !box_->GetImage()) box_->SetImage("btn_checkbox.png", 8);
}

void DPIControl::PlaceChildren(const Rect& r) {
    if (box_) box_->SetRect(BoxRect(r));
    if (swatch_) swatch_->SetRect(SwatchRect(r));
}

void DPIControl::SetControlRect(const Rect& rect) {
    MPanel::SetControlRect(rect);
    PlaceChildren(rect);
}

Rect DPIControl::GetTextRect() const {
    return ValueRect(GetRect());
}

Rect DPIControl::GetLevelRect() const {
    return LevelRect(GetRect());
}

void DPIControl::DrawControl(cairo_t* cr, const Rect& clip) {
    const Rect r = GetRect();
    const int w = r.Width(), h = r.Height();
    if (w <= 0 || h <= 0) return;
    // Both looks side by side: a change of the active level only copies the other half.
    if (UpdateMemDC(2 * w, h)) {
        cairo_t* mem = cairo_create(MemSurface());
        const Rect local{0, 0, w, h};
        const std::string value = GetTitleEx();
        for (int state = 0; state < 2; ++state) {
            CairoStateGuard guard(mem);
            cairo_translate(mem, state * w, 0);
            cairo_rectangle(mem, 0, 0, w, h);
            cairo_clip(mem);
            DrawImageState(mem, state, LevelRect(local), 4);
            TextStyle caption = MakeTextStyle(kWhite);
            caption.hAlign = TextStyle::Center;
            caption.vAlign = TextStyle::Center;
            caption.multiLine = false;
            const std::string title = GetTitle();
            FitOneLine(caption, title, CaptionRect(local).Width(), 8);
            MRender::DrawTextW(mem, CaptionRect(local), title, caption);
            TextStyle number = MakeTextStyle(kWhite);
            number.hAlign = TextStyle::Center;
            number.vAlign = TextStyle::Center;
            number.size += 3;
            number.color = state == 1 ? Manager::GetSelectColor() : kWhite;
            // The value shares its row with the enabled box: it goes right of the box and
            // shrinks until every digit shows.
            Rect valueBox = ValueRect(local);
            valueBox.left =
                std::min(valueBox.right, std::max(valueBox.left, BoxRect(local).right + 2));
            FitOneLine(number, value, valueBox.Width(), 7);
            MRender::DrawTextW(mem, valueBox, value, number);
        }
        cairo_destroy(mem);
    }
    const Rect part = r.Intersect(clip);
    if (part.IsEmpty() || !MemSurface()) return;
    CairoStateGuard guard(cr);
    cairo_rectangle(cr, part.left, part.top, part.Width(), part.Height());
    cairo_clip(cr);
    cairo_set_source_surface(cr, MemSurface(), r.left - (checkState_ == 1 ? w : 0), r.top);
    cairo_paint(cr);
}

int DPIControl::OnControlSetCursor(unsigned, Point pt) {
    SetCursorEx(LevelRect(GetRect()).Contains(pt) ? "hand" : "arrow");
    return 1;
}

int DPIControl::OnControlMouseMove(unsigned, Point pt) {
    // Taking the move makes this level its page's hover child, so presses reach it.
    return PtInRect(pt) ? 1 : 0;
}

int DPIControl::OnControlLButtonDown(unsigned, Point pt) {
    if (!LevelRect(GetRect()).Contains(pt)) return 0;
    pressed_ = true;
    // The pressed level keeps its own state until the application makes it active.
    ResetGroupCheck();
    SendMessageW(1, 0, 3);
    return 1;
}

int DPIControl::OnControlLButtonUp(unsigned, Point pt) {
    const bool was = pressed_;
    pressed_ = false;
    if (!was || !LevelRect(GetRect()).Contains(pt)) return was ? 1 : 0;
    SendMessageW(2, 0, 3);
    return 1;
}

LRESULT DPIControl::OnBaseMessage(unsigned id, int code, WPARAM wparam, LPARAM lparam) {
    if (id == kEnableBoxId) {
        if (checkState_ != 1) ResetGroupCheck();
        SendMessageW(code, 0, 1);
    } else if (id == kSwatchId) {
        SendMessageW(code, 0, 2);
    }
    return MPanel::OnBaseMessage(id, code, wparam, lparam);
}

void DPIControl::OnEditChanged(NativeEdit&) {
    SendMessageW(26, 0, 0);
}

void DPIControl::OnEditFocusLost(NativeEdit&) {
    SendMessageW(29, 0, 0);
}

void DPIControl::SetDPIValue(int value) {
    if (value_.exchange(value) == value) return;
    {
        std::lock_guard guard(valueLock_);
        if (edit_ && edit_->IsVisible()) edit_->SetText(std::to_string(value));
    }
    if (IsVisible()) UpdateControl(true);
}

int DPIControl::GetDPIValue() {
    std::string text;
    {
        std::lock_guard guard(valueLock_);
        if (!edit_ || !edit_->IsVisible()) return value_;
        text = edit_->GetText();
    }
    // Only a whole number in the edit replaces the value; anything else keeps the old one.
    errno = 0;
    char* end = nullptr;
    const long n = std::strtol(text.c_str(), &end, 10);
    if (!text.empty() && end && *end == '\0' && errno == 0 && n >= 0 && n <= 1000000) {
        if (value_.exchange(static_cast<int>(n)) != n && IsVisible()) UpdateControl(true);
    }
    return value_;
}

void DPIControl::SetColor(uint32_t colorRef) {
    color_ = colorRef & 0xFFFFFF;
    if (swatch_) swatch_->SetColor(color_);
}

uint32_t DPIControl::GetColor() const {
    return swatch_ ? swatch_->GetColor() : color_.load();
}

void DPIControl::StoreCheckState(int state) {
    if (checkState_.exchange(state) == state) return;
    // The cache holds both looks: no rebuild is needed.
    if (IsVisible()) UpdateControl(false);
}

void DPIControl::SetCheckState(int state) {
    if (state != 0 && state != 1) return;
    if (checkState_ == state) return;
    ResetGroupCheck();
    StoreCheckState(state);
}

int DPIControl::SetCheck(bool on) {
    if (!box_) return 0;
    if (box_->IsEnabled()) box_->SetCheck(on);
    return box_->GetCheck() ? 1 : 0;
}

int DPIControl::GetCheck() const {
    return box_ && box_->GetCheck() ? 1 : 0;
}

void DPIControl::ResetGroupCheck() {
    const std::string group = GetGroupName();
    std::vector<MControl*> siblings;
    if (MControl* parent = GetParentControl())
        siblings = parent->GetControls();
    else if (manager_)
        siblings = manager_->GetControls();
    for (MControl* c : siblings) {
        if (c == this || !c->IsClass("DPIControl")) continue;
        auto* level = static_cast<DPIControl*>(c);
        if (level->GetGroupName() == group) level->StoreCheckState(0);
    }
}

void DPIControl::SetGroupName(const std::string& name) {
    std::lock_guard guard(valueLock_);
    group_ = name;
}

std::string DPIControl::GetGroupName() const {
    std::lock_guard guard(valueLock_);
    return group_;
}

std::string DPIControl::GetTitleEx() const {
    return std::to_string(value_.load());
}

void DPIControl::SetEditWindow(NativeEdit* edit) {
    std::lock_guard guard(valueLock_);
    if (edit_ && edit_->GetListener() == this) edit_->SetListener(nullptr);
    edit_ = edit;
    if (!edit_) return;
    edit_->SetListener(this);
    edit_->SetColors(0x00FDA810, 0x141414);
    edit_->SetNumberOnly(true);
}

} // namespace Tolva

#include "ui/controls/MSpinButton.h"

#include "ui/core/ControlFactory.h"
#include "ui/core/PaintManager.h"
#include "ui/paint/CairoStateGuard.h"
#include "ui/paint/MRender.h"
#include "ui/paint/PictureKey.h"
#include "ui/platform/Platform.h"
#include "ui/platform/VirtualKeys.h"

#include <algorithm>
#include <climits>

namespace Tolva {
namespace {

const ControlFactory::Registrar
    kRegistrar("MSpinButton",
               [](MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                  bool visible, bool enabled) -> std::unique_ptr<MControl> {
                   return std::make_unique<MSpinButton>(parent, id, rect, title, visible, enabled);
               });

constexpr int kButtonWidth = 16;

uint32_t ToColorRef(uint32_t argb) {
    return ((argb & 0xFF) << 16) | (argb & 0xFF00) | ((argb >> 16) & 0xFF);
}

// Digits only; nothing, or more than fits, keeps the old value.
bool ParseValue(const std::string& text, int& out) {
    if (text.empty()) return false;
    long long v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
        if (v > INT_MAX) return false;
    }
    out = static_cast<int>(v);
    return true;
}

} // namespace

MSpinButton::MSpinButton(MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                         bool visible, bool enabled)
    : MPanel(parent, id, rect, title, visible, enabled) {
    SetTabStop(true);
    SetEnableScroll(false);
}

MSpinButton::~MSpinButton() {
    if (edit_) {
        edit_->SetListener(nullptr);
        edit_->Show(false);
    }
}

void MSpinButton::InitControl(PaintManager* manager) {
    MPanel::InitControl(manager);
    if (!manager) return;
    if (const ImgResInfo* up = manager->AddImgResInfo("img_spin_up.png", 4)) {
        upImage_ = up->image;
        buttonFrame_ = {up->frameWidth, up->height};
    }
    if (const ImgResInfo* down = manager->AddImgResInfo("img_spin_down.png", 4))
        downImage_ = down->image;
}

Rect MSpinButton::UpButtonRect() const {
    const Rect r = GetRect();
    return {r.right - kButtonWidth, r.top, r.right, r.top + r.Height() / 2};
}

Rect MSpinButton::DownButtonRect() const {
    const Rect r = GetRect();
    return {r.right - kButtonWidth, r.top + r.Height() / 2, r.right, r.bottom};
}

Rect MSpinButton::FieldRect() const {
    const Rect r = GetRect();
    return {r.left, r.top, r.right - kButtonWidth - 2, r.bottom};
}

int MSpinButton::ButtonAt(Point pt) const {
    if (UpButtonRect().Contains(pt)) return 1;
    if (DownButtonRect().Contains(pt)) return 2;
    return 0;
}

void MSpinButton::SetCurValue(int value) {
    value = std::clamp<int>(value, min_, max_);
    if (value == value_) return;
    value_ = value;
    UpdateControl(true);
}

void MSpinButton::SetRange(int minimum, int maximum) {
    if (minimum > maximum) std::swap(minimum, maximum);
    min_ = minimum;
    max_ = maximum;
    value_ = std::clamp<int>(value_, min_, max_);
    UpdateControl(true);
}

void MSpinButton::SetLimitLength(int digits) {
    limit_ = std::max(0, digits);
    if (edit_) edit_->SetLimit(limit_);
}

int MSpinButton::Step(int delta) {
    const long long next =
        std::clamp<long long>(static_cast<long long>(value_) + delta, min_.load(), max_.load());
    if (next == value_) return value_;
    value_ = static_cast<int>(next);
    UpdateControl(true);
    SendMessageW(28, static_cast<WPARAM>(value_.load()), 0);
    return value_;
}

void MSpinButton::SetControlVisible(bool visible) {
    if (!visible) CloseEdit(true);
    MPanel::SetControlVisible(visible);
}

void MSpinButton::SetControlEnabled(bool enabled) {
    if (!enabled) CloseEdit(true);
    MPanel::SetControlEnabled(enabled);
    pressedButton_ = hoverButton_ = 0;
}

void MSpinButton::SetControlRect(const Rect& rect) {
    CloseEdit(true);
    MPanel::SetControlRect(rect);
}

int MSpinButton::OnControlMouseMove(unsigned, Point pt) {
    hovering_ = PtInRect(pt);
    const int b = ButtonAt(pt);
    if (b != hoverButton_) {
        hoverButton_ = b;
        UpdateControl(true);
    }
    SetCursorEx(b ? "hand" : hovering_ ? "ibeam" : "arrow");
    return hovering_ ? 1 : 0;
}

int MSpinButton::OnControlLButtonDown(unsigned, Point pt) {
    if (!PtInRect(pt)) return 0;
    const int b = ButtonAt(pt);
    if (b == 0) {
        ShowEdit();
        return 1;
    }
    CloseEdit(true);
    pressedButton_ = b;
    UpdateControl(true);
    Step(b == 1 ? 1 : -1);
    return 1;
}

int MSpinButton::OnControlLButtonUp(unsigned, Point) {
    if (!pressedButton_) return 0;
    pressedButton_ = 0;
    UpdateControl(true);
    return 1;
}

int MSpinButton::OnControlKeyDown(unsigned key, unsigned, unsigned) {
    // Every control is offered every key: only the one in use takes the arrows.
    if (!IsFocused() && !IsFocusControl() && !hovering_) return 0;
    if (key == VK_UP || key == VK_RIGHT) {
        Step(1);
        return 1;
    }
    if (key == VK_DOWN || key == VK_LEFT) {
        Step(-1);
        return 1;
    }
    return 0;
}

int MSpinButton::OnControlScroll(int delta, unsigned, Point pt) {
    if (!PtInRect(pt) || delta == 0) return 0;
    Step(delta > 0 ? 1 : -1);
    return 1;
}

bool MSpinButton::IsEditShown() const {
    return edit_ && edit_->IsVisible();
}

bool MSpinButton::ShowEdit() {
    if (!IsEnabled() || !manager_ || !manager_->GetHwnd()) return false;
    if (IsEditShown()) return true;
    if (!edit_) {
        edit_ = Platform::CreateEdit(manager_->GetHwnd());
        if (!edit_) return false;
        edit_->SetListener(this);
    }
    Rect box = FieldRect().Inflate(-4, -3);
    for (const MControl* p = GetParentControl(); p; p = p->GetParentControl())
        if (const auto* panel = dynamic_cast<const MPanel*>(p))
            box = box.Offset(-panel->ScrollOffset().x, -panel->ScrollOffset().y);
    edit_->SetRect(box);
    edit_->SetNumberOnly(true);
    edit_->SetLimit(limit_);
    edit_->SetAlignment(1);
    edit_->SetColors(ToColorRef(GetTextColor()), 0x080808);
    edit_->SetFont(GetFontFamily(GetTextFont()), GetFontWidth(), false);
    edit_->SetText(std::to_string(value_.load()));
    edit_->Show(true);
    edit_->SelectAll();
    edit_->SetFocus();
    UpdateControl(true);
    return true;
}

void MSpinButton::CloseEdit(bool commit) {
    if (!IsEditShown()) return;
    const std::string text = edit_->GetText();
    edit_->Show(false);
    UpdateControl(true);
    int typed = 0;
    if (commit && ParseValue(text, typed))
        Step(static_cast<int>(
            std::clamp<long long>(static_cast<long long>(typed), min_.load(), max_.load()) -
            value_));
}

void MSpinButton::OnEditFocusLost(NativeEdit&) {
    CloseEdit(true);
}

bool MSpinButton::OnEditKey(NativeEdit&, int virtualKey) {
    if (virtualKey == VK_RETURN || virtualKey == VK_TAB) {
        CloseEdit(true);
        return true;
    }
    if (virtualKey == VK_ESCAPE) {
        CloseEdit(false);
        return true;
    }
    if (virtualKey == VK_UP || virtualKey == VK_DOWN) {
        CloseEdit(true);
        Step(virtualKey == VK_UP ? 1 : -1);
        return true;
    }
    return false;
}

void MSpinButton::DrawControl(cairo_t* target, const Rect& clip) {
    const Rect field = FieldRect();
    PictureKey key;
    key.Add(GetRect()).Add(field).Add(UpButtonRect()).Add(DownButtonRect()).Add(IsEnabled());
    key.Add(GetImage().get()).Add(GetImageCount()).Add(hovering_).Add(hoverButton_);
    key.Add(pressedButton_).Add(upImage_.get()).Add(downImage_.get()).Add(buttonFrame_.cx);
    key.Add(buttonFrame_.cy).Add(IsEditShown()).Add(value_.load());
    key.Add(MakeTextStyle(GetTextColor()));
    DrawThroughCache(target, clip, key.Str(), [&](cairo_t* cr) {
        if (GetImage())
            DrawImageState(cr, IsEnabled() ? (hovering_ ? 1 : 0) : std::min(3, GetImageCount() - 1),
                           field, 5);
        else
            MRender::DrawRoundRectange(
                cr, field.left, field.top, field.Width() - 1, field.Height() - 1, 4,
                hovering_ && IsEnabled() ? 0xFF10A8FD : 0xFF3A3F47, 1, true, 0xFF1B1F25);
        auto button = [&](const std::shared_ptr<Image>& image, const Rect& box, int which) {
            const int state = !IsEnabled()              ? 3
                              : pressedButton_ == which ? 2
                              : hoverButton_ == which   ? 1
                                                        : 0;
            if (image && buttonFrame_.cx > 0) {
                const int frames = std::max(1, image->Width() / buttonFrame_.cx);
                const int f = std::min(state, frames - 1);
                MRender::DrawImageFrame(cr, image->Surface(0), box, f * buttonFrame_.cx, 0,
                                        buttonFrame_.cx, buttonFrame_.cy,
                                        std::min(3, box.Height() / 2));
            } else {
                MRender::DrawColor(cr, box.Inflate(0, -1), state == 2 ? 0xFF15191E : 0xFF2B3038);
            }
        };
        button(upImage_, UpButtonRect(), 1);
        button(downImage_, DownButtonRect(), 2);
        if (IsEditShown()) return;
        TextStyle style = MakeTextStyle(IsEnabled() ? GetTextColor() : 0xFF808080);
        style.hAlign = TextStyle::Center;
        style.vAlign = TextStyle::Center;
        if (!style.family.empty())
            MRender::DrawTextW(cr, field, std::to_string(value_.load()), style);
    });
}

} // namespace Tolva

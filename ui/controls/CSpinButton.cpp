#include "ui/controls/CSpinButton.h"

#include "ui/controls/ControlCreator.h"
#include "ui/core/PaintManager.h"
#include "ui/paint/MRender.h"
#include "ui/platform/VirtualKeys.h"

#include <algorithm>
#include <climits>
#include <string>

namespace Tolva {
namespace {

const ControlFactory::Registrar kRegistrar("CSpinButton", TitledCreator<CSpinButton>());

constexpr int kButtonWidth = 16;

// An optional minus and digits that fit an int; anything else is no number.
bool ParseValue(const std::string& text, int& out) {
    size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (negative) i = 1;
    if (i >= text.size()) return false;
    long long v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        v = v * 10 + (text[i] - '0');
        if (v > static_cast<long long>(INT_MAX) + 1) return false;
    }
    v = negative ? -v : v;
    if (v < INT_MIN || v > INT_MAX) return false;
    out = static_cast<int>(v);
    return true;
}

int Digits(long long v) {
    int n = v < 0 ? 2 : 1;
    for (v = v < 0 ? -v : v; v >= 10; v /= 10)
        ++n;
    return n;
}

} // namespace

CSpinButton::CSpinButton(MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                         bool visible, bool enabled)
    : MRichEdit(parent, id, rect, {}, visible, enabled) {
    SetMultiLine(false);
    int v = 0;
    if (ParseValue(title, v)) value_ = std::clamp(v, min_, max_);
    ApplyRules();
    ShowValue();
}

void CSpinButton::InitControl(PaintManager* manager) {
    MRichEdit::InitControl(manager);
    if (!manager) return;
    if (const ImgResInfo* up = manager->AddImgResInfo("img_spin_up.png", 4)) {
        upImage_ = up->image;
        upFrames_ = std::max(1, up->image->Width() / std::max(1, up->frameWidth));
    }
    if (const ImgResInfo* down = manager->AddImgResInfo("img_spin_down.png", 4)) {
        downImage_ = down->image;
        downFrames_ = std::max(1, down->image->Width() / std::max(1, down->frameWidth));
    }
}

void CSpinButton::ApplyRules() {
    const bool negative = min_ < 0;
    EditModel().SetCharFilter(
        [negative](char32_t c) { return (c >= '0' && c <= '9') || (negative && c == '-'); });
    SetLimitText(std::max(Digits(min_), Digits(max_)));
}

void CSpinButton::ShowValue() {
    SetText(std::to_string(value_));
}

void CSpinButton::SetCurValue(int value) {
    value_ = std::clamp(value, min_, max_);
    ShowValue();
}

void CSpinButton::SetRange(int minimum, int maximum) {
    if (minimum > maximum) std::swap(minimum, maximum);
    min_ = minimum;
    max_ = maximum;
    ApplyRules();
    SetCurValue(value_);
}

int CSpinButton::Step(int delta) {
    const long long next =
        std::clamp<long long>(static_cast<long long>(value_) + delta, min_, max_);
    // Typed text not yet taken is replaced by the stepped value.
    const bool textStale = GetText() != std::to_string(value_);
    if (next == value_) {
        if (textStale) ShowValue();
        return value_;
    }
    value_ = static_cast<int>(next);
    ShowValue();
    SendMessageW(28, static_cast<WPARAM>(value_), 0);
    return value_;
}

void CSpinButton::CommitText() {
    int typed = 0;
    if (!ParseValue(GetText(), typed)) {
        ShowValue();
        return;
    }
    const int next = std::clamp(typed, min_, max_);
    const bool changed = next != value_;
    value_ = next;
    ShowValue();
    if (changed) SendMessageW(28, static_cast<WPARAM>(value_), 0);
}

Rect CSpinButton::UpButtonRect() const {
    const Rect r = GetRect();
    const int h = upImage_ ? upImage_->Height() : 12;
    const int mid = r.top + r.Height() / 2;
    return {r.right - kButtonWidth - 4, mid - h, r.right - 4, mid};
}

Rect CSpinButton::DownButtonRect() const {
    const Rect r = GetRect();
    const int h = downImage_ ? downImage_->Height() : 12;
    const int mid = r.top + r.Height() / 2;
    return {r.right - kButtonWidth - 4, mid, r.right - 4, mid + h};
}

Rect CSpinButton::TextBox() const {
    Rect box = MRichEdit::TextBox();
    box.right = std::max(box.left, UpButtonRect().left - 4);
    return box;
}

int CSpinButton::ButtonAt(Point pt) const {
    if (UpButtonRect().Contains(pt)) return 1;
    if (DownButtonRect().Contains(pt)) return 2;
    return 0;
}

void CSpinButton::DrawDecoration(cairo_t* cr, const Rect&) {
    const Rect r = GetRect();
    auto draw = [&](const std::shared_ptr<Image>& image, int frames, const Rect& place, int which) {
        const int frame = !IsEnabled()              ? 3
                          : pressedButton_ == which ? 2
                          : hoverButton_ == which   ? 1
                                                    : 0;
        const Rect local = place.Offset(-r.left, -r.top);
        if (!image) {
            MRender::DrawColor(cr, local, frame == 1 ? 0xFF343B45 : 0xFF262C34);
            return;
        }
        const int w = image->Width() / frames;
        MRender::DrawImagePart(cr, image->Surface(0), local, std::min(frame, frames - 1) * w, 0, w,
                               image->Height());
    };
    draw(upImage_, upFrames_, UpButtonRect(), 1);
    draw(downImage_, downFrames_, DownButtonRect(), 2);
}

int CSpinButton::OnControlMouseMove(unsigned flags, Point pt) {
    const int b = ButtonAt(pt);
    if (b != hoverButton_) {
        hoverButton_ = b;
        UpdateControl(true);
    }
    return MRichEdit::OnControlMouseMove(flags, pt);
}

int CSpinButton::OnControlLButtonDown(unsigned flags, Point pt) {
    const int b = ButtonAt(pt);
    if (!b) return MRichEdit::OnControlLButtonDown(flags, pt);
    pressedButton_ = b;
    Step(b == 1 ? 1 : -1);
    UpdateControl(true);
    return 1;
}

int CSpinButton::OnControlLButtonUp(unsigned flags, Point pt) {
    if (!pressedButton_) return MRichEdit::OnControlLButtonUp(flags, pt);
    pressedButton_ = 0;
    UpdateControl(true);
    return 1;
}

int CSpinButton::OnControlKeyDown(unsigned key, unsigned repeat, unsigned modifiers) {
    if (!IsFocused()) return 0;
    if (key == VK_UP || key == VK_DOWN) {
        Step(key == VK_UP ? 1 : -1);
        return 1;
    }
    if (key == VK_RETURN) {
        CommitText();
        return 1;
    }
    return MRichEdit::OnControlKeyDown(key, repeat, modifiers);
}

int CSpinButton::OnControlScroll(int delta, unsigned, Point pt) {
    if (!PtInRect(pt) || delta == 0) return 0;
    Step(delta > 0 ? 1 : -1);
    return 1;
}

void CSpinButton::SetControlFocus(bool focus) {
    if (!focus && IsFocused()) CommitText();
    MRichEdit::SetControlFocus(focus);
}

} // namespace Tolva

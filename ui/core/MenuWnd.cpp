#include "ui/core/MenuWnd.h"

#include "ui/controls/MenuItem.h"
#include "ui/paint/MRender.h"

#include <algorithm>

namespace Tolva {

MenuWnd::MenuWnd(NativeWindow* owner, Point screen, uint32_t messageId,
                 const std::string& background, int backModeValue, int width, int backMode)
    : owner_(owner), at_(screen), messageId_(messageId), background_(background),
      backModeValue_(backModeValue), backMode_(backMode), width_(width) {}

MenuItem* MenuWnd::AddMenu(const std::string& text, unsigned itemId, const std::string& iconFile) {
    const int top = GetHeight();
    auto* item = static_cast<MenuItem*>(manager_.AddControl(
        std::make_unique<MenuItem>(this, itemId, Rect{0, top, width_, top + kItemHeight}, text),
        1));
    if (!iconFile.empty()) item->SetImage(iconFile, 4);
    // The menu grows to fit the widest text plus the icon margin.
    TextStyle style;
    style.family = item->GetFontFamily(item->GetTextFont());
    style.size = item->GetFontWidth();
    width_ = std::max(width_, MRender::GetTextBounds(style, text).cx + kLeftMargin + 4);
    entries_.push_back(Entry{text, itemId, iconFile, false, item});
    Layout();
    return item;
}

void MenuWnd::AddSeparator() {
    entries_.push_back(Entry{{}, 0, {}, true, nullptr});
    Layout();
}

int MenuWnd::GetHeight() const {
    int h = 0;
    for (const Entry& e : entries_) {
        if (e.separator)
            h += kSeparatorHeight;
        else if (e.control && e.control->IsVisible())
            h += kItemHeight;
    }
    return h;
}

void MenuWnd::Layout() {
    int top = 0;
    for (Entry& e : entries_) {
        if (e.separator) {
            top += kSeparatorHeight;
            continue;
        }
        if (!e.control || !e.control->IsVisible()) continue;
        e.control->SetRect(Rect{0, top, width_, top + kItemHeight});
        top += kItemHeight;
    }
    if (hwnd_) {
        const Rect r = hwnd_->GetWindowRect();
        hwnd_->SetWindowRect({r.left, r.top, r.left + width_, r.top + std::max(top, 1)});
    }
}

MenuItem* MenuWnd::GetItem(const std::string& text) const {
    for (const Entry& e : entries_)
        if (!e.separator && e.text == text) return e.control;
    return nullptr;
}

void MenuWnd::SetPosition(Point screen) {
    at_ = screen;
    if (hwnd_) {
        const Rect r = hwnd_->GetWindowRect();
        hwnd_->SetWindowRect(r.Offset(screen.x - r.left, screen.y - r.top));
    }
}

bool MenuWnd::SetItemTitle(const std::string& text, const std::string& newText) {
    for (Entry& e : entries_) {
        if (e.separator || e.text != text || !e.control) continue;
        e.text = newText;
        e.control->SetTitle(newText);
        return true;
    }
    return false;
}

bool MenuWnd::SetItemVisible(const std::string& text, bool visible) {
    MenuItem* c = GetItem(text);
    if (!c) return false;
    c->SetVisible(visible);
    Layout();
    return true;
}

bool MenuWnd::SetItemEnable(const std::string& text, bool enable) {
    MenuItem* c = GetItem(text);
    if (!c) return false;
    c->SetEnabled(enable);
    return true;
}

bool MenuWnd::SetItemCheck(const std::string& text, bool check) {
    MenuItem* c = GetItem(text);
    if (!c) return false;
    c->SetCheck(check);
    return true;
}

NativeWindow* MenuWnd::Show() {
    const Rect r{at_.x, at_.y, at_.x + width_, at_.y + std::max(GetHeight(), 1)};
    NativeWindow* w = CreatePopup(owner_, r, nullptr);
    if (!w) return nullptr;
    ShowWindow(SW_SHOW);
    return w;
}

void MenuWnd::InitUI(const Rect& rect) {
    if (!background_.empty()) {
        LoadBKImage(background_);
        SetBackMode(backMode_, backModeValue_);
    }
}

LRESULT MenuWnd::OnBaseMessage(unsigned id, int code, WPARAM wparam, LPARAM lparam) {
    // An item also reports its press (7); only the click is a choice, so one opening of the
    // menu makes at most one.
    if (code != 2) return 1;
    if (owner_ && Platform::IsWindow(owner_))
        Platform::PostMessage(owner_, messageId_, wparam, static_cast<LPARAM>(id));
    CloseWindow();
    return 1;
}

} // namespace Tolva

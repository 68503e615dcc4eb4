#include "ui/controls/MRichEdit.h"

#include "ui/controls/ControlCreator.h"
#include "ui/core/PaintManager.h"
#include "ui/paint/CairoStateGuard.h"
#include "ui/paint/FontRegistry.h"
#include "ui/paint/MRender.h"
#include "ui/platform/Platform.h"
#include "ui/platform/VirtualKeys.h"

#include <gdk/gdk.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace Tolva {
namespace {

const ControlFactory::Registrar kRegistrar("MRichEdit", TitledCreator<MRichEdit>());

constexpr int kBarWidth = 4;

bool ShiftDown() {
    return Platform::IsKeyDown(VK_SHIFT);
}

bool ControlDown() {
    return Platform::IsKeyDown(VK_CONTROL);
}

} // namespace

MRichEdit::MRichEdit(MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                     bool visible, bool enabled)
    : MPanel(parent, id, rect, {}, visible, enabled) {
    SetTabStop(true);
    // The text scrolls by itself; the panel's own bars stay out of it.
    SetEnableScroll(false);
    selectionColor_ = 0xFF10A8FD;
    model_.SetText(title);
}

MRichEdit::~MRichEdit() {
    SetTextInput(false);
    if (manager_ && manager_->GetCurrentCaretObject() == this) manager_->ShowCaret(false);
    FreeLayout();
    if (context_) g_object_unref(context_);
}

void MRichEdit::FreeLayout() {
    if (layout_) g_object_unref(layout_);
    layout_ = nullptr;
    layoutDirty_ = true;
}

// ---- text operations ----

void MRichEdit::SetText(const std::string& text) {
    model_.SetText(text);
    scrollX_ = scrollY_ = 0;
    Changed(true);
}

void MRichEdit::SetControlTitle(const std::string& text) {
    SetText(text);
}

std::string MRichEdit::GetControlTitle() const {
    return model_.GetText();
}

void MRichEdit::SetTextColor(uint32_t argb) {
    MPanel::SetTextColor(argb);
    layoutDirty_ = true;
}

int MRichEdit::InsertText(int pos, const std::string& text, bool canUndo) {
    const int n = model_.InsertText(pos, text, canUndo);
    if (n > 0) Changed(true);
    return n;
}

int MRichEdit::AppendText(const std::string& text, bool canUndo) {
    const int n = model_.AppendText(text, canUndo);
    if (n > 0) Changed(true);
    return n;
}

void MRichEdit::SetSel(int start, int end) {
    model_.SetSel(start, end);
    desiredX_ = -1;
    Changed(false);
}

int MRichEdit::ReplaceSel(const std::string& text, bool canUndo) {
    const uint64_t before = model_.Revision();
    const int n = model_.ReplaceSel(text, canUndo);
    Changed(model_.Revision() != before);
    return n;
}

bool MRichEdit::Undo() {
    if (!model_.Undo()) return false;
    Changed(true);
    return true;
}

bool MRichEdit::Redo() {
    if (!model_.Redo()) return false;
    Changed(true);
    return true;
}

bool MRichEdit::Copy() {
    // A password never leaves the editor.
    if (password_ || !model_.HasSelection()) return false;
    return Platform::SetClipboardText(model_.GetSelText());
}

bool MRichEdit::Cut() {
    if (password_ || model_.IsReadOnly() || !model_.HasSelection()) return false;
    if (!Platform::SetClipboardText(model_.GetSelText())) return false;
    model_.Cut();
    Changed(true);
    return true;
}

bool MRichEdit::Paste() {
    if (model_.IsReadOnly()) return false;
    std::string text;
    if (!Platform::GetClipboardText(text)) return false;
    const uint64_t before = model_.Revision();
    model_.Paste(text);
    Changed(model_.Revision() != before);
    return true;
}

bool MRichEdit::Clear() {
    if (!model_.HasSelection()) return false;
    if (model_.Erase(true, false) <= 0) return false;
    Changed(true);
    return true;
}

void MRichEdit::SetReadOnly(bool on) {
    model_.SetReadOnly(on);
    if (IsFocused()) SetTextInput(!on && !password_);
    UpdateControl(true);
}

void MRichEdit::SetPassword(bool on) {
    password_ = on;
    if (IsFocused()) SetTextInput(!on && !model_.IsReadOnly());
    layoutDirty_ = true;
    Changed(false);
}

void MRichEdit::SetPasswordChar(char32_t c) {
    if (c < 0x20 || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return;
    passwordChar_ = c;
    layoutDirty_ = true;
    Changed(false);
}

void MRichEdit::SetMultiLine(bool on) {
    model_.SetMultiLine(on);
    scrollX_ = scrollY_ = 0;
    layoutDirty_ = true;
    Changed(false);
}

void MRichEdit::SetNumberOnly(bool on) {
    if (on)
        model_.SetCharFilter([](char32_t c) { return c >= '0' && c <= '9'; });
    else
        model_.SetCharFilter(nullptr);
}

void MRichEdit::SetBkColor(uint32_t argb) {
    bkColor_ = argb;
    UpdateControl(true);
}

void MRichEdit::SetBorderColor(uint32_t normal, uint32_t focused) {
    borderColor_ = normal;
    focusBorderColor_ = focused;
    UpdateControl(true);
}

void MRichEdit::SetSelectionColor(uint32_t argb) {
    selectionColor_ = argb;
    UpdateControl(true);
}

void MRichEdit::SetTextPadding(int left, int top, int right, int bottom) {
    padLeft_ = std::max(0, left);
    padTop_ = std::max(0, top);
    padRight_ = std::max(0, right);
    padBottom_ = std::max(0, bottom);
    layoutDirty_ = true;
    Changed(false);
}

void MRichEdit::SetTipText(const std::string& text, uint32_t argb) {
    tipText_ = text;
    tipColor_ = argb;
    UpdateControl(true);
}

void MRichEdit::Changed(bool textChanged) {
    if (textChanged) layoutDirty_ = true;
    EnsureCaretVisible();
    UpdateCaret();
    UpdateControl(true);
    if (textChanged) OnTextChanged();
}

// ---- layout ----

Rect MRichEdit::TextBox() const {
    const Rect r = GetRect();
    Rect box{r.left + padLeft_, r.top + padTop_, r.right - padRight_, r.bottom - padBottom_};
    if (box.right < box.left) box.right = box.left;
    if (box.bottom < box.top) box.bottom = box.top;
    return box;
}

void MRichEdit::EnsureLayout() {
    const Rect box = TextBox();
    const int width = model_.IsMultiLine() ? std::max(1, box.Width()) : -1;
    const std::string fontName = GetTextFont();
    if (fontName != layoutFontName_ || GetFontWidth() != layoutFontSize_ ||
        GetFontStyle() != layoutFontStyle_) {
        ClearGDIFont();
        layoutFontName_ = fontName;
        layoutFontSize_ = GetFontWidth();
        layoutFontStyle_ = GetFontStyle();
        layoutDirty_ = true;
    }
    if (layout_ && !layoutDirty_ && layoutRevision_ == model_.Revision() && layoutWidth_ == width)
        return;
    if (!context_) context_ = pango_font_map_create_context(FontRegistry::Instance().FontMap());
    if (!layout_) layout_ = pango_layout_new(context_);
    pango_layout_set_font_description(layout_, GetGDIFont());

    // What is shown: the text or its mask, with the pre-edit string at the caret.
    const std::u32string& text = model_.Text();
    std::u32string shown = password_ ? std::u32string(text.size(), passwordChar_) : text;
    const int caret = model_.GetCaret();
    if (!preedit_.empty()) shown.insert(static_cast<size_t>(caret), preedit_);
    byteOf_.assign(shown.size() + 1, 0);
    std::string utf8;
    utf8.reserve(shown.size());
    for (size_t i = 0; i < shown.size(); ++i) {
        byteOf_[i] = static_cast<int>(utf8.size());
        utf8 += TextEditModel::Encode(shown, i, 1);
    }
    byteOf_[shown.size()] = static_cast<int>(utf8.size());
    pango_layout_set_text(layout_, utf8.c_str(), static_cast<int>(utf8.size()));

    PangoAttrList* attrs = pango_attr_list_new();
    if (!preedit_.empty()) {
        PangoAttribute* u = pango_attr_underline_new(PANGO_UNDERLINE_SINGLE);
        u->start_index = static_cast<guint>(byteOf_[caret]);
        u->end_index = static_cast<guint>(byteOf_[caret + preedit_.size()]);
        pango_attr_list_insert(attrs, u);
    }
    pango_layout_set_attributes(layout_, attrs);
    pango_attr_list_unref(attrs);
    if (width > 0) {
        pango_layout_set_width(layout_, width * PANGO_SCALE);
        pango_layout_set_wrap(layout_, PANGO_WRAP_WORD_CHAR);
    } else {
        pango_layout_set_width(layout_, -1);
    }
    pango_layout_set_single_paragraph_mode(layout_, !model_.IsMultiLine());
    layoutWidth_ = width;
    layoutRevision_ = model_.Revision();
    layoutDirty_ = false;
}

int MRichEdit::DisplayIndex(int modelPos) const {
    if (!preedit_.empty() && modelPos > model_.GetCaret())
        return modelPos + static_cast<int>(preedit_.size());
    return modelPos;
}

int MRichEdit::ByteOfDisplay(int displayPos) const {
    if (byteOf_.empty()) return 0;
    return byteOf_[std::clamp<size_t>(static_cast<size_t>(std::max(0, displayPos)), 0,
                                      byteOf_.size() - 1)];
}

int MRichEdit::ModelFromByte(int byte) const {
    const auto it = std::lower_bound(byteOf_.begin(), byteOf_.end(), byte);
    int display = static_cast<int>(it - byteOf_.begin());
    const int caret = model_.GetCaret();
    const int pre = static_cast<int>(preedit_.size());
    if (pre > 0 && display > caret) display = display >= caret + pre ? display - pre : caret;
    return std::clamp(display, 0, model_.GetLength());
}

int MRichEdit::CaretByte() const {
    return ByteOfDisplay(model_.GetCaret() + (preedit_.empty() ? 0 : preeditCursor_));
}

Point MRichEdit::LayoutOrigin() {
    EnsureLayout();
    const Rect r = GetRect();
    const Rect box = TextBox();
    int y = box.top - r.top - scrollY_;
    if (!model_.IsMultiLine()) {
        // One line sits in the middle of the box.
        PangoRectangle logical;
        pango_layout_get_pixel_extents(layout_, nullptr, &logical);
        y = box.top - r.top + (box.Height() - logical.height) / 2;
    }
    return {box.left - r.left - scrollX_, y};
}

Rect MRichEdit::CaretLocal() {
    EnsureLayout();
    const Point o = LayoutOrigin();
    PangoRectangle strong;
    pango_layout_get_cursor_pos(layout_, CaretByte(), &strong, nullptr);
    const int x = o.x + PANGO_PIXELS(strong.x);
    const int y = o.y + PANGO_PIXELS(strong.y);
    return {x, y, x + 1, y + std::max(1, PANGO_PIXELS(strong.height))};
}

void MRichEdit::ClampScroll() {
    EnsureLayout();
    PangoRectangle logical;
    pango_layout_get_pixel_extents(layout_, nullptr, &logical);
    const Rect box = TextBox();
    if (model_.IsMultiLine()) {
        scrollX_ = 0;
        scrollY_ = std::clamp(scrollY_, 0, std::max(0, logical.height - box.Height()));
    } else {
        scrollY_ = 0;
        scrollX_ = std::clamp(scrollX_, 0, std::max(0, logical.width + 1 - box.Width()));
    }
}

void MRichEdit::EnsureCaretVisible() {
    const Rect r = GetRect();
    const Rect box = TextBox().Offset(-r.left, -r.top);
    const Rect c = CaretLocal();
    if (model_.IsMultiLine()) {
        if (c.top < box.top) scrollY_ -= box.top - c.top;
        if (c.bottom > box.bottom) scrollY_ += c.bottom - box.bottom;
    } else {
        if (c.left < box.left) scrollX_ -= box.left - c.left;
        if (c.right > box.right) scrollX_ += c.right - box.right;
    }
    ClampScroll();
}

Point MRichEdit::WindowOrigin() const {
    const Rect r = GetRect();
    Point p{r.left, r.top};
    for (const MControl* c = GetParentControl(); c; c = c->GetParentControl())
        if (const auto* panel = dynamic_cast<const MPanel*>(c)) {
            const Point off = panel->ScrollOffset();
            p.x -= off.x;
            p.y -= off.y;
        }
    return p;
}

Rect MRichEdit::GetCaretRect() {
    const Rect r = GetRect();
    return CaretLocal().Offset(r.left, r.top);
}

void MRichEdit::UpdateCaret() {
    if (!manager_ || !IsFocused()) return;
    const Rect r = GetRect();
    const Rect box = TextBox().Offset(-r.left, -r.top);
    const Rect c = CaretLocal();
    const Point o = WindowOrigin();
    if (manager_->GetCurrentCaretObject() != this) manager_->CreateCaret(this, 1, c.Height());
    const bool inside = c.bottom > box.top && c.top < box.bottom && c.left >= box.left - 1 &&
                        c.left <= box.right && IsParentVisible() && IsEnabled();
    if (manager_->GetCaret().GetRect().Height() != c.Height())
        manager_->CreateCaret(this, 1, c.Height());
    manager_->SetCaretPos({o.x + c.left, o.y + c.top});
    if (manager_->GetCaret().IsShown() != inside) manager_->ShowCaret(inside);
    if (textInput_ && manager_->GetHwnd())
        manager_->GetHwnd()->SetTextInputRect(c.Offset(o.x, o.y));
}

void MRichEdit::SetTextInput(bool on) {
    if (textInput_ == on) return;
    textInput_ = on;
    if (manager_ && manager_->GetHwnd() && Platform::IsWindow(manager_->GetHwnd()))
        manager_->GetHwnd()->SetTextInput(on);
    if (!on && !preedit_.empty()) {
        preedit_.clear();
        layoutDirty_ = true;
    }
}

int MRichEdit::CharFromPos(Point pt) {
    EnsureLayout();
    const Rect r = GetRect();
    const Point o = LayoutOrigin();
    // A point far outside the editor must not overflow once made relative and scaled.
    auto scaled = [](long long v) {
        return static_cast<int>(std::clamp<long long>(v * PANGO_SCALE, INT_MIN, INT_MAX));
    };
    int index = 0, trailing = 0;
    pango_layout_xy_to_index(layout_, scaled(0LL + pt.x - r.left - o.x),
                             scaled(0LL + pt.y - r.top - o.y), &index, &trailing);
    int pos = ModelFromByte(index);
    // The right half of a character puts the caret after it.
    if (trailing > 0) pos = std::min(pos + trailing, model_.GetLength());
    return pos;
}

int MRichEdit::GetLineCount() {
    EnsureLayout();
    return pango_layout_get_line_count(layout_);
}

int MRichEdit::LineFromChar(int pos) {
    EnsureLayout();
    int line = 0, x = 0;
    pango_layout_index_to_line_x(
        layout_, ByteOfDisplay(DisplayIndex(std::clamp(pos, 0, model_.GetLength()))), 0, &line, &x);
    return line;
}

int MRichEdit::GetFirstVisibleLine() {
    EnsureLayout();
    int index = 0, trailing = 0;
    pango_layout_xy_to_index(layout_, 0, scrollY_ * PANGO_SCALE, &index, &trailing);
    int line = 0, x = 0;
    pango_layout_index_to_line_x(layout_, index, 0, &line, &x);
    return line;
}

bool MRichEdit::LineScroll(int lines, int chars) {
    EnsureLayout();
    const int oldX = scrollX_, oldY = scrollY_;
    PangoRectangle logical;
    pango_layout_get_pixel_extents(layout_, nullptr, &logical);
    const int count = std::max(1, pango_layout_get_line_count(layout_));
    const int lineHeight = std::max(1, logical.height / count);
    // Large requests saturate instead of overflowing.
    const long long dy = static_cast<long long>(std::clamp(lines, -100000, 100000)) * lineHeight;
    const long long dx =
        static_cast<long long>(std::clamp(chars, -100000, 100000)) * std::max(1, lineHeight / 2);
    if (model_.IsMultiLine())
        scrollY_ = static_cast<int>(std::clamp<long long>(scrollY_ + dy, 0, 1 << 28));
    else
        scrollX_ = static_cast<int>(std::clamp<long long>(scrollX_ + dx, 0, 1 << 28));
    ClampScroll();
    if (oldX == scrollX_ && oldY == scrollY_) return false;
    UpdateCaret();
    UpdateControl(true);
    return true;
}

// ---- drawing ----

void MRichEdit::DrawBackground(cairo_t* cr, const Rect& local) {
    if (GetImage()) {
        const int frames = GetImageCount();
        const int frame = !IsEnabled() ? 3 : IsFocused() ? 2 : hover_ ? 1 : 0;
        DrawImageState(cr, std::min(frame, frames - 1), local, 4);
        return;
    }
    MRender::DrawColor(cr, local, bkColor_);
    MRender::DrawRectangle(cr, local, IsFocused() ? focusBorderColor_ : borderColor_, 1);
}

void MRichEdit::DrawControl(cairo_t* cr, const Rect& clip) {
    const Rect r = GetRect();
    if (UpdateMemDC(r.Width(), r.Height())) {
        cairo_t* mem = cairo_create(MemSurface());
        const Rect local{0, 0, r.Width(), r.Height()};
        DrawBackground(mem, local);
        const Rect box = TextBox().Offset(-r.left, -r.top);
        EnsureLayout();
        const Point o = LayoutOrigin();
        {
            CairoStateGuard guard(mem);
            cairo_rectangle(mem, box.left, box.top, box.Width(), box.Height());
            cairo_clip(mem);
            int s = 0, e = 0;
            model_.GetSel(s, e);
            if (s != e) {
                const gint range[2] = {ByteOfDisplay(DisplayIndex(s)),
                                       ByteOfDisplay(DisplayIndex(e))};
                cairo_region_t* region =
                    gdk_pango_layout_get_clip_region(layout_, o.x, o.y, range, 1);
                gdk_cairo_region(mem, region);
                cairo_region_destroy(region);
                const uint32_t sel =
                    IsFocused() ? selectionColor_ : (selectionColor_ & 0x00FFFFFF) | 0x70000000;
                MRender::SetSourceARGB(mem, sel);
                cairo_fill(mem);
            }
            const uint32_t color = IsEnabled() ? GetTextColor() : 0xFF808080;
            if (model_.GetLength() == 0 && preedit_.empty() && !tipText_.empty()) {
                PangoLayout* tip = pango_layout_copy(layout_);
                pango_layout_set_text(tip, tipText_.c_str(), static_cast<int>(tipText_.size()));
                pango_layout_set_attributes(tip, nullptr);
                MRender::SetSourceARGB(mem, tipColor_);
                cairo_move_to(mem, o.x, o.y);
                pango_cairo_show_layout(mem, tip);
                g_object_unref(tip);
            }
            MRender::SetSourceARGB(mem, color);
            cairo_move_to(mem, o.x, o.y);
            pango_cairo_show_layout(mem, layout_);
        }
        if (model_.IsMultiLine()) {
            // A thin bar tells how much of a long text is in view.
            PangoRectangle logical;
            pango_layout_get_pixel_extents(layout_, nullptr, &logical);
            if (logical.height > box.Height() && box.Height() > 0) {
                const int track = box.Height();
                const int thumb = std::max(8, track * box.Height() / logical.height);
                const int top =
                    (track - thumb) * scrollY_ / std::max(1, logical.height - box.Height());
                MRender::DrawRoundRectange(mem, r.Width() - kBarWidth - 1, box.top + top, kBarWidth,
                                           thumb, 2, 0xFF5A6270, 1, true, 0xFF5A6270);
            }
        }
        DrawDecoration(mem, local);
        cairo_destroy(mem);
    }
    BlitCache(cr, clip);
}

// ---- state ----

void MRichEdit::SetControlFocus(bool focus) {
    MPanel::SetControlFocus(focus);
    model_.BreakUndoGroup();
    if (focus) {
        SetTextInput(!model_.IsReadOnly() && !password_);
        UpdateCaret();
    } else {
        SetTextInput(false);
        selecting_ = false;
        if (manager_ && manager_->GetCurrentCaretObject() == this) manager_->ShowCaret(false);
    }
    UpdateControl(true);
}

void MRichEdit::SetControlRect(const Rect& rect) {
    MPanel::SetControlRect(rect);
    layoutDirty_ = true;
    if (IsFocused()) UpdateCaret();
}

void MRichEdit::SetControlVisible(bool visible) {
    MPanel::SetControlVisible(visible);
    if (!visible && manager_ && manager_->GetCurrentCaretObject() == this)
        manager_->ShowCaret(false);
}

void MRichEdit::SetControlEnabled(bool enabled) {
    MPanel::SetControlEnabled(enabled);
    if (!enabled) {
        SetTextInput(false);
        if (manager_ && manager_->GetCurrentCaretObject() == this) manager_->ShowCaret(false);
    }
}

// ---- input ----

void MRichEdit::TakeImeText(LPARAM what) {
    NativeWindow* w = manager_ ? manager_->GetHwnd() : nullptr;
    if (!w) return;
    if (what & GCS_RESULTSTR) {
        std::string text;
        if (w->TakeImeResult(text)) {
            preedit_.clear();
            layoutDirty_ = true;
            const uint64_t before = model_.Revision();
            model_.Type(text);
            Changed(model_.Revision() != before);
        }
    }
    if (what & GCS_COMPSTR) {
        int cursor = 0;
        std::u32string pre = TextEditModel::Decode(w->GetImePreedit(&cursor));
        // Line breaks have no place in a pre-edit string.
        std::erase_if(pre, [](char32_t c) { return c < 0x20; });
        preedit_ = std::move(pre);
        preeditCursor_ = std::clamp(cursor, 0, static_cast<int>(preedit_.size()));
        layoutDirty_ = true;
        Changed(false);
    }
}

LRESULT MRichEdit::OnWindowMessage(unsigned msg, WPARAM wparam, LPARAM lparam) {
    if (!IsFocused() || !IsEnabled() || !IsParentVisible()) return 0;
    if (msg == WM_CHAR) {
        const auto ch = static_cast<char32_t>(wparam);
        // Control characters come with their key (Return, Backspace, Tab) and are handled there.
        if (ch < 0x20 || ch == 0x7F || ch > 0x10FFFF) return 0;
        if (ControlDown() && !Platform::IsKeyDown(VK_MENU)) return 0;
        const uint64_t before = model_.Revision();
        model_.Type(TextEditModel::Encode(std::u32string(1, ch)));
        Changed(model_.Revision() != before);
        return 1;
    }
    if (msg == WM_IME_COMPOSITION) {
        if (!textInput_) return 0;
        TakeImeText(lparam);
        return 1;
    }
    if (msg == WM_IME_STARTCOMPOSITION || msg == WM_IME_ENDCOMPOSITION) return textInput_ ? 1 : 0;
    return 0;
}

int MRichEdit::OnControlSetCursor(unsigned, Point pt) {
    if (PtInRect(pt)) SetCursorEx("ibeam");
    return 0;
}

int MRichEdit::OnControlMouseMove(unsigned flags, Point pt) {
    const bool inside = PtInRect(pt);
    if (inside != hover_) {
        hover_ = inside;
        if (GetImage()) UpdateControl(true);
    }
    if (selecting_ && (flags & MK_LBUTTON)) {
        const int pos = CharFromPos(pt);
        if (pos != model_.GetCaret()) {
            model_.MoveCaret(pos, true);
            Changed(false);
        }
        return 1;
    }
    return inside ? 1 : 0;
}

int MRichEdit::OnControlLButtonDown(unsigned, Point pt) {
    if (!PtInRect(pt)) return 0;
    if (manager_ && !IsFocused()) manager_->SetFocusControl(this);
    const int pos = CharFromPos(pt);
    const uint64_t now = Platform::NowMs();
    const bool doubleClick =
        lastPressPos_ == pos && now - lastPressMs_ <= Platform::GetDoubleClickTime();
    lastPressMs_ = doubleClick ? 0 : now;
    lastPressPos_ = doubleClick ? -1 : pos;
    if (doubleClick) {
        int from = 0, to = 0;
        model_.WordAt(pos, from, to);
        model_.SetSel(from, to);
        selecting_ = false;
    } else {
        model_.MoveCaret(pos, ShiftDown());
        selecting_ = true;
    }
    desiredX_ = -1;
    pressedInside_ = true;
    Changed(false);
    SendMessageW(1, 0, 0);
    return 1;
}

int MRichEdit::OnControlLButtonUp(unsigned, Point pt) {
    const bool was = pressedInside_;
    selecting_ = false;
    pressedInside_ = false;
    if (was && PtInRect(pt)) SendMessageW(2, 0, 0);
    return was ? 1 : 0;
}

int MRichEdit::OnControlScroll(int delta, unsigned, Point pt) {
    if (!model_.IsMultiLine()) return 0;
    const int steps = delta / WHEEL_DELTA;
    return LineScroll(steps == 0 ? (delta > 0 ? -1 : 1) : -3 * steps) ? 1 : 0;
}

void MRichEdit::MoveVertically(int lines, bool extend) {
    EnsureLayout();
    int line = 0, x = 0;
    pango_layout_index_to_line_x(layout_, CaretByte(), 0, &line, &x);
    if (desiredX_ < 0) desiredX_ = x;
    const int count = pango_layout_get_line_count(layout_);
    const int target = std::clamp(line + lines, 0, std::max(0, count - 1));
    int pos = model_.GetCaret();
    if (target == line) {
        pos = lines < 0 ? 0 : model_.GetLength();
    } else if (PangoLayoutLine* l = pango_layout_get_line_readonly(layout_, target)) {
        int index = 0, trailing = 0;
        pango_layout_line_x_to_index(l, desiredX_, &index, &trailing);
        pos = ModelFromByte(index);
        // A trailing edge on a wrapped line's end stays on that line.
        if (trailing > 0 && target < count - 1) {
            PangoLayoutLine* next = pango_layout_get_line_readonly(layout_, target + 1);
            if (!next || index + 1 < next->start_index)
                pos = std::min(pos + trailing, model_.GetLength());
        } else if (trailing > 0) {
            pos = std::min(pos + trailing, model_.GetLength());
        }
    }
    const int keepX = desiredX_;
    model_.MoveCaret(pos, extend);
    desiredX_ = keepX;
    Changed(false);
}

int MRichEdit::OnControlKeyDown(unsigned key, unsigned, unsigned) {
    if (!IsFocused()) return 0;
    const bool shift = ShiftDown();
    const bool ctrl = ControlDown();
    if (Platform::IsKeyDown(VK_MENU)) return 0;
    const bool multi = model_.IsMultiLine();
    const int caret = model_.GetCaret();
    int s = 0, e = 0;
    model_.GetSel(s, e);
    auto move = [&](int pos) {
        model_.MoveCaret(pos, shift);
        desiredX_ = -1;
        Changed(false);
        return 1;
    };
    auto edited = [&](uint64_t before) {
        desiredX_ = -1;
        Changed(model_.Revision() != before);
        return 1;
    };
    const uint64_t rev = model_.Revision();
    switch (key) {
    case VK_LEFT:
        if (!shift && s != e && !ctrl) return move(s);
        return move(ctrl ? model_.WordLeft(caret) : caret - 1);
    case VK_RIGHT:
        if (!shift && s != e && !ctrl) return move(e);
        return move(ctrl ? model_.WordRight(caret) : caret + 1);
    case VK_UP:
    case VK_DOWN:
        if (!multi) return 0;
        MoveVertically(key == VK_UP ? -1 : 1, shift);
        return 1;
    case VK_PRIOR:
    case VK_NEXT: {
        if (!multi) return 0;
        EnsureLayout();
        const int lines = std::max(1, GetLineCount());
        PangoRectangle logical;
        pango_layout_get_pixel_extents(layout_, nullptr, &logical);
        const int perPage = std::max(1, TextBox().Height() * lines / std::max(1, logical.height));
        MoveVertically(key == VK_PRIOR ? -perPage : perPage, shift);
        return 1;
    }
    case VK_HOME:
        return move(ctrl || !multi ? 0 : model_.LineStart(caret));
    case VK_END:
        return move(ctrl || !multi ? model_.GetLength() : model_.LineEnd(caret));
    case VK_BACK:
        model_.Erase(false, ctrl);
        return edited(rev);
    case VK_DELETE:
        if (shift) {
            Cut();
            return 1;
        }
        model_.Erase(true, ctrl);
        return edited(rev);
    case VK_INSERT:
        if (ctrl) Copy();
        if (shift) Paste();
        return 1;
    case VK_RETURN:
        if (!multi) return 0;
        model_.Type("\n");
        return edited(rev);
    case VK_TAB:
    case VK_ESCAPE:
        return 0;
    default:
        break;
    }
    if (ctrl) {
        switch (key) {
        case 'A':
            model_.SelectAll();
            Changed(false);
            return 1;
        case 'C':
            Copy();
            return 1;
        case 'X':
            Cut();
            return 1;
        case 'V':
            Paste();
            return 1;
        case 'Z':
            if (shift)
                Redo();
            else
                Undo();
            return 1;
        case 'Y':
            Redo();
            return 1;
        default:
            return 0;
        }
    }
    // Keys that type come back as characters; nobody else may take them as hot keys meanwhile.
    const bool typing = key == VK_SPACE || (key >= '0' && key <= '9') ||
                        (key >= 'A' && key <= 'Z') || (key >= VK_NUMPAD0 && key <= VK_DIVIDE) ||
                        (key >= VK_OEM_1 && key <= VK_OEM_3) ||
                        (key >= VK_OEM_4 && key <= VK_OEM_102);
    return typing ? 1 : 0;
}

} // namespace Tolva

#include "ui/platform/HeadlessEdit.h"

#include "ui/platform/VirtualKeys.h"

namespace Tolva {

namespace {
int CodePoints(const std::string& s) {
    int n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}
} // namespace

void HeadlessEdit::SetText(const std::string& text) {
    NativeEdit::SetText(text);
    selFrom_ = selTo_ = CodePoints(text_);
}

void HeadlessEdit::Show(bool show) {
    NativeEdit::Show(show);
    if (!show && focused_) focused_ = false; // hiding drops the focus without a report
}

void HeadlessEdit::SetFocus() {
    if (visible_) focused_ = true;
}

void HeadlessEdit::SelectAll() {
    selFrom_ = 0;
    selTo_ = CodePoints(text_);
}

void HeadlessEdit::Type(const std::string& text) {
    if (!visible_) return;
    focused_ = true;
    std::string next = FilterEdit(text_, selFrom_, selTo_, text);
    int before = CodePoints(text_);
    int removed = selTo_ - selFrom_;
    int inserted = CodePoints(next) - (before - removed);
    selFrom_ = selTo_ = selFrom_ + inserted;
    if (next == text_) return;
    text_ = next;
    if (listener_) listener_->OnEditChanged(*this);
}

void HeadlessEdit::Key(int virtualKey) {
    if (!visible_) return;
    if (listener_ && listener_->OnEditKey(*this, virtualKey)) return;
    if (virtualKey == VK_BACK && !readOnly_) {
        if (selFrom_ == selTo_ && selFrom_ > 0) --selFrom_;
        std::string next = FilterEdit(text_, selFrom_, selTo_, "");
        selTo_ = selFrom_;
        if (next != text_) {
            text_ = next;
            if (listener_) listener_->OnEditChanged(*this);
        }
    }
}

void HeadlessEdit::LoseFocus() {
    if (!focused_) return;
    focused_ = false;
    if (listener_) listener_->OnEditFocusLost(*this);
}

} // namespace Tolva

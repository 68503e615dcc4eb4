#include "ui/controls/MEdit.h"

#include "ui/controls/ControlCreator.h"
#include "ui/controls/TextEditModel.h"
#include "ui/core/MPanel.h"
#include "ui/core/Manager.h"
#include "ui/core/PaintManager.h"
#include "ui/paint/FontRegistry.h"
#include "ui/paint/MRender.h"
#include "ui/platform/Platform.h"
#include "ui/platform/VirtualKeys.h"

#include <algorithm>

namespace Tolva {
namespace {

const ControlFactory::Registrar kRegistrar("MEdit", TitledCreator<MEdit>());

uint32_t ToColorRef(uint32_t argb) {
    return ((argb & 0xFF) << 16) | (argb & 0xFF00) | ((argb >> 16) & 0xFF);
}

} // namespace

MEdit::MEdit(MObject* parent, unsigned id, const Rect& rect, const std::string& title, bool visible,
             bool enabled)
    : MControlFont(parent, id, rect, {}, visible, enabled), text_(title) {
    SetTabStop(true);
}

MEdit::~MEdit() {
    if (edit_) {
        edit_->SetListener(nullptr);
        edit_->Show(false);
    }
}

Rect MEdit::ToWindow(const Rect& r) const {
    Rect out = r;
    for (const MControl* c = GetParentControl(); c; c = c->GetParentControl())
        if (const auto* panel = dynamic_cast<const MPanel*>(c)) {
            const Point off = panel->ScrollOffset();
            out = out.Offset(-off.x, -off.y);
        }
    return out;
}

Rect MEdit::GetIconRect() const {
    const Rect r = GetRect();
    if (!iconRect_.IsEmpty()) return iconRect_.Offset(r.left, r.top);
    if (!icon_) return {};
    const int w = icon_->Width() / std::max(1, iconFrames_);
    const int h = icon_->Height();
    const int left = r.right - 6 - w;
    const int top = r.top + (r.Height() - h) / 2;
    return {left, top, left + w, top + h};
}

Rect MEdit::GetTextRect() const {
    const Rect r = GetRect();
    return textRect_.IsEmpty() ? Rect{} : textRect_.Offset(r.left, r.top);
}

Rect MEdit::TextArea() const {
    if (!textRect_.IsEmpty()) return GetTextRect();
    const Rect r = GetRect();
    Rect box{r.left + 6, r.top + 2, r.right - 6, r.bottom - 2};
    const Rect icon = GetIconRect();
    if (!icon.IsEmpty() && icon.left > box.left) box.right = std::max(box.left, icon.left - 4);
    return box;
}

std::string MEdit::ShownText() const {
    if (!password_) return text_;
    return TextEditModel::Encode(
        std::u32string(TextEditModel::Decode(text_).size(), passwordChar_));
}

void MEdit::DrawControl(cairo_t* cr, const Rect& clip) {
    const Rect r = GetRect();
    if (UpdateMemDC(r.Width(), r.Height())) {
        cairo_t* mem = cairo_create(MemSurface());
        const Rect local{0, 0, r.Width(), r.Height()};
        if (GetImage()) {
            const int frame = !IsEnabled() ? 3 : editing_ ? 2 : hover_ ? 1 : 0;
            DrawImageState(mem, std::min(frame, GetImageCount() - 1), local, 4);
        } else {
            MRender::FillSolidRect(mem, local, bkColor_);
            MRender::DrawRectangle(mem, local, editing_ ? Manager::GetSelectColor() : 0xFF3A3F47,
                                   1);
        }
        const Rect box = TextArea().Offset(-r.left, -r.top);
        // The open box shows the text itself.
        if (!editing_) {
            const bool tip = text_.empty() && !tip_.empty();
            TextStyle style = MakeTextStyle(!IsEnabled() ? 0xFF808080
                                            : tip        ? tipColor_
                                                         : GetTextColor());
            style.vAlign = IsMultiLine() ? TextStyle::Near : TextStyle::Center;
            style.ellipsis = !IsMultiLine();
            if (!style.family.empty())
                MRender::DrawTextW(mem, box, tip ? tip_ : ShownText(), style);
        }
        if (icon_) {
            const Rect icon = GetIconRect().Offset(-r.left, -r.top);
            const int w = icon_->Width() / std::max(1, iconFrames_);
            const int frame = std::min(iconFrames_ - 1, !IsEnabled()   ? 3
                                                        : iconPressed_ ? 2
                                                        : iconHover_   ? 1
                                                                       : 0);
            MRender::DrawImagePart(mem, icon_->Surface(0), icon, frame * w, 0, w, icon_->Height());
        }
        cairo_destroy(mem);
    }
    BlitCache(cr, clip);
}

// ---- settings ----

void MEdit::SetControlTitle(const std::string& text) {
    SetEditText(text);
}

void MEdit::SetEditText(const std::string& text) {
    text_ = text;
    if (editing_ && edit_) {
        edit_->SetText(text);
        original_ = text;
        changedByUser_ = false;
    }
    UpdateControl(true);
}

std::string MEdit::GetEditText() const {
    return editing_ && edit_ ? edit_->GetText() : text_;
}

void MEdit::SetLimitText(int maxChars) {
    limit_ = std::max(0, maxChars);
    if (edit_) edit_->SetLimit(limit_);
}

void MEdit::SetNumberOnly(bool on) {
    numberOnly_ = on;
    if (edit_) edit_->SetNumberOnly(on);
}

void MEdit::SetReadOnly(bool on) {
    readOnly_ = on;
    if (edit_) edit_->SetReadOnly(on);
}

void MEdit::EnablePassWord(bool on) {
    password_ = on;
    if (edit_) edit_->SetPasswordChar(on ? passwordChar_ : 0);
    UpdateControl(true);
}

void MEdit::SetPassWordChar(char32_t c) {
    if (c < 0x20 || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return;
    passwordChar_ = c;
    if (edit_ && password_) edit_->SetPasswordChar(c);
    UpdateControl(true);
}

void MEdit::EnableMultLine(bool on) {
    EnableMultiLine(on);
}

void MEdit::SetEditBKColor(uint32_t colorRef) {
    bkColor_ = colorRef & 0xFFFFFF;
    if (edit_) edit_->SetColors(ToColorRef(GetTextColor()), bkColor_);
    UpdateControl(true);
}

void MEdit::SetEditFont(const std::string& name, int size, bool bold) {
    SetFont(name, size, bold ? TextStyle::Bold : TextStyle::Regular);
    ClearGDIFont();
    if (edit_) ApplyEditSettings();
}

int MEdit::SetIconImage(const std::string& file, int frames) {
    if (!manager_) return 0;
    const ImgResInfo* info = manager_->AddImgResInfo(file, std::max(1, frames));
    if (!info || !info->image) return 0;
    icon_ = info->image;
    iconFrames_ = std::max(1, info->image->Width() / std::max(1, info->frameWidth));
    UpdateControl(true);
    return 1;
}

void MEdit::SetIconRect(const Rect& rect) {
    iconRect_ = rect;
    UpdateControl(true);
}

void MEdit::SetTextRect(const Rect& rect) {
    textRect_ = rect;
    if (editing_ && edit_) edit_->SetRect(ToWindow(TextArea()));
    UpdateControl(true);
}

void MEdit::SetTipInfo(const std::string& text, uint32_t argb) {
    tip_ = text;
    tipColor_ = argb;
    UpdateControl(true);
}

// ---- the edit box ----

void MEdit::ApplyEditSettings() {
    edit_->SetColors(ToColorRef(GetTextColor()), bkColor_);
    const FontRegistry::Face face = FontRegistry::Instance().Resolve(GetTextFont());
    edit_->SetFont(face.family.empty() ? GetTextFont() : face.family,
                   static_cast<int>(FontRegistry::PointsToPixels(GetFontWidth()) + 0.5),
                   (GetFontStyle() & TextStyle::Bold) != 0 || face.weight >= 600);
    edit_->SetLimit(limit_);
    edit_->SetNumberOnly(numberOnly_);
    edit_->SetReadOnly(readOnly_);
    edit_->SetPasswordChar(password_ ? passwordChar_ : 0);
    int h = 0, v = 0;
    GetAlignment(h, v);
    edit_->SetAlignment(h);
}

bool MEdit::ShowEdit() {
    if (editing_) return true;
    if (!IsEnabled() || !IsParentVisible() || !manager_ || !manager_->GetHwnd()) return false;
    if (!edit_) {
        edit_ = Platform::CreateEdit(manager_->GetHwnd());
        if (!edit_) return false;
        edit_->SetListener(this);
    }
    ApplyEditSettings();
    edit_->SetRect(ToWindow(TextArea()));
    edit_->SetText(text_);
    original_ = text_;
    changedByUser_ = false;
    editing_ = true;
    edit_->Show(true);
    edit_->SetFocus();
    edit_->SelectAll();
    UpdateControl(true);
    SendMessageW(30, 0, 0);
    return true;
}

void MEdit::CloseEdit(bool commit) {
    if (!editing_ || closing_ || !edit_) return;
    closing_ = true;
    const std::string typed = edit_->GetText();
    editing_ = false;
    edit_->Show(false);
    bool changed = false;
    if (commit) {
        if (changedByUser_ && typed != text_) {
            text_ = typed;
            changed = true;
        }
    } else if (text_ != original_) {
        // Live changes (char messages) are taken back too.
        text_ = original_;
        changed = true;
    }
    changedByUser_ = false;
    UpdateControl(true);
    if (changed) SendMessageW(26, 0, 0);
    SendMessageW(29, 0, 0);
    // The window takes the keys again.
    if (manager_ && manager_->GetHwnd() && Platform::IsWindow(manager_->GetHwnd()) && IsFocused())
        manager_->GetHwnd()->SetFocus();
    closing_ = false;
}

void MEdit::OnEditChanged(NativeEdit& edit) {
    if (!editing_) return;
    changedByUser_ = true;
    if (charMessage_) {
        const std::string now = edit.GetText();
        if (now != text_) {
            text_ = now;
            SendMessageW(26, 0, 0);
        }
    }
}

void MEdit::OnEditFocusLost(NativeEdit&) {
    CloseEdit(true);
}

bool MEdit::OnEditKey(NativeEdit&, int virtualKey) {
    if (virtualKey == VK_RETURN || virtualKey == VK_TAB) {
        CloseEdit(true);
        return true;
    }
    if (virtualKey == VK_ESCAPE) {
        CloseEdit(false);
        return true;
    }
    return false;
}

// ---- input and state ----

int MEdit::OnControlMouseMove(unsigned, Point pt) {
    const bool inside = PtInRect(pt);
    const bool onIcon = inside && GetIconRect().Contains(pt);
    if (inside != hover_ || onIcon != iconHover_) {
        hover_ = inside;
        iconHover_ = onIcon;
        UpdateControl(true);
    }
    return inside ? 1 : 0;
}

int MEdit::OnControlSetCursor(unsigned, Point pt) {
    if (!PtInRect(pt)) return 0;
    SetCursorEx(GetIconRect().Contains(pt) ? "hand" : "ibeam");
    return 1;
}

int MEdit::OnControlLButtonDown(unsigned, Point pt) {
    if (!PtInRect(pt)) return 0;
    if (GetIconRect().Contains(pt)) {
        iconPressed_ = true;
        UpdateControl(true);
        SendMessageW(9, 0, 0);
        return 1;
    }
    pressed_ = true;
    if (!editing_) {
        SendMessageW(1, 0, 0);
        ShowEdit();
    }
    return 1;
}

int MEdit::OnControlLButtonUp(unsigned, Point pt) {
    if (iconPressed_) {
        iconPressed_ = false;
        UpdateControl(true);
        if (GetIconRect().Contains(pt)) SendMessageW(31, 0, 0);
        return 1;
    }
    const bool was = pressed_;
    pressed_ = false;
    if (was && PtInRect(pt)) SendMessageW(2, 0, 0);
    return was ? 1 : 0;
}

void MEdit::SetControlFocus(bool focus) {
    MControlFont::SetControlFocus(focus);
    if (!focus) CloseEdit(true);
}

void MEdit::SetControlVisible(bool visible) {
    if (!visible) CloseEdit(true);
    MControlFont::SetControlVisible(visible);
}

void MEdit::SetControlEnabled(bool enabled) {
    if (!enabled) CloseEdit(true);
    MControlFont::SetControlEnabled(enabled);
}

void MEdit::SetControlRect(const Rect& rect) {
    MControlFont::SetControlRect(rect);
    if (editing_ && edit_) edit_->SetRect(ToWindow(TextArea()));
}

} // namespace Tolva

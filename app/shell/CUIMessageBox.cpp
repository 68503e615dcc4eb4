#include "app/shell/CUIMessageBox.h"

#include "app/files/UiText.h"
#include "app/shell/DialogPlacement.h"
#include "ui/controls/MButton.h"
#include "ui/controls/MText.h"
#include "ui/platform/VirtualKeys.h"

#include <utility>

using namespace Tolva;

namespace {

// WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN; no task-bar entry of its own.
constexpr uint32_t kStyle = 0x96000000;
constexpr uint32_t kExStyle = WS_EX_TOOLWINDOW;
constexpr int kOkText = 23;
constexpr int kCancelText = 24;

} // namespace

CUIMessageBox::CUIMessageBox(std::string text, std::string caption, int style)
    : text_(std::move(text)), caption_(std::move(caption)), style_(style) {}

NativeWindow* CUIMessageBox::Open(NativeWindow* owner) {
    // Placed before it is created: the style shows it at once, and it must not flash elsewhere.
    return Create(owner, "MessageBox", kStyle, kExStyle,
                  DialogPlacement::CentredOn(owner, kWidth, kHeight));
}

int CUIMessageBox::Result() const {
    if (style_ != kQuestion) return 1;
    return pressed_ == 1 ? 1 : 2;
}

int CUIMessageBox::Show(MWindow* owner, const std::string& text, const std::string& caption,
                        int style) {
    CUIMessageBox box(text, caption, style);
    // The answer is kept when the button is pressed rather than read from the close code: the
    // window manager closes with a code of its own.
    if (box.Open(owner ? owner->GetSafeHwnd() : nullptr)) box.ShowModal(SW_SHOW);
    return box.Result();
}

void CUIMessageBox::InitUI(const Rect& rect) {
    SetBackMode(1, 30);
    LoadBKImage("bk_prompt.png");
    EnableWndDrag(true);
    const int w = rect.Width(), h = rect.Height();

    if (auto* caption = dynamic_cast<MText*>(
            CreateControl("MText", kCaptionId, Rect{20, 10, w - 20, 40}, caption_))) {
        caption->SetFontWidth(11);
        caption->SetFontStyle(TextStyle::Bold);
        caption->SetAlignment(TextStyle::Near, TextStyle::Center);
        caption->SetTextColor(0xFFFFFFFF);
    }
    if (auto* message = dynamic_cast<MText*>(
            CreateControl("MText", kTextId, Rect{30, 48, w - 30, h - 60}, text_))) {
        message->SetFontWidth(10);
        message->EnableMultiLine(true);
        message->SetAlignment(TextStyle::Center, TextStyle::Center);
        message->EnableVCenter(true);
        message->SetTextColor(0xFFD8D8D8);
    }

    const bool question = style_ == kQuestion;
    const Rect first = question ? Rect{w / 2 - 110, h - 50, w / 2 - 10, h - 20}
                                : Rect{w / 2 - 50, h - 50, w / 2 + 50, h - 20};
    std::pair<unsigned, Rect> buttons[] = {
        {kFirstButtonId, first}, {kSecondButtonId, {w / 2 + 10, h - 50, w / 2 + 110, h - 20}}};
    for (int i = 0; i < (question ? 2 : 1); ++i) {
        const auto& [id, box] = buttons[i];
        auto* button = dynamic_cast<MButton*>(
            CreateControl("MButton", id, box, UiText::Dialog(i == 0 ? kOkText : kCancelText)));
        if (!button) continue;
        button->SetImage("btn_apply.png", 4);
        button->SetFontWidth(10);
        button->SetAlignment(TextStyle::Center, TextStyle::Center);
    }
}

LRESULT CUIMessageBox::OnMessage(unsigned id, int code, WPARAM wparam, LPARAM lparam) {
    if (code != 2) return 0;
    if (id == kFirstButtonId) {
        pressed_ = 1;
        DoOK();
    }
    if (id == kSecondButtonId) {
        pressed_ = 2;
        DoCancel();
    }
    return 0;
}

LRESULT CUIMessageBox::OnKeyDown(WPARAM key, LPARAM lparam) {
    // Escape dismisses (the second answer for a question); Enter closes a notice only, so that a
    // stray key press never confirms a question.
    if (key == static_cast<WPARAM>(VK_RETURN) && style_ != kQuestion) DoOK();
    if (key == static_cast<WPARAM>(VK_ESCAPE)) DoCancel();
    return 0;
}

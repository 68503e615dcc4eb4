#include "app/shell/CloseWindowTipDlg.h"

#include "app/files/UiText.h"
#include "app/platform/ProgramRegistry.h"
#include "app/shell/CloseDecision.h"
#include "app/shell/DialogPlacement.h"
#include "ui/controls/CRadioButton.h"
#include "ui/controls/MButton.h"
#include "ui/controls/MText.h"
#include "ui/platform/VirtualKeys.h"

using namespace Tolva;

namespace {

// WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN.
constexpr uint32_t kStyle = 0x96000000;
constexpr const char* kGroup = "exit_mode";
constexpr int kQuestionText = 170;
constexpr int kApplyText = 22;

} // namespace

bool CloseWindowTipDlg::Show(MWindow* owner) {
    CloseWindowTipDlg dlg;
    if (!dlg.Open(owner ? owner->GetSafeHwnd() : nullptr)) return false;
    dlg.ShowModal(SW_SHOW);
    return dlg.WasApplied();
}

NativeWindow* CloseWindowTipDlg::Open(NativeWindow* owner) {
    // Topmost: the prompt may come from the tray while the main window is hidden or covered.
    return Create(owner, "CloseWindowTipDlg", kStyle, WS_EX_TOPMOST,
                  DialogPlacement::CentredOn(owner, kWidth, kHeight));
}

void CloseWindowTipDlg::InitUI(const Rect& rect) {
    SetBackMode(1, 30);
    LoadBKImage("bk_prompt.png");
    EnableWndDrag(true);
    const int w = rect.Width(), h = rect.Height();

    if (auto* question = dynamic_cast<MText*>(CreateControl("MText", kQuestionId,
                                                            Rect{w / 2 - 130, 5, w / 2 + 130, 35},
                                                            UiText::Dialog(kQuestionText)))) {
        question->SetFontWidth(11);
        question->SetFontStyle(TextStyle::Bold);
        question->SetAlignment(TextStyle::Center, TextStyle::Center);
        question->EnableVCenter(true);
    }
    const bool exits = CloseDecision::ExitMode() == CloseDecision::kExitMode;
    const struct {
        unsigned id;
        Rect box;
        int text;
        bool checked;
    } radios[] = {{kHideId, {30, 60, 355, 90}, CloseDecision::kHideText, !exits},
                  {kExitId, {30, 95, 355, 125}, CloseDecision::kExitText, exits}};
    for (const auto& r : radios) {
        auto* radio = dynamic_cast<CRadioButton*>(
            CreateControl("CRadioButton", r.id, r.box, UiText::Dialog(r.text)));
        if (!radio) continue;
        radio->SetImage("btn_radiobox.png", 8);
        radio->SetGroupName(kGroup);
        radio->SetFontWidth(10);
        radio->SetTextColor(0xFFD8D8D8);
        if (r.checked) radio->SetControlCheck(true);
    }
    if (auto* apply = dynamic_cast<MButton*>(CreateControl("MButton", kApplyId,
                                                           Rect{w - 120, h - 50, w - 20, h - 20},
                                                           UiText::Dialog(kApplyText)))) {
        apply->SetImage("btn_apply.png", 4);
        apply->SetFontWidth(10);
        apply->SetAlignment(TextStyle::Center, TextStyle::Center);
    }
}

LRESULT CloseWindowTipDlg::OnMessage(unsigned id, int code, WPARAM wparam, LPARAM lparam) {
    if (id != kApplyId || code != 2) return 0;
    const auto* hide = dynamic_cast<CRadioButton*>(GetControl(kHideId));
    const bool hides = hide && hide->GetCheck();
    // The key may not exist yet (reading creates it), and a write needs it.
    ProgramRegistry::ReadProgramRegistryValue(CloseDecision::kExitModeValue);
    ProgramRegistry::WriteProgramRegistryValue(CloseDecision::kExitModeValue, hides ? "1" : "2");
    applied_ = true;
    DoOK();
    return 0;
}

LRESULT CloseWindowTipDlg::OnKeyDown(WPARAM key, LPARAM lparam) {
    // The only way to dismiss the undecorated prompt from the keyboard; it stores nothing.
    if (key == static_cast<WPARAM>(VK_ESCAPE)) DoCancel();
    return 0;
}

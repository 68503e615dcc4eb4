#include "app/shell/pages/KeyboardKeyPage.h"

#include "app/files/DeviceLayout.h"
#include "app/files/Language.h"
#include "app/files/UiText.h"
#include "app/shell/CThreadBasic.h"
#include "app/shell/CustomKeyDlg.h"
#include "app/shell/KeyNames.h"
#include "app/shell/pages/MouseKeyPage.h"
#include "app/store/MacroRow.h"
#include "app/store/SettingsDatabase.h"
#include "ui/controls/MTabLayout.h"
#include "ui/controls/MText.h"
#include "ui/core/MenuWnd.h"
#include "ui/platform/Platform.h"
#include "ui/widgets/KEY_INFO.h"
#include "ui/widgets/KeyFuncControl.h"
#include "ui/widgets/KeyboardCtrl.h"

#include <vector>

using namespace Tolva;

namespace {

constexpr int kLastKeyboardType = 600;
constexpr int kFnLayer = 0;

// Geometry in window coordinates (the page area is 220,110 - 1180,700): the picture (920 x
// 214) across the top, the status line, the function keyboard (903 x 236), and the profile
// list's row at the bottom.
constexpr Rect kKeyboardArea{240, 116, 1160, 330};
constexpr Rect kStatusArea{248, 334, 1160, 358};
constexpr Rect kFunctionsArea{248, 362, 1151, 598};
constexpr Rect kHintArea{700, 612, 1160, 692};

constexpr int kMenuTexts[4] = {201, 207, 206, 209};
constexpr int kMenuTypes[4] = {CustomKeyDlg::kKey, CustomKeyDlg::kMouse, CustomKeyDlg::kMacro,
                               CustomKeyDlg::kShortcut};
constexpr int kDefaultText = 214;
constexpr int kHintText = 218;
constexpr int kNoRemappingText = 890;
constexpr int kPrefixedFamilyFirstType = 200;

struct Entry {
    int value;
    int text;
};
constexpr Entry kMouseTexts[] = {{1, 220}, {2, 222}, {3, 223}, {7, 227}, {8, 228}};
constexpr int kFirstMediaText = 230; // values 1 to 7
constexpr int kShortcutText = 700;
constexpr int kMacroWordText = 331;

} // namespace

KeyboardKeyPage::KeyboardKeyPage(PageHost& host) : ShellPage(host) {}

KeyboardKeyPage::~KeyboardKeyPage() = default;

void KeyboardKeyPage::Build() {
    MTabLayout* layout = host_.FindLayout(kLayoutId);
    if (!layout || keyboard_) return;
    keyboard_ = dynamic_cast<KeyboardCtrl*>(
        layout->CreateControl("KeyboardCtrl", kKeyboardId, kKeyboardArea));
    if (keyboard_) {
        keyboard_->SetKeyboardCtrlMode(kSelectionMode);
        keyboard_->EnableKBTips(true);
    }
    status_ = dynamic_cast<MText*>(layout->CreateControl("MText", kStatusId, kStatusArea));
    if (status_) {
        status_->SetFontWidth(11);
        status_->SetTextColor(0xFFE8EAED);
        status_->EnableVCenter(true);
    }
    functions_ = dynamic_cast<KeyFuncControl*>(
        layout->CreateControl("KeyFuncControl", kFunctionsId, kFunctionsArea));
    hint_ = dynamic_cast<MText*>(layout->CreateControl("MText", kHintId, kHintArea));
    if (hint_) {
        hint_->SetFontWidth(9);
        hint_->SetTextColor(0xFF9AA1AC);
        hint_->EnableMultiLine(true);
    }
    layout->UpdateScrollBars();
}

void KeyboardKeyPage::ShowHint() {
    if (!hint_) return;
    std::string text = UiText::Dialog(kHintText);
    // The prefixed family's wire has no key table: only the remapping driver gives its keys
    // their new functions, and without it a person would wonder why nothing changes.
    if (IsKeyboardShown() && host_.DeviceType() >= kPrefixedFamilyFirstType && !host_.RemapsKeys())
        text += "\n" + UiText::Dialog(kNoRemappingText);
    hint_->SetTitle(text);
}

void KeyboardKeyPage::ApplyTexts() {
    ShowHint();
    // The shown names follow the language.
    if (keyboard_ && keyboard_->GetKeyCount() > 0) Reload();
}

bool KeyboardKeyPage::IsKeyboardShown() const {
    const int type = host_.DeviceType();
    return type > 0 && type <= kLastKeyboardType;
}

std::string KeyboardKeyPage::KeyName(int keyValue) const {
    std::shared_ptr<const DeviceLayout> layout = host_.Layout();
    if (layout)
        if (const LayoutKey* key = layout->FindKey(keyValue)) return key->name;
    return KeyNames::KeyCodeName(keyValue);
}

bool KeyboardKeyPage::Assignment(int keyValue, KeyAssignmentRow& row) const {
    return host_.Store().GetKeyAssignment(host_.CurrentProfile(), kFnLayer, keyValue, row);
}

std::string KeyboardKeyPage::DisplayText(const KeyAssignmentRow& row) const {
    switch (row.macroType) {
    case CustomKeyDlg::kMouse:
        for (const Entry& e : kMouseTexts)
            if (e.value == row.macroValue) return UiText::Dialog(e.text);
        return row.macroDesc;
    case CustomKeyDlg::kMedia:
        if (row.macroValue >= 1 && row.macroValue <= 7)
            return UiText::Dialog(kFirstMediaText + row.macroValue - 1);
        return row.macroDesc;
    case CustomKeyDlg::kShortcut:
        if (row.macroValue >= 1 && row.macroValue <= 15)
            return UiText::Dialog(kShortcutText + row.macroValue);
        return row.macroDesc;
    case CustomKeyDlg::kMacro: {
        MacroRow macro;
        if (!host_.Store().GetMacro(row.macroValue, macro)) return row.macroDesc;
        return MouseKeyPage::MacroDisplayName(macro.name, Language::Current(),
                                              UiText::Dialog(kMacroWordText));
    }
    default:
        return row.macroDesc;
    }
}

void KeyboardKeyPage::Reload() {
    if (!keyboard_) return;
    if (menu_) menu_.reset();
    keyboard_->ClearItem();
    keyboard_->ResetTipKey();
    ShowHint();
    std::shared_ptr<const DeviceLayout> layout = host_.Layout();
    if (!IsKeyboardShown() || !layout) {
        selectedKey_ = 0;
        if (status_) status_->SetTitle({});
        keyboard_->UpdateControl(true);
        return;
    }
    if (!layout->KeyboardImage().empty()) {
        keyboard_->SetKeyboardImage("keyboard//" + layout->KeyboardImage());
        keyboard_->SetWidthAndHeight(layout->KeyboardImageWidth(), layout->KeyboardImageHeight());
    }
    for (const auto& key : layout->Keys())
        keyboard_->AddKeyItem(key->name, key->name, static_cast<uint32_t>(key->keyValue),
                              Rect{key->left, key->top, key->right, key->bottom});
    std::vector<std::unique_ptr<KeyAssignmentRow>> rows;
    host_.Store().LoadKeyAssignments(host_.CurrentProfile(), kFnLayer, rows);
    for (const auto& row : rows) {
        if (!row || !layout->FindKey(row->keyCode)) continue;
        const uint32_t key = static_cast<uint32_t>(row->keyCode);
        keyboard_->SetKeyCheck(key, true);
        keyboard_->SetTipKey(key, KeyName(row->keyCode), DisplayText(*row));
    }
    int keep = selectedKey_;
    if (!layout->FindKey(keep))
        keep = layout->Keys().empty() ? 0 : layout->Keys().front()->keyValue;
    selectedKey_ = 0;
    SelectKey(keep);
    keyboard_->UpdateControl(true);
}

bool KeyboardKeyPage::SelectKey(int keyValue) {
    if (!keyboard_ || keyValue <= 0) return false;
    const std::vector<KEY_INFO*> keys = keyboard_->GetKeyItems();
    for (size_t i = 0; i < keys.size(); ++i) {
        if (!keys[i] || static_cast<int>(keys[i]->keyValue) != keyValue) continue;
        keyboard_->SetSelectItem(static_cast<int>(i));
        selectedKey_ = keyValue;
        ShowKey(keyValue);
        keyboard_->UpdateControl(true);
        return true;
    }
    return false;
}

void KeyboardKeyPage::ShowKey(int keyValue) {
    KeyAssignmentRow row;
    const bool assigned = Assignment(keyValue, row);
    if (status_) {
        const std::string name = KeyName(keyValue);
        status_->SetTitle(assigned ? name + "  \xE2\x86\x92  " + DisplayText(row) : name);
    }
    if (!functions_) return;
    // The function keyboard marks what the key plays when that is one of its keys.
    if (!assigned)
        functions_->SetItemCheckByItemData(keyValue, 0, 0);
    else if (row.macroType == CustomKeyDlg::kKey && row.macroValue2 == 0)
        functions_->SetItemCheckByItemData(row.macroValue, 0, 0);
    else
        functions_->SetItemCheckByItemData(0, 0, 0);
}

void KeyboardKeyPage::Changed(int keyValue) {
    KeyAssignmentRow row;
    if (keyboard_) {
        const uint32_t key = static_cast<uint32_t>(keyValue);
        const bool assigned = Assignment(keyValue, row);
        keyboard_->SetKeyCheck(key, assigned);
        keyboard_->SetTipKey(key, assigned ? KeyName(keyValue) : std::string(),
                             assigned ? DisplayText(row) : std::string());
        keyboard_->UpdateControl(true);
    }
    ShowKey(keyValue);
    host_.QueueTask(CThreadBasic::kKeyboardKeyTable);
    host_.ShowWaitDialog();
}

bool KeyboardKeyPage::AssignFunction(int code) {
    if (selectedKey_ <= 0 || code <= 0 || code > 255) return false;
    KeyAssignmentRow row;
    row.profile = host_.CurrentProfile();
    row.fnLayer = kFnLayer;
    row.keyCode = selectedKey_;
    row.layoutValue = selectedKey_;
    row.layoutDesc = KeyName(selectedKey_);
    row.macroType = CustomKeyDlg::kKey;
    row.macroValue = code;
    row.macroDesc = KeyNames::KeyCodeName(code);
    if (row.macroDesc.empty() && functions_) {
        int first = 0, data = 0, second = 0, third = 0;
        std::string text;
        if (functions_->GetCurItemData(first, data, second, third, text) && data == code)
            row.macroDesc = text;
    }
    // A key given its own function again plays it without a stored row.
    if (code == selectedKey_) return RestoreDefault();
    if (host_.Store().SaveKeyAssignment(row) <= 0) return false;
    Changed(selectedKey_);
    return true;
}

bool KeyboardKeyPage::RestoreDefault() {
    if (selectedKey_ <= 0) return false;
    KeyAssignmentRow old;
    if (!Assignment(selectedKey_, old)) {
        ShowKey(selectedKey_);
        return false;
    }
    KeyAssignmentRow row;
    row.profile = host_.CurrentProfile();
    row.fnLayer = kFnLayer;
    row.keyCode = selectedKey_;
    // Without a value the store only deletes the key's row.
    host_.Store().SaveKeyAssignment(row);
    if (Assignment(selectedKey_, old)) return false;
    Changed(selectedKey_);
    return true;
}

bool KeyboardKeyPage::OpenCustomKey(int type) {
    if (selectedKey_ <= 0 || !IsKeyboardShown()) return false;
    CustomKeyDlg dialog(host_.Store(), host_.CurrentProfile(), kFnLayer, selectedKey_,
                        KeyName(selectedKey_), type);
    if (!dialog.Open(host_.Window().GetSafeHwnd())) return false;
    if (dialogHook_) dialogHook_(dialog);
    const bool stored = dialog.DoModal(host_.Window().GetSafeHwnd());
    if (stored) Changed(selectedKey_);
    return stored;
}

void KeyboardKeyPage::OpenMenu() {
    menu_.reset(); // an older menu closes
    menu_ = std::make_unique<MenuWnd>(host_.Window().GetSafeHwnd(), Platform::GetCursorPos(),
                                      kMenuMessage, "img_tip_bk.png", 4, 170, 1);
    for (int i = 0; i < 4; ++i)
        menu_->AddMenu(UiText::Dialog(kMenuTexts[i]), static_cast<unsigned>(kMenuCustomKey + i));
    menu_->AddSeparator();
    menu_->AddMenu(UiText::Dialog(kDefaultText), static_cast<unsigned>(kMenuDefault));
    KeyAssignmentRow row;
    menu_->SetItemEnable(UiText::Dialog(kDefaultText), Assignment(selectedKey_, row));
    menuChoicePending_ = menu_->Show() != nullptr;
    if (!menuChoicePending_) menu_.reset();
}

bool KeyboardKeyPage::OnNotify(unsigned id, int code, WPARAM, LPARAM lparam) {
    switch (id) {
    case kKeyboardId:
        if (!IsKeyboardShown()) return true;
        // Left release (2) and right release (5) both select the key under the pointer.
        if ((code == 2 || code == 5) && lparam > 0) SelectKey(static_cast<int>(lparam));
        if (code == 5 && lparam > 0 && selectedKey_ == static_cast<int>(lparam)) OpenMenu();
        return true;
    case kFunctionsId:
        if (code == 1 && functions_ && IsKeyboardShown()) {
            int first = 0, data = 0, second = 0, third = 0;
            std::string text;
            if (functions_->GetCurItemData(first, data, second, third, text)) AssignFunction(data);
        }
        return true;
    default:
        return false;
    }
}

bool KeyboardKeyPage::OnWindowMessage(uint32_t msg, WPARAM, LPARAM lparam) {
    if (msg == kMacrosChanged) {
        // Keys that play a renamed or deleted macro show its new name.
        if (IsKeyboardShown() && keyboard_ && keyboard_->GetKeyCount() > 0) Reload();
        return false;
    }
    if (msg != kMenuMessage) return false;
    // A post still queued from a menu already answered is not a second choice.
    if (!menuChoicePending_) return true;
    menuChoicePending_ = false;
    const int command = static_cast<int>(lparam);
    if (command >= kMenuCustomKey && command < kMenuCustomKey + 4)
        OpenCustomKey(kMenuTypes[command - kMenuCustomKey]);
    else if (command == kMenuDefault)
        RestoreDefault();
    return true;
}

#include "app/shell/pages/MouseKeyPage.h"

#include "app/files/DeviceLayout.h"
#include "app/files/Language.h"
#include "app/files/UiText.h"
#include "app/shell/CThreadBasic.h"
#include "app/shell/KeyCaptureEdit.h"
#include "app/shell/KeyNames.h"
#include "app/shell/SoftwareFunction.h"
#include "app/store/MacroRow.h"
#include "app/store/SettingsDatabase.h"
#include "ui/controls/MButton.h"
#include "ui/controls/MComboBox.h"
#include "ui/controls/MPicture.h"
#include "ui/controls/MTabLayout.h"
#include "ui/widgets/MouseCtrl.h"
#include "ui/widgets/MouseKeyCtrl.h"

#include <algorithm>
#include <array>

using namespace Tolva;

namespace {

struct Entry {
    int value;
    int text;
};

// The function type list, in the order it is shown.
constexpr std::array<Entry, 5> kTypes = {{{5, 207}, {2, 205}, {3, 206}, {6, 208}, {7, 209}}};

constexpr std::array<Entry, 6> kMouseFunctions = {
    {{208, 820}, {209, 821}, {210, 822}, {211, 823}, {212, 824}, {213, 835}}};

// The first seven: play/pause, stop, previous, next, volume up, volume down, mute.
constexpr std::array<Entry, 18> kMediaFunctions = {{{238, 230},
                                                    {236, 231},
                                                    {237, 232},
                                                    {239, 233},
                                                    {234, 234},
                                                    {233, 235},
                                                    {235, 236},
                                                    {232, 272},
                                                    {240, 271},
                                                    {241, 273},
                                                    {242, 270},
                                                    {243, 276},
                                                    {244, 277},
                                                    {245, 275},
                                                    {246, 274},
                                                    {247, 279},
                                                    {248, 278},
                                                    {249, 252}}};

constexpr int kShortcutCount = 15;

// Geometry in window coordinates (the page area is 220,110 - 1180,700). The profile list takes
// the left column; the picture's call-out labels reach kLabelMargin left of the picture.
constexpr Rect kPictureArea{530, 150, 830, 420};
constexpr int kLabelMargin = 70;
constexpr Rect kCalloutArea{kPictureArea.left - kLabelMargin, kPictureArea.top,
                            kPictureArea.right + kLabelMargin + 20, kPictureArea.bottom};
// Six rows at scale 1.25 (int(27 x 1.25) + 5 = 38 pixels each).
constexpr float kKeyListScale = 1.25f;
constexpr Rect kKeyListArea{900, 140, 1170, 368};
constexpr Rect kTypeArea{900, 384, 1170, 414};
constexpr Rect kFunctionArea{900, 426, 1170, 456};
constexpr Rect kApplyArea{1070, 474, 1170, 504};
constexpr int kFontPoints = 10;

bool StartsWith(const std::string& s, const std::string& prefix) {
    return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

// A layout text given by number, in the current language; `fallback` when it names none.
std::string TextOr(const std::string& number, const std::string& fallback) {
    if (number.empty() || number.size() > 6) return fallback;
    for (char c : number)
        if (c < '0' || c > '9') return fallback;
    const std::string text = UiText::Dialog(std::stoi(number));
    return text.empty() ? fallback : text;
}

} // namespace

MouseKeyPage::MouseKeyPage(PageHost& host)
    : ShellPage(host), software_(std::make_unique<SoftwareFunction>()) {}

MouseKeyPage::~MouseKeyPage() = default;

void MouseKeyPage::SetSoftwareFunction(std::unique_ptr<SoftwareFunction> function) {
    if (function) software_ = std::move(function);
}

void MouseKeyPage::Build() {
    MTabLayout* layout = host_.FindLayout(kLayoutId);
    if (!layout || keys_) return;
    mouse_ =
        dynamic_cast<MPicture*>(layout->CreateControl("MPicture", kMousePictureId, kPictureArea));
    picture_ =
        dynamic_cast<MouseCtrl*>(layout->CreateControl("MouseCtrl", kPictureId, kCalloutArea));
    if (picture_) picture_->SetImage("img_key_bkg.png", 2);
    keys_ = dynamic_cast<MouseKeyCtrl*>(
        layout->CreateControl("MouseKeyCtrl", kKeyListId, kKeyListArea));
    // The names' column grows with the scale: "Forward Button" fits at 1.25.
    if (keys_) {
        keys_->SetImage("img_key_bkg.png", 2);
        keys_->SetScaleValue(kKeyListScale);
    }
    types_ = dynamic_cast<MComboBox*>(layout->CreateControl("MComboBox", kTypeComboId, kTypeArea));
    functions_ = dynamic_cast<MComboBox*>(
        layout->CreateControl("MComboBox", kFunctionComboId, kFunctionArea));
    for (MComboBox* combo : {types_, functions_})
        if (combo) {
            combo->SetImage("img_combobox.png", 4);
            combo->SetFontWidth(kFontPoints);
        }
    keyEdit_ = static_cast<KeyCaptureEdit*>(
        layout->AddChild(std::make_unique<KeyCaptureEdit>(layout, kKeyEditId, kFunctionArea), 1));
    if (keyEdit_) {
        keyEdit_->SetImage("img_edit.png", 4);
        keyEdit_->SetReadOnly(true);
        keyEdit_->SetFontWidth(kFontPoints);
        keyEdit_->SetVisible(false, false);
    }
    apply_ = dynamic_cast<MButton*>(layout->CreateControl("MButton", kApplyId, kApplyArea));
    if (apply_) {
        apply_->SetImage("btn_apply.png", 4);
        apply_->SetFontWidth(kFontPoints);
    }
    layout->UpdateScrollBars();
}

void MouseKeyPage::ApplyTexts() {
    if (apply_) apply_->SetTitle(UiText::Dialog(kApplyText));
    if (types_) {
        const int type = CurrentType();
        types_->DelAllItems();
        for (const Entry& t : kTypes)
            types_->AddItem(UiText::Dialog(t.text), t.value);
        if (types_->SelectData(type ? type : kMouseFunction) == 0) types_->SetCurSel(0);
    }
    // Button names, descriptions and the function list follow the language too.
    if (keys_ && keys_->GetItemCount() > 0) Reload();
}

int MouseKeyPage::CurrentType() const {
    return types_ ? static_cast<int>(types_->GetCurData()) : 0;
}

int MouseKeyPage::CatalogueText(int type, int value) {
    if (type == kMouseFunction) {
        for (const Entry& e : kMouseFunctions)
            if (e.value == value) return e.text;
    } else if (type == kMediaFunction) {
        for (const Entry& e : kMediaFunctions)
            if (e.value == value) return e.text;
    }
    return 0;
}

std::string MouseKeyPage::MacroDisplayName(const std::string& name, int languageId,
                                           const std::string& macroWord) {
    static const std::string kEnglishWord = "Macro";
    static const std::string kChineseWord = "\xE5\xAE\x8F"; // 宏
    if (languageId == Language::kChinese && StartsWith(name, kEnglishWord))
        return macroWord + name.substr(kEnglishWord.size());
    if (languageId == Language::kEnglish && StartsWith(name, kChineseWord))
        return macroWord + name.substr(kChineseWord.size());
    return name;
}

std::string MouseKeyPage::DisplayText(const KeyAssignmentRow& row) const {
    switch (row.macroType) {
    case kMouseFunction:
    case kMediaFunction: {
        const int text = CatalogueText(row.macroType, row.macroValue);
        return text ? UiText::Dialog(text) : row.macroDesc;
    }
    case kShortcut:
        return UiText::Dialog(kShortcutTextBase + row.macroValue);
    case kMacro: {
        MacroRow macro;
        if (!host_.Store().GetMacro(row.macroValue, macro)) return row.macroDesc;
        return MacroDisplayName(macro.name, Language::Current(), UiText::Dialog(kMacroWordText));
    }
    default:
        return row.macroDesc;
    }
}

void MouseKeyPage::Reload() {
    if (!keys_ || !picture_) return;
    StopCapture();
    keys_->DeleteAllItems();
    picture_->DeleteAllItems();
    const std::shared_ptr<const DeviceLayout> layout = host_.Layout();
    if (layout) {
        if (mouse_ && !layout->MouseImage().empty())
            mouse_->SetImage("mouse\\" + layout->MouseImage());
        for (const auto& b : layout->Buttons()) {
            if (!b) continue;
            // The layout names the button's spot and the end of its label line on the picture.
            const Point spot{b->x1 + kLabelMargin, b->y1};
            const Point end{b->x2 + kLabelMargin, b->y2};
            const int side = b->direction == 1 ? 1 : 0;
            // The layout was read in the language of its load; the texts follow the current one.
            const std::string name = TextOr(b->nameId, b->name);
            const std::string desc = TextOr(b->funcDescId, b->funcDesc);
            keys_->AddItem(name, desc, b->keyValue);
            picture_->AddItem(desc, b->keyValue, side, side == 1 ? spot : end,
                              side == 1 ? end : spot);
        }
        std::vector<std::unique_ptr<KeyAssignmentRow>> rows;
        host_.Store().LoadButtonAssignments(host_.CurrentProfile(), rows);
        for (const auto& row : rows) {
            if (!row || !layout->FindButton(row->keyCode)) continue;
            const std::string text = DisplayText(*row);
            if (!text.empty()) SetDescription(row->keyCode, text);
        }
    }
    if (types_) types_->SelectData(kMouseFunction);
    ChooseType(kMouseFunction);
    // The first button, with what it is assigned (type 5 for the default left button).
    SelectButton(kFirstButton);
}

void MouseKeyPage::SetDescription(int keyCode, const std::string& desc) {
    if (keys_) keys_->SetItemKeyDesc(keyCode, desc);
    if (picture_)
        for (int i = 0; i < picture_->GetItemCount(); ++i)
            if (picture_->GetItemKeyValue(i) == keyCode) picture_->SetItemText(i, desc);
}

void MouseKeyPage::SelectButton(int keyCode) {
    selectedButton_ = keyCode;
    if (keys_)
        for (int i = 0; i < keys_->GetItemCount(); ++i)
            if (keys_->GetItemKeyValue(i) == keyCode) keys_->SetSelectItem(i);
    if (picture_)
        for (int i = 0; i < picture_->GetItemCount(); ++i)
            if (picture_->GetItemKeyValue(i) == keyCode) picture_->SetSelectItem(i);
    ShowAssignmentOf(keyCode);
}

void MouseKeyPage::ShowAssignmentOf(int keyCode) {
    if (!types_) return;
    KeyAssignmentRow row;
    int type = kMouseFunction;
    int value = keyCode;
    if (host_.Store().GetButtonAssignment(host_.CurrentProfile(), keyCode, row)) {
        type = row.macroType;
        value = row.macroValue;
    } else if (const auto layout = host_.Layout()) {
        if (const LayoutButton* b = layout->FindButton(keyCode)) {
            type = b->funcType;
            value = b->funcValue;
        }
    }
    // Types this page does not offer (software functions set elsewhere) show as they are on
    // the button only.
    if (types_->FindData(type) < 0) return;
    types_->SelectData(type);
    ChooseType(type);
    if (type == kKeyboardKey) {
        capturedKey_ = value;
        if (keyEdit_) keyEdit_->SetEditText(row.macroDesc);
    } else if (functions_) {
        functions_->SelectData(value);
    }
}

void MouseKeyPage::ChooseType(int type) {
    if (!functions_ || !keyEdit_) return;
    if (type == kKeyboardKey) {
        functions_->SetVisible(false);
        keyEdit_->SetEditText({});
        keyEdit_->SetVisible(true);
        capturedKey_ = 0;
        return;
    }
    keyEdit_->SetVisible(false);
    functions_->SetVisible(true);
    functions_->DelAllItems();
    switch (type) {
    case kMacro:
        FillMacros();
        break;
    case kMouseFunction:
        for (const Entry& e : kMouseFunctions)
            functions_->AddItem(UiText::Dialog(e.text), e.value);
        break;
    case kMediaFunction:
        for (const Entry& e : kMediaFunctions)
            functions_->AddItem(UiText::Dialog(e.text), e.value);
        break;
    case kShortcut:
        for (int v = 1; v <= kShortcutCount; ++v)
            functions_->AddItem(UiText::Dialog(kShortcutTextBase + v), v);
        break;
    default:
        break;
    }
    functions_->SetCurSel(functions_->GetItemCount() > 0 ? 0 : -1);
}

void MouseKeyPage::FillMacros() {
    std::vector<std::unique_ptr<MacroRow>> macros;
    host_.Store().LoadMacroList(macros);
    const std::string word = UiText::Dialog(kMacroWordText);
    for (const auto& m : macros)
        if (m)
            functions_->AddItem(MacroDisplayName(m->name, Language::Current(), word), m->macroId);
}

int MouseKeyPage::CountLeftButtons() const {
    const std::string left = UiText::Dialog(kLeftButtonText);
    int count = 0;
    if (keys_)
        for (int i = 0; i < keys_->GetItemCount(); ++i)
            if (keys_->GetItemKeyDesc(i) == left) ++count;
    return count;
}

bool MouseKeyPage::Apply() {
    if (!keys_ || !types_) return false;
    const int index = keys_->GetSelectItem();
    if (index < 0) return false;
    const int keyCode = keys_->GetItemKeyValue(index);
    if (keys_->GetItemKeyDesc(index) == UiText::Dialog(kLeftButtonText) &&
        CountLeftButtons() <= 1) {
        host_.ShowMessageBox(UiText::Dialog(kRefusedMessageText),
                             UiText::Dialog(kRefusedCaptionText), 0);
        return false;
    }
    KeyAssignmentRow row;
    row.profile = host_.CurrentProfile();
    row.fnLayer = 0;
    row.keyCode = keyCode;
    row.macroType = CurrentType();
    if (const auto layout = host_.Layout())
        if (const LayoutButton* b = layout->FindButton(keyCode)) {
            row.layoutValue = b->funcValue;
            row.layoutDesc = b->funcDesc;
        }
    if (row.macroType == kKeyboardKey) {
        row.macroDesc = keyEdit_ ? keyEdit_->GetEditText() : std::string();
        row.macroValue = capturedKey_;
        // A key without a code would be stored as no row at all, i.e. the button's default,
        // while the button showed the key's name.
        if (row.macroDesc.empty() || row.macroValue == 0) return false;
    } else {
        if (!functions_ || functions_->GetCurSel() < 0) return false;
        row.macroValue = static_cast<int>(functions_->GetCurData());
        row.macroDesc = functions_->GetItemText(functions_->GetCurSel());
    }
    const bool stored = host_.Store().SaveButtonAssignment(row) > 0;
    if (stored) SetDescription(keyCode, row.macroDesc);
    // The device gets what the store holds, even when this write failed.
    if (CThreadBasic* worker = host_.Worker()) worker->SetSelectedButton(keyCode);
    host_.QueueTask(CThreadBasic::kAssignButton);
    host_.ShowWaitDialog();
    return stored;
}

void MouseKeyPage::StartCapture() {
    mode_ = kCaptureMode;
    capturedKey_ = 0;
    if (keyEdit_) keyEdit_->SetEditText({});
}

void MouseKeyPage::StopCapture() {
    if (keyEdit_ && keyEdit_->IsCapturing()) keyEdit_->StopCapture();
    if (mode_ == kCaptureMode) mode_ = 0;
}

bool MouseKeyPage::OnNotify(unsigned id, int code, WPARAM wparam, LPARAM) {
    switch (id) {
    case kKeyListId:
        if (code == 1 && keys_) {
            const int index = static_cast<int>(static_cast<intptr_t>(wparam));
            if (index >= 0) SelectButton(keys_->GetItemKeyValue(index));
        }
        return true;
    case kPictureId:
        if (code == 1 && picture_) {
            const int index = static_cast<int>(static_cast<intptr_t>(wparam));
            if (index >= 0) SelectButton(picture_->GetItemKeyValue(index));
        }
        return true;
    case kTypeComboId:
        if (code == 2) {
            StopCapture();
            ChooseType(CurrentType());
        }
        return true;
    case kFunctionComboId:
        return true;
    case kKeyEditId:
        if (code == 30) StartCapture();
        if (code == 29 && mode_ == kCaptureMode) mode_ = 0;
        return true;
    case kApplyId:
        if (code == 2) {
            StopCapture();
            Apply();
        }
        return true;
    default:
        return false;
    }
}

void MouseKeyPage::OnKeyEvent(WPARAM wparam, LPARAM lparam) {
    const KeyNames::KeyEvent event = KeyNames::Decode(wparam, lparam);
    if (event.virtualKey == 0) return;
    if (event.release)
        held_.Release(event.virtualKey);
    else
        held_.Press(event.virtualKey);
    if (mode_ != kCaptureMode) return;
    const int code = KeyNames::KeyCodeFromVirtualKey(event.virtualKey);
    // Keys without a code leave the last captured one.
    if (code == 0) return;
    capturedKey_ = code;
    if (keyEdit_) keyEdit_->SetEditText(KeyNames::VirtualKeyName(event.virtualKey));
}

bool MouseKeyPage::OnWindowMessage(uint32_t msg, WPARAM wparam, LPARAM lparam) {
    if (msg == kKeyEvent) {
        OnKeyEvent(wparam, lparam);
        return false; // every page sees every key
    }
    if (msg == kMacrosChanged) {
        if (CurrentType() == kMacro && functions_) {
            const intptr_t chosen = functions_->GetCurData();
            ChooseType(kMacro);
            functions_->SelectData(chosen);
        }
        // The descriptions of buttons that play a renamed macro.
        std::vector<std::unique_ptr<KeyAssignmentRow>> rows;
        host_.Store().LoadButtonAssignments(host_.CurrentProfile(), rows);
        for (const auto& row : rows)
            if (row && row->macroType == kMacro) SetDescription(row->keyCode, DisplayText(*row));
        return false;
    }
    if (msg == kSoftwareFunctionMessage) {
        RunSoftwareFunction(static_cast<int>(lparam));
        return true;
    }
    return false;
}

void MouseKeyPage::RunSoftwareFunction(int id) {
    if (!software_) return;
    const SoftwareFunction::Outcome outcome = software_->Perform(host_.Store(), id);
    if (outcome.type != SoftwareFunction::kSwitchProfile || outcome.profile <= 0) return;
    // Switch as the profile list's choice does.
    if (!host_.Store().SetActiveProfile(outcome.profile)) return;
    host_.SetCurrentProfile(outcome.profile);
    host_.QueueTask(CThreadBasic::kActivateProfile);
    host_.ShowWaitDialog();
    host_.ReloadPages();
}

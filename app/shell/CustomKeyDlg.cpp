#include "app/shell/CustomKeyDlg.h"

#include "app/files/FileChooser.h"
#include "app/files/Language.h"
#include "app/files/UiText.h"
#include "app/shell/DesktopFileChooser.h"
#include "app/shell/KeyCaptureEdit.h"
#include "app/shell/KeyNames.h"
#include "app/shell/pages/MouseKeyPage.h"
#include "app/store/MacroRow.h"
#include "app/store/ProfileDefaults.h"
#include "app/store/ProfileRow.h"
#include "app/store/SettingsDatabase.h"
#include "ui/controls/CCheckButton.h"
#include "ui/controls/CImageButton.h"
#include "ui/controls/MButton.h"
#include "ui/controls/MComboBox.h"
#include "ui/controls/MEdit.h"
#include "ui/controls/MText.h"

#include <filesystem>
#include <vector>

using namespace Tolva;

namespace {

struct Entry {
    int value;
    int text;
};

// The type list in the order it is shown, with its texts.
constexpr Entry kTypes[] = {
    {CustomKeyDlg::kKey, 205},     {CustomKeyDlg::kMacro, 206},    {CustomKeyDlg::kMouse, 207},
    {CustomKeyDlg::kMedia, 208},   {CustomKeyDlg::kShortcut, 209}, {CustomKeyDlg::kProgram, 210},
    {CustomKeyDlg::kWebPage, 211}, {CustomKeyDlg::kText, 212},     {CustomKeyDlg::kProfile, 213}};
constexpr Entry kMouseFunctions[] = {{1, 220}, {2, 222}, {3, 223}, {7, 227}, {8, 228}};
// Play/pause, stop, previous, next, volume up, volume down, mute.
constexpr Entry kMediaFunctions[] = {{1, 230}, {2, 231}, {3, 232}, {4, 233},
                                     {5, 234}, {6, 235}, {7, 236}};
constexpr int kShortcutCount = 15;
constexpr int kShortcutText = 700;
constexpr int kMacroWordText = 331;
constexpr int kProfileWordText = 65;

// Shift, Ctrl, Win, Alt: the order of the boxes and of the modifier text.
constexpr int kModifierFlags[4] = {CustomKeyDlg::kShift, CustomKeyDlg::kCtrl, CustomKeyDlg::kWin,
                                   CustomKeyDlg::kAlt};
constexpr const char* kModifierNames[4] = {"Shift", "Ctrl", "Win", "Alt"};

constexpr uint32_t kCaptionColour = 0xFFE8EAED;
constexpr uint32_t kLabelColour = 0xFFB8BEC6;
constexpr int kLabelLeft = 20, kFieldLeft = 130, kFieldRight = 400, kRowHeight = 30;
constexpr int kTypeTop = 56, kFunctionTop = 100, kModifierTop = 144, kNoteTop = 190;
constexpr int kNoProgramText = 219;
constexpr uint32_t kNoteColour = 0xFFF0B060;
constexpr int kFontPoints = 10;

bool IsTextType(int type) {
    return type == CustomKeyDlg::kProgram || type == CustomKeyDlg::kWebPage ||
           type == CustomKeyDlg::kText;
}

bool IsListType(int type) {
    return type == CustomKeyDlg::kMacro || type == CustomKeyDlg::kMouse ||
           type == CustomKeyDlg::kMedia || type == CustomKeyDlg::kShortcut ||
           type == CustomKeyDlg::kProfile;
}

bool IsKnownType(int type) {
    for (const Entry& e : kTypes)
        if (e.value == type) return true;
    return false;
}

std::string FileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

MText* Label(MDialog& d, unsigned id, const Rect& r, int textId) {
    auto* label = static_cast<MText*>(d.CreateControl("MText", id, r, UiText::Dialog(textId)));
    if (label) {
        label->SetFontWidth(kFontPoints);
        label->SetTextColor(kLabelColour);
        label->EnableVCenter(true);
    }
    return label;
}

} // namespace

CustomKeyDlg::CustomKeyDlg(SettingsDatabase& store, int profile, int fnLayer, int keyCode,
                           const std::string& keyName, int type)
    : store_(store), profile_(profile), fnLayer_(fnLayer), keyCode_(keyCode), keyName_(keyName),
      type_(IsKnownType(type) ? type : kKey), chooser_(std::make_unique<DesktopFileChooser>()) {}

CustomKeyDlg::~CustomKeyDlg() = default;

bool CustomKeyDlg::Open(NativeWindow* owner) {
    if (!Create(owner, kWindowName, kStyle, 0, Rect{0, 0, kWidth, kHeight})) return false;
    CenterWindow(owner);
    return true;
}

bool CustomKeyDlg::DoModal(NativeWindow* owner) {
    if (!GetSafeHwnd() && !Open(owner)) return false;
    ShowModal(SW_SHOW);
    return applied_;
}

std::string CustomKeyDlg::ModifierText(int flags) {
    std::string text;
    for (int i = 0; i < 4; ++i) {
        if (!(flags & kModifierFlags[i])) continue;
        text +=
            text.empty() ? std::string(kModifierNames[i]) : "+ " + std::string(kModifierNames[i]);
    }
    return text;
}

std::string CustomKeyDlg::KeyDescription(int flags, const std::string& keyName) {
    const std::string modifiers = ModifierText(flags);
    if (modifiers.empty() || keyName.empty()) return keyName;
    return modifiers + " + " + keyName;
}

void CustomKeyDlg::SetFileChooser(std::unique_ptr<FileChooser> chooser) {
    if (chooser) chooser_ = std::move(chooser);
}

void CustomKeyDlg::InitUI(const Rect& rect) {
    SetBackColor(0x2A2521, 0x575757);
    EnableWndDrag(true);

    const std::string title =
        keyName_.empty() ? UiText::Dialog(201) : UiText::Dialog(201) + " - " + keyName_;
    if (auto* caption = static_cast<MText*>(
            CreateControl("MText", kCaptionId, Rect{16, 10, rect.right - 44, 36}, title))) {
        caption->SetFontWidth(12);
        caption->SetTextColor(kCaptionColour);
        caption->EnableVCenter(true);
    }
    if (auto* close = static_cast<MButton*>(CreateControl(
            "CImageButton", kCloseId, Rect{rect.right - 36, 10, rect.right - 12, 34}))) {
        close->SetImage("sysbtn_close.png", 4);
        close->SetTooltip(UiText::Dialog(25));
    }

    Label(*this, kTypeLabelId, Rect{kLabelLeft, kTypeTop, kFieldLeft - 8, kTypeTop + kRowHeight},
          202);
    types_ = static_cast<MComboBox*>(CreateControl(
        "MComboBox", kTypeId, Rect{kFieldLeft, kTypeTop, kFieldRight, kTypeTop + kRowHeight}));
    functionLabel_ =
        Label(*this, kFunctionLabelId,
              Rect{kLabelLeft, kFunctionTop, kFieldLeft - 8, kFunctionTop + kRowHeight}, 203);
    const Rect field{kFieldLeft, kFunctionTop, kFieldRight, kFunctionTop + kRowHeight};
    functions_ = static_cast<MComboBox*>(CreateControl("MComboBox", kFunctionId, field));
    for (MComboBox* combo : {types_, functions_})
        if (combo) {
            combo->SetImage("img_combobox.png", 4);
            combo->SetFontWidth(kFontPoints);
        }
    if (types_)
        for (const Entry& e : kTypes)
            types_->AddItem(UiText::Dialog(e.text), e.value);

    // The text box leaves room for the browse button of type 8.
    text_ = static_cast<MEdit*>(CreateControl(
        "MEdit", kTextId, Rect{field.left, field.top, field.right - 40, field.bottom}));
    if (text_) {
        text_->SetImage("img_edit.png", 4);
        text_->SetFontWidth(kFontPoints);
        text_->SetLimitText(250);
    }
    browse_ = static_cast<CImageButton*>(CreateControl(
        "CImageButton", kBrowseId, Rect{field.right - 32, field.top, field.right, field.bottom}));
    if (browse_) {
        browse_->SetImage("btn_openfile.png", 4);
        browse_->SetTooltip(UiText::Dialog(215));
    }
    keyEdit_ = static_cast<KeyCaptureEdit*>(
        GetPaintManager().AddControl(std::make_unique<KeyCaptureEdit>(this, kKeyEditId, field), 1));
    if (keyEdit_) {
        keyEdit_->SetImage("img_edit.png", 4);
        keyEdit_->SetReadOnly(true);
        keyEdit_->SetFontWidth(kFontPoints);
    }

    modifierLabel_ =
        Label(*this, kModifierLabelId,
              Rect{kLabelLeft, kModifierTop, kFieldLeft - 8, kModifierTop + kRowHeight}, 217);
    for (int i = 0; i < 4; ++i) {
        const int left = kFieldLeft + i * 68;
        modifiers_[static_cast<size_t>(i)] = static_cast<CCheckButton*>(CreateControl(
            "CCheckButton", kShiftId + static_cast<unsigned>(i),
            Rect{left, kModifierTop, left + 64, kModifierTop + kRowHeight}, kModifierNames[i]));
        if (CCheckButton* box = modifiers_[static_cast<size_t>(i)]) {
            box->SetImage("btn_checkbox.png", 8);
            box->SetFontWidth(kFontPoints);
        }
    }

    note_ = static_cast<MText*>(CreateControl(
        "MText", kNoteId, Rect{kLabelLeft, kNoteTop, kFieldRight, kNoteTop + kRowHeight}));
    if (note_) {
        note_->SetFontWidth(kFontPoints);
        note_->SetTextColor(kNoteColour);
        note_->EnableVCenter(true);
        note_->SetVisible(false);
    }

    if (auto* apply = static_cast<MButton*>(CreateControl(
            "MButton", kApplyId,
            Rect{rect.right - 120, rect.bottom - 50, rect.right - 20, rect.bottom - 20},
            UiText::Dialog(22)))) {
        apply->SetImage("btn_apply.png", 4);
        apply->SetFontWidth(kFontPoints);
    }
    const int type = type_;
    type_ = 0;
    SelectType(type);
}

void CustomKeyDlg::SelectType(int type) {
    if (!IsKnownType(type)) return;
    const bool changed = type != type_;
    type_ = type;
    if (types_) types_->SelectData(type);
    if (changed) {
        // What was typed or chosen for another type does not carry over.
        programPath_.clear();
        pendingText_.clear();
        if (text_) text_->SetEditText({});
        FillFunctions();
    }
    ShowTypeControls();
}

void CustomKeyDlg::FillFunctions() {
    if (!functions_) return;
    functions_->DelAllItems();
    switch (type_) {
    case kMacro: {
        std::vector<std::unique_ptr<MacroRow>> macros;
        store_.LoadMacroList(macros);
        const std::string word = UiText::Dialog(kMacroWordText);
        for (const auto& m : macros)
            if (m)
                functions_->AddItem(
                    MouseKeyPage::MacroDisplayName(m->name, Language::Current(), word), m->macroId);
        break;
    }
    case kMouse:
        for (const Entry& e : kMouseFunctions)
            functions_->AddItem(UiText::Dialog(e.text), e.value);
        break;
    case kMedia:
        for (const Entry& e : kMediaFunctions)
            functions_->AddItem(UiText::Dialog(e.text), e.value);
        break;
    case kShortcut:
        for (int n = 1; n <= kShortcutCount; ++n)
            functions_->AddItem(UiText::Dialog(kShortcutText + n), n);
        break;
    case kProfile: {
        std::vector<std::unique_ptr<ProfileRow>> profiles;
        store_.LoadProfileList(profiles);
        const std::string word = UiText::Dialog(kProfileWordText);
        for (const auto& p : profiles)
            if (p)
                functions_->AddItem(
                    ProfileDefaults::DisplayName(p->name, Language::Current(), word), p->profile);
        break;
    }
    default:
        break;
    }
    if (functions_->GetItemCount() > 0) functions_->SetCurSel(0);
}

void CustomKeyDlg::ShowNote(int textId) {
    if (!note_) return;
    if (textId > 0) note_->SetTitle(UiText::Dialog(textId));
    note_->SetVisible(textId > 0);
}

void CustomKeyDlg::ShowTypeControls() {
    ShowNote(0);
    const bool key = type_ == kKey;
    if (keyEdit_) {
        if (!key) keyEdit_->StopCapture();
        keyEdit_->SetVisible(key);
    }
    if (functions_) functions_->SetVisible(IsListType(type_));
    if (text_) text_->SetVisible(IsTextType(type_));
    if (browse_) browse_->SetVisible(type_ == kProgram);
    if (modifierLabel_) modifierLabel_->SetVisible(key);
    for (CCheckButton* box : modifiers_)
        if (box) box->SetVisible(key);
    if (functionLabel_)
        functionLabel_->SetTitle(UiText::Dialog(key ? 205 : IsTextType(type_) ? 216 : 203));
}

bool CustomKeyDlg::SelectFunction(int value) {
    return functions_ && functions_->SelectData(value) == 1;
}

int CustomKeyDlg::FunctionCount() const {
    return functions_ ? functions_->GetItemCount() : 0;
}

void CustomKeyDlg::SetModifier(int flag, bool on) {
    for (int i = 0; i < 4; ++i)
        if (kModifierFlags[i] == flag && modifiers_[static_cast<size_t>(i)])
            modifiers_[static_cast<size_t>(i)]->SetCheck(on);
}

int CustomKeyDlg::Modifiers() const {
    int flags = 0;
    for (int i = 0; i < 4; ++i)
        if (modifiers_[static_cast<size_t>(i)] && modifiers_[static_cast<size_t>(i)]->GetCheck())
            flags += kModifierFlags[i];
    return flags;
}

void CustomKeyDlg::SetText(const std::string& text) {
    if (text_)
        text_->SetEditText(text);
    else
        pendingText_ = text;
}

std::string CustomKeyDlg::Text() const {
    if (!text_) return pendingText_;
    return text_->GetEditText();
}

void CustomKeyDlg::SetCapturedKey(int keyCode, const std::string& name) {
    if (keyCode <= 0) return;
    capturedKey_ = keyCode;
    capturedName_ = name.empty() ? KeyNames::KeyCodeName(keyCode) : name;
    if (keyEdit_) keyEdit_->SetEditText(capturedName_);
}

bool CustomKeyDlg::SetProgramPath(const std::string& path) {
    std::error_code ec;
    if (path.empty() || !std::filesystem::is_regular_file(path, ec)) return false;
    programPath_ = path;
    SetText(FileNameOf(path));
    ShowNote(0);
    return true;
}

bool CustomKeyDlg::Browse() {
    if (!chooser_ || type_ != kProgram) return false;
    std::string path;
    if (!chooser_->ChooseOpenFile("Application (*.exe)", "*.exe", path)) return false;
    return SetProgramPath(path);
}

int CustomKeyDlg::StoreExtraData(const std::string& description, const std::string& parameter) {
    if (description.empty()) return 0;
    const int id = store_.AddKeyExtraData(description, parameter, type_);
    return id > 0 ? id : 0;
}

bool CustomKeyDlg::Apply() {
    if (keyCode_ <= 0) return false;
    // A value typed and not yet confirmed counts.
    if (text_ && text_->IsEditShown()) text_->CloseEdit(true);
    KeyAssignmentRow row;
    row.profile = profile_;
    row.fnLayer = fnLayer_;
    row.keyCode = keyCode_;
    row.layoutValue = keyCode_;
    row.layoutDesc = keyName_;
    row.macroType = type_;
    switch (type_) {
    case kKey: {
        // Without a key there is nothing to send; the flags alone would make a key of code 0.
        if (capturedKey_ <= 0) return false;
        row.macroValue = capturedKey_;
        row.macroValue2 = Modifiers();
        row.macroDesc = KeyDescription(row.macroValue2, capturedName_);
        break;
    }
    case kMacro:
    case kMouse:
    case kMedia:
    case kShortcut: {
        if (!functions_ || functions_->GetCurSel() < 0) return false;
        row.macroValue = static_cast<int>(functions_->GetCurData());
        row.macroDesc = functions_->GetItemText(functions_->GetCurSel());
        if (row.macroValue <= 0) return false;
        break;
    }
    case kProgram: {
        const std::string description = Text();
        // A program function without a program would start nothing when pressed.
        if (programPath_.empty()) {
            ShowNote(kNoProgramText);
            return false;
        }
        row.macroValue = StoreExtraData(description, programPath_);
        row.macroDesc = description;
        if (row.macroValue < 1) return false;
        break;
    }
    case kWebPage:
    case kText: {
        const std::string description = Text();
        row.macroValue = StoreExtraData(description, {});
        row.macroDesc = description;
        if (row.macroValue < 1) return false;
        break;
    }
    case kProfile: {
        if (!functions_ || functions_->GetCurSel() < 0) return false;
        const int profile = static_cast<int>(functions_->GetCurData());
        const std::string description = functions_->GetItemText(functions_->GetCurSel());
        if (profile <= 0) return false;
        row.macroValue = StoreExtraData(description, std::to_string(profile));
        row.macroDesc = description;
        if (row.macroValue < 1) return false;
        break;
    }
    default:
        return false;
    }
    if (store_.SaveKeyAssignment(row) <= 0) return false;
    result_ = row;
    applied_ = true;
    if (keyEdit_) keyEdit_->StopCapture();
    if (GetSafeHwnd()) DoOK();
    return true;
}

void CustomKeyDlg::OnKey(WPARAM wparam, LPARAM lparam) {
    if (!keyEdit_ || !keyEdit_->IsCapturing()) return;
    const KeyNames::KeyEvent event = KeyNames::Decode(wparam, lparam);
    if (event.virtualKey == 0) return;
    const int code = KeyNames::KeyCodeFromVirtualKey(event.virtualKey);
    // Keys without a code leave the last captured one.
    if (code == 0) return;
    SetCapturedKey(code, KeyNames::VirtualKeyName(event.virtualKey));
}

LRESULT CustomKeyDlg::OnMessage(unsigned id, int code, WPARAM, LPARAM) {
    switch (id) {
    case kCloseId:
        if (code == 2) DoCancel();
        break;
    case kApplyId:
        if (code == 2) Apply();
        break;
    case kTypeId:
        if (code == 2 && types_) SelectType(static_cast<int>(types_->GetCurData()));
        break;
    case kBrowseId:
        if (code == 2) Browse();
        break;
    default:
        break;
    }
    return 0;
}

LRESULT CustomKeyDlg::OnWindowMessage(uint32_t msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        OnKey(wparam, lparam);
        break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        OnKey(wparam, static_cast<LPARAM>(
                          static_cast<int32_t>(static_cast<uint32_t>(lparam) | 0x80000000u)));
        break;
    case kKeyEvent:
        OnKey(wparam, lparam);
        return 0;
    default:
        break;
    }
    return MDialog::OnWindowMessage(msg, wparam, lparam);
}

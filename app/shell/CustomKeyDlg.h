#pragma once

#include "app/store/KeyAssignmentRow.h"
#include "ui/core/MDialog.h"

#include <array>
#include <memory>
#include <string>

class FileChooser;
class KeyCaptureEdit;
class SettingsDatabase;

namespace Tolva {
class CCheckButton;
class CImageButton;
class MComboBox;
class MEdit;
class MText;
} // namespace Tolva

// The keyboard key page's dialog for one key: a function type (key with modifiers, macro, mouse
// function, media, shortcut, program, web page, text, profile switch), the choice within it,
// and apply, which stores the key's assignment (types 8 to 11 first store their text as key
// extra data, whose id becomes the value). Closes with OK only when something was stored.
class CustomKeyDlg : public Tolva::MDialog {
public:
    static constexpr int kWidth = 420;
    static constexpr int kHeight = 300;
    static constexpr uint32_t kStyle = 0x96000000;
    static constexpr const char* kWindowName = "CustomKeyDlg";
    // A key event handed on by the main window, as its pages get them.
    static constexpr uint32_t kKeyEvent = 1654;

    static constexpr unsigned kCaptionId = 1;
    static constexpr unsigned kCloseId = 2;
    static constexpr unsigned kTypeId = 3;
    static constexpr unsigned kFunctionId = 4;
    static constexpr unsigned kTextId = 5;
    static constexpr unsigned kKeyEditId = 6;
    static constexpr unsigned kShiftId = 7; // Shift, Ctrl, Win, Alt: 7 to 10
    static constexpr unsigned kBrowseId = 11;
    static constexpr unsigned kApplyId = 12;
    static constexpr unsigned kTypeLabelId = 13;
    static constexpr unsigned kFunctionLabelId = 14;
    static constexpr unsigned kModifierLabelId = 15;
    static constexpr unsigned kNoteId = 16; // what a refused apply still needs

    // Function types.
    static constexpr int kKey = 2;
    static constexpr int kMacro = 3;
    static constexpr int kMouse = 5;
    static constexpr int kMedia = 6;
    static constexpr int kShortcut = 7;
    static constexpr int kProgram = 8;
    static constexpr int kWebPage = 9;
    static constexpr int kText = 10;
    static constexpr int kProfile = 11;

    // Modifier flags of a key function.
    static constexpr int kCtrl = 1;
    static constexpr int kShift = 2;
    static constexpr int kAlt = 4;
    static constexpr int kWin = 8;

    // The key to assign: its code and legend, in the profile and fn layer given. `type` is the
    // one shown first (any other value shows type 2).
    CustomKeyDlg(SettingsDatabase& store, int profile, int fnLayer, int keyCode,
                 const std::string& keyName, int type = kKey);
    ~CustomKeyDlg() override;

    // Creates the window centred on the owner; false when it cannot be made.
    bool Open(Tolva::NativeWindow* owner);
    // Open, then the modal loop. True when an assignment was stored.
    bool DoModal(Tolva::NativeWindow* owner);

    // "Shift", "Ctrl", "Win", "Alt" in that order: the first bare, each later one as "+ Name"
    // straight after ("Shift+ Ctrl"); empty for no flags.
    static std::string ModifierText(int flags);
    // The text of a key with modifiers: "<modifiers> + <key>", or the key name alone.
    static std::string KeyDescription(int flags, const std::string& keyName);

    // What the controls hold; the handlers and tests change it through these.
    void SelectType(int type);
    int CurrentType() const { return type_; }
    // Selects the entry of the function list with that value; false when there is none.
    bool SelectFunction(int value);
    int FunctionCount() const;
    void SetModifier(int flag, bool on);
    int Modifiers() const;
    void SetText(const std::string& text);
    std::string Text() const;
    // A key pressed while the key box captures (code 0 is ignored, the last key wins).
    void SetCapturedKey(int keyCode, const std::string& name);
    int CapturedKey() const { return capturedKey_; }
    // The program of type 8: kept when the file exists, its name shown in the text box.
    bool SetProgramPath(const std::string& path);
    const std::string& ProgramPath() const { return programPath_; }
    // The open-file dialog of type 8; owned. Tests give one with a prepared answer.
    void SetFileChooser(std::unique_ptr<FileChooser> chooser);
    bool Browse();

    // Stores the assignment for the dialog's key and closes with OK; false, with nothing
    // stored and the dialog open, when the choice is incomplete or the store refused.
    bool Apply();
    bool IsApplied() const { return applied_; }
    // The row stored by the last successful Apply.
    const KeyAssignmentRow& Result() const { return result_; }

    void InitUI(const Tolva::Rect& rect) override;
    Tolva::LRESULT OnMessage(unsigned id, int code, Tolva::WPARAM wparam,
                             Tolva::LPARAM lparam) override;
    Tolva::LRESULT OnWindowMessage(uint32_t msg, Tolva::WPARAM wparam,
                                   Tolva::LPARAM lparam) override;

private:
    void FillFunctions();
    void ShowTypeControls();
    void ShowNote(int textId); // 0 hides it
    void OnKey(Tolva::WPARAM wparam, Tolva::LPARAM lparam);
    int StoreExtraData(const std::string& description, const std::string& parameter);

    SettingsDatabase& store_;
    int profile_;
    int fnLayer_;
    int keyCode_;
    std::string keyName_;
    int type_;
    int capturedKey_ = 0;
    std::string capturedName_;
    std::string programPath_;
    std::string pendingText_;
    bool applied_ = false;
    KeyAssignmentRow result_;
    std::unique_ptr<FileChooser> chooser_;

    Tolva::MComboBox* types_ = nullptr;
    Tolva::MComboBox* functions_ = nullptr;
    Tolva::MEdit* text_ = nullptr;
    KeyCaptureEdit* keyEdit_ = nullptr;
    std::array<Tolva::CCheckButton*, 4> modifiers_{}; // Shift, Ctrl, Win, Alt
    Tolva::CImageButton* browse_ = nullptr;
    Tolva::MText* functionLabel_ = nullptr;
    Tolva::MText* modifierLabel_ = nullptr;
    Tolva::MText* note_ = nullptr;
};

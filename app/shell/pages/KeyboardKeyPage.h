#pragma once

#include "app/shell/pages/ShellPage.h"
#include "app/store/KeyAssignmentRow.h"

#include <functional>
#include <memory>
#include <string>

class CustomKeyDlg;

namespace Tolva {
class KeyboardCtrl;
class KeyFuncControl;
class MenuWnd;
class MText;
} // namespace Tolva

// The keyboard family's key page (layout 51): the keyboard picture, whose keys show their
// assignments; the on-screen keyboard of functions that assigns the picked one to the selected
// key; and the key's right-click menu (custom key, mouse function, macro, shortcut through
// CustomKeyDlg, and back to the key's own function). Every change is stored, then sent (task 6).
class KeyboardKeyPage : public ShellPage {
public:
    static constexpr unsigned kLayoutId = 51;
    static constexpr unsigned kKeyboardId = 66;
    static constexpr unsigned kStatusId = 67;
    static constexpr unsigned kFunctionsId = 68;
    static constexpr unsigned kHintId = 69; // the page's hint line
    static constexpr uint32_t kMenuMessage = 1825;
    // Menu commands by position.
    static constexpr int kMenuCustomKey = 606;
    static constexpr int kMenuMouse = 607;
    static constexpr int kMenuMacro = 608;
    static constexpr int kMenuShortcut = 609;
    static constexpr int kMenuDefault = 610;
    static constexpr int kPlainMode = 100;
    static constexpr int kSelectionMode = 101;

    explicit KeyboardKeyPage(PageHost& host);
    ~KeyboardKeyPage() override;

    int PageId() const override { return 1; }
    void Build() override;
    bool OnNotify(unsigned id, int code, Tolva::WPARAM wparam, Tolva::LPARAM lparam) override;
    bool OnWindowMessage(uint32_t msg, Tolva::WPARAM wparam, Tolva::LPARAM lparam) override;
    void Reload() override;
    void ApplyTexts() override;

    // The key whose assignment the page shows and changes (0 when none).
    bool SelectKey(int keyValue);
    int SelectedKey() const { return selectedKey_; }
    // Gives the selected key the picked function of the on-screen keyboard (a key or one of
    // the program's media codes). False when nothing was stored.
    bool AssignFunction(int code);
    // The selected key plays its own function again.
    bool RestoreDefault();
    // Opens CustomKeyDlg for the selected key showing `type` first; true when it stored.
    bool OpenCustomKey(int type);
    // The text an assignment shows on its key.
    std::string DisplayText(const KeyAssignmentRow& row) const;
    // The stored row of a key; false when it plays its own function.
    bool Assignment(int keyValue, KeyAssignmentRow& row) const;

    // Called with the dialog once it is open, before its loop (tests drive it from there).
    void SetDialogHook(std::function<void(CustomKeyDlg&)> hook) { dialogHook_ = std::move(hook); }
    Tolva::KeyboardCtrl* Keyboard() const { return keyboard_; }
    Tolva::KeyFuncControl* Functions() const { return functions_; }
    Tolva::MText* Status() const { return status_; }
    // The key's open menu; null when none is open.
    Tolva::MenuWnd* Menu() const { return menu_.get(); }

private:
    bool IsKeyboardShown() const;
    void ShowHint();
    void OpenMenu();
    void Changed(int keyValue);
    void ShowKey(int keyValue);
    std::string KeyName(int keyValue) const;

    Tolva::KeyboardCtrl* keyboard_ = nullptr;
    Tolva::KeyFuncControl* functions_ = nullptr;
    Tolva::MText* status_ = nullptr;
    Tolva::MText* hint_ = nullptr;
    std::unique_ptr<Tolva::MenuWnd> menu_;
    bool menuChoicePending_ = false;
    int selectedKey_ = 0;
    std::function<void(CustomKeyDlg&)> dialogHook_;
};

#pragma once

#include "app/shell/HeldKeys.h"
#include "app/shell/pages/ShellPage.h"
#include "app/store/KeyAssignmentRow.h"

#include <memory>
#include <string>
#include <vector>

class KeyCaptureEdit;
class SoftwareFunction;

namespace Tolva {
class MButton;
class MComboBox;
class MouseCtrl;
class MouseKeyCtrl;
class MPicture;
} // namespace Tolva

// Page 6 of the mouse family (layout 501): the button list and the mouse picture kept on the
// same button, the function chooser (type and function, or a captured keyboard key) and apply,
// which stores the assignment and has the worker send it (task 13). It also performs the
// software functions (message 1092) the mouse's buttons ask for.
class MouseKeyPage : public ShellPage {
public:
    static constexpr unsigned kLayoutId = 501;
    static constexpr unsigned kKeyListId = 516;
    static constexpr unsigned kPictureId = 517;
    static constexpr unsigned kTypeComboId = 519;
    static constexpr unsigned kFunctionComboId = 520;
    static constexpr unsigned kKeyEditId = 521;
    static constexpr unsigned kApplyId = 522;
    static constexpr unsigned kMousePictureId = 523;

    static constexpr uint32_t kSoftwareFunctionMessage = 1092;
    static constexpr int kCaptureMode = 10;
    static constexpr int kFirstButton = 208;

    // Function types.
    static constexpr int kKeyboardKey = 2;
    static constexpr int kMacro = 3;
    static constexpr int kMouseFunction = 5;
    static constexpr int kMediaFunction = 6;
    static constexpr int kShortcut = 7;

    // Texts.
    static constexpr int kLeftButtonText = 820;
    static constexpr int kRefusedCaptionText = 840;
    static constexpr int kRefusedMessageText = 841;
    static constexpr int kMacroWordText = 331;
    static constexpr int kShortcutTextBase = 700;
    static constexpr int kApplyText = 22;

    explicit MouseKeyPage(PageHost& host);
    ~MouseKeyPage() override;

    int PageId() const override { return 6; }
    void Build() override;
    bool OnNotify(unsigned id, int code, Tolva::WPARAM wparam, Tolva::LPARAM lparam) override;
    bool OnWindowMessage(uint32_t msg, Tolva::WPARAM wparam, Tolva::LPARAM lparam) override;
    void Reload() override;
    void ApplyTexts() override;

    // Selects a button (by its code) in both pictures and shows its assignment.
    void SelectButton(int keyCode);
    // Refills the function list for a function type and selects its first entry.
    void ChooseType(int type);
    // Stores and sends the chosen function for the selected button. False when nothing was
    // stored (refused, nothing chosen, or the store failed).
    bool Apply();

    int SelectedButton() const { return selectedButton_; }
    int Mode() const { return mode_; }
    int CapturedKey() const { return capturedKey_; }
    const HeldKeys& Held() const { return held_; }

    // A macro's name as the interface shows it: the other language's default prefix ("Macro" in
    // the Chinese interface, "宏" in the English one) is replaced by macroWord.
    static std::string MacroDisplayName(const std::string& name, int languageId,
                                        const std::string& macroWord);
    // What a stored assignment shows on its button; empty when the stored description stays.
    std::string DisplayText(const KeyAssignmentRow& row) const;
    // The catalogue's text number of a type 5 or 6 value; 0 when the type has no such entry.
    static int CatalogueText(int type, int value);

    // Where software functions go (tests replace it); owned.
    void SetSoftwareFunction(std::unique_ptr<SoftwareFunction> function);

private:
    void OnKeyEvent(Tolva::WPARAM wparam, Tolva::LPARAM lparam);
    void StartCapture();
    void StopCapture();
    void ShowAssignmentOf(int keyCode);
    void FillMacros();
    void SetDescription(int keyCode, const std::string& desc);
    void RunSoftwareFunction(int id);
    int CountLeftButtons() const;
    int CurrentType() const;

    Tolva::MouseKeyCtrl* keys_ = nullptr;
    Tolva::MouseCtrl* picture_ = nullptr;
    Tolva::MPicture* mouse_ = nullptr;
    Tolva::MComboBox* types_ = nullptr;
    Tolva::MComboBox* functions_ = nullptr;
    KeyCaptureEdit* keyEdit_ = nullptr;
    Tolva::MButton* apply_ = nullptr;

    std::unique_ptr<SoftwareFunction> software_;
    int selectedButton_ = kFirstButton;
    int mode_ = 0;
    int capturedKey_ = 0;
    HeldKeys held_;
};

#pragma once

#include "app/shell/pages/ShellPage.h"

#include <string>

namespace Tolva {
class CCheckButton;
class MButton;
class MComboBox;
class MText;
} // namespace Tolva

// The keyboard family's configuration page (page 5, layout 54): the language, starting with the
// desktop session, restoring the factory settings, resetting the key assignments of the current
// profile, the device's information and the hand-off to the firmware update tool.
class KeyboardConfigPage : public ShellPage {
public:
    static constexpr unsigned kLayoutId = 54;
    static constexpr unsigned kLanguageId = 132;
    static constexpr unsigned kAutostartId = 133;
    static constexpr unsigned kResetKeysId = 134;
    static constexpr unsigned kRestoreId = 135;
    static constexpr unsigned kInformationId = 136;
    static constexpr unsigned kFirmwareId = 137;
    static constexpr unsigned kLanguageLabelId = 138;
    static constexpr uint32_t kApplyTextsMessage = 2022;

    using ShellPage::ShellPage;

    int PageId() const override { return 5; }
    void Build() override;
    bool OnNotify(unsigned id, int code, Tolva::WPARAM wparam, Tolva::LPARAM lparam) override;
    void Reload() override;
    void ApplyTexts() override;

    // The operations behind the buttons; false when nothing changed.
    bool ResetKeyAssignments();
    bool RestoreDefaults();
    // The information message: device, firmware and software versions, one per line.
    std::string InformationText() const;
    void ShowInformation();

private:
    bool IsKeyboardShown() const;
    void OnLanguageChosen(int index);
    void OnAutostartChanged();

    Tolva::MText* languageLabel_ = nullptr;
    Tolva::MComboBox* language_ = nullptr;
    Tolva::CCheckButton* autostart_ = nullptr;
    Tolva::MButton* buttons_[4] = {}; // reset keys, restore, information, firmware
};

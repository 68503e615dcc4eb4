#pragma once

#include "app/shell/pages/ShellPage.h"

namespace Tolva {
class CCheckButton;
class MButton;
class MComboBox;
class MText;
} // namespace Tolva

// The mouse family's configuration page (page 10, layout 504): the language, starting with the
// desktop session, the wake-up method and restoring the factory settings. The top of the page
// is kept free for the software and firmware upgrade controls.
class ConfigPage : public ShellPage {
public:
    static constexpr int kPageId = 10;
    static constexpr unsigned kLayoutId = 504;
    static constexpr unsigned kLanguageId = 605;
    static constexpr unsigned kAutostartId = 606;
    static constexpr unsigned kRestoreId = 608;
    static constexpr unsigned kWakeUpId = 613;
    static constexpr unsigned kLanguageLabelId = 620;
    static constexpr unsigned kWakeUpLabelId = 621;
    // Makes the main window re-apply every text in the current language.
    static constexpr uint32_t kApplyTextsMessage = 2022;
    // Height kept free at the top of the page for the upgrade controls.
    static constexpr int kUpgradeAreaHeight = 150;
    static constexpr const char* kWakeUpKey = "wakeupmethod";

    using ShellPage::ShellPage;

    int PageId() const override { return kPageId; }
    void Build() override;
    bool OnNotify(unsigned id, int code, Tolva::WPARAM wparam, Tolva::LPARAM lparam) override;
    void Reload() override;
    void ApplyTexts() override;

private:
    void OnLanguageChosen(int index);
    void OnAutostartChanged();
    void OnWakeUpChosen(int index);
    void RestoreDefaults();

    Tolva::MText* languageLabel_ = nullptr;
    Tolva::MComboBox* language_ = nullptr;
    Tolva::MText* wakeUpLabel_ = nullptr;
    Tolva::MComboBox* wakeUp_ = nullptr;
    Tolva::CCheckButton* autostart_ = nullptr;
    Tolva::MButton* restore_ = nullptr;
};

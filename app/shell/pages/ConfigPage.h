#pragma once

#include "app/shell/pages/ShellPage.h"
#include "app/shell/upgrade/UpgradeState.h"

namespace Tolva {
class CCheckButton;
class DownloadButton;
class UpgradeButton;
class MButton;
class MComboBox;
class MText;
} // namespace Tolva

// The mouse family's configuration page (page 10, layout 504): the software and firmware
// versions with their upgrade buttons (a badge when a newer version exists), the download with
// its progress and a way to cancel it, a line saying how the last attempt went; below them the
// language, starting with the desktop session, the wake-up method and restoring the factory
// settings.
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
    static constexpr unsigned kFirmwareUpgradeId = 137; // also hands the shipped firmware over
    static constexpr unsigned kSoftwareUpgradeId = 622;
    static constexpr unsigned kDownloadId = 623;
    static constexpr unsigned kCancelId = 624;
    static constexpr unsigned kUpgradeLineId = 625;
    static constexpr unsigned kSoftwareLabelId = 626;
    static constexpr unsigned kSoftwareVersionId = 627;
    static constexpr unsigned kFirmwareLabelId = 628;
    static constexpr unsigned kFirmwareVersionId = 629;
    // Download progress (wparam 0, lparam 0 to 100), beside the tray's use of the message.
    static constexpr uint32_t kProgressMessage = 1690;
    // Makes the main window re-apply every text in the current language.
    static constexpr uint32_t kApplyTextsMessage = 2022;
    // Height of the upgrade rows at the top of the page.
    static constexpr int kUpgradeAreaHeight = 150;
    static constexpr const char* kWakeUpKey = "wakeupmethod";

    using ShellPage::ShellPage;

    int PageId() const override { return kPageId; }
    void Build() override;
    bool OnNotify(unsigned id, int code, Tolva::WPARAM wparam, Tolva::LPARAM lparam) override;
    void Reload() override;
    void ApplyTexts() override;
    bool OnWindowMessage(uint32_t msg, Tolva::WPARAM wparam, Tolva::LPARAM lparam) override;
    // Language and start-up come from files, not the device: shown even while the worker is
    // still busy (a download) with the device's own reload.
    void OnActivate() override { Reload(); }

    // What the upgrade tasks last reported (window thread).
    void ShowUpgradeState(const UpgradeState& state);
    const UpgradeState& ShownUpgradeState() const { return upgrade_; }
    // The line under the upgrade buttons as shown.
    std::string UpgradeLine() const;

private:
    void BuildUpgradeRows(Tolva::MTabLayout* layout, int left, int fieldLeft, int top);
    void OnSoftwareUpgrade();
    void OnFirmwareUpgrade();
    void OnDownload();
    void OnCancel();
    void ApplyUpgradeTexts();
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

    Tolva::MText* softwareLabel_ = nullptr;
    Tolva::MText* softwareVersion_ = nullptr;
    Tolva::UpgradeButton* softwareUpgrade_ = nullptr;
    Tolva::MText* firmwareLabel_ = nullptr;
    Tolva::MText* firmwareVersion_ = nullptr;
    Tolva::UpgradeButton* firmwareUpgrade_ = nullptr;
    Tolva::DownloadButton* download_ = nullptr;
    Tolva::MButton* cancel_ = nullptr;
    Tolva::MText* upgradeLine_ = nullptr;
    UpgradeState upgrade_;
};

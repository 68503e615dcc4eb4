#include "app/shell/pages/ConfigPage.h"
#include "app/shell/pages/ProgramSettingsActions.h"

#include "app/device/FirmwareUpdater.h"
#include "app/files/DeviceLayout.h"
#include "app/files/Language.h"
#include "app/files/UiText.h"
#include "app/platform/ProgramRegistry.h"
#include "app/shell/Autostart.h"
#include "app/shell/CThreadBasic.h"
#include "app/shell/CUIMessageBox.h"
#include "app/shell/CloseDecision.h"
#include "app/store/SettingsDatabase.h"
#include "ui/controls/CCheckButton.h"
#include "ui/controls/MButton.h"
#include "ui/controls/MComboBox.h"
#include "ui/controls/MTabLayout.h"
#include "ui/controls/MText.h"
#include "ui/widgets/DownloadButton.h"
#include "ui/widgets/UpgradeButton.h"

#include <algorithm>
#include <string>

using namespace Tolva;

namespace {

constexpr int kLanguageText = 140;
constexpr int kAutostartText = 141;
constexpr int kRestoreText = 142;
constexpr int kWakeUpText = 147;
constexpr int kWakeByButtonText = 148;
constexpr int kWakeByMovementText = 149;
constexpr int kCancelText = 24;
constexpr int kSoftwareVersionText = 143;
constexpr int kFirmwareVersionText = 144;
constexpr int kSoftwareUpgradeText = 145;
constexpr int kFirmwareUpgradeText = 146;
constexpr int kDownloadText = 900;
constexpr int kDownloadingText = 901;
constexpr int kSoftwareAvailableText = 902;
constexpr int kFirmwareAvailableText = 903;
constexpr int kCancelledText = 904;
constexpr int kDownloadFailedText = 905;
constexpr int kBadSignatureText = 906;
constexpr int kNoPublicKeyText = 907;
constexpr int kNoSignatureText = 908;
constexpr int kNotHttpsText = 909;
constexpr int kUnpackFailedText = 910;
constexpr int kProgramMissingText = 911;
constexpr int kStartFailedText = 912;
constexpr int kStartingText = 913;

constexpr int kLeftMargin = 40;
constexpr int kLabelWidth = 200;
constexpr int kComboWidth = 240;
constexpr int kRowHeight = 30;
constexpr int kRowPitch = 50;
constexpr int kButtonWidth = 200;
constexpr int kButtonHeight = 34;
constexpr uint32_t kLabelColor = 0xFFD8D8D8;
constexpr uint32_t kValueColor = 0xFFFFFFFF;
constexpr uint32_t kProblemColor = 0xFFFF6A5C;
constexpr int kUpgradeButtonWidth = 180;
constexpr int kVersionWidth = 120;
constexpr int kUpgradePitch = 46;
constexpr int kCancelWidth = 100;

// A text with its "%s" replaced (texts come from the language files, never as a format).
std::string WithValue(int textId, const std::string& value) {
    std::string text = UiText::Dialog(textId);
    const size_t at = text.find("%s");
    if (at != std::string::npos) text.replace(at, 2, value);
    return text;
}

MText* Label(MTabLayout* layout, unsigned id, const Rect& box) {
    auto* label = dynamic_cast<MText*>(layout->CreateControl("MText", id, box));
    if (!label) return nullptr;
    label->SetFontWidth(11);
    label->SetAlignment(TextStyle::Near, TextStyle::Center);
    label->EnableVCenter(true);
    label->SetTextColor(kLabelColor);
    return label;
}

MComboBox* Combo(MTabLayout* layout, unsigned id, const Rect& box) {
    auto* combo = dynamic_cast<MComboBox*>(layout->CreateControl("MComboBox", id, box));
    if (!combo) return nullptr;
    combo->SetImage("img_combobox.png", 4);
    combo->SetFontWidth(10);
    combo->SetAlignment(TextStyle::Near, TextStyle::Center);
    combo->SetTextRect(Rect{12, 0, box.Width() - 28, box.Height()});
    return combo;
}

} // namespace

void ConfigPage::Build() {
    MTabLayout* layout = host_.FindLayout(kLayoutId);
    if (!layout) return;
    const Rect page = layout->GetRect();
    const int left = page.left + kLeftMargin;
    const int fieldLeft = left + kLabelWidth + 10;
    BuildUpgradeRows(layout, left, fieldLeft, page.top + 20);
    int top = page.top + kUpgradeAreaHeight + 20;

    languageLabel_ =
        Label(layout, kLanguageLabelId, {left, top, left + kLabelWidth, top + kRowHeight});
    language_ =
        Combo(layout, kLanguageId, {fieldLeft, top, fieldLeft + kComboWidth, top + kRowHeight});
    if (language_)
        for (const Language::Choice& choice : Language::kChoices)
            language_->AddItem(choice.label, choice.languageId);

    top += kRowPitch;
    wakeUpLabel_ = Label(layout, kWakeUpLabelId, {left, top, left + kLabelWidth, top + kRowHeight});
    wakeUp_ = Combo(layout, kWakeUpId, {fieldLeft, top, fieldLeft + kComboWidth, top + kRowHeight});
    if (wakeUp_) {
        // Item data is the method's 1-based number, as stored.
        wakeUp_->AddItem(UiText::Dialog(kWakeByButtonText), 1);
        wakeUp_->AddItem(UiText::Dialog(kWakeByMovementText), 2);
    }

    top += kRowPitch;
    autostart_ = dynamic_cast<CCheckButton*>(layout->CreateControl(
        "CCheckButton", kAutostartId, {left, top, fieldLeft + kComboWidth, top + kRowHeight}));
    if (autostart_) {
        autostart_->SetFontWidth(11);
        autostart_->SetTextColor(kLabelColor);
    }

    top += kRowPitch + 10;
    restore_ = dynamic_cast<MButton*>(layout->CreateControl(
        "MButton", kRestoreId, {left, top, left + kButtonWidth, top + kButtonHeight}));
    if (restore_) {
        restore_->SetImage("btn_apply.png", 4);
        restore_->SetFontWidth(10);
        restore_->SetAlignment(TextStyle::Center, TextStyle::Center);
    }
}

void ConfigPage::BuildUpgradeRows(MTabLayout* layout, int left, int fieldLeft, int top) {
    const int buttonLeft = fieldLeft + kVersionWidth + 10;
    auto upgradeButton = [&](unsigned id, int y) {
        auto* button = dynamic_cast<UpgradeButton*>(layout->CreateControl(
            "UpgradeButton", id,
            {buttonLeft, y, buttonLeft + kUpgradeButtonWidth, y + kButtonHeight}));
        if (!button) return button;
        button->SetImage("btn_upgrade.png", 4);
        button->SetFontWidth(10);
        button->SetAlignment(TextStyle::Center, TextStyle::Center);
        return button;
    };
    auto value = [&](unsigned id, int y) {
        MText* text =
            Label(layout, id, {fieldLeft, y, fieldLeft + kVersionWidth, y + kButtonHeight});
        if (text) text->SetTextColor(kValueColor);
        return text;
    };

    softwareLabel_ =
        Label(layout, kSoftwareLabelId, {left, top, left + kLabelWidth, top + kButtonHeight});
    softwareVersion_ = value(kSoftwareVersionId, top);
    softwareUpgrade_ = upgradeButton(kSoftwareUpgradeId, top);

    top += kUpgradePitch;
    firmwareLabel_ =
        Label(layout, kFirmwareLabelId, {left, top, left + kLabelWidth, top + kButtonHeight});
    firmwareVersion_ = value(kFirmwareVersionId, top);
    firmwareUpgrade_ = upgradeButton(kFirmwareUpgradeId, top);

    top += kUpgradePitch;
    download_ = dynamic_cast<DownloadButton*>(layout->CreateControl(
        "DownloadButton", kDownloadId, {left, top, left + kButtonWidth, top + kButtonHeight}));
    if (download_) {
        download_->SetImage("btn_download.png", 4);
        download_->SetFontWidth(10);
        download_->SetAlignment(TextStyle::Center, TextStyle::Center);
        download_->SetEnabled(false);
    }
    const int cancelLeft = left + kButtonWidth + 10;
    cancel_ = dynamic_cast<MButton*>(layout->CreateControl(
        "MButton", kCancelId, {cancelLeft, top, cancelLeft + kCancelWidth, top + kButtonHeight}));
    if (cancel_) {
        cancel_->SetImage("btn_apply.png", 4);
        cancel_->SetFontWidth(10);
        cancel_->SetAlignment(TextStyle::Center, TextStyle::Center);
        cancel_->SetVisible(false);
    }
    const int lineLeft = cancelLeft + kCancelWidth + 16;
    upgradeLine_ = Label(layout, kUpgradeLineId,
                         {lineLeft, top, std::max(lineLeft + 100, layout->GetRect().right - 20),
                          top + kButtonHeight});
}

void ConfigPage::ApplyUpgradeTexts() {
    if (softwareLabel_) softwareLabel_->SetTitle(UiText::Dialog(kSoftwareVersionText));
    if (firmwareLabel_) firmwareLabel_->SetTitle(UiText::Dialog(kFirmwareVersionText));
    if (softwareUpgrade_) softwareUpgrade_->SetTitle(UiText::Dialog(kSoftwareUpgradeText));
    if (firmwareUpgrade_) firmwareUpgrade_->SetTitle(UiText::Dialog(kFirmwareUpgradeText));
    if (download_) download_->SetTitle(UiText::Dialog(kDownloadText));
    if (cancel_) cancel_->SetTitle(UiText::Dialog(kCancelText));
    if (upgradeLine_) {
        upgradeLine_->SetTitle(UpgradeLine());
        const bool problem = upgrade_.outcome != UpgradeState::kNothing &&
                             upgrade_.outcome != UpgradeState::kStarted &&
                             upgrade_.outcome != UpgradeState::kCancelled &&
                             upgrade_.downloading == UpgradeState::kNone;
        upgradeLine_->SetTextColor(problem ? kProblemColor : kLabelColor);
    }
}

std::string ConfigPage::UpgradeLine() const {
    const UpgradeState& s = upgrade_;
    const bool firmware = (s.downloading != UpgradeState::kNone ? s.downloading : s.outcomeKind) ==
                          UpgradeState::kFirmware;
    const std::string& version = firmware ? s.latestFirmware : s.latestSoftware;
    if (s.downloading != UpgradeState::kNone) return WithValue(kDownloadingText, version);
    switch (s.outcome) {
    case UpgradeState::kStarted:
        return WithValue(kStartingText, s.detail);
    case UpgradeState::kCancelled:
        return UiText::Dialog(kCancelledText);
    case UpgradeState::kDownloadFailed:
        return WithValue(kDownloadFailedText, s.detail);
    case UpgradeState::kNotHttps:
        return UiText::Dialog(kNotHttpsText);
    case UpgradeState::kNoPublicKey:
        return UiText::Dialog(kNoPublicKeyText);
    case UpgradeState::kNoSignature:
        return UiText::Dialog(kNoSignatureText);
    case UpgradeState::kBadSignature:
        return UiText::Dialog(kBadSignatureText);
    case UpgradeState::kUnpackFailed:
        return WithValue(kUnpackFailedText, s.detail);
    case UpgradeState::kProgramMissing:
        return WithValue(kProgramMissingText, s.detail);
    case UpgradeState::kStartFailed:
        return WithValue(kStartFailedText, s.detail);
    case UpgradeState::kNothing:
        break;
    }
    if (s.softwareNewer) return WithValue(kSoftwareAvailableText, s.latestSoftware);
    if (s.firmwareNewer) return WithValue(kFirmwareAvailableText, s.latestFirmware);
    return {};
}

void ConfigPage::ShowUpgradeState(const UpgradeState& state) {
    upgrade_ = state;
    const bool downloading = state.downloading != UpgradeState::kNone;
    if (softwareVersion_) softwareVersion_->SetTitle(state.installedVersion);
    if (firmwareVersion_)
        firmwareVersion_->SetTitle(state.deviceFirmware >= 0 ? std::to_string(state.deviceFirmware)
                                                             : std::string());
    if (softwareUpgrade_) softwareUpgrade_->SetUpgradeStatus(state.softwareNewer ? 1 : 0);
    if (firmwareUpgrade_) firmwareUpgrade_->SetUpgradeStatus(state.firmwareNewer ? 1 : 0);
    if (download_) {
        if (!downloading) download_->SetDownloadProcess(0);
        download_->SetEnabled(!downloading && (state.softwareNewer || state.firmwareNewer));
    }
    if (cancel_) cancel_->SetVisible(downloading);
    // The line follows the cancel button while it is shown, else the download button.
    if (upgradeLine_ && download_ && cancel_) {
        const Rect line = upgradeLine_->GetRect();
        const int left = (downloading ? cancel_->GetRect().right : download_->GetRect().right) + 16;
        if (line.left != left) upgradeLine_->SetRect(left, line.top, line.right, line.bottom);
    }
    ApplyUpgradeTexts();
}

bool ConfigPage::OnWindowMessage(uint32_t msg, WPARAM wparam, LPARAM lparam) {
    if (msg != kProgressMessage || wparam != 0 || lparam < 0 || lparam > 100) return false;
    if (download_) download_->SetDownloadProcess(static_cast<int>(lparam));
    return true;
}

void ConfigPage::OnSoftwareUpgrade() {
    // With a newer version known the button fetches it again (after a failure or a cancel);
    // otherwise it asks the server.
    if (upgrade_.downloading != UpgradeState::kNone) return;
    host_.QueueTask(upgrade_.softwareNewer ? CThreadBasic::kSoftwareDownload
                                           : CThreadBasic::kSoftwareCheck);
}

void ConfigPage::OnFirmwareUpgrade() {
    if (upgrade_.downloading != UpgradeState::kNone) return;
    std::shared_ptr<const DeviceLayout> layout = host_.Layout();
    // A tool shipped in the program's "firmware" folder goes first.
    if (layout && FirmwareUpdater::UpdaterExists(host_.ProgramFolder(), layout->FirmwareFile())) {
        host_.QueueTask(CThreadBasic::kFirmwareHandOff);
        return;
    }
    host_.QueueTask(upgrade_.firmwareNewer ? CThreadBasic::kFirmwareDownload
                                           : CThreadBasic::kFirmwareCheck);
}

void ConfigPage::OnDownload() {
    if (upgrade_.downloading != UpgradeState::kNone) return;
    if (upgrade_.softwareNewer)
        host_.QueueTask(CThreadBasic::kSoftwareDownload);
    else if (upgrade_.firmwareNewer)
        host_.QueueTask(CThreadBasic::kFirmwareDownload);
}

void ConfigPage::OnCancel() {
    if (CThreadBasic* worker = host_.Worker()) worker->Upgrade().CancelDownload();
}

void ConfigPage::ApplyTexts() {
    ApplyUpgradeTexts();
    if (languageLabel_) languageLabel_->SetTitle(UiText::Dialog(kLanguageText));
    if (wakeUpLabel_) wakeUpLabel_->SetTitle(UiText::Dialog(kWakeUpText));
    if (wakeUp_) {
        wakeUp_->SetItemText(0, UiText::Dialog(kWakeByButtonText));
        wakeUp_->SetItemText(1, UiText::Dialog(kWakeByMovementText));
    }
    if (autostart_) autostart_->SetTitle(UiText::Dialog(kAutostartText));
    if (restore_) restore_->SetTitle(UiText::Dialog(kRestoreText));
}

void ConfigPage::Reload() {
    if (language_ && !language_->SelectData(Language::Current())) language_->SetCurSel(-1);
    if (autostart_) autostart_->SetCheck(Autostart::IsEnabled());
    if (wakeUp_ && host_.Store().IsSettingsOpen()) {
        std::string method;
        // Anything but a known method leaves the box as it is.
        if (host_.Store().GetConfigValue(1, kWakeUpKey, method) && (method == "1" || method == "2"))
            wakeUp_->SelectData(method == "1" ? 1 : 2);
    }
}

bool ConfigPage::OnNotify(unsigned id, int code, WPARAM wparam, LPARAM lparam) {
    switch (id) {
    case kLanguageId:
        if (code == 2) OnLanguageChosen(static_cast<int>(wparam));
        return true;
    case kAutostartId:
        // 2: a click toggled it; 7: its hot key did.
        if (code == 2 || code == 7) OnAutostartChanged();
        return true;
    case kRestoreId:
        if (code == 2) RestoreDefaults();
        return true;
    case kWakeUpId:
        if (code == 2) OnWakeUpChosen(static_cast<int>(wparam));
        return true;
    case kSoftwareUpgradeId:
        if (code == 2) OnSoftwareUpgrade();
        return true;
    case kFirmwareUpgradeId:
        // The keyboard family's pages have ids below 500 too; this one is the mouse's.
        if (host_.DeviceType() <= 600) return false;
        if (code == 2) OnFirmwareUpgrade();
        return true;
    case kDownloadId:
        if (code == 2) OnDownload();
        return true;
    case kCancelId:
        if (code == 2) OnCancel();
        return true;
    default:
        return false;
    }
}

void ConfigPage::OnLanguageChosen(int index) {
    ProgramSettingsActions::ChooseLanguage(host_, language_, index);
}

void ConfigPage::OnAutostartChanged() {
    ProgramSettingsActions::ApplyAutostart(host_, autostart_);
}

void ConfigPage::OnWakeUpChosen(int index) {
    if (!wakeUp_) return;
    const int method = static_cast<int>(wakeUp_->GetItemData(index));
    if (method < 1) return;
    // Stored first, then sent from the store by the worker.
    host_.Store().SetConfigValue(1, kWakeUpKey, std::to_string(method));
    host_.QueueTask(CThreadBasic::kWakeUpMethod);
}

void ConfigPage::RestoreDefaults() {
    ProgramSettingsActions::RestoreDefaults(host_, language_, autostart_, host_.DeviceType() != 0);
}

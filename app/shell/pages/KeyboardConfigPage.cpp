#include "app/shell/pages/KeyboardConfigPage.h"
#include "app/shell/pages/ProgramSettingsActions.h"

#include "app/files/ApplicationConfig.h"
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

#include <cstdio>

using namespace Tolva;

namespace {

constexpr int kLastKeyboardType = 600;
constexpr int kLanguageText = 140;
constexpr int kAutostartText = 141;
constexpr int kRestoreText = 142;
constexpr int kFirmwareText = 146;
constexpr int kResetKeysText = 153;
constexpr int kResetQuestionText = 154;
constexpr int kInformationText = 155;
constexpr int kDeviceLineText = 156;
constexpr int kFirmwareLineText = 157;
constexpr int kSoftwareLineText = 158;

constexpr int kLeftMargin = 40;
constexpr int kLabelWidth = 200;
constexpr int kComboWidth = 240;
constexpr int kRowHeight = 30;
constexpr int kRowPitch = 50;
constexpr int kButtonWidth = 220;
constexpr int kButtonHeight = 34;
constexpr uint32_t kLabelColor = 0xFFD8D8D8;
constexpr int kButtonTexts[4] = {kResetKeysText, kRestoreText, kInformationText, kFirmwareText};
constexpr unsigned kButtonIds[4] = {
    KeyboardConfigPage::kResetKeysId, KeyboardConfigPage::kRestoreId,
    KeyboardConfigPage::kInformationId, KeyboardConfigPage::kFirmwareId};

// "%s" of a language text filled with one value.
std::string Line(int text, const std::string& value) {
    const std::string format = UiText::Dialog(text);
    const size_t at = format.find("%s");
    if (at == std::string::npos) return format + " " + value;
    return format.substr(0, at) + value + format.substr(at + 2);
}

} // namespace

bool KeyboardConfigPage::IsKeyboardShown() const {
    const int type = host_.DeviceType();
    return type > 0 && type <= kLastKeyboardType;
}

void KeyboardConfigPage::Build() {
    MTabLayout* layout = host_.FindLayout(kLayoutId);
    if (!layout || language_) return;
    const Rect page = layout->GetRect();
    const int left = page.left + kLeftMargin;
    const int fieldLeft = left + kLabelWidth + 10;
    int top = page.top + 40;

    languageLabel_ = dynamic_cast<MText*>(layout->CreateControl(
        "MText", kLanguageLabelId, {left, top, left + kLabelWidth, top + kRowHeight}));
    if (languageLabel_) {
        languageLabel_->SetFontWidth(11);
        languageLabel_->EnableVCenter(true);
        languageLabel_->SetTextColor(kLabelColor);
    }
    language_ = dynamic_cast<MComboBox*>(layout->CreateControl(
        "MComboBox", kLanguageId, {fieldLeft, top, fieldLeft + kComboWidth, top + kRowHeight}));
    if (language_) {
        language_->SetImage("img_combobox.png", 4);
        language_->SetFontWidth(10);
        language_->SetTextRect(Rect{12, 0, kComboWidth - 28, kRowHeight});
        for (const Language::Choice& choice : Language::kChoices)
            language_->AddItem(choice.label, choice.languageId);
    }

    top += kRowPitch;
    autostart_ = dynamic_cast<CCheckButton*>(layout->CreateControl(
        "CCheckButton", kAutostartId, {left, top, fieldLeft + kComboWidth, top + kRowHeight}));
    if (autostart_) {
        autostart_->SetFontWidth(11);
        autostart_->SetTextColor(kLabelColor);
    }

    top += kRowPitch + 10;
    for (int i = 0; i < 4; ++i) {
        const Rect r{left, top, left + kButtonWidth, top + kButtonHeight};
        buttons_[i] = dynamic_cast<MButton*>(layout->CreateControl("MButton", kButtonIds[i], r));
        if (buttons_[i]) {
            buttons_[i]->SetImage("btn_apply.png", 4);
            buttons_[i]->SetFontWidth(10);
        }
        top += kButtonHeight + 16;
    }
}

void KeyboardConfigPage::ApplyTexts() {
    if (languageLabel_) languageLabel_->SetTitle(UiText::Dialog(kLanguageText));
    if (autostart_) autostart_->SetTitle(UiText::Dialog(kAutostartText));
    for (int i = 0; i < 4; ++i)
        if (buttons_[i]) buttons_[i]->SetTitle(UiText::Dialog(kButtonTexts[i]));
}

void KeyboardConfigPage::Reload() {
    if (language_ && !language_->SelectData(Language::Current())) language_->SetCurSel(-1);
    if (autostart_) autostart_->SetCheck(Autostart::IsEnabled());
    std::shared_ptr<const DeviceLayout> layout = host_.Layout();
    // Without a firmware file in the layout there is nothing to hand over.
    if (buttons_[3]) buttons_[3]->SetEnabled(layout && !layout->FirmwareFile().empty());
}

bool KeyboardConfigPage::OnNotify(unsigned id, int code, WPARAM wparam, LPARAM) {
    switch (id) {
    case kLanguageId:
        if (code == 2) OnLanguageChosen(static_cast<int>(wparam));
        return true;
    case kAutostartId:
        if (code == 2 || code == 7) OnAutostartChanged();
        return true;
    case kResetKeysId:
        if (code == 2) ResetKeyAssignments();
        return true;
    case kRestoreId:
        if (code == 2) RestoreDefaults();
        return true;
    case kInformationId:
        if (code == 2) ShowInformation();
        return true;
    case kFirmwareId:
        if (code == 2 && IsKeyboardShown()) host_.QueueTask(CThreadBasic::kFirmwareHandOff);
        return true;
    default:
        return false;
    }
}

void KeyboardConfigPage::OnLanguageChosen(int index) {
    ProgramSettingsActions::ChooseLanguage(host_, language_, index);
}

void KeyboardConfigPage::OnAutostartChanged() {
    ProgramSettingsActions::ApplyAutostart(host_, autostart_);
}

bool KeyboardConfigPage::ResetKeyAssignments() {
    if (!IsKeyboardShown()) return false;
    if (host_.ShowMessageBox(UiText::Dialog(kResetQuestionText), UiText::Dialog(kResetKeysText),
                             CUIMessageBox::kQuestion) != 1)
        return false;
    if (!host_.Store().DeleteProfileKeyAssignments(host_.CurrentProfile())) return false;
    host_.ReloadPages();
    host_.QueueTask(CThreadBasic::kKeyboardKeyTable);
    host_.ShowWaitDialog();
    return true;
}

bool KeyboardConfigPage::RestoreDefaults() {
    return ProgramSettingsActions::RestoreDefaults(host_, language_, autostart_, IsKeyboardShown());
}

std::string KeyboardConfigPage::InformationText() const {
    std::string device, software;
    ApplicationConfig config;
    if (config.Load(ApplicationConfig::PathIn(host_.ProgramFolder()), nullptr)) {
        if (const DeviceModeEntry* entry = config.FindByDeviceType(host_.DeviceType()))
            device = entry->name;
        software = config.Version();
    }
    std::shared_ptr<const DeviceLayout> layout = host_.Layout();
    const std::string firmware = layout ? layout->FirmwareVersion() : std::string();
    return Line(kDeviceLineText, device) + "\n" + Line(kFirmwareLineText, firmware) + "\n" +
           Line(kSoftwareLineText, software);
}

void KeyboardConfigPage::ShowInformation() {
    host_.ShowMessageBox(InformationText(), UiText::Dialog(kInformationText),
                         CUIMessageBox::kNotice);
}

#include "app/shell/pages/ConfigPage.h"

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

#include <string>

using namespace Tolva;

namespace {

constexpr int kLanguageText = 140;
constexpr int kAutostartText = 141;
constexpr int kRestoreText = 142;
constexpr int kWakeUpText = 147;
constexpr int kWakeByButtonText = 148;
constexpr int kWakeByMovementText = 149;
constexpr int kRestoreQuestionText = 167;
constexpr int kRestoreCaptionText = 168;

constexpr int kLeftMargin = 40;
constexpr int kLabelWidth = 200;
constexpr int kComboWidth = 240;
constexpr int kRowHeight = 30;
constexpr int kRowPitch = 50;
constexpr int kButtonWidth = 200;
constexpr int kButtonHeight = 34;
constexpr uint32_t kLabelColor = 0xFFD8D8D8;

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

void ConfigPage::ApplyTexts() {
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
    default:
        return false;
    }
}

void ConfigPage::OnLanguageChosen(int index) {
    if (!language_) return;
    const int id = static_cast<int>(language_->GetItemData(index));
    if (id == 0) return;
    // The key may be gone since start-up; reading makes it again so that the choice is kept.
    ProgramRegistry::ReadProgramRegistryValue(ProgramRegistry::kLanguageValue);
    Language::Set(id);
    host_.Window().PostMessageW(kApplyTextsMessage);
}

void ConfigPage::OnAutostartChanged() {
    if (!autostart_) return;
    if (autostart_->GetCheck()) {
        std::string program = Autostart::CurrentExecutable();
        if (program.empty()) program = host_.ProgramFolder() + "pivane";
        Autostart::Enable(program);
    } else {
        Autostart::Disable();
    }
    // The box shows what is on disk, also when the entry could not be written.
    autostart_->SetCheck(Autostart::IsEnabled());
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
    // Only a confirmed answer goes on: a box that could not be shown must not wipe the settings.
    if (host_.ShowMessageBox(UiText::Dialog(kRestoreQuestionText),
                             UiText::Dialog(kRestoreCaptionText), CUIMessageBox::kQuestion) != 1)
        return;

    ProgramRegistry::ReadProgramRegistryValue(CloseDecision::kExitModeValue);
    ProgramRegistry::WriteProgramRegistryValue(CloseDecision::kExitModeValue, "0");

    // With no entry of the box selected (a stored language the box does not offer) its choice
    // would be 0, and no language file answers to 0: fall back on what a first run would store.
    int boxChoice = language_ ? static_cast<int>(language_->GetCurData()) : 0;
    if (boxChoice == 0)
        boxChoice = Language::DesktopUiLanguage() == Language::kChinese ? Language::kChinese
                                                                        : Language::kEnglish;
    const int chosen = Language::ResetToDesktop(boxChoice);
    if (language_ && !language_->SelectData(chosen)) language_->SetCurSel(-1);
    host_.Window().PostMessageW(kApplyTextsMessage);

    if (autostart_) autostart_->SetCheck(false);
    Autostart::Disable();

    if (host_.DeviceType() == 0) return;
    host_.Store().OpenSettingsDatabaseAndClear(host_.DataFolder(), SettingsDatabase::kDeviceName);
    host_.ReloadPages();
    host_.QueueTask(CThreadBasic::kRestoreDefaults);
    host_.ShowWaitDialog();
}

#include "app/shell/pages/ProgramSettingsActions.h"

#include "app/files/Language.h"
#include "app/files/UiText.h"
#include "app/platform/ProgramRegistry.h"
#include "app/shell/Autostart.h"
#include "app/shell/CThreadBasic.h"
#include "app/shell/CUIMessageBox.h"
#include "app/shell/CloseDecision.h"
#include "app/shell/pages/PageHost.h"
#include "app/store/SettingsDatabase.h"
#include "ui/controls/CCheckButton.h"
#include "ui/controls/MComboBox.h"
#include "ui/core/MDialog.h"

#include <string>

namespace {
constexpr int kRestoreQuestionText = 167;
constexpr int kRestoreCaptionText = 168;
} // namespace

void ProgramSettingsActions::ChooseLanguage(PageHost& host, Tolva::MComboBox* box, int index) {
    if (!box) return;
    const int id = static_cast<int>(box->GetItemData(index));
    if (id == 0) return;
    // The key may be gone since start-up; reading makes it again so that the choice is kept.
    ProgramRegistry::ReadProgramRegistryValue(ProgramRegistry::kLanguageValue);
    Language::Set(id);
    host.Window().PostMessageW(kApplyTextsMessage);
}

void ProgramSettingsActions::ApplyAutostart(PageHost& host, Tolva::CCheckButton* box) {
    if (!box) return;
    if (box->GetCheck()) {
        std::string program = Autostart::CurrentExecutable();
        if (program.empty()) program = host.ProgramFolder() + "pivane";
        Autostart::Enable(program);
    } else {
        Autostart::Disable();
    }
    // The box shows what is on disk, also when the entry could not be written.
    box->SetCheck(Autostart::IsEnabled());
}

bool ProgramSettingsActions::RestoreDefaults(PageHost& host, Tolva::MComboBox* language,
                                             Tolva::CCheckButton* autostart, bool deviceShown) {
    // Only a confirmed answer goes on: a box that could not be shown must not wipe the settings.
    if (host.ShowMessageBox(UiText::Dialog(kRestoreQuestionText),
                            UiText::Dialog(kRestoreCaptionText), CUIMessageBox::kQuestion) != 1)
        return false;

    ProgramRegistry::ReadProgramRegistryValue(CloseDecision::kExitModeValue);
    ProgramRegistry::WriteProgramRegistryValue(CloseDecision::kExitModeValue, "0");

    // With no entry of the box selected (a stored language the box does not offer) its choice
    // would be 0, and no language file answers to 0: fall back on what a first run would store.
    int boxChoice = language ? static_cast<int>(language->GetCurData()) : 0;
    if (boxChoice == 0)
        boxChoice = Language::DesktopUiLanguage() == Language::kChinese ? Language::kChinese
                                                                        : Language::kEnglish;
    const int chosen = Language::ResetToDesktop(boxChoice);
    if (language && !language->SelectData(chosen)) language->SetCurSel(-1);
    host.Window().PostMessageW(kApplyTextsMessage);

    if (autostart) autostart->SetCheck(false);
    Autostart::Disable();

    if (!deviceShown) return true;
    host.Store().OpenSettingsDatabaseAndClear(host.DataFolder(), SettingsDatabase::kDeviceName);
    host.ReloadPages();
    host.QueueTask(CThreadBasic::kRestoreDefaults);
    host.ShowWaitDialog();
    return true;
}

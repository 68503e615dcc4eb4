#include "app/shell/pages/ProfilePage.h"

#include "app/files/FileChooser.h"
#include "app/files/Language.h"
#include "app/files/ProfileExchange.h"
#include "app/files/UiText.h"
#include "app/shell/CThreadBasic.h"
#include "app/shell/DesktopFileChooser.h"
#include "app/store/ProfileDefaults.h"
#include "app/store/SettingsDatabase.h"
#include "ui/controls/CImageButton.h"
#include "ui/controls/DListBox.h"
#include "ui/controls/MTabLayout.h"
#include "ui/core/Manager.h"
#include "ui/paint/MImageList.h"

#include <set>

using namespace Tolva;

namespace {

constexpr int kButtonSize = 32;
constexpr int kButtonGap = 10;
constexpr int kLastKeyboardType = 600;

struct ButtonSpec {
    const char* image;
    int tipText;
};
// New, delete, rename, import, export: left to right under the list (or beside it).
constexpr ButtonSpec kButtons[5] = {{"imgbtn_add.png", 28},
                                    {"imgbtn_del.png", 30},
                                    {"imgbtn_edit.png", 29},
                                    {"imgbtn_import.png", 26},
                                    {"imgbtn_export.png", 27}};

} // namespace

const ProfilePage::Family& ProfilePage::MouseFamily() {
    static const Family family{6,
                               kLayoutId,
                               kNewId,
                               kDeleteId,
                               kRenameId,
                               kImportId,
                               kExportId,
                               kListId,
                               Rect{236, 140, 436, 440},
                               false,
                               {CThreadBasic::kActivateProfile},
                               {CThreadBasic::kAssignAllButtons},
                               false};
    return family;
}

const ProfilePage::Family& ProfilePage::KeyboardFamily() {
    // Under the keyboard picture and the function keyboard there is room for a short list.
    static const Family family{1,
                               51,
                               59,
                               60,
                               61,
                               62,
                               63,
                               65,
                               Rect{248, 606, 448, 696},
                               true,
                               {CThreadBasic::kKeyboardKeyTable, CThreadBasic::kKeyboardLighting},
                               {CThreadBasic::kKeyboardKeyTable, CThreadBasic::kKeyboardLighting},
                               true};
    return family;
}

ProfilePage::ProfilePage(PageHost& host) : ProfilePage(host, MouseFamily()) {}

ProfilePage::ProfilePage(PageHost& host, const Family& family)
    : ShellPage(host), family_(family), chooser_(std::make_unique<DesktopFileChooser>()) {}

bool ProfilePage::IsFamilyShown() const {
    const int type = host_.DeviceType();
    const bool keyboard = type > 0 && type <= kLastKeyboardType;
    return family_.keyboards ? keyboard : !keyboard;
}

ProfilePage::~ProfilePage() = default;

void ProfilePage::SetFileChooser(std::unique_ptr<FileChooser> chooser) {
    if (chooser) chooser_ = std::move(chooser);
}

void ProfilePage::Build() {
    MTabLayout* layout = host_.FindLayout(family_.layoutId);
    if (!layout || list_) return;
    const Rect& area = family_.listArea;
    list_ = dynamic_cast<DListBox*>(layout->CreateControl("DListBox", family_.listId, area));
    if (list_) {
        auto images = std::make_shared<MImageList>(Manager::GetSkinFolder());
        images->AddImage("icon//icon_circle.png", 1, 1);
        images->SetDrawImgSize(12, 12);
        list_->SetImageList(images);
        list_->SetEditImage("img_edit.png", 4);
        list_->EnableShowEdit(true);
        list_->SetFontWidth(11);
    }
    const unsigned ids[5] = {family_.newId, family_.deleteId, family_.renameId, family_.importId,
                             family_.exportId};
    for (int i = 0; i < 5; ++i) {
        const int step = i * (kButtonSize + kButtonGap);
        // Beside the list: a row of five along its top edge.
        const int left = family_.buttonsBeside ? area.right + 12 + step : area.left + step;
        const int top = family_.buttonsBeside ? area.top : area.bottom + 12;
        const Rect r{left, top, left + kButtonSize, top + kButtonSize};
        buttons_[i] = dynamic_cast<CImageButton*>(layout->CreateControl("CImageButton", ids[i], r));
        if (buttons_[i]) buttons_[i]->SetImage(kButtons[i].image, 4);
    }
    layout->UpdateScrollBars();
}

void ProfilePage::ApplyTexts() {
    for (int i = 0; i < 5; ++i)
        if (buttons_[i]) buttons_[i]->SetTooltip(UiText::Dialog(kButtons[i].tipText));
    // The display names follow the language.
    if (list_ && list_->GetItemCount() > 0) Fill();
}

void ProfilePage::Reload() {
    Fill();
}

void ProfilePage::Fill() {
    if (!list_) return;
    if (list_->IsEditShown()) list_->CloseEdit(false);
    list_->DeleteAllItems();
    SettingsDatabase& store = host_.Store();
    const std::string word = UiText::Dialog(kProfileWordText);
    std::vector<std::unique_ptr<ProfileRow>> profiles;
    {
        // The list, the initial set and the active profile as one look at the store.
        auto lock = store.Lock();
        ProfileDefaults::LoadOrCreateProfiles(store, word, host_.DeviceType(), profiles);
    }
    int active = 0;
    for (const auto& p : profiles) {
        if (!p) continue;
        list_->AddString(ProfileDefaults::DisplayName(p->name, Language::Current(), word),
                         p->profile, 0);
        if (!active && p->status == 1) active = p->profile;
    }
    if (!active) return;
    list_->SetCurData(active);
    // The pages after this one load for it.
    if (host_.CurrentProfile() != active) host_.SetCurrentProfile(active);
}

std::string ProfilePage::UniqueName() const {
    const std::string word = UiText::Dialog(kProfileWordText);
    std::set<std::string> used;
    if (list_)
        for (int i = 0; i < list_->GetItemCount(); ++i)
            used.insert(list_->GetItemText(i));
    for (int n = 1; n < kMaxNumber; ++n) {
        std::string name = word + " " + std::to_string(n);
        if (!used.count(name)) return name;
    }
    return word + " " + std::to_string(kMaxNumber);
}

void ProfilePage::SwitchTo(int profile, const std::vector<int>& tasks) {
    host_.SetCurrentProfile(profile);
    host_.ReloadPages();
    for (int task : tasks)
        host_.QueueTask(task);
    host_.ShowWaitDialog();
}

bool ProfilePage::NewProfile() {
    if (!list_) return false;
    SettingsDatabase& store = host_.Store();
    ProfileRow row;
    row.name = UniqueName();
    int id = 0;
    // A profile without its configuration rows would drop every setting made for it later.
    const bool stored = store.RunInTransaction([&] {
        id = store.AddProfile(row);
        return id > 0 && store.WriteFactoryConfiguration(id) && store.SetActiveProfile(id);
    });
    if (!stored) return false;
    list_->AddString(row.name, id, 0);
    list_->SetCurData(id);
    SwitchTo(id, family_.changeTasks);
    return true;
}

bool ProfilePage::DeleteSelected() {
    if (!list_ || list_->GetItemCount() <= 1) return false;
    const int index = list_->GetCurSel();
    if (index < 0) return false;
    const int profile = static_cast<int>(list_->GetItemData(index));
    // The one before it takes over; the first entry hands over to the one after it.
    const int next = index > 0 ? index - 1 : index + 1;
    const int successor = static_cast<int>(list_->GetItemData(next));
    SettingsDatabase& store = host_.Store();
    const bool done = store.RunInTransaction(
        [&] { return store.DeleteProfile(profile) && store.SetActiveProfile(successor); });
    if (!done) return false;
    list_->DeleteItem(index);
    list_->SetCurData(successor);
    SwitchTo(successor, family_.changeTasks);
    return true;
}

bool ProfilePage::Choose(int index) {
    if (!list_ || index < 0 || index >= list_->GetItemCount()) return false;
    const int profile = static_cast<int>(list_->GetItemData(index));
    if (!host_.Store().SetActiveProfile(profile)) return false;
    list_->SetCurSel(index);
    SwitchTo(profile, family_.chooseTasks);
    return true;
}

bool ProfilePage::StartRename() {
    return list_ && list_->GetCurSel() >= 0 && list_->ShowEdit();
}

void ProfilePage::OnRenamed(int index) {
    if (!list_) return;
    const int profile = static_cast<int>(list_->GetItemData(index));
    const std::string name = list_->GetItemText(index);
    if (profile <= 0) return;
    // An empty name would leave a row no one can pick out; the stored one is shown again.
    if (name.empty() || !host_.Store().RenameProfile(profile, name)) {
        std::string stored;
        if (host_.Store().GetProfileName(profile, stored))
            list_->ModifyItemString(index,
                                    ProfileDefaults::DisplayName(stored, Language::Current(),
                                                                 UiText::Dialog(kProfileWordText)));
    }
}

bool ProfilePage::Import() {
    if (!chooser_) return false;
    ProfileImportResult result;
    const ExchangeStatus status = ProfileExchange::Import(
        host_.Store(), *chooser_, host_.DeviceType(), host_.CurrentProfile(), result);
    if (status != ExchangeStatus::Done) return false;
    int target = result.profile > 0 ? result.profile : host_.CurrentProfile();
    // A keyboard file brings a profile of its own, which becomes the active one.
    if (target != host_.CurrentProfile() && !host_.Store().SetActiveProfile(target))
        target = host_.CurrentProfile();
    Fill();
    if (list_) list_->SetCurData(target);
    SwitchTo(target, family_.changeTasks);
    return true;
}

bool ProfilePage::Export() {
    if (!chooser_ || !list_) return false;
    const int index = list_->GetCurSel();
    const int profile = index >= 0 ? static_cast<int>(list_->GetItemData(index)) : 0;
    const ExchangeStatus status =
        ProfileExchange::Export(host_.Store(), *chooser_, host_.DeviceType(), profile,
                                index >= 0 ? list_->GetItemText(index) : std::string());
    if (status == ExchangeStatus::NothingSelected) {
        host_.ShowMessageBox(UiText::Dialog(ProfileExchange::kNoProfileMessageText),
                             UiText::Dialog(ProfileExchange::kNoProfileCaptionText), 0);
        return false;
    }
    return status == ExchangeStatus::Done;
}

bool ProfilePage::OnNotify(unsigned id, int code, WPARAM wparam, LPARAM lparam) {
    if (id == family_.listId) {
        if (code == 2) Choose(static_cast<int>(static_cast<intptr_t>(wparam)));
        if (code == 29) OnRenamed(static_cast<int>(lparam));
    } else if (id == family_.newId) {
        if (code == 2) NewProfile();
    } else if (id == family_.deleteId) {
        if (code == 2) DeleteSelected();
    } else if (id == family_.renameId) {
        if (code == 2) StartRename();
    } else if (id == family_.importId) {
        if (code == 2) Import();
    } else if (id == family_.exportId) {
        if (code == 2) Export();
    } else {
        return false;
    }
    return true;
}

bool ProfilePage::OnWindowMessage(uint32_t msg, WPARAM, LPARAM) {
    // Only the list of the shown family renames.
    if (msg != kRenameMessage || !IsFamilyShown()) return false;
    StartRename();
    return true;
}

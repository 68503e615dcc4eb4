#include "app/shell/pages/MacroPage.h"

#include "app/files/Language.h"
#include "app/files/MacroExchange.h"
#include "app/files/TextNumber.h"
#include "app/files/UiText.h"
#include "app/platform/Clock.h"
#include "app/shell/CThreadBasic.h"
#include "app/shell/DesktopFileChooser.h"
#include "app/shell/KeyNames.h"
#include "app/shell/MacroNames.h"
#include "app/store/SettingsDatabase.h"
#include "ui/controls/CImageButton.h"
#include "ui/controls/CRadioButton.h"
#include "ui/controls/DListBox.h"
#include "ui/controls/MButton.h"
#include "ui/controls/MComboBox.h"
#include "ui/controls/MEdit.h"
#include "ui/controls/MTabLayout.h"
#include "ui/controls/MText.h"
#include "ui/core/MDialog.h"
#include "ui/core/Manager.h"
#include "ui/core/MenuWnd.h"
#include "ui/paint/MImageList.h"
#include "ui/platform/Platform.h"
#include "ui/widgets/CRecordList.h"

#include <algorithm>

using namespace Tolva;

namespace {

// Texts of the page that no shared number covers.
constexpr int kFocusNoteText = 9401;

// The mouse-button entries: name, code of the press, code of the release.
struct ButtonEntry {
    const char* name;
    int downCode;
    int upCode;
};
constexpr ButtonEntry kButtons[] = {
    {"mouse_left", 1, 1},    {"mouse_middle", 2, 2},  {"mouse_right", 3, 3},
    {"mouse_button4", 7, 8}, {"mouse_button5", 7, 8},
};

// The record list labels only key events (2 down, 3 up). A mouse-button event is listed as a key
// event of its direction, marked in the row's value, so that it shows its direction too and is
// read back with its own type.
constexpr int kButtonRowMark = 0x10000;

void AddEventRow(CRecordList& list, const MacroEvent& e) {
    const bool button = e.type == MacroEvent::kButtonDown || e.type == MacroEvent::kButtonUp;
    if (button)
        list.AddString(e.name, e.type - 2, e.code | kButtonRowMark, e.delay);
    else
        list.AddString(e.name, e.type, e.code, e.delay);
}

MacroEvent EventOfRow(const RecordItem& item) {
    const bool button = (item.value & kButtonRowMark) != 0 &&
                        (item.action == MacroEvent::kKeyDown || item.action == MacroEvent::kKeyUp);
    if (button)
        return MacroEvent{item.text, item.action + 2, item.value & ~kButtonRowMark, item.delay};
    return MacroEvent{item.text, item.action, item.value, item.delay};
}

// The description a button gets back when the macro it played is deleted: its own function.
std::string OwnFunctionText(int keyCode) {
    switch (keyCode) {
    case 208:
        return UiText::Dialog(820);
    case 209:
        return UiText::Dialog(821);
    case 210:
        return UiText::Dialog(822);
    case 211:
        return UiText::Dialog(823);
    case 212:
        return UiText::Dialog(824);
    case 213:
        return UiText::Dialog(835);
    default:
        return KeyNames::KeyCodeName(keyCode);
    }
}

std::string MacroWord() {
    std::string word = UiText::Dialog(331);
    return word.empty() ? std::string("Macro") : word;
}

// Page geometry (window coordinates; the page area is 220,110 - 1180,700).
constexpr int kLeft = 236, kLeftEnd = 456, kMid = 480, kMidEnd = 716, kRight = 736;
constexpr int kRightEnd = 1176;
constexpr int kHalf = 106; // a button in one of the two left-column columns
constexpr Rect kRecordButtonRect{kMid, 604, kMid + 160, 636};

} // namespace

MacroPage::MacroPage(PageHost& host) : MacroPage(host, Clock::Monotonic()) {}

MacroPage::MacroPage(PageHost& host, Clock& clock)
    : ShellPage(host), clock_(clock), recorder_(clock) {}

MacroPage::~MacroPage() = default;

int MacroPage::PageId() const {
    const int type = host_.DeviceType();
    return type > 0 && type <= 600 ? 2 : 7;
}

// --- building -------------------------------------------------------------------------------

MControl* MacroPage::Make(const char* className, unsigned id, const Rect& rect) {
    MTabLayout* layout = host_.FindLayout(kLayoutId);
    return layout ? layout->CreateControl(className, id, rect, {}, true, true) : nullptr;
}

MText* MacroPage::Label(const Rect& rect, int fontSize, unsigned id) {
    auto* text = dynamic_cast<MText*>(Make("MText", id, rect));
    if (text) {
        text->SetFontWidth(fontSize);
        text->EnableVCenter(true);
    }
    return text;
}

MButton* MacroPage::PushButton(unsigned id, const Rect& rect) {
    auto* button = dynamic_cast<MButton*>(Make("MButton", id, rect));
    if (button) {
        button->SetImage("btn_apply.png", 4);
        button->SetFontWidth(10);
    }
    return button;
}

CRadioButton* MacroPage::Radio(unsigned id, const Rect& rect, const char* group) {
    auto* radio = dynamic_cast<CRadioButton*>(Make("CRadioButton", id, rect));
    if (radio) {
        radio->SetImage("btn_radiobox.png", 8);
        radio->SetGroupName(group);
        radio->SetFontWidth(10);
    }
    return radio;
}

MEdit* MacroPage::Edit(unsigned id, const Rect& rect, bool numbers) {
    auto* edit = dynamic_cast<MEdit*>(Make("MEdit", id, rect));
    if (edit) {
        edit->SetImage("img_edit.png", 4);
        edit->SetFontWidth(10);
        edit->SetNumberOnly(numbers);
        if (numbers) edit->SetLimitText(5);
    }
    return edit;
}

void MacroPage::Build() {
    if (list_ || !host_.FindLayout(kLayoutId)) return;

    // Macro list with its commands.
    listHeading_ = Label({kLeft, 116, kLeftEnd - 40, 148}, 12);
    // Opens the list's menu (also on a right click in the list).
    menuButton_ = PushButton(kMenuButtonId, {kLeftEnd - 36, 118, kLeftEnd, 146});
    if (menuButton_) menuButton_->SetTitle("...");
    list_ = dynamic_cast<DListBox*>(Make("DListBox", kListId, {kLeft, 152, kLeftEnd, 464}));
    if (list_) {
        list_->SetEditImage("img_edit.png", 4);
        list_->EnableShowEdit(true);
        list_->SetFontWidth(10);
        auto icons = std::make_shared<MImageList>(Manager::GetSkinFolder());
        icons->AddImage("icon//icon_circle.png", 1, 0);
        list_->SetImageList(icons);
    }
    newButton_ = PushButton(kNewId, {kLeft, 474, kLeft + kHalf, 504});
    deleteButton_ = PushButton(kDeleteId, {kLeftEnd - kHalf, 474, kLeftEnd, 504});
    renameButton_ = PushButton(kRenameId, {kLeft, 512, kLeft + kHalf, 542});
    copyButton_ = PushButton(kCopyId, {kLeftEnd - kHalf, 512, kLeftEnd, 542});
    importButton_ = PushButton(kImportId, {kLeft, 550, kLeft + kHalf, 580});
    exportButton_ = PushButton(kExportId, {kLeftEnd - kHalf, 550, kLeftEnd, 580});

    // Event entry: where, what, and the button that inserts it.
    entryHeading_ = Label({kMid, 116, kMidEnd, 148}, 12);
    positionCombo_ =
        dynamic_cast<MComboBox*>(Make("MComboBox", kPositionComboId, {kMid, 152, kMidEnd, 182}));
    keyRadio_ = Radio(kKeyRadioId, {kMid, 190, kMidEnd, 212}, "MACRO_EVENT");
    buttonRadio_ = Radio(kButtonRadioId, {kMid, 216, kMidEnd, 238}, "MACRO_EVENT");
    delayRadio_ = Radio(kDelayRadioId, {kMid, 242, kMidEnd, 264}, "MACRO_EVENT");
    keyEdit_ = Edit(kKeyEditId, {kMid, 270, kMidEnd, 300}, false);
    if (keyEdit_) keyEdit_->SetReadOnly(true); // shows the key pressed, not the characters typed
    buttonCombo_ =
        dynamic_cast<MComboBox*>(Make("MComboBox", kButtonComboId, {kMid, 270, kMidEnd, 300}));
    delayEdit_ = Edit(kDelayEditId, {kMid, 270, kMidEnd - 50, 300}, true);
    msLabel_ = Label({kMidEnd - 44, 270, kMidEnd, 300});
    for (MComboBox* combo : {positionCombo_, buttonCombo_}) {
        if (!combo) continue;
        combo->SetImage("img_combobox.png", 4);
        combo->SetFontWidth(10);
    }
    if (buttonCombo_)
        for (size_t i = 0; i < std::size(kButtons); ++i)
            buttonCombo_->AddItem(kButtons[i].name, static_cast<intptr_t>(i));
    insertButton_ = PushButton(kInsertId, {kMid, 308, kMid + kHalf, 338});

    // Playback settings.
    playTimesLabel_ = Label({kMid, 354, kMidEnd - 76, 384});
    playTimesEdit_ = Edit(kPlayTimesEditId, {kMidEnd - 70, 354, kMidEnd, 384}, true);
    if (playTimesEdit_) playTimesEdit_->SetLimitText(3);
    const unsigned delayIds[] = {kRecordedDelaysId, kNoDelaysId, kFixedDelayId};
    for (int i = 0; i < 3; ++i) {
        const int top = 394 + 28 * i;
        delayTypeRadios_[i] = Radio(
            delayIds[i], {kMid, top, i == 2 ? kMidEnd - 76 : kMidEnd, top + 22}, "DELAY_TIME");
    }
    fixedDelayEdit_ = Edit(kFixedDelayEditId, {kMidEnd - 70, 448, kMidEnd, 474}, true);
    const unsigned loopIds[] = {kLoopCountId, kLoopHeldId, kLoopToggleId};
    for (int i = 0; i < 3; ++i) {
        const int top = 490 + 28 * i;
        loopRadios_[i] = Radio(loopIds[i], {kMid, top, kRightEnd - 460, top + 22}, "LOOP_TYPE");
    }

    // Recording.
    startButton_ = PushButton(kStartId, kRecordButtonRect);
    stopButton_ = PushButton(kStopId, {});
    if (stopButton_) stopButton_->SetVisible(false);
    recordLabel_ = Label({kMid + 176, 598, kRightEnd, 622}, 10, kRecordLabelId);
    focusNote_ = Label({kMid + 176, 624, kRightEnd, 646}, 9, kFocusNoteId);
    if (focusNote_) focusNote_->SetTextColor(0xFF9AA3AE);

    // The record list and its commands.
    const int columns[][2] = {{CRecordList::kTextX, CRecordList::kTextWidth},
                              {CRecordList::kActionX, CRecordList::kActionWidth},
                              {CRecordList::kDelayX, CRecordList::kDelayWidth}};
    for (int i = 0; i < 3; ++i) {
        const int x = kRight + columns[i][0];
        columnHeadings_[i] = Label({x, 116, x + columns[i][1], 148});
        if (columnHeadings_[i]) columnHeadings_[i]->SetAlignment(1);
    }
    records_ = dynamic_cast<CRecordList*>(
        Make("CRecordList", kRecordListId, {kRight, 152, kRightEnd, 540}));
    const std::pair<unsigned, const char*> tools[] = {{kEditDelayId, "btn_record_time.png"},
                                                      {kMoveUpId, "btn_record_up.png"},
                                                      {kMoveDownId, "btn_record_down.png"},
                                                      {kDeleteEventId, "btn_record_del.png"}};
    CImageButton** toolButtons[] = {&editDelayButton_, &upButton_, &downButton_,
                                    &deleteEventButton_};
    for (int i = 0; i < 4; ++i) {
        const int x = kRight + 36 * i;
        *toolButtons[i] = dynamic_cast<CImageButton*>(
            Make("CImageButton", tools[i].first, {x, 550, x + 28, 578}));
        if (*toolButtons[i]) (*toolButtons[i])->SetImage(tools[i].second, 4);
    }
    saveButton_ = PushButton(kSaveEventsId, {kRightEnd - kHalf, 549, kRightEnd, 579});

    ResetSettingsView();
}

// --- texts ----------------------------------------------------------------------------------

void MacroPage::ApplyTexts() {
    if (!list_) return;
    auto set = [](MControlFont* c, int text) {
        if (c) c->SetTitle(UiText::Dialog(text));
    };
    set(listHeading_, 300);
    set(newButton_, 301);
    set(deleteButton_, 302);
    set(renameButton_, 303);
    set(copyButton_, 31);
    set(importButton_, 26);
    set(exportButton_, 27);
    set(entryHeading_, 304);
    set(keyRadio_, 308);
    set(buttonRadio_, 309);
    set(delayRadio_, 310);
    set(msLabel_, 311);
    set(insertButton_, 33);
    set(playTimesLabel_, 316);
    set(delayTypeRadios_[0], 317);
    set(delayTypeRadios_[1], 318);
    set(delayTypeRadios_[2], 319);
    set(loopRadios_[0], 342);
    set(loopRadios_[1], 343);
    set(loopRadios_[2], 344);
    set(startButton_, 321);
    set(stopButton_, 322);
    set(recordLabel_, mode_ == 1 ? 323 : 320);
    set(focusNote_, kFocusNoteText);
    set(columnHeadings_[0], 335);
    set(columnHeadings_[1], 336);
    set(columnHeadings_[2], 337);
    set(saveButton_, 329);
    if (menuButton_) menuButton_->SetTooltip(UiText::Dialog(300));
    if (editDelayButton_) editDelayButton_->SetTooltip(UiText::Dialog(325));
    if (upButton_) upButton_->SetTooltip(UiText::Dialog(326));
    if (downButton_) downButton_->SetTooltip(UiText::Dialog(327));
    if (deleteEventButton_) deleteEventButton_->SetTooltip(UiText::Dialog(312));
    if (positionCombo_) {
        const int chosen = std::max(0, positionCombo_->GetCurSel());
        positionCombo_->DelAllItems();
        positionCombo_->AddItem(UiText::Dialog(305), 0);
        positionCombo_->AddItem(UiText::Dialog(306), 1);
        positionCombo_->AddItem(UiText::Dialog(307), 2);
        positionCombo_->SetCurSel(chosen);
    }
    // Default names follow the language.
    const std::string word = MacroWord();
    for (int i = 0; i < list_->GetItemCount(); ++i) {
        MacroRow row;
        if (host_.Store().GetMacro(static_cast<int>(list_->GetItemData(i)), row))
            list_->ModifyItemString(i, MacroNames::Display(row.name, Language::Current(), word));
    }
}

// --- routing --------------------------------------------------------------------------------

bool MacroPage::OnNotify(unsigned id, int code, WPARAM wparam, LPARAM lparam) {
    switch (id) {
    case kMenuButtonId:
        if (code == 2 && menuButton_) {
            const Rect r = menuButton_->GetRect();
            OpenMenu(host_.Window().ClientToScreen(Point{r.left, r.bottom}));
        }
        return true;
    case kListId:
        if (!list_) return true;
        if (code == 1 || code == 2) {
            const int macroId = static_cast<int>(list_->GetItemData(static_cast<int>(wparam)));
            if (macroId > 0 && macroId != selected_) SelectMacro(macroId);
        } else if (code == 5) {
            const int macroId = static_cast<int>(list_->GetItemData(static_cast<int>(wparam)));
            if (macroId > 0 && macroId != selected_) SelectMacro(macroId);
            OpenMenu(Platform::GetCursorPos());
        } else if (code == 29) {
            OnRenamed(static_cast<int>(lparam));
        }
        return true;
    case kNewId:
        if (code == 2) NewMacro();
        return true;
    case kDeleteId:
        if (code == 2) DeleteMacro();
        return true;
    case kRenameId:
        if (code == 2) RenameMacro();
        return true;
    case kCopyId:
        if (code == 2) CopyMacro();
        return true;
    case kImportId:
        if (code == 2) ImportMacro();
        return true;
    case kExportId:
        if (code == 2) ExportMacro();
        return true;
    case kKeyRadioId:
    case kButtonRadioId:
    case kDelayRadioId:
        if (code == 2) ShowEntryKind(id);
        return true;
    case kKeyEditId:
        if (code == 30) {
            SetEntry({}, 0, false);
            if (keyEdit_) keyEdit_->SetEditText({});
            mode_ = 2;
        } else if (code == 29 && mode_ == 2) {
            mode_ = 0;
        }
        return true;
    case kPositionComboId:
    case kButtonComboId:
    case kDelayEditId:
        return true;
    case kInsertId:
        if (code == 2) InsertComposedEvent();
        return true;
    case kPlayTimesEditId:
    case kFixedDelayEditId:
        if (code == 29) SaveSettings();
        return true;
    case kRecordedDelaysId:
    case kNoDelaysId:
    case kFixedDelayId:
        if (code == 2) UpdateDelayEdit();
        return true;
    case kLoopCountId:
    case kLoopHeldId:
    case kLoopToggleId:
        if (code == 2) SaveSettings();
        return true;
    case kStartId:
        if (code == 2) StartRecording();
        return true;
    case kStopId:
        if (code == 2) StopRecording();
        return true;
    case kMoveUpId:
        if (code == 2) MoveEvent(-1);
        return true;
    case kMoveDownId:
        if (code == 2) MoveEvent(1);
        return true;
    case kDeleteEventId:
        if (code == 2) DeleteEvent();
        return true;
    case kEditDelayId:
        if (code == 2) EditEventDelay();
        return true;
    case kRecordListId:
        if (code == 29 && records_ && records_->GetCurSel() >= 0) SaveEvents();
        return true;
    case kSaveEventsId:
        if (code == 2) SaveEvents();
        return true;
    default:
        return false;
    }
}

bool MacroPage::OnWindowMessage(uint32_t msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
    case kKeyEvent:
        OnKeyEvent(wparam, lparam);
        return false; // every page sees the key events
    case kMenuMessage:
        // A post that is still queued from a menu already answered is not a second choice.
        if (!menuChoicePending_) return true;
        menuChoicePending_ = false;
        switch (static_cast<int>(lparam)) {
        case kMenuNew:
            NewMacro();
            break;
        case kMenuDelete:
            DeleteMacro();
            break;
        case kMenuRemember:
            if (list_ && list_->GetCurData() > 0) selected_ = static_cast<int>(list_->GetCurData());
            break;
        case kMenuImport:
            ImportMacro();
            break;
        case kMenuExport:
            ExportMacro();
            break;
        case kMenuRename:
            RenameMacro();
            break;
        case kMenuCopy:
            CopyMacro();
            break;
        default:
            break;
        }
        return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_XBUTTONDOWN:
    case WM_XBUTTONUP:
        OnMouseButton(msg, wparam, lparam);
        return false;
    case WM_INPUT:
        // The raw-input form: the mouse message in the low word, the side button in the high.
        OnMouseButton(static_cast<uint32_t>(wparam & 0xFFFF), wparam & 0xFFFF0000u, lparam);
        return false;
    default:
        return false;
    }
}

// --- the macro list -------------------------------------------------------------------------

void MacroPage::Reload() {
    if (!list_) return;
    if (mode_ == 1) StopRecording();
    FillList(selected_);
    const int first = list_->GetItemCount() > 0 ? static_cast<int>(list_->GetItemData(0)) : 0;
    SelectMacro(list_->FindItemData(selected_) >= 0 ? selected_ : first);
}

void MacroPage::FillList(int selectId) {
    std::vector<std::unique_ptr<MacroRow>> macros;
    host_.Store().LoadMacroList(macros);
    list_->DeleteAllItems();
    const std::string word = MacroWord();
    for (const auto& m : macros)
        if (m && m->macroId > 0)
            list_->AddString(MacroNames::Display(m->name, Language::Current(), word), m->macroId,
                             0);
    list_->SetCurData(selectId);
}

std::vector<std::string> MacroPage::TakenNames() const {
    std::vector<std::unique_ptr<MacroRow>> macros;
    host_.Store().LoadMacroList(macros);
    std::vector<std::string> names;
    const std::string word = MacroWord();
    for (const auto& m : macros) {
        if (!m) continue;
        names.push_back(m->name);
        // A stored "Macro 3" shows as "宏 3" in Chinese: both are taken.
        names.push_back(MacroNames::Display(m->name, Language::Current(), word));
    }
    return names;
}

int MacroPage::AddMacroToList(int macroId, const std::string& name) {
    const int index =
        list_->AddString(MacroNames::Display(name, Language::Current(), MacroWord()), macroId, 0);
    SelectMacro(macroId);
    return index;
}

bool MacroPage::NewMacro() {
    if (!list_ || mode_ == 1) return false;
    MacroRow row;
    row.name = MacroNames::Unique(MacroWord(), TakenNames());
    row.playTimes = 1;
    row.delayType = MacroRecorder::kRecordedDelays;
    row.delayTime = kDefaultFixedDelay;
    const int macroId = MacroExchange::AddNewMacro(host_.Store(), row);
    if (macroId <= 0) return false;
    AddMacroToList(macroId, row.name);
    AnnounceMacros();
    return true;
}

bool MacroPage::CopyMacro() {
    if (!list_ || mode_ == 1 || selected_ <= 0) return false;
    SettingsDatabase& store = host_.Store();
    MacroRow source;
    if (!store.GetMacro(selected_, source)) return false;
    MacroRow copy = source;
    copy.name = MacroNames::Copy(source.name, TakenNames());
    copy.linkCount = 0;
    int copyId = 0;
    const bool stored = store.RunInTransaction([&] {
        copyId = MacroExchange::AddNewMacro(store, copy);
        if (copyId <= 0) return false;
        std::vector<std::unique_ptr<MacroItemRow>> items;
        store.LoadMacroItems(source.macroId, items);
        for (auto& item : items)
            item->macroId = copyId;
        return store.SaveMacroItems(std::move(items)) >= 0;
    });
    if (!stored || copyId <= 0) return false;
    AddMacroToList(copyId, copy.name);
    AnnounceMacros();
    return true;
}

bool MacroPage::DeleteMacro() {
    if (!list_ || mode_ == 1 || selected_ <= 0) return false;
    SettingsDatabase& store = host_.Store();
    const int macroId = selected_;
    bool shownProfileChanged = false;
    const bool deleted = store.RunInTransaction([&] {
        if (!store.DeleteMacro(macroId)) return false;
        shownProfileChanged = ResetButtonsPlaying(macroId);
        return true;
    });
    if (!deleted) return false;
    int index = list_->FindItemData(macroId);
    list_->DeleteItem(index);
    index = std::min(index, list_->GetItemCount() - 1);
    selected_ = 0;
    SelectMacro(index >= 0 ? static_cast<int>(list_->GetItemData(index)) : 0);
    // The mouse learns the buttons of its profile that went back to their own function.
    if (shownProfileChanged && host_.DeviceType() > 600)
        host_.QueueTask(CThreadBasic::kAssignAllButtons);
    else if (shownProfileChanged && host_.DeviceType() > 0)
        host_.QueueTask(CThreadBasic::kKeyboardKeyTable);
    AnnounceMacros();
    return true;
}

bool MacroPage::ResetButtonsPlaying(int macroId) {
    bool shownProfile = false;
    SettingsDatabase& store = host_.Store();
    std::vector<std::unique_ptr<ProfileRow>> profiles;
    store.LoadProfileList(profiles);
    for (const auto& profile : profiles) {
        std::vector<std::unique_ptr<KeyAssignmentRow>> rows;
        store.LoadButtonAssignments(profile->profile, rows);
        for (const auto& row : rows) {
            if (row->macroType != 3 || row->macroValue != macroId) continue;
            KeyAssignmentRow own = *row;
            own.macroType = 5;
            own.macroValue = row->keyCode;
            own.macroValue2 = 0;
            own.macroValue3 = 0;
            own.macroDesc = OwnFunctionText(row->keyCode);
            store.SaveButtonAssignment(own);
            shownProfile = shownProfile || profile->profile == host_.CurrentProfile();
        }
        // Keyboard keys go back to their own function: their row goes.
        std::vector<std::unique_ptr<KeyAssignmentRow>> keys;
        store.LoadKeyAssignments(profile->profile, 0, keys);
        for (const auto& key : keys) {
            if (!key || key->macroType != 3 || key->macroValue != macroId) continue;
            KeyAssignmentRow own;
            own.profile = key->profile;
            own.fnLayer = key->fnLayer;
            own.keyCode = key->keyCode;
            store.SaveKeyAssignment(own);
            shownProfile = shownProfile || profile->profile == host_.CurrentProfile();
        }
    }
    return shownProfile;
}

bool MacroPage::RenameMacro() {
    if (!list_ || mode_ == 1 || selected_ <= 0) return false;
    list_->SetCurData(selected_);
    return list_->ShowEdit();
}

void MacroPage::OnRenamed(int index) {
    const int macroId = static_cast<int>(list_->GetItemData(index));
    if (macroId <= 0) return;
    const std::string name = list_->GetItemText(index);
    MacroRow row;
    const bool known = host_.Store().GetMacro(macroId, row);
    if (name.empty() || !host_.Store().RenameMacro(macroId, name)) {
        // An empty name, or one the store refused: the list goes back to what is stored.
        if (known)
            list_->ModifyItemString(
                index, MacroNames::Display(row.name, Language::Current(), MacroWord()));
        return;
    }
    AnnounceMacros();
}

FileChooser& MacroPage::Chooser() {
    if (chooser_) return *chooser_;
    if (!nativeChooser_) nativeChooser_ = std::make_unique<DesktopFileChooser>();
    return *nativeChooser_;
}

bool MacroPage::ImportMacro() {
    if (!list_ || mode_ == 1) return false;
    MacroImportResult result;
    if (MacroExchange::Import(host_.Store(), Chooser(), result) != ExchangeStatus::Done ||
        result.macroId <= 0)
        return false;
    AddMacroToList(result.macroId, result.name);
    AnnounceMacros();
    return true;
}

bool MacroPage::ExportMacro() {
    if (!list_ || mode_ == 1) return false;
    const ExchangeStatus status = selected_ > 0
                                      ? MacroExchange::Export(host_.Store(), Chooser(), selected_)
                                      : ExchangeStatus::NothingSelected;
    if (status == ExchangeStatus::NothingSelected) {
        host_.ShowMessageBox(UiText::Dialog(540), UiText::Dialog(541), 0);
        return false;
    }
    return status == ExchangeStatus::Done;
}

void MacroPage::OpenMenu(Point screen) {
    if (mode_ == 1) return;
    menu_.reset(); // an older menu closes
    menu_ = std::make_unique<MenuWnd>(host_.Window().GetSafeHwnd(), screen, kMenuMessage,
                                      "img_tip_bk.png", 4, 150, 1);
    menu_->AddMenu(UiText::Dialog(301), kMenuNew);
    menu_->AddMenu(UiText::Dialog(302), kMenuDelete);
    menu_->AddMenu(UiText::Dialog(303), kMenuRename);
    menu_->AddMenu(UiText::Dialog(31), kMenuCopy);
    menu_->AddSeparator();
    menu_->AddMenu(UiText::Dialog(26), kMenuImport);
    menu_->AddMenu(UiText::Dialog(27), kMenuExport);
    const bool any = selected_ > 0;
    for (int text : {302, 303, 31, 27})
        menu_->SetItemEnable(UiText::Dialog(text), any);
    menuChoicePending_ = menu_->Show() != nullptr;
    if (!menuChoicePending_) menu_.reset();
}

void MacroPage::AnnounceMacros() {
    Platform::PostMessage(host_.Window().GetSafeHwnd(), kMacrosChanged, 0, 0);
}

// --- showing a macro and its settings -------------------------------------------------------

void MacroPage::SelectMacro(int macroId) {
    selected_ = macroId;
    if (list_) list_->SetCurData(macroId);
    ShowMacro(macroId);
}

void MacroPage::ResetSettingsView() {
    if (records_) records_->DeleteAllItems();
    if (positionCombo_) positionCombo_->SetCurSel(0);
    ShowEntryKind(kKeyRadioId);
    if (playTimesEdit_) playTimesEdit_->SetEditText("1");
    if (delayTypeRadios_[0]) delayTypeRadios_[0]->SetControlCheck(true);
    if (fixedDelayEdit_) fixedDelayEdit_->SetEditText(std::to_string(kDefaultFixedDelay));
    UpdateDelayEdit();
    if (loopRadios_[0]) loopRadios_[0]->SetControlCheck(true);
}

void MacroPage::ShowMacro(int macroId) {
    ResetSettingsView();
    MacroRow row;
    if (macroId <= 0 || !host_.Store().GetMacro(macroId, row)) return;
    if (playTimesEdit_) playTimesEdit_->SetEditText(std::to_string(row.playTimes));
    const int delayIndex = std::clamp(row.delayType, 1, 3) - 1;
    if (delayTypeRadios_[delayIndex]) delayTypeRadios_[delayIndex]->SetControlCheck(true);
    if (row.delayType == MacroRecorder::kFixedDelay && fixedDelayEdit_)
        fixedDelayEdit_->SetEditText(std::to_string(row.delayTime));
    UpdateDelayEdit();
    const int loopIndex = row.loopType == 16 ? 1 : row.loopType == 32 ? 2 : 0;
    if (loopRadios_[loopIndex]) loopRadios_[loopIndex]->SetControlCheck(true);

    std::vector<std::unique_ptr<MacroItemRow>> items;
    host_.Store().LoadMacroItems(macroId, items);
    if (!records_) return;
    for (const auto& item : items)
        AddEventRow(*records_, MacroEvent{item->desc, item->type, item->value, item->delayTime});
    records_->SetCurSel(-1);
}

void MacroPage::ShowEntryKind(unsigned radioId) {
    if (keyRadio_) keyRadio_->SetControlCheck(radioId == kKeyRadioId);
    if (buttonRadio_) buttonRadio_->SetControlCheck(radioId == kButtonRadioId);
    if (delayRadio_) delayRadio_->SetControlCheck(radioId == kDelayRadioId);
    if (keyEdit_) {
        if (radioId == kKeyRadioId) keyEdit_->SetEditText({});
        keyEdit_->SetVisible(radioId == kKeyRadioId);
    }
    if (radioId == kKeyRadioId) SetEntry({}, 0, false);
    if (buttonCombo_) {
        if (radioId == kButtonRadioId) buttonCombo_->SetCurSel(0);
        buttonCombo_->SetVisible(radioId == kButtonRadioId);
    }
    if (delayEdit_) {
        if (radioId == kDelayRadioId) delayEdit_->SetEditText({});
        delayEdit_->SetVisible(radioId == kDelayRadioId);
    }
    if (msLabel_) msLabel_->SetVisible(radioId == kDelayRadioId);
}

void MacroPage::UpdateDelayEdit() {
    if (fixedDelayEdit_ && mode_ != 1)
        fixedDelayEdit_->SetEnabled(CheckedDelayType() == MacroRecorder::kFixedDelay);
}

int MacroPage::CheckedDelayType() const {
    for (int i = 0; i < 3; ++i)
        if (delayTypeRadios_[i] && delayTypeRadios_[i]->GetCheck()) return i + 1;
    return MacroRecorder::kRecordedDelays;
}

int MacroPage::CheckedLoopType() const {
    static constexpr int kLoopTypes[] = {0, 16, 32};
    for (int i = 0; i < 3; ++i)
        if (loopRadios_[i] && loopRadios_[i]->GetCheck()) return kLoopTypes[i];
    return 0;
}

int MacroPage::ReadPlayTimes() {
    if (!playTimesEdit_) return kMinPlayTimes;
    const int typed = TextNumber::Decimal(playTimesEdit_->GetEditText());
    const int times = std::clamp(typed, kMinPlayTimes, kMaxPlayTimes);
    if (times != typed) playTimesEdit_->SetEditText(std::to_string(times));
    return times;
}

int MacroPage::ReadFixedDelay() const {
    if (!fixedDelayEdit_) return kDefaultFixedDelay;
    return TextNumber::Decimal(fixedDelayEdit_->GetEditText());
}

bool MacroPage::SaveSettings() {
    if (selected_ <= 0) return false;
    MacroRow row;
    row.macroId = selected_;
    row.playTimes = ReadPlayTimes();
    row.delayType = CheckedDelayType();
    row.delayTime =
        row.delayType == MacroRecorder::kFixedDelay ? ReadFixedDelay() : kDefaultFixedDelay;
    row.loopType = CheckedLoopType();
    return host_.Store().UpdateMacroPlayback(row);
}

// --- events ---------------------------------------------------------------------------------

std::vector<MacroEvent> MacroPage::ShownEvents() const {
    std::vector<MacroEvent> events;
    if (!records_) return events;
    for (const RecordItem* item : records_->GetRecordItems())
        events.push_back(EventOfRow(*item));
    return events;
}

bool MacroPage::SaveEvents() {
    if (selected_ <= 0 || !records_) return false;
    SettingsDatabase& store = host_.Store();
    const std::vector<MacroEvent> events = ShownEvents();
    const int macroId = selected_;
    // One transaction: a refused write keeps the events stored before.
    return store.RunInTransaction([&] {
        if (!store.DeleteMacroItems(macroId)) return false;
        std::vector<std::unique_ptr<MacroItemRow>> items;
        for (size_t i = 0; i < events.size(); ++i) {
            auto item = std::make_unique<MacroItemRow>();
            item->macroId = macroId;
            item->recordIndex = static_cast<int>(i);
            item->type = events[i].type;
            item->value = events[i].code;
            item->delayTime = events[i].delay;
            item->desc = events[i].name;
            items.push_back(std::move(item));
        }
        return store.SaveMacroItems(std::move(items)) >= 0;
    });
}

void MacroPage::MoveEvent(int step) {
    if (!records_ || mode_ == 1) return;
    const int at = records_->GetCurSel();
    const int to = at + step;
    if (at < 0 || to < 0 || to >= records_->GetItemCount()) return;
    if (!records_->SwapItem(at, to)) return;
    records_->SetCurSel(to);
    records_->UpdateControl(true);
}

void MacroPage::DeleteEvent() {
    if (!records_ || mode_ == 1) return;
    records_->DeleteItem(records_->GetCurSel());
}

void MacroPage::EditEventDelay() {
    if (!records_ || mode_ == 1) return;
    const int at = records_->GetCurSel();
    if (at < 0) return;
    // The editor opens on the hovered row: point at the selected one's delay column.
    const Rect r = records_->GetRect();
    const int h = records_->GetItemHeight();
    const Point pt{r.left + CRecordList::kDelayX + CRecordList::kDelayWidth / 2,
                   r.top + h * at + h / 2 - records_->GetScrollOffset()};
    if (!r.Contains(pt)) return; // scrolled out of view
    records_->OnControlMouseMove(0, pt);
    records_->ShowEdit();
}

bool MacroPage::InsertComposedEvent() {
    if (!records_ || mode_ == 1) return false;
    const int count = records_->GetItemCount();
    const int selected = records_->GetCurSel();
    const auto where = static_cast<InsertAt>(positionCombo_ ? positionCombo_->GetCurSel() : 2);
    int at = count; // where the first new event goes
    if (selected >= 0 && where == InsertAt::After) at = selected + 1;
    if (selected >= 0 && where == InsertAt::Before) at = selected;

    if (delayRadio_ && delayRadio_->GetCheck()) {
        // A pause is the delay after the event before the insertion point.
        if (!delayEdit_ || delayEdit_->GetEditText().empty() || at == 0) return false;
        const int delay = std::clamp(TextNumber::Decimal(delayEdit_->GetEditText()), 0,
                                     MacroRecorder::kMaxPauseMs);
        std::vector<RecordItem*> items = records_->GetRecordItems();
        items[at - 1]->delay = delay;
        records_->UpdateControl(true);
        return true;
    }

    std::vector<MacroEvent> events;
    if (buttonRadio_ && buttonRadio_->GetCheck()) {
        const int index = buttonCombo_ ? buttonCombo_->GetCurSel() : -1;
        if (index < 0 || index >= static_cast<int>(std::size(kButtons))) return false;
        const ButtonEntry& b = kButtons[index];
        events.push_back({b.name, MacroEvent::kButtonDown, b.downCode, 0});
        events.push_back({b.name, MacroEvent::kButtonUp, b.upCode, 0});
    } else {
        if (entryName_.empty() || entryCode_ == 0) return false;
        if (entryIsButton_) {
            for (const ButtonEntry& b : kButtons) {
                if (entryName_ != b.name) continue;
                events.push_back({b.name, MacroEvent::kButtonDown, b.downCode, 0});
                events.push_back({b.name, MacroEvent::kButtonUp, b.upCode, 0});
            }
        } else {
            events.push_back({entryName_, MacroEvent::kKeyDown, entryCode_, 0});
            events.push_back({entryName_, MacroEvent::kKeyUp, entryCode_, 0});
        }
    }
    if (events.empty()) return false;
    // Appended, then moved up into place.
    for (size_t i = 0; i < events.size(); ++i) {
        AddEventRow(*records_, events[i]);
        int index = records_->GetItemCount() - 1;
        const int target = at + static_cast<int>(i);
        for (; index > target; --index)
            records_->SwapItem(index, index - 1);
    }
    records_->SetCurSel(at + static_cast<int>(events.size()) - 1);
    records_->UpdateControl(true);
    return true;
}

// --- recording and the key entry ------------------------------------------------------------

bool MacroPage::StartRecording() {
    if (!records_ || mode_ == 1 || selected_ <= 0) return false;
    const int delayType = CheckedDelayType();
    const int fixedDelay =
        delayType == MacroRecorder::kFixedDelay ? ReadFixedDelay() : kDefaultFixedDelay;
    if (keyEdit_ && keyEdit_->IsEditShown()) keyEdit_->CloseEdit(true);
    records_->CloseEdit();
    ShowRecordingState(true);
    records_->DeleteAllItems();
    recorder_.Start(delayType, fixedDelay);
    mode_ = 1;
    if (recordLabel_) recordLabel_->SetTitle(UiText::Dialog(323));
    return true;
}

void MacroPage::StopRecording() {
    if (mode_ != 1) return;
    recorder_.Stop();
    mode_ = 0;
    ShowRecordingState(false);
    SaveSettings();
    SaveEvents();
    if (recordLabel_) recordLabel_->SetTitle(UiText::Dialog(320));
}

void MacroPage::ShowRecordingState(bool recording) {
    // The two share one place. A hidden control keeps the hover while the pointer stays in its
    // rectangle, so the one hidden also leaves the place.
    if (startButton_) {
        startButton_->SetVisible(!recording);
        startButton_->SetRect(recording ? Rect{} : kRecordButtonRect);
    }
    if (stopButton_) {
        stopButton_->SetRect(recording ? kRecordButtonRect : Rect{});
        stopButton_->SetVisible(recording);
    }
    // A press without a move in between still goes to the control hovered before; a move where
    // the pointer is lets the one shown take it.
    if (NativeWindow* window = host_.Window().GetSafeHwnd()) {
        const Point at = host_.Window().ScreenToClient(Platform::GetCursorPos());
        Platform::PostMessage(window, WM_MOUSEMOVE, Platform::GetMouseKeys(),
                              MakeLParam(at.x, at.y));
    }
    if (recording) {
        disabledForRecording_.clear();
        MControl* controls[] = {menuButton_,
                                list_,
                                newButton_,
                                deleteButton_,
                                renameButton_,
                                copyButton_,
                                importButton_,
                                exportButton_,
                                positionCombo_,
                                keyRadio_,
                                buttonRadio_,
                                delayRadio_,
                                keyEdit_,
                                buttonCombo_,
                                delayEdit_,
                                insertButton_,
                                playTimesEdit_,
                                delayTypeRadios_[0],
                                delayTypeRadios_[1],
                                delayTypeRadios_[2],
                                fixedDelayEdit_,
                                loopRadios_[0],
                                loopRadios_[1],
                                loopRadios_[2],
                                records_,
                                editDelayButton_,
                                upButton_,
                                downButton_,
                                deleteEventButton_,
                                saveButton_};
        for (MControl* c : controls) {
            if (!c) continue;
            disabledForRecording_.push_back({c, c->IsEnabled()});
            c->SetEnabled(false);
        }
    } else {
        for (auto& [control, enabled] : disabledForRecording_)
            control->SetEnabled(enabled);
        disabledForRecording_.clear();
        UpdateDelayEdit();
    }
}

void MacroPage::MirrorLastRecorded() {
    const auto& events = recorder_.Events();
    if (events.empty() || !records_) return;
    if (recorder_.PreviousDelaySet() != 0) records_->UpdateDelayTime(recorder_.PreviousDelaySet());
    AddEventRow(*records_, events.back());
}

void MacroPage::OnKeyEvent(WPARAM wparam, LPARAM lparam) {
    if (mode_ != 1 && mode_ != 2) return;
    const KeyNames::KeyEvent key = KeyNames::Decode(wparam, lparam);
    if (key.virtualKey == 0) return;
    const std::string name = KeyNames::VirtualKeyName(key.virtualKey);
    if (mode_ == 2) {
        if (name.empty()) return;
        SetEntry(name, key.virtualKey, false);
        if (keyEdit_) keyEdit_->SetEditText(name);
        return;
    }
    const MacroRecorder::Result result = recorder_.OnKey(key.virtualKey, name, key.release);
    if (result == MacroRecorder::Result::Ignored) return;
    MirrorLastRecorded();
    if (result == MacroRecorder::Result::Full) {
        StopRecording();
        host_.ShowMessageBox(UiText::Dialog(369), UiText::Dialog(370), 0);
    }
}

void MacroPage::OnMouseButton(uint32_t msg, WPARAM wparam, LPARAM lparam) {
    if (mode_ != 2 || !keyEdit_) return;
    int index = -1;
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP: {
        // A left press elsewhere is a click on some control (Insert, most likely), not an entry.
        const Point pt{static_cast<int16_t>(lparam & 0xFFFF),
                       static_cast<int16_t>((lparam >> 16) & 0xFFFF)};
        if (!keyEdit_->GetRect().Contains(pt)) return;
        index = 0;
        break;
    }
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
        index = 1;
        break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
        index = 2;
        break;
    case WM_XBUTTONDOWN:
    case WM_XBUTTONUP: {
        const int which = static_cast<int>((wparam >> 16) & 0xFFFF);
        if (which == 1) index = 3;
        if (which == 2) index = 4;
        break;
    }
    default:
        break;
    }
    if (index < 0) return;
    const bool up =
        msg == WM_LBUTTONUP || msg == WM_MBUTTONUP || msg == WM_RBUTTONUP || msg == WM_XBUTTONUP;
    const ButtonEntry& b = kButtons[index];
    SetEntry(b.name, up ? b.upCode : b.downCode, true);
    keyEdit_->SetEditText(b.name);
}

void MacroPage::SetEntry(const std::string& name, int code, bool button) {
    entryName_ = name;
    entryCode_ = code;
    entryIsButton_ = button;
}

#include "PageFixture.h"

#include "app/files/Language.h"
#include "app/files/PresetFileChooser.h"
#include "app/files/UiText.h"
#include "app/shell/CThreadBasic.h"
#include "app/shell/pages/MacroPage.h"
#include "sim/VirtualClock.h"
#include "ui/controls/DListBox.h"
#include "ui/controls/MButton.h"
#include "ui/controls/MComboBox.h"
#include "ui/controls/MEdit.h"
#include "ui/controls/MText.h"
#include "ui/core/MenuWnd.h"
#include "ui/platform/Platform.h"
#include "ui/platform/VirtualKeys.h"
#include "ui/widgets/CRecordList.h"

#include <cstdlib>
#include <filesystem>

using namespace Tolva;

std::ostream& operator<<(std::ostream& os, const MacroEvent& e) {
    return os << "{" << e.name << " " << e.type << " " << e.code << " " << e.delay << "}";
}

namespace {

constexpr int kA = 0x41, kB = 0x42, kC = 0x43;
constexpr int kScanA = 0x1E, kScanB = 0x30, kScanC = 0x2E;

// Counts the macro broadcasts that reach the window.
class CountingMacroPage : public MacroPage {
public:
    using MacroPage::MacroPage;
    bool OnWindowMessage(uint32_t msg, WPARAM wparam, LPARAM lparam) override {
        if (msg == kMacrosChanged) ++announced;
        return MacroPage::OnWindowMessage(msg, wparam, lparam);
    }
    int announced = 0;
};

class MacroPageTest : public PageTest {
protected:
    void SetUp() override {
        PageTest::SetUp();
        if (HasFatalFailure()) return;
        // As in the window, only the shown page's layout takes the pointer.
        for (unsigned id : {50u, 51u, 52u, 54u, 501u, 502u, 503u, 504u})
            if (MTabLayout* layout = host->FindLayout(id)) layout->SetVisible(false);
        page = std::make_unique<CountingMacroPage>(*host, clock);
        Attach(*page);
    }
    void TearDown() override {
        if (host) host->window.page = nullptr;
        page.reset();
        PageTest::TearDown();
    }

    SettingsDatabase& store() { return host->store; }

    // A macro made straight in the store, shown on the page.
    int AddMacro(const std::string& name, std::vector<MacroEvent> events, int playTimes = 3,
                 int delayType = 3, int delayTime = 40, int loopType = 16) {
        MacroRow row;
        row.name = name;
        row.playTimes = playTimes;
        row.delayType = delayType;
        row.delayTime = delayTime;
        row.loopType = loopType;
        const int id = store().AddMacro(row);
        for (size_t i = 0; i < events.size(); ++i) {
            MacroItemRow item;
            item.macroId = id;
            item.recordIndex = static_cast<int>(i);
            item.type = events[i].type;
            item.value = events[i].code;
            item.delayTime = events[i].delay;
            item.desc = events[i].name;
            store().AddMacroItem(item);
        }
        page->Reload();
        page->SelectMacro(id);
        Platform::ProcessPending();
        return id;
    }
    std::vector<MacroRow> Macros() {
        std::vector<std::unique_ptr<MacroRow>> list;
        store().LoadMacroList(list);
        std::vector<MacroRow> rows;
        for (auto& m : list)
            rows.push_back(*m);
        return rows;
    }
    std::vector<MacroEvent> Stored(int macroId) {
        std::vector<std::unique_ptr<MacroItemRow>> items;
        store().LoadMacroItems(macroId, items);
        std::vector<MacroEvent> events;
        for (auto& i : items)
            events.push_back({i->desc, i->type, i->value, i->delayTime});
        return events;
    }
    MacroRow Macro(int id) {
        MacroRow row;
        store().GetMacro(id, row);
        return row;
    }
    MEdit* EditOf(unsigned id) { return dynamic_cast<MEdit*>(Find(id)); }
    CRecordList* Records() { return dynamic_cast<CRecordList*>(Find(MacroPage::kRecordListId)); }
    // The pointer comes to the point first, as a person's does: presses go to the control under
    // the pointer.
    void Press(Point pt) {
        head->MouseMove(host->window.GetSafeHwnd(), pt);
        Click(pt);
    }
    void ClickId(unsigned id) { Press(CentreOf(id)); }
    // Opens the edit, replaces its text and leaves it, as a person typing would.
    void TypeInto(unsigned id, const std::string& text) {
        ClickId(id);
        MEdit* edit = EditOf(id);
        ASSERT_NE(edit, nullptr);
        ASSERT_TRUE(edit->IsEditShown());
        edit->SetEditText(text);
        head->EditLoseFocus(edit->GetNativeEdit());
        Platform::ProcessPending();
    }
    void Key(int vk, int scan, bool release) {
        const LPARAM lparam =
            static_cast<LPARAM>((static_cast<uint32_t>(scan) << 16) | (release ? 0x80000000u : 0u));
        Platform::SendMessage(host->window.GetSafeHwnd(), ShellPage::kKeyEvent,
                              static_cast<WPARAM>(vk), lparam);
    }
    void Tap(int vk, int scan, int holdMs, int afterMs) {
        Key(vk, scan, false);
        clock.Advance(holdMs);
        Key(vk, scan, true);
        clock.Advance(afterMs);
    }
    Point RowPoint(int index, int x) {
        const Rect r = Records()->GetRect();
        const int h = Records()->GetItemHeight();
        return {r.left + x, r.top + h * index + h / 2};
    }

    VirtualClock clock;
    std::unique_ptr<CountingMacroPage> page;
};

using Events = std::vector<MacroEvent>;

TEST_F(MacroPageTest, NewMacrosTakeTheSmallestFreeNumberAndTellTheWindow) {
    ClickId(MacroPage::kNewId);
    ClickId(MacroPage::kNewId);
    auto macros = Macros();
    ASSERT_EQ(macros.size(), 2u);
    EXPECT_EQ(macros[0].name, "Macro 1");
    EXPECT_EQ(macros[1].name, "Macro 2");
    EXPECT_EQ(macros[1].playTimes, 1);
    EXPECT_EQ(macros[1].delayType, 1);
    EXPECT_EQ(macros[1].delayTime, 10);
    EXPECT_EQ(page->SelectedMacro(), macros[1].macroId);
    EXPECT_EQ(page->announced, 2);

    page->SelectMacro(macros[0].macroId);
    ClickId(MacroPage::kDeleteId);
    ClickId(MacroPage::kNewId);
    macros = Macros();
    ASSERT_EQ(macros.size(), 2u);
    EXPECT_EQ(macros[1].name, "Macro 1");
    EXPECT_EQ(page->announced, 4);

    // In Chinese "Macro 1" shows as "宏 1", so that number is taken there too.
    Language::SetCurrent(Language::kChinese);
    page->ApplyTexts();
    ClickId(MacroPage::kNewId);
    const std::string zh = UiText::Dialog(331);
    ASSERT_FALSE(zh.empty());
    EXPECT_EQ(Macros().back().name, zh + " 3");
}

TEST_F(MacroPageTest, CopyKeepsTheSettingsAndEventsUnderADashedName) {
    const Events events = {{"A", 2, kA, 120}, {"A", 3, kA, 0}};
    const int source = AddMacro("Macro 1", events);
    ClickId(MacroPage::kCopyId);
    const auto macros = Macros();
    ASSERT_EQ(macros.size(), 2u);
    const MacroRow& copy = macros[1];
    EXPECT_EQ(copy.name, "Macro 1 - 1");
    EXPECT_NE(copy.macroId, source);
    EXPECT_EQ(copy.playTimes, 3);
    EXPECT_EQ(copy.delayType, 3);
    EXPECT_EQ(copy.delayTime, 40);
    EXPECT_EQ(copy.loopType, 16);
    EXPECT_EQ(Stored(copy.macroId), events);
    EXPECT_EQ(Stored(source), events);
    EXPECT_EQ(page->SelectedMacro(), copy.macroId);
}

TEST_F(MacroPageTest, TheListsMenuAndItsRenameEditorActOnTheMacroClickedOn) {
    const int first = AddMacro("Macro 1", {});
    const int second = AddMacro("Macro 2", {});
    DListBox* list = dynamic_cast<DListBox*>(Find(MacroPage::kListId));
    const Rect row = list->GetItemRect(0);
    const Point at{row.left + 40, (row.top + row.bottom) / 2};
    head->MouseMove(host->window.GetSafeHwnd(), at);
    head->Click(host->window.GetSafeHwnd(), at, MouseButton::Right);
    Platform::ProcessPending();
    EXPECT_EQ(page->SelectedMacro(), first);
    ASSERT_NE(page->Menu(), nullptr);
    NativeWindow* menu = page->Menu()->GetSafeHwnd();
    ASSERT_TRUE(Platform::IsWindow(menu));
    if (const char* frames = std::getenv("PIVANE_FRAME_DIR"))
        head->SaveFrame(menu, std::string(frames) + "/macro-menu.png");
    // The fourth entry copies; the choice comes back through the window as message 1827.
    const Point copy{20, 3 * MenuWnd::kItemHeight + MenuWnd::kItemHeight / 2};
    head->MouseMove(menu, copy);
    head->Click(menu, copy);
    Platform::ProcessPending();
    EXPECT_FALSE(Platform::IsWindow(menu));
    ASSERT_EQ(Macros().size(), 3u);
    EXPECT_EQ(Macros().back().name, "Macro 1 - 1");

    page->SelectMacro(second);
    ClickId(MacroPage::kRenameId);
    ASSERT_TRUE(list->IsEditShown());
    list->GetEdit()->SetText("Jump");
    head->EditKey(list->GetEdit(), VK_RETURN);
    Platform::ProcessPending();
    EXPECT_EQ(Macro(second).name, "Jump");
    const int announced = page->announced;
    // An emptied name is refused and the stored one comes back.
    ClickId(MacroPage::kRenameId);
    list->GetEdit()->SetText("");
    head->EditKey(list->GetEdit(), VK_RETURN);
    Platform::ProcessPending();
    EXPECT_EQ(Macro(second).name, "Jump");
    EXPECT_EQ(list->GetItemText(list->FindItemData(second)), "Jump");
    EXPECT_EQ(page->announced, announced);
}

TEST_F(MacroPageTest, PlayTimesOutsideOneToNinetyNineAreCorrectedInTheEditAndTheStore) {
    const int id = AddMacro("Macro 1", {});
    TypeInto(MacroPage::kPlayTimesEditId, "0");
    EXPECT_EQ(Macro(id).playTimes, 1);
    EXPECT_EQ(EditOf(MacroPage::kPlayTimesEditId)->GetEditText(), "1");
    TypeInto(MacroPage::kPlayTimesEditId, "150");
    EXPECT_EQ(Macro(id).playTimes, 99);
    EXPECT_EQ(EditOf(MacroPage::kPlayTimesEditId)->GetEditText(), "99");
    TypeInto(MacroPage::kPlayTimesEditId, "42");
    EXPECT_EQ(Macro(id).playTimes, 42);
    // The fixed delay is stored with delay type 3 (the macro's own).
    TypeInto(MacroPage::kFixedDelayEditId, "75");
    EXPECT_EQ(Macro(id).delayTime, 75);
}

TEST_F(MacroPageTest, LoopRadiosSaveAtOnceWhileDelayRadiosOnlySwitchTheFixedDelay) {
    const int id = AddMacro("Macro 1", {}, 1, 1, 10, 0);
    MEdit* fixed = EditOf(MacroPage::kFixedDelayEditId);
    EXPECT_FALSE(fixed->IsEnabled());
    ClickId(MacroPage::kLoopToggleId);
    EXPECT_EQ(Macro(id).loopType, 32);
    ClickId(MacroPage::kFixedDelayId);
    EXPECT_TRUE(fixed->IsEnabled());
    EXPECT_EQ(Macro(id).delayType, 1);
    ClickId(MacroPage::kNoDelaysId);
    EXPECT_FALSE(fixed->IsEnabled());
    ClickId(MacroPage::kLoopHeldId);
    const MacroRow row = Macro(id);
    EXPECT_EQ(row.loopType, 16);
    EXPECT_EQ(row.delayType, 2);
    EXPECT_EQ(row.delayTime, 10);
}

TEST_F(MacroPageTest, RecordingTakesTheWindowsKeyEventsAndSavesWhenStopped) {
    const int id = AddMacro("Macro 1", {{"X", 2, 0x58, 5}}, 1, 1, 10, 0);
    Key(kA, kScanA, false); // idle: nothing is recorded
    Key(kA, kScanA, true);
    TypeInto(MacroPage::kPlayTimesEditId, "7");
    ClickId(MacroPage::kStartId);
    EXPECT_EQ(page->Mode(), 1);
    EXPECT_FALSE(Find(MacroPage::kStartId)->IsVisible());
    EXPECT_TRUE(Find(MacroPage::kStopId)->IsVisible());
    EXPECT_FALSE(Find(MacroPage::kListId)->IsEnabled());
    EXPECT_FALSE(Find(MacroPage::kNewId)->IsEnabled());
    EXPECT_EQ(Records()->GetItemCount(), 0);

    Key(kA, kScanA, false);
    clock.Advance(500);
    Key(kA, kScanA, false); // auto-repeat
    clock.Advance(500);
    Key(kA, kScanA, true);
    clock.Advance(60000);
    Tap(kB, kScanB, 100, 0);
    EXPECT_EQ(Records()->GetItemCount(), 4);
    // Stop takes the place of Start: a click there without moving the pointer stops.
    Click(CentreOf(MacroPage::kStopId));

    EXPECT_EQ(page->Mode(), 0);
    EXPECT_TRUE(Find(MacroPage::kStartId)->IsVisible());
    EXPECT_TRUE(Find(MacroPage::kListId)->IsEnabled());
    EXPECT_EQ(
        Stored(id),
        (Events{{"A", 2, kA, 1000}, {"A", 3, kA, 31000}, {"B", 2, kB, 100}, {"B", 3, kB, 0}}));
    EXPECT_EQ(Macro(id).playTimes, 7);
    EXPECT_EQ(page->ShownEvents(), Stored(id));
}

TEST_F(MacroPageTest, FixedDelayRecordingGivesEveryEventButTheLastTheFixedDelay) {
    const int id = AddMacro("Macro 1", {}, 1, 3, 50, 0);
    ClickId(MacroPage::kStartId);
    Tap(kA, kScanA, 300, 900);
    Tap(kC, kScanC, 20, 0);
    ClickId(MacroPage::kStopId);
    EXPECT_EQ(Stored(id),
              (Events{{"A", 2, kA, 50}, {"A", 3, kA, 50}, {"C", 2, kC, 50}, {"C", 3, kC, 0}}));
}

TEST_F(MacroPageTest, TheSixtiethEventEndsTheRecordingWithTheMessageAndIsSaved) {
    const int id = AddMacro("Macro 1", {}, 1, 1, 10, 0);
    ClickId(MacroPage::kStartId);
    for (int i = 0; i < 30; ++i)
        Tap(kA, kScanA, 10, 10);
    EXPECT_EQ(page->Mode(), 0);
    ASSERT_EQ(host->boxes.size(), 1u);
    EXPECT_EQ(host->boxes[0].text, UiText::Dialog(369));
    EXPECT_EQ(host->boxes[0].caption, UiText::Dialog(370));
    EXPECT_EQ(Stored(id).size(), 60u);
    EXPECT_TRUE(Find(MacroPage::kStartId)->IsVisible());
    Tap(kB, kScanB, 10, 10); // after the end nothing more is taken
    EXPECT_EQ(Records()->GetItemCount(), 60);
}

TEST_F(MacroPageTest, SelectedEventsMoveAndGoAndTheListIsStoredOnSave) {
    const Events abc = {{"A", 2, kA, 10}, {"B", 2, kB, 20}, {"C", 2, kC, 30}};
    const int id = AddMacro("Macro 1", abc);
    Press(RowPoint(1, 60));
    ASSERT_EQ(Records()->GetCurSel(), 1);
    ClickId(MacroPage::kMoveUpId);
    EXPECT_EQ(page->ShownEvents(), (Events{abc[1], abc[0], abc[2]}));
    EXPECT_EQ(Records()->GetCurSel(), 0);
    ClickId(MacroPage::kMoveUpId); // already first
    ClickId(MacroPage::kMoveDownId);
    ClickId(MacroPage::kMoveDownId);
    EXPECT_EQ(page->ShownEvents(), (Events{abc[0], abc[2], abc[1]}));
    ClickId(MacroPage::kDeleteEventId);
    EXPECT_EQ(page->ShownEvents(), (Events{abc[0], abc[2]}));
    EXPECT_EQ(Stored(id), abc); // nothing stored before Save
    ClickId(MacroPage::kSaveEventsId);
    EXPECT_EQ(Stored(id), (Events{abc[0], abc[2]}));
}

TEST_F(MacroPageTest, AnEditedDelayIsStoredWhenItsEditorCloses) {
    const int id = AddMacro("Macro 1", {{"A", 2, kA, 10}, {"A", 3, kA, 0}});
    Press(RowPoint(0, CRecordList::kDelayX + 40));
    NativeEdit* editor = Records()->GetEditor();
    ASSERT_NE(editor, nullptr);
    ASSERT_EQ(Records()->GetEditIndex(), 0);
    head->EditType(editor, "5"); // over the selected "10"
    head->EditLoseFocus(editor);
    Platform::ProcessPending();
    EXPECT_EQ(Stored(id)[0].delay, 5);
    // The delay button opens the same editor on the selected event.
    Press(RowPoint(1, 60));
    ClickId(MacroPage::kEditDelayId);
    EXPECT_EQ(Records()->GetEditIndex(), 1);
}

TEST_F(MacroPageTest, EntryAreaInsertsKeysButtonsAndPauses) {
    const int id = AddMacro("Macro 1", {{"A", 2, kA, 10}, {"A", 3, kA, 0}});
    ClickId(MacroPage::kKeyEditId);
    EXPECT_EQ(page->Mode(), 2);
    Key(0xA0, 0x2A, false); // left Shift
    EXPECT_EQ(EditOf(MacroPage::kKeyEditId)->GetEditText(), "Shift");
    ClickId(MacroPage::kInsertId); // leaves the edit first
    EXPECT_EQ(page->Mode(), 0);
    // At the end (nothing selected).
    Events shown = page->ShownEvents();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[2], (MacroEvent{"Shift", 2, 0xA0, 0}));
    EXPECT_EQ(shown[3], (MacroEvent{"Shift", 3, 0xA0, 0}));

    // A side button taken by the key edit, inserted before the selected event.
    ClickId(MacroPage::kKeyEditId);
    page->OnWindowMessage(WM_XBUTTONDOWN, MakeWParam(0, 2), 0);
    EXPECT_EQ(EditOf(MacroPage::kKeyEditId)->GetEditText(), "mouse_button5");
    Press(RowPoint(1, 60));
    dynamic_cast<MComboBox*>(Find(MacroPage::kPositionComboId))
        ->SetCurSel(static_cast<int>(MacroPage::InsertAt::Before));
    ClickId(MacroPage::kInsertId);
    shown = page->ShownEvents();
    ASSERT_EQ(shown.size(), 6u);
    EXPECT_EQ(shown[1], (MacroEvent{"mouse_button5", 4, 7, 0}));
    EXPECT_EQ(shown[2], (MacroEvent{"mouse_button5", 5, 8, 0}));
    EXPECT_EQ(shown[3].name, "A");

    // A pause sets the delay after the event before the insertion point.
    ClickId(MacroPage::kDelayRadioId);
    EXPECT_FALSE(Find(MacroPage::kKeyEditId)->IsVisible());
    ASSERT_TRUE(Find(MacroPage::kDelayEditId)->IsVisible());
    TypeInto(MacroPage::kDelayEditId, "250");
    dynamic_cast<MComboBox*>(Find(MacroPage::kPositionComboId))
        ->SetCurSel(static_cast<int>(MacroPage::InsertAt::End));
    ClickId(MacroPage::kInsertId);
    EXPECT_EQ(page->ShownEvents().back().delay, 250);

    // The button list composes a press and release of its first entry.
    ClickId(MacroPage::kButtonRadioId);
    ClickId(MacroPage::kInsertId);
    shown = page->ShownEvents();
    ASSERT_EQ(shown.size(), 8u);
    EXPECT_EQ(shown[6], (MacroEvent{"mouse_left", 4, 1, 0}));
    EXPECT_EQ(shown[7], (MacroEvent{"mouse_left", 5, 1, 0}));
    // The list labels a button's press and release like a key's (it labels only 2 and 3).
    const std::vector<RecordItem*> rows = Records()->GetRecordItems();
    EXPECT_EQ(rows[6]->action, 2);
    EXPECT_EQ(rows[7]->action, 3);
    EXPECT_EQ(rows[1]->action, 2);

    // Stored with their own types, and shown the same way after a reload.
    ClickId(MacroPage::kSaveEventsId);
    const Events stored = Stored(id);
    ASSERT_EQ(stored.size(), 8u);
    EXPECT_EQ(stored[1], (MacroEvent{"mouse_button5", 4, 7, 0}));
    EXPECT_EQ(stored[7], (MacroEvent{"mouse_left", 5, 1, 0}));
    page->Reload();
    EXPECT_EQ(page->ShownEvents(), stored);
    EXPECT_EQ(Records()->GetRecordItems()[2]->action, 3);
}

TEST_F(MacroPageTest, ExportThenImportMakesASecondEqualMacro) {
    ClickId(MacroPage::kExportId); // nothing to export yet
    ASSERT_EQ(host->boxes.size(), 1u);
    EXPECT_EQ(host->boxes[0].text, UiText::Dialog(540));
    EXPECT_EQ(host->boxes[0].caption, UiText::Dialog(541));

    const Events events = {{"A", 2, kA, 480}, {"A", 3, kA, 31000}, {"Num 5", 2, 101, 0}};
    const int source = AddMacro("Macro 1", events);
    const std::string path = host->dataFolder + "macro.xml";
    PresetFileChooser chooser(path);
    page->SetFileChooser(&chooser);
    ClickId(MacroPage::kExportId);
    ASSERT_TRUE(std::filesystem::exists(path));
    const int before = page->announced;
    ClickId(MacroPage::kImportId);
    const auto macros = Macros();
    ASSERT_EQ(macros.size(), 2u);
    const MacroRow& copy = macros[1];
    EXPECT_NE(copy.macroId, source);
    EXPECT_EQ(copy.name, "Macro 1");
    EXPECT_EQ(copy.playTimes, 3);
    EXPECT_EQ(copy.delayType, 3);
    EXPECT_EQ(copy.delayTime, 40);
    EXPECT_EQ(copy.loopType, 16);
    EXPECT_EQ(Stored(copy.macroId), events);
    EXPECT_EQ(page->SelectedMacro(), copy.macroId);
    EXPECT_EQ(page->ShownEvents(), events);
    EXPECT_EQ(page->announced, before + 1);

    // A cancelled dialog changes nothing.
    PresetFileChooser cancel("");
    page->SetFileChooser(&cancel);
    ClickId(MacroPage::kImportId);
    EXPECT_EQ(Macros().size(), 2u);
}

TEST_F(MacroPageTest, DeletingAMacroGivesItsButtonsTheirOwnFunctionBack) {
    const int id = AddMacro("Macro 1", {{"A", 2, kA, 10}});
    for (int profile : {1, 2}) {
        KeyAssignmentRow row;
        row.profile = profile;
        row.keyCode = 210;
        row.macroType = 3;
        row.macroValue = id;
        row.macroDesc = "Macro 1";
        ASSERT_GT(store().SaveButtonAssignment(row), 0);
    }
    ClickId(MacroPage::kDeleteId);
    EXPECT_TRUE(Macros().empty());
    EXPECT_TRUE(Stored(id).empty());
    for (int profile : {1, 2}) {
        KeyAssignmentRow row;
        ASSERT_TRUE(store().GetButtonAssignment(profile, 210, row));
        EXPECT_EQ(row.macroType, 5);
        EXPECT_EQ(row.macroValue, 210);
        EXPECT_EQ(row.macroDesc, UiText::Dialog(822));
    }
    EXPECT_EQ(host->tasks, (std::vector<int>{CThreadBasic::kAssignAllButtons}));
    EXPECT_EQ(page->SelectedMacro(), 0);
}

TEST_F(MacroPageTest, EveryTextIsFilledInBothLanguages) {
    AddMacro("Macro 1", {{"A", 2, kA, 10}, {"A", 3, kA, 0}});
    const unsigned titled[] = {
        MacroPage::kNewId,         MacroPage::kDeleteId,         MacroPage::kRenameId,
        MacroPage::kCopyId,        MacroPage::kImportId,         MacroPage::kExportId,
        MacroPage::kKeyRadioId,    MacroPage::kButtonRadioId,    MacroPage::kDelayRadioId,
        MacroPage::kInsertId,      MacroPage::kRecordedDelaysId, MacroPage::kNoDelaysId,
        MacroPage::kFixedDelayId,  MacroPage::kLoopCountId,      MacroPage::kLoopHeldId,
        MacroPage::kLoopToggleId,  MacroPage::kStartId,          MacroPage::kStopId,
        MacroPage::kRecordLabelId, MacroPage::kFocusNoteId,      MacroPage::kSaveEventsId};
    const char* frames = std::getenv("PIVANE_FRAME_DIR");
    std::map<unsigned, std::string> english;
    for (int language : {Language::kEnglish, Language::kChinese}) {
        Language::SetCurrent(language);
        page->ApplyTexts();
        Platform::ProcessPending();
        for (unsigned id : titled) {
            auto* c = dynamic_cast<MControlFont*>(Find(id));
            ASSERT_NE(c, nullptr) << id;
            EXPECT_FALSE(c->GetTitle().empty()) << "control " << id << " in " << language;
            if (language == Language::kEnglish)
                english[id] = c->GetTitle();
            else
                EXPECT_NE(c->GetTitle(), english[id]) << "control " << id;
        }
        EXPECT_EQ(dynamic_cast<MComboBox*>(Find(MacroPage::kPositionComboId))->GetItemText(0),
                  UiText::Dialog(305));
        if (frames)
            head->SaveFrame(host->window.GetSafeHwnd(),
                            std::string(frames) + "/macro-" + std::to_string(language) + ".png");
    }
    // The label beside the record buttons follows the recording state.
    ClickId(MacroPage::kStartId);
    EXPECT_EQ(dynamic_cast<MText*>(Find(MacroPage::kRecordLabelId))->GetTitle(),
              UiText::Dialog(323));
    if (frames)
        head->SaveFrame(host->window.GetSafeHwnd(), std::string(frames) + "/macro-recording.png");
}

} // namespace

// The key, macro and profile pages in the real window: a media function on button 3, a shortcut
// on button 4, a macro recorded by typing on button 5, a profile switch, and a profile exported
// with its macro and imported into a fresh store (where it fills the current profile). What reached
// the emulated mouse is read from its decoded state once the program ended; what reached the store
// through pivanectl.
#include "GuiProgram.h"

#include <filesystem>
#include <string>

using namespace GuiProgram;

namespace {

// Window (client) coordinates of the key page (layout 501).
constexpr int kKeyRowX = 1035, kKeyRowTop = 140, kKeyRowHeight = 38; // the six buttons' rows
constexpr int kTypeComboX = 1035, kTypeComboY = 399;
constexpr int kFunctionX = 1035, kFunctionY = 441; // the function list and the key edit
constexpr int kApplyX = 1120, kApplyY = 489;
constexpr int kComboRowHeight = 30; // rows of an open combo list, from just below the combo
constexpr int kProfileX = 336, kProfileTop = 140, kProfileRowHeight = 30;
constexpr int kImportX = 377, kExportX = 419, kProfileButtonY = 468;
// The macro page (layout 53).
constexpr int kNewMacroX = 289, kNewMacroY = 489;
constexpr int kRecordX = 560, kRecordY = 620;

class MouseKeysGuiTest : public Fixture {
protected:
    void SelectButton(int row) { ClickAt(kKeyRowX, kKeyRowTop + kKeyRowHeight * row + 19); }
    // Opens a combo box and clicks its entry `index`.
    void Choose(int comboX, int comboY, int index) {
        ClickAt(comboX, comboY);
        const int listTop = comboY + 22;
        ClickAt(comboX, listTop + kComboRowHeight * index + kComboRowHeight / 2);
    }
    void Apply() {
        ClickAt(kApplyX, kApplyY);
        MoveTo(700, 690);
        EXPECT_TRUE(WaitForTask()) << "the waiting dialog stayed";
    }
    // The GTK file chooser: the location typed in full, then Return.
    bool ChooseFile(const std::string& path, bool save) {
        if (!WaitFor([] {
                return !Shell("xdotool search --onlyvisible --name 'Profile' 2>/dev/null").empty();
            }))
            return false;
        const std::string chooser =
            Shell("xdotool search --onlyvisible --name 'Profile' 2>/dev/null | head -1");
        Shell("xdotool windowfocus --sync " + chooser.substr(0, chooser.find('\n')) +
              " 2>/dev/null");
        // Saving starts in the name field; opening takes a typed location after Ctrl+L.
        if (!save) Keys("key --delay 150 ctrl+l");
        Keys("type --delay 40 " + Quote(path));
        // The name's completion may take the first Return: press it again until the dialog
        // goes.
        int polls = 0;
        return WaitFor([&] {
            if (polls++ % 20 == 0) Keys("key Return");
            return Shell("xdotool search --onlyvisible --name 'Profile' 2>/dev/null").empty();
        });
    }
};

TEST_F(MouseKeysGuiTest, ButtonsMacroAndProfilesReachTheMouseAndAProfileTravelsByFile) {
    pid_t pid = 0;
    ASSERT_TRUE(StartAndSelectMouse(pid)) << "the mouse's pages did not open";
    ASSERT_TRUE(WaitForIdle());
    Screenshot(shots_ + "/keys-page.png");

    // Button 3 (middle): the third media function.
    SelectButton(2);
    Choose(kTypeComboX, kTypeComboY, 3);
    Choose(kFunctionX, kFunctionY, 2);
    Apply();
    // Button 4 (backward): the second shortcut, Copy (Ctrl+C).
    SelectButton(3);
    Choose(kTypeComboX, kTypeComboY, 4);
    Choose(kFunctionX, kFunctionY, 1);
    Screenshot(shots_ + "/keys-shortcut.png");
    Apply();

    // A macro typed into a new macro: A held a while, then B.
    ASSERT_TRUE(OpenTab(2)) << "the macro page did not open";
    ClickAt(kNewMacroX, kNewMacroY);
    ClickAt(kRecordX, kRecordY);
    MoveTo(700, 690);
    Keys("keydown a sleep 0.4 keyup a sleep 0.3 keydown b sleep 0.05 keyup b sleep 0.2");
    ClickAt(kRecordX, kRecordY); // stop: settings and events are saved
    MoveTo(700, 690);
    Screenshot(shots_ + "/macro-recorded.png");

    // Button 5 (forward): that macro.
    ASSERT_TRUE(OpenTab(1));
    SelectButton(4);
    Choose(kTypeComboX, kTypeComboY, 2);
    Screenshot(shots_ + "/keys-macro.png");
    Apply();

    // Profile 1 exported with its macro, then profile 2 chosen.
    const std::string exported = folder_ + "/profile1.xml";
    ClickAt(kExportX, kProfileButtonY); // the selected profile: 1
    ASSERT_TRUE(ChooseFile(exported, true)) << "no file chooser for the export";
    EXPECT_TRUE(WaitFor([&] { return std::filesystem::exists(exported); }));
    ClickAt(kProfileX, kProfileTop + kProfileRowHeight + kProfileRowHeight / 2);
    ASSERT_TRUE(WaitForTask());
    Quit(pid);

    const std::string dump = Ctl("--json sim-dump");
    ASSERT_FALSE(dump.empty());
    EXPECT_EQ(Json(dump, "d['active_profile']"), "2");
    // The switch to profile 2 went out on the wire: command F7 with argument 2 (wired frames
    // carry the command at byte 2, receiver frames at byte 6).
    EXPECT_EQ(Json(dump, "any(r['hex'][4:8].upper()=='F702' or r['hex'][12:16].upper()=='F702' "
                         "for r in d['reports'])"),
              "True");
    const std::string p1 = "[p for p in d['profiles'] if p['profile']==1][0]";
    EXPECT_EQ(Json(dump, "[k['macro_value'] for k in " + p1 + "['keys'] if k['key_code']==210]"),
              "[237]");
    // The shortcut plays Ctrl+C: Ctrl (224) and C (6) pressed and released.
    EXPECT_EQ(Json(dump, "[(e['usage'],e['release']) for m in " + p1 +
                             "['macros'] if m['key_code']==211 for e in m['events']]"),
              "[(224, False), (6, False), (6, True), (224, True)]");
    // The recorded macro: A down, A up after the holding time, B down, B up.
    const std::string events =
        "[e for m in " + p1 + "['macros'] if m['key_code']==212 for e in m['events']]";
    EXPECT_EQ(Json(dump, "[(e['usage'],e['release']) for e in " + events + "]"),
              "[(4, False), (4, True), (5, False), (5, True)]");
    EXPECT_EQ(Json(dump, "350 <= " + events + "[0]['delay_time'] <= 4000"), "True")
        << Json(dump, events);
    EXPECT_EQ(Json(dump, "250 <= " + events + "[1]['delay_time'] <= 4000"), "True")
        << Json(dump, events);

    // A fresh store takes the exported profile with its macro.
    const std::string fresh = folder_ + "/fresh";
    std::filesystem::remove(state_);
    ASSERT_TRUE(StartAndSelectMouse(pid, fresh));
    ASSERT_TRUE(WaitForIdle());
    ClickAt(kImportX, kProfileButtonY);
    ASSERT_TRUE(ChooseFile(exported, false)) << "no file chooser for the import";
    ASSERT_TRUE(WaitForTask());
    Screenshot(shots_ + "/keys-imported.png");
    Quit(pid, fresh);
    // A mouse profile file fills the current profile: the three profiles stay, the macro
    // arrives with its four events, and the buttons went to the mouse again (task 14).
    const std::string profiles = Ctl("--json profile list", fresh);
    EXPECT_EQ(Json(profiles, "len(d['profiles'])"), "3") << profiles;
    const std::string macros = Ctl("--json macro list", fresh);
    EXPECT_EQ(Json(macros, "[m['items'] for m in d['macros']]"), "[4]") << macros;
    const std::string again = Ctl("--json sim-dump", fresh);
    EXPECT_EQ(Json(again, "[(e['usage'],e['release']) for e in " + events + "]"),
              "[(4, False), (4, True), (5, False), (5, True)]");
    EXPECT_EQ(Json(again, "[k['macro_value'] for k in " + p1 + "['keys'] if k['key_code']==210]"),
              "[237]");
}

} // namespace

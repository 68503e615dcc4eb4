// The keyboard family's pages in the real window with each emulated keyboard: a key given a
// function from the on-screen keyboard, a typed macro and a key with modifiers given through the
// key menu's dialog, a light mode with a colour, a per-key colour, and restore defaults. What
// reached the keyboard is read from its state file (every report it received, in order) once
// the program ended; what reached the store is read from the settings database while it runs.
#include "GuiProgram.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

using namespace GuiProgram;

namespace {

// Window (client) coordinates. The key page (layout 51): the keyboard picture at 240,116 (its
// keys as the layout file places them), the function keyboard at 248,362.
constexpr int kPictureLeft = 240, kPictureTop = 116;
constexpr int kFunctionsLeft = 248, kFunctionsTop = 362;
constexpr int kF1X = kFunctionsLeft + 96, kF1Y = kFunctionsTop + 52;
// Centres of keys of the layout files (both keyboards share the picture).
struct Key {
    int code, x, y;
};
constexpr Key kKeyB{5, kPictureLeft + 286, kPictureTop + 159};
constexpr Key kKeyC{6, kPictureLeft + 208, kPictureTop + 159};
constexpr Key kKeyD{7, kPictureLeft + 192, kPictureTop + 126};
constexpr Key kKeyA{4, kPictureLeft + 114, kPictureTop + 126};
// The key menu opens at the pointer with rows of 30.
constexpr int kMenuRow = 30, kMenuCustomKey = 0, kMenuMacro = 2;
// CustomKeyDlg (420 x 300) centred on the window.
constexpr int kDialogLeft = (1200 - 420) / 2, kDialogTop = (720 - 300) / 2;
constexpr int kKeyEditX = kDialogLeft + 265, kKeyEditY = kDialogTop + 115;
constexpr int kShiftX = kDialogLeft + 162, kCtrlX = kDialogLeft + 230,
              kModifierY = kDialogTop + 159;
constexpr int kDialogApplyX = kDialogLeft + 350, kDialogApplyY = kDialogTop + 265;
// The macro page (layout 53).
constexpr int kNewMacroX = 289, kNewMacroY = 489;
constexpr int kRecordX = 560, kRecordY = 620;
// The lighting page (layout 52): the mode list's rows of 26 from 372, the colour list.
constexpr int kModeX = 330, kModeTop = 372, kModeRow = 26;
// The colour list sits in the first free settings row: for a mode without a direction, the
// direction's row.
constexpr int kSwatchLeft = 640 + 13, kSwatchPitch = 38, kSwatchNoDirectionY = 453;
constexpr int kDirectionRightX = 640 + 70, kDirectionY = 453;
// The configuration page (layout 54): restore defaults, and the 380 x 200 question box.
constexpr int kRestoreX = 370, kRestoreY = 327;
constexpr int kYesX = (1200 - 380) / 2 + 130, kAnswerY = (720 - 200) / 2 + 165;
// The keyboard tab strip: 0 home, 1 keys, 2 macros, 3 lighting, 4 configuration.
constexpr int kKeysTab = 1, kMacrosTab = 2, kLightingTab = 3, kConfigTab = 4;

bool WindowShown(const std::string& name) {
    return !Shell("xdotool search --onlyvisible --name " + Quote("^" + name + "$") + " 2>/dev/null")
                .empty();
}

bool GeometryShown(const std::string& geometry) {
    std::istringstream ids(Shell("xdotool search --onlyvisible --name '' 2>/dev/null"));
    std::string id;
    while (ids >> id)
        if (Shell("xdotool getwindowgeometry " + id + " 2>/dev/null")
                .find("Geometry: " + geometry) != std::string::npos)
            return true;
    return false;
}

std::string Upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

// A 65-byte report as hex: the bytes given, then zeros.
std::string Report(const std::string& hex) {
    std::string out = Upper(hex);
    out.resize(130, '0');
    return out;
}

class KeyboardPagesGuiTest : public Fixture {
protected:
    struct Logged {
        bool feature = false;
        std::string hex;
    };

    std::string KeyboardState() const { return state_ + ".keyboard-" + family_; }

    // The store's answer to a query, as Python prints the list of rows.
    std::string Sql(const std::string& query) {
        std::string db;
        std::error_code ec;
        for (auto it = std::filesystem::recursive_directory_iterator(folder_ + "/Documents", ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
            if (it->path().string().ends_with("_data_v7.db")) db = it->path().string();
        if (db.empty()) return "no store";
        std::string out =
            Shell("python3 -c " +
                  Quote("import sqlite3,sys\nc=sqlite3.connect('file:'+sys.argv[1]+'?mode=ro',"
                        "uri=True,timeout=5)\nprint(c.execute(sys.argv[2]).fetchall())") +
                  " " + Quote(db) + " " + Quote(query) + " 2>&1");
        while (!out.empty() && out.back() == '\n')
            out.pop_back();
        return out;
    }
    bool WaitForSql(const std::string& query, const std::string& expected, int timeoutMs = 5000) {
        return WaitFor([&] { return Sql(query) == expected; }, timeoutMs);
    }
    std::string KeyRow(int key) {
        return Sql("select macro_type, macro_value, macro_value2, macro_desc from "
                   "t_key_macro_data where profile=1 and fn_layer=0 and key_code=" +
                   std::to_string(key));
    }

    // Repeats `action` until `done` holds: clicks that come while the window is disabled for a
    // device task are dropped, as a person's would be.
    bool Retry(const std::function<void()>& action, const std::function<bool()>& done,
               int attempts = 6) {
        for (int i = 0; i < attempts; ++i) {
            action();
            if (WaitFor(done, 3000)) return true;
        }
        return false;
    }

    bool StartAndSelectKeyboard(pid_t& pid) {
        pid = Start({"--simulated-keyboard=" + family_, "--sim-state", state_});
        if (!WaitFor([&] { return !(window_ = MainWindow()).empty(); }, 30000)) return false;
        // The keyboard is the only device: its row lights once the start-up scan found it.
        const Rgb empty = Mean(10, 344, 126, 34);
        if (!WaitFor([&] { return Mean(10, 144, 126, 34).Sum() > empty.Sum() + 0.15; }, 30000))
            return false;
        const Rgb strip = Mean(152, 180, 56, 280);
        return Retry([&] { ClickAt(73, 161); },
                     [&] {
                         const Rgb now = Mean(152, 180, 56, 280);
                         return std::abs(now.Sum() - strip.Sum()) > 0.05;
                     });
    }
    bool Open(int tab) {
        const Rgb page = Mean(240, 120, 920, 540);
        return Retry(
            [&] {
                ClickAt(180, 110 + 60 * tab + 30);
                MoveTo(700, 695);
            },
            [&] {
                const Rgb now = Mean(240, 120, 920, 540);
                return std::abs(now.r - page.r) + std::abs(now.g - page.g) +
                           std::abs(now.b - page.b) >
                       0.01;
            });
    }

    // The key's menu, then its row `row`: true once the dialog is shown. On the way the pointer
    // rests on the key a moment, as a hand does: the key's tip shows and the menu stays.
    bool OpenDialog(const Key& key, int row) {
        if (!Retry([&] { ClickAt(key.x, key.y, 3); }, [] { return WindowShown("MenuWnd"); }))
            return false;
        for (int step = 1; step <= 3; ++step) {
            MoveTo(key.x - 2 * step, key.y - step);
            Shell("xdotool sleep 0.1");
        }
        EXPECT_TRUE(WaitFor([] { return WindowShown("KeyboardTip Window"); }, 3000))
            << "no tip over the key";
        EXPECT_TRUE(WindowShown("MenuWnd")) << "the menu closed under the resting pointer";
        ClickAt(key.x + 40, key.y + kMenuRow * row + kMenuRow / 2);
        return WaitFor([] { return WindowShown("CustomKeyDlg"); }, 5000);
    }
    bool ApplyDialog() {
        ClickAt(kDialogApplyX, kDialogApplyY);
        MoveTo(700, 695);
        return WaitFor([] { return !WindowShown("CustomKeyDlg"); }, 5000);
    }

    // Every report that reached the keyboard's command interface, from its state file.
    std::vector<Logged> Wire() {
        std::vector<Logged> out;
        std::ifstream in(KeyboardState());
        std::string word;
        std::string line;
        while (std::getline(in, line)) {
            std::istringstream fields(line);
            Logged entry;
            long long time = 0;
            int feature = 0, command = 0;
            if (fields >> word && word == "report" &&
                fields >> time >> feature >> command >> entry.hex && command) {
                entry.feature = feature != 0;
                entry.hex = Upper(entry.hex);
                out.push_back(entry);
            }
        }
        return out;
    }
    // Index of the first report at or after `from` that equals `hex`; -1 when none.
    static int Find(const std::vector<Logged>& wire, bool feature, const std::string& hex,
                    int from = 0) {
        for (size_t i = static_cast<size_t>(std::max(from, 0)); i < wire.size(); ++i)
            if (wire[i].feature == feature && wire[i].hex == hex) return static_cast<int>(i);
        return -1;
    }
    static int Count(const std::vector<Logged>& wire, bool feature, const std::string& hex) {
        int n = 0;
        for (const Logged& r : wire)
            n += r.feature == feature && r.hex == hex;
        return n;
    }
    static std::string Dump(const std::vector<Logged>& wire) {
        std::string out;
        for (const Logged& r : wire)
            out += (r.feature ? "F " : "O ") + r.hex.substr(0, 40) + "\n";
        return out;
    }

    // The steps both keyboards share, up to the lighting: B plays F1, C a macro typed as
    // A then B, D plays Ctrl+Shift+K. Their rows in the store are checked as they arrive.
    void AssignKeys() {
        ASSERT_TRUE(WaitForIdle());
        Screenshot(shots_ + "/kb-" + family_ + "-keys.png");

        // B, then F1 on the function keyboard.
        ASSERT_TRUE(Retry(
            [&] {
                ClickAt(kKeyB.x, kKeyB.y);
                ClickAt(kF1X, kF1Y);
                MoveTo(700, 695);
            },
            [&] { return KeyRow(kKeyB.code) == "[(2, 58, 0, 'F1')]"; }))
            << KeyRow(kKeyB.code);
        ASSERT_TRUE(WaitForIdle());

        // A macro typed into a new macro: A held a while, then B.
        ASSERT_TRUE(Open(kMacrosTab)) << "the macro page did not open";
        ASSERT_TRUE(Retry([&] { ClickAt(kNewMacroX, kNewMacroY); },
                          [&] { return Sql("select count(*) from t_macro_data") == "[(1,)]"; }));
        ClickAt(kRecordX, kRecordY);
        MoveTo(700, 695);
        Keys("keydown a sleep 0.4 keyup a sleep 0.3 keydown b sleep 0.05 keyup b sleep 0.2");
        ClickAt(kRecordX, kRecordY); // stop: the events are saved
        MoveTo(700, 695);
        ASSERT_TRUE(WaitForSql("select type, value from t_macrorecord order by record_index",
                               "[(2, 65), (3, 65), (2, 66), (3, 66)]"))
            << Sql("select type, value from t_macrorecord order by record_index");

        // C plays it: the key menu's macro row, the dialog's first macro.
        ASSERT_TRUE(Open(kKeysTab));
        ASSERT_TRUE(OpenDialog(kKeyC, kMenuMacro)) << "no dialog from the key menu";
        Screenshot(shots_ + "/kb-" + family_ + "-macro-dialog.png");
        ASSERT_TRUE(ApplyDialog()) << "the dialog stayed";
        EXPECT_EQ(Sql("select macro_type, macro_value from t_key_macro_data where key_code=6"),
                  "[(3, 1)]");
        ASSERT_TRUE(WaitForIdle());

        // D: the dialog's key type with K pressed in its key box, Shift and Ctrl ticked.
        ASSERT_TRUE(OpenDialog(kKeyD, kMenuCustomKey)) << "no dialog the second time";
        ClickAt(kKeyEditX, kKeyEditY);
        Keys("key --delay 100 k");
        ClickAt(kShiftX, kModifierY);
        ClickAt(kCtrlX, kModifierY);
        Screenshot(shots_ + "/kb-" + family_ + "-key-dialog.png");
        ASSERT_TRUE(ApplyDialog()) << "the dialog stayed";
        EXPECT_EQ(KeyRow(kKeyD.code), "[(2, 14, 3, 'Shift+ Ctrl + K')]");
        ASSERT_TRUE(WaitForIdle());
        Screenshot(shots_ + "/kb-" + family_ + "-keys-assigned.png");
    }

    // A light mode and a colour of its list (in the row at `swatchY`).
    void ChooseLighting(int modeIndex, int swatch, int swatchY) {
        ASSERT_TRUE(Open(kLightingTab)) << "the lighting page did not open";
        const std::string mode = std::to_string(modeIndex + 1);
        ASSERT_TRUE(Retry([&] { ClickAt(kModeX, kModeTop + kModeRow * modeIndex + kModeRow / 2); },
                          [&] {
                              return Sql("select mode from t_light_data where profile=1 and "
                                         "status=1") == "[(" + mode + ",)]";
                          }));
        ASSERT_TRUE(Retry([&] { ClickAt(kSwatchLeft + kSwatchPitch * swatch, swatchY); },
                          [&] {
                              return Sql("select colorindex from t_light_data where profile=1 "
                                         "and mode=" +
                                         mode) == "[(" + std::to_string(swatch) + ",)]";
                          }));
        MoveTo(700, 695);
        ASSERT_TRUE(WaitForIdle());
        Screenshot(shots_ + "/kb-" + family_ + "-lighting.png");
    }

    // Restore defaults from the configuration page, the question answered with its first
    // button; the store loses the keys.
    void RestoreDefaults() {
        ASSERT_TRUE(Open(kConfigTab)) << "the configuration page did not open";
        ASSERT_TRUE(
            Retry([&] { ClickAt(kRestoreX, kRestoreY); }, [] { return GeometryShown("380x200"); }))
            << "no question box";
        ClickAt(kYesX, kAnswerY);
        ASSERT_TRUE(WaitFor([] { return !GeometryShown("380x200"); })) << "the box stayed";
        ASSERT_TRUE(WaitForIdle()) << "the restore task did not end";
        EXPECT_TRUE(WaitForSql("select count(*) from t_key_macro_data", "[(0,)]"));
    }

    std::string family_;
};

TEST_F(KeyboardPagesGuiTest, FeatureKeyboardGetsItsKeysLightsAndResetAsFeatureReports) {
    family_ = "feature";
    pid_t pid = 0;
    ASSERT_TRUE(StartAndSelectKeyboard(pid)) << "the keyboard's pages did not open";
    AssignKeys();
    if (HasFatalFailure()) return;
    // Breathing in yellow, then the custom mode with A lit in the colour chosen there (red).
    ChooseLighting(1, 2, kSwatchNoDirectionY);
    if (HasFatalFailure()) return;
    ASSERT_TRUE(Retry([&] { ClickAt(kModeX, kModeTop + kModeRow * 9 + kModeRow / 2); },
                      [&] {
                          return Sql("select mode from t_light_data where profile=1 and "
                                     "status=1") == "[(10,)]";
                      }));
    ASSERT_TRUE(Retry(
        [&] {
            ClickAt(kKeyA.x, kKeyA.y);
            MoveTo(700, 695);
        },
        [&] {
            return Sql("select key_rgb from t_key_light_data where light_id=128 and "
                       "key_code=4") == "[(255,)]";
        }));
    ASSERT_TRUE(WaitForIdle());
    Screenshot(shots_ + "/kb-feature-per-key.png");
    EXPECT_EQ(Sql("select count(*) from t_key_light_data where light_id=128 and key_rgb>0"),
              "[(1,)]");
    RestoreDefaults();
    if (HasFatalFailure()) return;
    Quit(pid);

    const std::vector<Logged> wire = Wire();
    ASSERT_FALSE(wire.empty());
    // The last key table carried B -> F1 (0x3A) alone: D plays a sequence, C a macro.
    const std::string table = Report("07" + std::string("0799050000000000") + "0799000000000000" +
                                     "07993A0000000000" + "0799000000000000" + "0799000000000000" +
                                     "0799000000000000" + "0799000000000000" + "0799000000000000");
    const std::string opening = Report("0776543210"), closing = Report("07FEDCBA");
    const int lastTable = [&] {
        int at = -1;
        for (int i = Find(wire, true, table); i >= 0; i = Find(wire, true, table, i + 1))
            at = i;
        return at;
    }();
    ASSERT_GE(lastTable, 1) << Dump(wire);
    EXPECT_EQ(wire[static_cast<size_t>(lastTable) - 1].hex, opening);
    EXPECT_EQ(Find(wire, true, closing, lastTable + 1), lastTable + 1);

    // The macro download before it: C's record (type 3, 4 events, key 6, played once, A down,
    // A up, B down, B up) and D's (type 2, Ctrl and Shift held around a tap of K).
    const int download = Find(wire, true, Report("0701234567"));
    ASSERT_GE(download, 0) << Dump(wire);
    std::string macro, keyWithModifiers;
    for (const Logged& r : wire) {
        if (!r.feature || r.hex.substr(0, 2) != "07") continue;
        if (r.hex.substr(2, 8) == "03040601") macro = r.hex;
        if (r.hex.substr(2, 8) == "02060701") keyWithModifiers = r.hex;
    }
    ASSERT_FALSE(macro.empty()) << Dump(wire);
    // Usages and directions; the delay bits follow the recording.
    EXPECT_EQ(macro.substr(10, 2), "04");
    EXPECT_EQ(macro.substr(14, 2), "04");
    EXPECT_EQ(macro.substr(18, 2), "05");
    EXPECT_EQ(macro.substr(22, 2), "05");
    EXPECT_LT(std::stoi(macro.substr(12, 2), nullptr, 16), 0x80);
    EXPECT_GE(std::stoi(macro.substr(16, 2), nullptr, 16), 0x80);
    EXPECT_LT(std::stoi(macro.substr(20, 2), nullptr, 16), 0x80);
    EXPECT_GE(std::stoi(macro.substr(24, 2), nullptr, 16), 0x80);
    EXPECT_EQ(keyWithModifiers, Report("0702060701E001E1010E010E81E181E081")) << Dump(wire);

    // Breathing (effect 1) at brightness 4, speed 2, with colour list entry 2; the custom mode
    // (effect 9) has no colour list.
    EXPECT_EQ(Count(wire, true, Report("07FFFF0104020200")), 1) << Dump(wire);
    EXPECT_GE(Count(wire, true, Report("07FFFF0904020000")), 1) << Dump(wire);
    // The per-key table: opening, A lit and B out among every key, closing.
    const int lights = Find(wire, true, Report("0712345678"));
    ASSERT_GE(lights, 0) << Dump(wire);
    const int closed = Find(wire, true, Report("0712345678FE"), lights);
    ASSERT_GT(closed, lights);
    EXPECT_EQ(closed - lights - 1, 104);
    const int lit = Find(wire, true, Report("07123456780401"), lights);
    EXPECT_TRUE(lit > lights && lit < closed);
    const int dark = Find(wire, true, Report("07123456780500"), lights);
    EXPECT_TRUE(dark > lights && dark < closed);

    // Restore defaults: the keyboard's own reset once, never a mouse frame.
    EXPECT_EQ(Count(wire, true, Report("07EFAA")), 1) << Dump(wire);
    for (const Logged& r : wire)
        EXPECT_TRUE(r.feature || r.hex == Report("0008FD")) << r.hex;
    const std::string dump = Shell("HOME=" + Quote(folder_) + " " + Quote(PIVANECTL_EXE) +
                                   " --simulated-keyboard=feature --sim-state " + Quote(state_) +
                                   " --json sim-dump 2>/dev/null");
    EXPECT_EQ(Json(dump, "d['keyboard']['factory_resets']"), "1") << dump.substr(0, 400);
    EXPECT_EQ(Json(dump, "d['keyboard']['unknown_reports']"), "0");
}

TEST_F(KeyboardPagesGuiTest, PrefixedKeyboardGetsItsLightsAndResetAndItsKeysGoToTheDriver) {
    family_ = "prefixed";
    pid_t pid = 0;
    ASSERT_TRUE(StartAndSelectKeyboard(pid)) << "the keyboard's pages did not open";
    AssignKeys();
    if (HasFatalFailure()) return;
    // Breathing, then the wave turned to the right. This keyboard has no colour list and no
    // per-key colours (neither family frame of it carries them).
    ASSERT_TRUE(Open(kLightingTab)) << "the lighting page did not open";
    for (int index : {1, 0})
        ASSERT_TRUE(Retry([&] { ClickAt(kModeX, kModeTop + kModeRow * index + kModeRow / 2); },
                          [&] {
                              return Sql("select mode from t_light_data where profile=1 and "
                                         "status=1") == "[(" + std::to_string(index + 1) + ",)]";
                          }));
    ASSERT_TRUE(Retry([&] { ClickAt(kDirectionRightX, kDirectionY); },
                      [&] {
                          return Sql("select direction from t_light_data where profile=1 and "
                                     "mode=1") == "[(1,)]";
                      }));
    MoveTo(700, 695);
    ASSERT_TRUE(WaitForIdle());
    Screenshot(shots_ + "/kb-prefixed-lighting.png");
    EXPECT_EQ(Sql("select count(*) from t_light_data where config_func & 2304"), "[(0,)]");
    RestoreDefaults();
    if (HasFatalFailure()) return;
    Quit(pid);

    const std::vector<Logged> wire = Wire();
    ASSERT_FALSE(wire.empty());
    // Only output reports: status queries, the lighting and the two halves of the reset.
    EXPECT_GE(Count(wire, false, Report("00BBAA9988AA01040200000000")), 1) << Dump(wire);
    EXPECT_EQ(Count(wire, false, Report("00BBAA9988AA00040200000001")), 1) << Dump(wire);
    const int reset = Find(wire, false, Report("00BBAA9988AAAAAAAAAAAA"));
    ASSERT_GE(reset, 0) << Dump(wire);
    EXPECT_EQ(Find(wire, false, Report("00BBAA9988"), reset), reset + 1);
    for (const Logged& r : wire)
        EXPECT_TRUE(!r.feature &&
                    (r.hex == Report("0008FD") || r.hex.substr(0, 10) == "00BBAA9988"))
            << r.hex;
    const std::string dump = Shell("HOME=" + Quote(folder_) + " " + Quote(PIVANECTL_EXE) +
                                   " --simulated-keyboard=prefixed --sim-state " + Quote(state_) +
                                   " --json sim-dump 2>/dev/null");
    EXPECT_EQ(Json(dump, "d['keyboard']['factory_resets']"), "1") << dump.substr(0, 400);
    EXPECT_EQ(Json(dump, "d['keyboard']['reset_pause_ms'] >= 1600"), "True");
    EXPECT_EQ(Json(dump, "d['keyboard']['unknown_reports']"), "0");
    // The keys went to the remapping driver on the keyboard, each change with the profile's
    // whole table; restore defaults cleared it, and so did the program's end.
    EXPECT_EQ(Json(dump, "[t for t in d['keyboard']['remap_tables'] if t]"),
              "[[5], [5, 6], [5, 6, 7]]")
        << Json(dump, "d['keyboard']['remap_tables']");
    EXPECT_EQ(Json(dump, "d['keyboard']['remap_tables'][-1]"), "[]");
}

} // namespace

// pivanectl commands that change a setting and send it to the mouse: profiles, DPI, report rate,
// debounce, wake-up, buttons, macro deletion, lighting and the factory reset. Each stores first,
// then sends what the store holds, as the program does.
#include "app/device/CommandFrame.h"
#include "app/device/DpiStepTable.h"
#include "app/device/HidDeviceManager.h"
#include "app/device/KeyAssignmentCommands.h"
#include "app/device/LightingCommands.h"
#include "app/device/MaintenanceCommands.h"
#include "app/device/PerformanceCommands.h"
#include "app/files/ApplicationConfig.h"
#include "app/files/DeviceLayout.h"
#include "app/files/NameLimits.h"
#include "app/files/UiText.h"
#include "app/platform/AppFolders.h"
#include "app/store/ProfileDefaults.h"
#include "app/store/SettingsDatabase.h"
#include "app/xml/TextEncoding.h"
#include "cli/CliContext.h"
#include "cli/CliStore.h"
#include "cli/CommandRegistry.h"
#include "cli/JsonWriter.h"

#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kKeyType = 2;
constexpr int kMacroType = 3;
constexpr int kMouseType = 5;
constexpr int kMediaType = 6;
constexpr int kShortcutType = 7;
constexpr int kLeftButton = 208;

std::string Format(const char* format, auto... args) {
    char text[512];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

// "RRGGBB" (an optional leading '#') as the program's 0x00BBGGRR.
bool ParseColour(std::string text, int& colour) {
    if (!text.empty() && text[0] == '#') text.erase(0, 1);
    if (text.size() != 6) return false;
    unsigned rgb = 0;
    for (char c : text) {
        int digit = c >= '0' && c <= '9'   ? c - '0'
                    : c >= 'A' && c <= 'F' ? c - 'A' + 10
                    : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                           : -1;
        if (digit < 0) return false;
        rgb = rgb * 16 + static_cast<unsigned>(digit);
    }
    colour = static_cast<int>(((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16));
    return true;
}

const char* LinkName(int mode) {
    return mode == CommandFrame::kModeWired ? "over the cable" : "through the receiver";
}

// The store and the profile a command works on.
struct Target {
    SettingsDatabase* db = nullptr;
    int profile = 0;
};

bool OpenTarget(CliContext& context, Target& target, int& exitCode) {
    target.db = CliStore::Open(context, exitCode);
    if (!target.db) return false;
    target.profile = CliStore::ResolveProfile(context, *target.db, exitCode);
    return target.profile > 0;
}

// Stores a configuration value and reads it back: a profile without configuration rows takes
// nothing, which must not pass for success.
bool StoreConfig(CliContext& context, SettingsDatabase& db, int profile, const std::string& key,
                 const std::string& value, int& exitCode) {
    std::string check;
    if (!db.SetConfigValue(profile, key, value) || !db.GetConfigValue(profile, key, check) ||
        check != value) {
        exitCode = CliStore::StoreFailed()
                       ? CliStore::Failure(context, db, "cannot store \"" + key + "\"")
                       : CliStore::NotFound(
                             context, db,
                             Format("profile %d has no setting \"%s\"", profile, key.c_str()));
        return false;
    }
    return true;
}

// "no such profile" or the store's trouble, after a profile could not be found.
int NoProfile(CliContext& context, SettingsDatabase& db, int id) {
    if (CliStore::StoreFailed()) return CliStore::Failure(context, db, "cannot read the profiles");
    return context.Fail(Format("no such profile: %d", id));
}

// Sends through the mouse when one is connected and reports the outcome. json is an open object
// that receives "stored", "sent" and "mode" and is closed here.
int SendAndReport(CliContext& context, JsonWriter& json, const std::string& what,
                  const std::function<bool(HidDeviceManager&, int)>& send) {
    HidDeviceManager& manager = context.Devices();
    int mode = manager.ConnectedMode();
    bool sent = mode != CommandFrame::kModeNone && send(manager, mode);
    json.Field("stored", true).Field("sent", sent).Field("mode", mode).EndObject();
    if (context.json) context.PrintJson(json.Text());
    if (mode == CommandFrame::kModeNone)
        return context.Fail(what + " stored; no supported mouse found to send it to");
    if (!sent) return context.Fail(what + " stored, but the mouse did not take it");
    context.Say(what + " sent " + LinkName(mode) + "\n");
    return CliContext::kOk;
}

// ---- profiles ----

// A profile name as the profile list's editor takes it: no control characters, at most
// NameLimits::kMaxName characters. False after the usage message.
bool NameFitsOrSay(CliContext& context, const std::string& name) {
    if (NameLimits::HasControl(name)) {
        context.Usage("NAME may not hold control characters");
        return false;
    }
    if (!TextEncoding::IsValidUtf8(name.data(), name.size())) {
        context.Usage("NAME is not UTF-8 text");
        return false;
    }
    if (!NameLimits::NameFits(name)) {
        context.Usage(Format("NAME may hold at most %zu characters", NameLimits::kMaxName));
        return false;
    }
    return true;
}

int ProfileActivate(CliContext& context, const std::vector<std::string>& args) {
    int id = 0;
    if (args.size() != 1 || !CliContext::ParseNumber(args[0], 1, 1 << 30, id))
        return context.Usage("profile activate takes a profile number");
    int exitCode = CliContext::kFailed;
    SettingsDatabase* db = CliStore::Open(context, exitCode);
    if (!db) return exitCode;
    std::string name;
    bool found = false;
    // Looked up inside the transaction: a profile deleted meanwhile must not leave none active.
    bool stored = db->RunInTransaction([&] {
        found = db->GetProfileName(id, name);
        return found && db->SetActiveProfile(id);
    });
    if (!found) return NoProfile(context, *db, id);
    if (!stored) return CliStore::Failure(context, *db, "cannot store the active profile");
    JsonWriter json;
    json.BeginObject().Field("profile", id).Field("name", name);
    return SendAndReport(context, json, Format("profile %d", id),
                         [&](HidDeviceManager& manager, int mode) {
                             return PerformanceCommands(manager, *db).SetActiveProfile(mode, id);
                         });
}

// The new current profile's buttons go to the mouse, as after a change of the profile list.
int SendProfileButtons(CliContext& context, JsonWriter& json, SettingsDatabase& db, int profile,
                       const std::string& what) {
    return SendAndReport(context, json, what, [&](HidDeviceManager& manager, int mode) {
        std::vector<std::unique_ptr<KeyAssignmentRow>> rows;
        int total = db.LoadButtonAssignments(profile, rows);
        return KeyAssignmentCommands(manager, db).AssignAllButtons(mode, profile) == total;
    });
}

int ProfileAdd(CliContext& context, const std::vector<std::string>& args) {
    if (args.size() != 1 || args[0].empty()) return context.Usage("profile add takes a NAME");
    if (!NameFitsOrSay(context, args[0])) return CliContext::kUsage;
    int exitCode = CliContext::kFailed;
    SettingsDatabase* db = CliStore::Open(context, exitCode);
    if (!db) return exitCode;
    ProfileRow row;
    row.name = args[0];
    int id = 0;
    // The profile, its settings and its activation are kept together or not at all.
    bool stored = db->RunInTransaction([&] {
        id = db->AddProfile(row);
        if (id <= 0) return false;
        // A profile without configuration rows would silently drop every later setting.
        std::string probe;
        if (!db->GetConfigValue(id, "report_rate", probe)) {
            if (CliStore::StoreFailed() || !db->WriteFactoryConfiguration(id)) return false;
        }
        return db->SetActiveProfile(id);
    });
    if (!stored) return CliStore::Failure(context, *db, "cannot add the profile");
    JsonWriter json;
    json.BeginObject().Field("profile", id).Field("name", row.name).Field("status", 1);
    return SendProfileButtons(
        context, json, *db, id,
        Format("profile %d \"%s\" added and made active; its buttons", id, row.name.c_str()));
}

int ProfileDelete(CliContext& context, const std::vector<std::string>& args) {
    int id = 0;
    if (args.size() != 1 || !CliContext::ParseNumber(args[0], 1, 1 << 30, id))
        return context.Usage("profile delete takes a profile number");
    int exitCode = CliContext::kFailed;
    SettingsDatabase* db = CliStore::Open(context, exitCode);
    if (!db) return exitCode;
    enum { kDeleted, kMissing, kLast, kStore } outcome = kStore;
    int current = 0;
    // The list is read, the profile deleted and the next one activated as one step.
    db->RunInTransaction([&] {
        std::vector<std::unique_ptr<ProfileRow>> list;
        db->LoadProfileList(list);
        if (CliStore::StoreFailed()) return false;
        size_t at = 0;
        while (at < list.size() && list[at]->profile != id)
            ++at;
        outcome = at == list.size() ? kMissing : list.size() <= 1 ? kLast : kStore;
        if (outcome != kStore) return false;
        // The entry before it becomes current; the first entry hands over to the one after it.
        current = at > 0 ? list[at - 1]->profile : list[at + 1]->profile;
        if (!db->DeleteProfile(id) || !db->SetActiveProfile(current)) return false;
        outcome = kDeleted;
        return true;
    });
    if (outcome == kMissing) return context.Fail(Format("no such profile: %d", id));
    if (outcome == kLast) return context.Fail("the last profile cannot be deleted");
    if (outcome != kDeleted) return CliStore::Failure(context, *db, "cannot delete the profile");
    JsonWriter json;
    json.BeginObject().Field("deleted", id).Field("profile", current);
    return SendProfileButtons(
        context, json, *db, current,
        Format("profile %d deleted, profile %d is active; its buttons", id, current));
}

int ProfileRename(CliContext& context, const std::vector<std::string>& args) {
    int id = 0;
    if (args.size() != 2 || !CliContext::ParseNumber(args[0], 1, 1 << 30, id) || args[1].empty())
        return context.Usage("profile rename takes a profile number and a NAME");
    if (!NameFitsOrSay(context, args[1])) return CliContext::kUsage;
    int exitCode = CliContext::kFailed;
    SettingsDatabase* db = CliStore::Open(context, exitCode);
    if (!db) return exitCode;
    std::string old;
    if (!db->GetProfileName(id, old)) return NoProfile(context, *db, id);
    if (!db->RenameProfile(id, args[1]))
        return CliStore::Failure(context, *db, "cannot rename the profile");
    if (context.json) {
        JsonWriter json;
        json.BeginObject().Field("profile", id).Field("name", args[1]).EndObject();
        context.PrintJson(json.Text());
    } else {
        context.Say(Format("profile %d renamed to \"%s\"\n", id, args[1].c_str()));
    }
    return CliContext::kOk;
}

// ---- pointer settings ----

int Dpi(CliContext& context, const std::vector<std::string>& args) {
    int level = 0, dpi = 0, colour = -1;
    bool activate = false;
    std::vector<std::string> plain;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--activate") {
            activate = true;
        } else if (args[i] == "--color") {
            if (i + 1 >= args.size() || !ParseColour(args[i + 1], colour))
                return context.Usage("--color takes RRGGBB");
            ++i;
        } else {
            plain.push_back(args[i]);
        }
    }
    if (plain.size() != 2 || !CliContext::ParseNumber(plain[0], 0, 7, level))
        return context.Usage("dpi takes a LEVEL (0-7) and a DPI");
    if (!CliContext::ParseNumber(plain[1], 100, 24000, dpi) || DpiStepTable::Position(dpi) == 0)
        return context.Usage("DPI must be a multiple of 100 from 100 to 24000");
    int exitCode = CliContext::kFailed;
    Target t;
    if (!OpenTarget(context, t, exitCode)) return exitCode;
    if (!StoreConfig(context, *t.db, t.profile, Format("dpi_group%d_value", level),
                     std::to_string(dpi), exitCode))
        return exitCode;
    if (colour >= 0 && !StoreConfig(context, *t.db, t.profile, Format("dpi_group%d_rgb", level),
                                    std::to_string(colour), exitCode))
        return exitCode;
    if (activate &&
        !StoreConfig(context, *t.db, t.profile, "dpi_index", std::to_string(level), exitCode))
        return exitCode;
    // The mouse is told about the active level, whichever level was changed.
    int active = PerformanceCommands::ConfigInt(*t.db, t.profile, "dpi_index");
    JsonWriter json;
    json.BeginObject()
        .Field("profile", t.profile)
        .Field("level", level)
        .Field("dpi", dpi)
        .Field("dpi_index", active);
    return SendAndReport(
        context, json, Format("DPI level %d of profile %d", active, t.profile),
        [&](HidDeviceManager& manager, int mode) {
            return PerformanceCommands(manager, *t.db).SetDpiLevel(mode, t.profile);
        });
}

int Rate(CliContext& context, const std::vector<std::string>& args) {
    static const std::map<std::string, int> kCodes = {
        {"125", 0}, {"250", 1}, {"500", 2}, {"1000", 3}};
    auto code = args.size() == 1 ? kCodes.find(args[0]) : kCodes.end();
    if (code == kCodes.end()) return context.Usage("rate takes 125, 250, 500 or 1000");
    int exitCode = CliContext::kFailed;
    Target t;
    if (!OpenTarget(context, t, exitCode)) return exitCode;
    if (!StoreConfig(context, *t.db, t.profile, "report_rate", std::to_string(code->second),
                     exitCode))
        return exitCode;
    JsonWriter json;
    json.BeginObject().Field("profile", t.profile).Field("report_rate", code->second);
    return SendAndReport(
        context, json, "report rate " + args[0] + " Hz", [&](HidDeviceManager& manager, int mode) {
            return PerformanceCommands(manager, *t.db).SetReportRate(mode, t.profile);
        });
}

int Debounce(CliContext& context, const std::vector<std::string>& args) {
    int value = 0;
    if (args.size() != 1 || !CliContext::ParseNumber(args[0], 0, 255, value))
        return context.Usage("debounce takes a value from 0 to 255");
    int exitCode = CliContext::kFailed;
    Target t;
    if (!OpenTarget(context, t, exitCode)) return exitCode;
    if (!StoreConfig(context, *t.db, t.profile, "antishake_time", args[0], exitCode))
        return exitCode;
    JsonWriter json;
    json.BeginObject().Field("profile", t.profile).Field("antishake_time", value);
    return SendAndReport(
        context, json, Format("debounce %d", value), [&](HidDeviceManager& manager, int mode) {
            return PerformanceCommands(manager, *t.db).SetDebounceTime(mode, t.profile);
        });
}

int WakeUp(CliContext& context, const std::vector<std::string>& args) {
    int method = 0;
    if (args.size() != 1 || !CliContext::ParseNumber(args[0], 1, 2, method))
        return context.Usage("wakeup takes the method 1 or 2");
    int exitCode = CliContext::kFailed;
    SettingsDatabase* db = CliStore::Open(context, exitCode);
    if (!db) return exitCode;
    HidDeviceManager& manager = context.Devices();
    int mode = manager.ConnectedMode();
    // The command stores the method (in profile 1) before it sends anything.
    bool sent = PerformanceCommands(manager, *db).SetWakeUpMethod(mode, method);
    std::string check;
    if (!db->GetConfigValue(1, "wakeupmethod", check) || check != args[0])
        return CliStore::StoreFailed()
                   ? CliStore::Failure(context, *db, "cannot store \"wakeupmethod\"")
                   : context.Fail("profile 1 has no setting \"wakeupmethod\"");
    if (context.json) {
        JsonWriter json;
        json.BeginObject()
            .Field("wakeupmethod", method)
            .Field("stored", true)
            .Field("sent", sent)
            .Field("mode", mode)
            .EndObject();
        context.PrintJson(json.Text());
    }
    if (mode == CommandFrame::kModeNone)
        return context.Fail("wake-up method stored; no supported mouse found to send it to");
    if (mode == CommandFrame::kModeWired)
        return context.Fail("wake-up method stored; it is sent through the receiver only, and "
                            "the mouse is on its cable");
    if (!sent) return context.Fail("wake-up method stored, but the mouse did not take it");
    context.Say(Format("wake-up method %d sent through the receiver\n", method));
    return CliContext::kOk;
}

// ---- buttons and macros ----

// The display text the key page stores for a key: the usual name of the common keys.
std::string KeyName(int usage) {
    if (usage >= 4 && usage <= 29) return std::string(1, static_cast<char>('A' + usage - 4));
    if (usage >= 30 && usage <= 38) return std::string(1, static_cast<char>('1' + usage - 30));
    if (usage == 39) return "0";
    if (usage >= 58 && usage <= 69) return Format("F%d", usage - 57);
    static const std::map<int, const char*> kNames = {
        {40, "Enter"},     {41, "Esc"},       {42, "Backspace"}, {43, "Tab"},     {44, "Space"},
        {57, "Caps Lock"}, {73, "Insert"},    {74, "Home"},      {75, "Page Up"}, {76, "Delete"},
        {77, "End"},       {78, "Page Down"}, {79, "Right"},     {80, "Left"},    {81, "Down"},
        {82, "Up"},        {224, "Ctrl"},     {225, "Shift"},    {226, "Alt"},    {227, "Windows"}};
    auto found = kNames.find(usage);
    return found != kNames.end() ? found->second : Format("Key %d", usage);
}

// Language text of a catalogue entry (mouse functions, media functions, shortcuts), or 0.
int CatalogueText(int type, int value) {
    static const std::map<int, int> kMouse = {{208, 820}, {209, 821}, {210, 822},
                                              {211, 823}, {212, 824}, {213, 835}};
    static const std::map<int, int> kMedia = {
        {238, 230}, {236, 231}, {237, 232}, {239, 233}, {234, 234}, {233, 235},
        {235, 236}, {232, 272}, {240, 271}, {241, 273}, {242, 270}, {243, 276},
        {244, 277}, {245, 275}, {246, 274}, {247, 279}, {248, 278}, {249, 252}};
    const auto& table = type == kMouseType ? kMouse : kMedia;
    if (type == kShortcutType) return value >= 1 && value <= 15 ? 700 + value : 0;
    if (type != kMouseType && type != kMediaType) return 0;
    auto found = table.find(value);
    return found != table.end() ? found->second : 0;
}

// Whether a button carries the left-button function (with no row, its own code).
bool PlaysLeftButton(SettingsDatabase& db, int profile, int keyCode) {
    KeyAssignmentRow row;
    if (!db.GetButtonAssignment(profile, keyCode, row)) return keyCode == kLeftButton;
    return row.macroType == kMouseType && row.macroValue == kLeftButton;
}

int Button(CliContext& context, const std::vector<std::string>& args) {
    static const std::map<std::string, int> kTypes = {{"mouse", kMouseType},
                                                      {"media", kMediaType},
                                                      {"shortcut", kShortcutType},
                                                      {"macro", kMacroType},
                                                      {"key", kKeyType}};
    int keyCode = 0, value = 0;
    auto type = args.size() == 3 ? kTypes.find(args[1]) : kTypes.end();
    if (type == kTypes.end() ||
        !CliContext::ParseNumber(args[0], KeyAssignmentCommands::kFirstButton,
                                 KeyAssignmentCommands::kLastButton, keyCode) ||
        !CliContext::ParseNumber(args[2], 1, 1 << 30, value))
        return context.Usage("button takes a KEYCODE (208-213), mouse|media|shortcut|macro|key "
                             "and a VALUE");
    int macroType = type->second;
    if ((macroType == kKeyType && value > 255) ||
        ((macroType == kMouseType || macroType == kMediaType || macroType == kShortcutType) &&
         CatalogueText(macroType, value) == 0))
        return context.Usage(Format("%d is not a %s function", value, args[1].c_str()));
    int exitCode = CliContext::kFailed;
    Target t;
    if (!OpenTarget(context, t, exitCode)) return exitCode;

    std::string desc;
    if (macroType == kMacroType) {
        MacroRow macro;
        if (!t.db->GetMacro(value, macro))
            return CliStore::StoreFailed()
                       ? CliStore::Failure(context, *t.db, "cannot read the macro")
                       : context.Fail(Format("no such macro: %d", value));
        desc = macro.name;
    } else if (macroType == kKeyType) {
        desc = KeyName(value);
    } else {
        desc = UiText::Dialog(CatalogueText(macroType, value));
        // Without language files the page shows the catalogue text anyway; keep a readable one.
        if (desc.empty()) desc = args[1] + " " + args[2];
    }
    // At least one button keeps the left-button function.
    bool staysLeft = macroType == kMouseType && value == kLeftButton;
    if (!staysLeft && PlaysLeftButton(*t.db, t.profile, keyCode)) {
        int left = 0;
        for (int key = KeyAssignmentCommands::kFirstButton;
             key <= KeyAssignmentCommands::kLastButton; ++key)
            if (PlaysLeftButton(*t.db, t.profile, key)) ++left;
        if (left <= 1)
            return context.Fail(
                Format("button %d is the only left button; another button must take the "
                       "left-button function first",
                       keyCode));
    }
    KeyAssignmentRow row;
    row.profile = t.profile;
    row.keyCode = keyCode;
    row.macroType = macroType;
    row.macroValue = value;
    row.macroDesc = desc;
    t.db->SaveButtonAssignment(row);
    KeyAssignmentRow check;
    if (CliStore::StoreFailed() || !t.db->GetButtonAssignment(t.profile, keyCode, check) ||
        check.macroType != macroType || check.macroValue != value)
        return CliStore::Failure(context, *t.db, "cannot store the button assignment");
    JsonWriter json;
    json.BeginObject()
        .Field("profile", t.profile)
        .Field("key_code", keyCode)
        .Field("macro_type", macroType)
        .Field("macro_value", value)
        .Field("macro_desc", desc);
    return SendAndReport(
        context, json, Format("button %d (%s)", keyCode, desc.c_str()),
        [&](HidDeviceManager& manager, int mode) {
            return KeyAssignmentCommands(manager, *t.db).AssignButton(mode, t.profile, keyCode);
        });
}

int MacroDelete(CliContext& context, const std::vector<std::string>& args) {
    int id = 0;
    if (args.size() != 1 || !CliContext::ParseNumber(args[0], 1, 1 << 30, id))
        return context.Usage("macro delete takes a macro ID");
    int exitCode = CliContext::kFailed;
    SettingsDatabase* db = CliStore::Open(context, exitCode);
    if (!db) return exitCode;
    MacroRow macro;
    if (!db->GetMacro(id, macro))
        return CliStore::StoreFailed() ? CliStore::Failure(context, *db, "cannot read the macro")
                                       : context.Fail(Format("no such macro: %d", id));
    if (!db->DeleteMacro(id)) return CliStore::Failure(context, *db, "cannot delete the macro");
    HidDeviceManager& manager = context.Devices();
    int mode = manager.ConnectedMode();
    // The buttons that played it fall back to their own codes in the store, and are resent.
    int reset = KeyAssignmentCommands(manager, *db).ResetButtonsPlayingMacro(mode, id);
    if (context.json) {
        JsonWriter json;
        json.BeginObject()
            .Field("macro_id", id)
            .Field("name", macro.name)
            .Field("buttons_reset", reset)
            .Field("mode", mode)
            .EndObject();
        context.PrintJson(json.Text());
    }
    if (reset > 0 && mode == CommandFrame::kModeNone)
        return context.Fail(Format("macro %d deleted and %d button(s) set back to their own "
                                   "function; no supported mouse found to send them to",
                                   id, reset));
    context.Say(Format("macro %d \"%s\" deleted; %d button(s) set back to their own function\n", id,
                       macro.name.c_str(), reset));
    return CliContext::kOk;
}

// ---- lighting ----

// A profile that never had lighting gets the layout's light modes, as the lighting page adds
// them when it opens the profile.
void SeedLighting(SettingsDatabase& db, int profile) {
    if (db.CountLightRows(profile) > 0) return;
    std::string folder = AppFolders::ProgramFolder();
    ApplicationConfig config;
    if (folder.empty() || !config.Load(ApplicationConfig::PathIn(folder), nullptr)) return;
    const DeviceModeEntry* mouse = config.FindByDeviceType(CliStore::kMouseDeviceType);
    DeviceLayout layout;
    if (mouse && layout.Load(folder, CliStore::kMouseDeviceType, mouse->layoutName))
        layout.SeedLightRows(db, profile);
}

int Lighting(CliContext& context, const std::vector<std::string>& args) {
    if (args.empty()) return context.Usage("lighting takes a MODE");
    int effect = 0, brightness = -1, speed = -1, direction = -1, colour = -1;
    if (!CliContext::ParseNumber(args[0], 1, 255, effect))
        return context.Usage("MODE is a light mode number");
    for (size_t i = 1; i < args.size(); i += 2) {
        if (i + 1 >= args.size()) return context.Usage(args[i] + " needs a value");
        const std::string& option = args[i];
        const std::string& text = args[i + 1];
        bool ok = option == "--brightness"  ? CliContext::ParseNumber(text, 0, 255, brightness)
                  : option == "--speed"     ? CliContext::ParseNumber(text, 0, 255, speed)
                  : option == "--direction" ? CliContext::ParseNumber(text, 0, 255, direction)
                  : option == "--color"     ? ParseColour(text, colour)
                                            : false;
        if (!ok) return context.Usage("bad option " + option + " " + text);
    }
    int exitCode = CliContext::kFailed;
    Target t;
    if (!OpenTarget(context, t, exitCode)) return exitCode;
    SeedLighting(*t.db, t.profile);
    LightRow row;
    if (!t.db->GetLightRow(t.profile, effect, row))
        return CliStore::StoreFailed()
                   ? CliStore::Failure(context, *t.db, "cannot read the lighting")
                   : context.Fail(Format("profile %d has no light mode %d", t.profile, effect));
    if (brightness >= 0) row.brightness = brightness;
    if (speed >= 0) row.speed = speed;
    if (direction >= 0) row.direction = direction;
    if (colour >= 0) row.colorValue = colour;
    bool stored = t.db->RunInTransaction([&] {
        return t.db->UpdateLightRow(t.profile, effect, row) &&
               t.db->SetActiveLightMode(t.profile, effect);
    });
    if (!stored) return CliStore::Failure(context, *t.db, "cannot store the lighting");
    JsonWriter json;
    json.BeginObject()
        .Field("profile", t.profile)
        .Field("light_mode", effect)
        .Field("brightness", row.brightness)
        .Field("speed", row.speed)
        .Field("direction", row.direction)
        .Field("color", Format("%02X%02X%02X", row.colorValue & 0xFF, (row.colorValue >> 8) & 0xFF,
                               (row.colorValue >> 16) & 0xFF));
    return SendAndReport(
        context, json, Format("light mode %d", effect), [&](HidDeviceManager& manager, int mode) {
            return LightingCommands(manager, *t.db).SetLighting(mode, t.profile, effect);
        });
}

// ---- factory reset ----

int RestoreDefaults(CliContext& context, const std::vector<std::string>& args) {
    if (!args.empty()) return context.Usage("restore-defaults takes no arguments");
    int exitCode = CliContext::kFailed;
    SettingsDatabase* db = CliStore::Open(context, exitCode);
    if (!db) return exitCode;
    // The store returns to its factory state (macros survive), then the mouse to its own. The
    // emptying and the new initial profiles are one transaction: never a store without them.
    const std::string word = CliStore::ProfileWord();
    bool restored = db->RunInTransaction([&] {
        return db->ClearAllSettings() &&
               ProfileDefaults::CreateInitialProfiles(*db, word, CliStore::kMouseDeviceType);
    });
    if (!restored) return CliStore::Failure(context, *db, "cannot restore the factory settings");
    std::vector<std::unique_ptr<ProfileRow>> list;
    if (db->LoadProfileList(list) == 0)
        return CliStore::Failure(context, *db, "cannot read the profiles");
    JsonWriter json;
    json.BeginObject().Field("profiles", static_cast<int>(list.size()));
    return SendAndReport(context, json, "factory settings restored; the reset",
                         [&](HidDeviceManager& manager, int mode) {
                             return MaintenanceCommands(manager).RestoreFactoryDefaults(mode);
                         });
}

const CommandRegistry::Entry
    profileActivateEntry("profile activate", "N",
                         "make profile N active and switch the mouse to it", true, ProfileActivate);
const CommandRegistry::Entry profileAddEntry("profile add", "NAME",
                                             "add a profile, make it active, send its buttons",
                                             true, ProfileAdd);
const CommandRegistry::Entry
    profileDeleteEntry("profile delete", "N", "delete profile N; the one before it becomes active",
                       true, ProfileDelete);
const CommandRegistry::Entry profileRenameEntry("profile rename", "N NAME", "rename profile N",
                                                false, ProfileRename);
const CommandRegistry::Entry dpiEntry("dpi", "LEVEL DPI [--color RRGGBB] [--activate]",
                                      "set a DPI level and send the active one", true, Dpi);
const CommandRegistry::Entry rateEntry("rate", "125|250|500|1000", "set the report rate", true,
                                       Rate);
const CommandRegistry::Entry debounceEntry("debounce", "N", "set the button debounce time", true,
                                           Debounce);
const CommandRegistry::Entry
    wakeupEntry("wakeup", "N", "set the wake-up method (sent through the receiver)", true, WakeUp);
const CommandRegistry::Entry buttonEntry("button", "KEYCODE mouse|media|shortcut|macro|key VALUE",
                                         "assign a function to a button", true, Button);
const CommandRegistry::Entry
    macroDeleteEntry("macro delete", "ID",
                     "delete a macro; buttons that played it get their own function back", true,
                     MacroDelete);
const CommandRegistry::Entry
    lightingEntry("lighting", "MODE [--brightness N] [--speed N] [--direction N] [--color RRGGBB]",
                  "set and send the profile's light mode", true, Lighting);
const CommandRegistry::Entry restoreEntry("restore-defaults", "",
                                          "factory settings for the store and the mouse", true,
                                          RestoreDefaults);

} // namespace

// pivanectl commands over the settings store: profiles, configuration values and macros.
#include <memory>
#include <string>
#include <vector>

#include "app/files/NameLimits.h"
#include "app/platform/ProgramRegistry.h"
#include "app/store/FactoryConfiguration.h"
#include "app/store/ProfileDefaults.h"
#include "app/store/SettingsDatabase.h"
#include "app/xml/TextEncoding.h"
#include "cli/CliContext.h"
#include "cli/CliStore.h"
#include "cli/CommandRegistry.h"
#include "cli/JsonWriter.h"
#include "cli/TerminalText.h"

namespace {

int ProfileList(CliContext& context, const std::vector<std::string>& args) {
    if (!args.empty()) return context.Usage("profile list takes no arguments");
    int exitCode = CliContext::kFailed;
    SettingsDatabase* db = CliStore::Open(context, exitCode);
    if (!db) return exitCode;
    std::vector<std::unique_ptr<ProfileRow>> list;
    db->LoadProfileList(list);
    if (CliStore::StoreFailed()) return CliStore::Failure(context, *db, "cannot read the profiles");
    int language = ProgramRegistry::ReadLanguageId();
    std::string word = CliStore::ProfileWord();
    if (context.json) {
        JsonWriter json;
        json.BeginObject().Key("profiles").BeginArray();
        for (const auto& p : list)
            json.BeginObject()
                .Field("profile", p->profile)
                .Field("name", ProfileDefaults::DisplayName(p->name, language, word))
                .Field("status", p->status)
                .EndObject();
        json.EndArray().EndObject();
        context.PrintJson(json.Text());
        return CliContext::kOk;
    }
    for (const auto& p : list)
        context.Say(std::string(p->status == 1 ? "* " : "  ") + std::to_string(p->profile) + "  " +
                    TerminalText::Printable(ProfileDefaults::DisplayName(p->name, language, word)) +
                    "\n");
    return CliContext::kOk;
}

int ConfigGet(CliContext& context, const std::vector<std::string>& args) {
    if (args.size() > 1) return context.Usage("config get takes at most one KEY");
    int exitCode = CliContext::kFailed;
    SettingsDatabase* db = CliStore::Open(context, exitCode);
    if (!db) return exitCode;
    int profile = CliStore::ResolveProfile(context, *db, exitCode);
    if (profile <= 0) return exitCode;

    std::vector<std::pair<std::string, std::string>> values;
    std::string value;
    if (args.size() == 1) {
        if (!db->GetConfigValue(profile, args[0], value))
            return CliStore::NotFound(context, *db,
                                      "profile " + std::to_string(profile) + " has no setting '" +
                                          args[0] + "'");
        values.emplace_back(args[0], value);
    } else {
        // The store has no listing of keys; the factory keys are every key a profile can hold.
        for (const auto& entry : FactoryConfiguration::Entries()) {
            if (db->GetConfigValue(profile, entry.key, value))
                values.emplace_back(entry.key, value);
            else if (CliStore::StoreFailed())
                return CliStore::Failure(context, *db, "cannot read the settings");
        }
    }
    if (context.json) {
        JsonWriter json;
        json.BeginObject().Field("profile", profile).Key("config").BeginObject();
        for (const auto& [key, v] : values)
            json.Field(key, v);
        json.EndObject().EndObject();
        context.PrintJson(json.Text());
    } else if (args.size() == 1) {
        context.Say(TerminalText::Printable(values[0].second) + "\n");
    } else {
        for (const auto& [key, v] : values)
            context.Say(key + "=" + TerminalText::Printable(v) + "\n");
    }
    return CliContext::kOk;
}

int ConfigSet(CliContext& context, const std::vector<std::string>& args) {
    if (args.size() != 2) return context.Usage("config set takes KEY VALUE");
    const std::string& key = args[0];
    const std::string& value = args[1];
    if (NameLimits::HasControl(value))
        return context.Usage("VALUE may not hold control characters");
    if (!TextEncoding::IsValidUtf8(value.data(), value.size()))
        return context.Usage("VALUE is not UTF-8 text");
    if (!NameLimits::ValueFits(value))
        return context.Usage("VALUE may hold at most " + std::to_string(NameLimits::kMaxValue) +
                             " characters");
    int exitCode = CliContext::kFailed;
    SettingsDatabase* db = CliStore::Open(context, exitCode);
    if (!db) return exitCode;
    int profile = CliStore::ResolveProfile(context, *db, exitCode);
    if (profile <= 0) return exitCode;
    // Setting a key the profile does not hold stores nothing; say so instead of succeeding.
    std::string old;
    if (!db->GetConfigValue(profile, key, old))
        return CliStore::NotFound(
            context, *db, "profile " + std::to_string(profile) + " has no setting '" + key + "'");
    if (!db->SetConfigValue(profile, key, value))
        return CliStore::Failure(context, *db, "could not store '" + key + "'");
    std::string stored;
    db->GetConfigValue(profile, key, stored);
    if (context.json) {
        JsonWriter json;
        json.BeginObject().Field("profile", profile).Field("key", key).Field("value", stored);
        json.EndObject();
        context.PrintJson(json.Text());
    }
    return CliContext::kOk;
}

void MacroFields(JsonWriter& json, const MacroRow& m) {
    json.Field("macro_id", m.macroId)
        .Field("name", m.name)
        .Field("play_times", m.playTimes)
        .Field("delay_type", m.delayType)
        .Field("delay_time", m.delayTime)
        .Field("loop_type", m.loopType)
        .Field("link_count", m.linkCount);
}

int MacroList(CliContext& context, const std::vector<std::string>& args) {
    if (!args.empty()) return context.Usage("macro list takes no arguments");
    int exitCode = CliContext::kFailed;
    SettingsDatabase* db = CliStore::Open(context, exitCode);
    if (!db) return exitCode;
    std::vector<std::unique_ptr<MacroRow>> macros;
    db->LoadMacroList(macros);
    if (CliStore::StoreFailed()) return CliStore::Failure(context, *db, "cannot read the macros");
    std::vector<std::unique_ptr<MacroItemRow>> items;
    if (context.json) {
        JsonWriter json;
        json.BeginObject().Key("macros").BeginArray();
        for (const auto& m : macros) {
            json.BeginObject();
            MacroFields(json, *m);
            json.Field("items", db->LoadMacroItems(m->macroId, items));
            json.EndObject();
        }
        json.EndArray().EndObject();
        context.PrintJson(json.Text());
        return CliContext::kOk;
    }
    for (const auto& m : macros)
        context.Say(std::to_string(m->macroId) + "  " + TerminalText::Printable(m->name) + "  (" +
                    std::to_string(db->LoadMacroItems(m->macroId, items)) + " events)\n");
    return CliContext::kOk;
}

int MacroShow(CliContext& context, const std::vector<std::string>& args) {
    int id = 0;
    if (args.size() != 1 || !CliContext::ParseId(args[0], id))
        return context.Usage("macro show takes a macro ID");
    int exitCode = CliContext::kFailed;
    SettingsDatabase* db = CliStore::Open(context, exitCode);
    if (!db) return exitCode;
    MacroRow macro;
    if (!db->GetMacro(id, macro))
        return CliStore::StoreFailed() ? CliStore::Failure(context, *db, "cannot read the macro")
                                       : context.Fail("no such macro: " + args[0]);
    std::vector<std::unique_ptr<MacroItemRow>> items;
    db->LoadMacroItems(id, items);
    if (CliStore::StoreFailed()) return CliStore::Failure(context, *db, "cannot read the macro");
    if (context.json) {
        JsonWriter json;
        json.BeginObject();
        MacroFields(json, macro);
        json.Key("items").BeginArray();
        for (const auto& item : items)
            json.BeginObject()
                .Field("record_index", item->recordIndex)
                .Field("type", item->type)
                .Field("value", item->value)
                .Field("delay_time", item->delayTime)
                .Field("desc", item->desc)
                .EndObject();
        json.EndArray().EndObject();
        context.PrintJson(json.Text());
        return CliContext::kOk;
    }
    context.Say("macro " + std::to_string(macro.macroId) + ": " +
                TerminalText::Printable(macro.name) + "\nplay times " +
                std::to_string(macro.playTimes) + ", loop type " + std::to_string(macro.loopType) +
                ", delay type " + std::to_string(macro.delayType) + ", delay " +
                std::to_string(macro.delayTime) + " ms\n");
    for (const auto& item : items)
        context.Say("  " + std::to_string(item->recordIndex) + "  type " +
                    std::to_string(item->type) + "  value " + std::to_string(item->value) +
                    "  delay " + std::to_string(item->delayTime) + " ms  " +
                    TerminalText::Printable(item->desc) + "\n");
    return CliContext::kOk;
}

const CommandRegistry::Entry profileList("profile list", "",
                                         "list the profiles; the active one is marked *", false,
                                         ProfileList);
const CommandRegistry::Entry
    configGet("config get", "[KEY]", "print one or every setting of the profile", false, ConfigGet);
const CommandRegistry::Entry configSet("config set", "KEY VALUE",
                                       "change a setting of the profile (store only)", false,
                                       ConfigSet);
const CommandRegistry::Entry macroList("macro list", "", "list the recorded macros", false,
                                       MacroList);
const CommandRegistry::Entry macroShow("macro show", "ID", "print a macro and its events", false,
                                       MacroShow);

} // namespace

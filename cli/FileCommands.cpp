// pivanectl commands over the exchange files: profile and macro export and import.
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "app/files/MacroExchange.h"
#include "app/files/NameLimits.h"
#include "app/files/ProfileExchange.h"
#include "app/platform/ProgramRegistry.h"
#include "app/store/ProfileDefaults.h"
#include "app/store/SettingsDatabase.h"
#include "cli/CliContext.h"
#include "cli/CliStore.h"
#include "cli/CommandRegistry.h"
#include "cli/JsonWriter.h"
#include "cli/TerminalText.h"

namespace {

// What stands at path when an import found no regular file there. stat() never opens it, so a
// FIFO cannot block the run.
std::string NotAFile(const std::string& file) {
    struct stat st;
    if (stat(file.c_str(), &st) != 0) {
        switch (errno) {
        case ENOENT:
            return file + ": no such file";
        case ELOOP:
            return file + ": too many levels of symbolic links";
        case ENOTDIR:
            return file + ": a part of the path is not a folder";
        case EACCES:
            return file + ": permission denied";
        default:
            return file + ": " + std::strerror(errno);
        }
    }
    if (S_ISDIR(st.st_mode)) return file + ": is a directory";
    if (S_ISFIFO(st.st_mode)) return file + ": is a FIFO (named pipe), not a regular file";
    if (S_ISSOCK(st.st_mode)) return file + ": is a socket, not a regular file";
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
        return file + ": is a device, not a regular file";
    return file + ": not a regular file";
}

// The reason for a status other than Done, for the one-line message.
std::string Reason(SettingsDatabase& db, ExchangeStatus status, const std::string& file) {
    switch (status) {
    case ExchangeStatus::Missing:
        return NotAFile(file) + "; nothing was changed";
    case ExchangeStatus::Unreadable:
        return file + ": not a readable exchange file of this kind; nothing was changed";
    case ExchangeStatus::OutOfRange:
        return file + ": the macro has no name, or play times, delay or loop type out of range; "
                      "nothing was changed";
    case ExchangeStatus::TooLarge:
        return file + ": more macros or events than an exchange file holds; nothing was changed";
    case ExchangeStatus::UnsafeTarget: {
        struct stat target, store;
        if (stat(file.c_str(), &target) == 0 && !S_ISREG(target.st_mode))
            return file + ": not a regular file; nothing was written";
        if (stat(db.DatabasePath().c_str(), &store) == 0 && stat(file.c_str(), &target) == 0 &&
            store.st_ino == target.st_ino && store.st_dev == target.st_dev)
            return file + ": that is the settings database; nothing was written";
        return file + ": that is one of Pivane's own stores; nothing was written";
    }
    case ExchangeStatus::Failed:
        if (CliStore::StoreFailed()) return file + ": " + CliStore::Problem(db);
        return file + ": the file could not be written, or the store refused the data";
    default:
        return file + ": nothing was done";
    }
}

// ", 2 events skipped (out of range)" and the like, or "".
std::string Skipped(int assignments, int macros, int events, int names) {
    std::string text;
    auto add = [&text](int count, const char* what) {
        if (count > 0) text += ", " + std::to_string(count) + " " + what;
    };
    add(assignments, assignments == 1 ? "button assignment" : "button assignments");
    add(macros, macros == 1 ? "macro" : "macros");
    add(events, events == 1 ? "event" : "events");
    if (!text.empty()) text = "; skipped (out of range)" + text;
    if (names > 0)
        text += "; " + std::to_string(names) + (names == 1 ? " name" : " names") +
                " shortened to " + std::to_string(NameLimits::kMaxName) + " characters";
    return text;
}

int ProfileExport(CliContext& context, const std::vector<std::string>& args) {
    int profile = 0;
    if (args.size() != 2 || !CliContext::ParseId(args[0], profile))
        return context.Usage("profile export takes a profile number and a FILE");
    int exitCode = CliContext::kFailed;
    SettingsDatabase* db = CliStore::Open(context, exitCode);
    if (!db) return exitCode;
    std::string stored;
    if (!db->GetProfileName(profile, stored))
        return CliStore::StoreFailed()
                   ? CliStore::Failure(context, *db, "cannot read the profile")
                   : context.Fail("no such profile: " + std::to_string(profile));
    // The file carries the name as the profile list shows it.
    std::string name = ProfileDefaults::DisplayName(stored, ProgramRegistry::ReadLanguageId(),
                                                    CliStore::ProfileWord());
    ExchangeStatus status =
        ProfileExchange::ExportToFile(*db, CliStore::kMouseDeviceType, profile, name, args[1]);
    if (status != ExchangeStatus::Done) return context.Fail(Reason(*db, status, args[1]));
    if (context.json) {
        JsonWriter json;
        json.BeginObject().Field("profile", profile).Field("file", args[1]).EndObject();
        context.PrintJson(json.Text());
    } else {
        context.Say("exported profile " + std::to_string(profile) + " to " + args[1] + "\n");
    }
    return CliContext::kOk;
}

int ProfileImport(CliContext& context, const std::vector<std::string>& args) {
    if (args.size() != 1) return context.Usage("profile import takes one FILE");
    int exitCode = CliContext::kFailed;
    SettingsDatabase* db = CliStore::Open(context, exitCode);
    if (!db) return exitCode;
    int profile = CliStore::ResolveProfile(context, *db, exitCode);
    if (profile <= 0) return exitCode;
    ProfileImportResult result;
    ExchangeStatus status =
        ProfileExchange::ImportFile(*db, args[0], CliStore::kMouseDeviceType, profile, result);
    if (status != ExchangeStatus::Done) return context.Fail(Reason(*db, status, args[0]));
    if (context.json) {
        JsonWriter json;
        json.BeginObject()
            .Field("profile", result.profile)
            .Field("assignments", result.assignments)
            .Field("skipped_assignments", result.skippedAssignments)
            .Field("skipped_macros", result.skippedMacros)
            .Field("skipped_events", result.skippedEvents)
            .Field("shortened_names", result.shortenedNames)
            .Key("macros")
            .BeginArray();
        for (const auto& m : result.macros)
            json.BeginObject().Field("macro_id", m->macroId).Field("name", m->name).EndObject();
        json.EndArray().EndObject();
        context.PrintJson(json.Text());
    } else {
        context.Say("imported " + std::to_string(result.assignments) +
                    " button assignments into profile " + std::to_string(result.profile) +
                    Skipped(result.skippedAssignments, result.skippedMacros, result.skippedEvents,
                            result.shortenedNames) +
                    "\n");
        for (const auto& m : result.macros)
            context.Say("added macro " + std::to_string(m->macroId) + "  " +
                        TerminalText::Printable(m->name) + "\n");
    }
    return CliContext::kOk;
}

int MacroExport(CliContext& context, const std::vector<std::string>& args) {
    int macro = 0;
    if (args.size() != 2 || !CliContext::ParseId(args[0], macro))
        return context.Usage("macro export takes a macro ID and a FILE");
    int exitCode = CliContext::kFailed;
    SettingsDatabase* db = CliStore::Open(context, exitCode);
    if (!db) return exitCode;
    MacroRow row;
    if (!db->GetMacro(macro, row))
        return CliStore::StoreFailed() ? CliStore::Failure(context, *db, "cannot read the macro")
                                       : context.Fail("no such macro: " + std::to_string(macro));
    ExchangeStatus status = MacroExchange::ExportToFile(*db, macro, args[1]);
    if (status != ExchangeStatus::Done) return context.Fail(Reason(*db, status, args[1]));
    if (context.json) {
        JsonWriter json;
        json.BeginObject().Field("macro_id", macro).Field("file", args[1]).EndObject();
        context.PrintJson(json.Text());
    } else {
        context.Say("exported macro " + std::to_string(macro) + " to " + args[1] + "\n");
    }
    return CliContext::kOk;
}

int MacroImport(CliContext& context, const std::vector<std::string>& args) {
    if (args.size() != 1) return context.Usage("macro import takes one FILE");
    int exitCode = CliContext::kFailed;
    SettingsDatabase* db = CliStore::Open(context, exitCode);
    if (!db) return exitCode;
    MacroImportResult result;
    ExchangeStatus status = MacroExchange::ImportFile(*db, args[0], result);
    if (status != ExchangeStatus::Done) return context.Fail(Reason(*db, status, args[0]));
    if (context.json) {
        JsonWriter json;
        json.BeginObject()
            .Field("macro_id", result.macroId)
            .Field("name", result.name)
            .Field("items", result.items)
            .Field("skipped_events", result.skippedEvents)
            .Field("name_shortened", result.nameShortened)
            .EndObject();
        context.PrintJson(json.Text());
    } else {
        context.Say("added macro " + std::to_string(result.macroId) + "  " +
                    TerminalText::Printable(result.name) + " (" + std::to_string(result.items) +
                    " events" + Skipped(0, 0, result.skippedEvents, result.nameShortened ? 1 : 0) +
                    ")\n");
    }
    return CliContext::kOk;
}

const CommandRegistry::Entry profileExport("profile export", "N FILE",
                                           "write profile N's buttons and their macros to FILE",
                                           false, ProfileExport);
const CommandRegistry::Entry profileImport("profile import", "FILE",
                                           "read button assignments and macros into the profile",
                                           false, ProfileImport);
const CommandRegistry::Entry macroExport("macro export", "ID FILE", "write one macro to FILE",
                                         false, MacroExport);
const CommandRegistry::Entry macroImport("macro import", "FILE", "add the macro of FILE", false,
                                         MacroImport);

} // namespace

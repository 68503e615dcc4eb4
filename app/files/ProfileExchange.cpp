#include "app/files/ProfileExchange.h"

#include "app/files/ExchangeRanges.h"
#include "app/files/FileChooser.h"
#include "app/files/MacroExchange.h"
#include "app/files/NameLimits.h"
#include "app/files/TextNumber.h"
#include "app/store/SettingsDatabase.h"
#include "app/xml/XmlDocument.h"

#include <filesystem>
#include <map>
#include <set>

namespace {

constexpr int kMacroFunction = 3;

bool IsMouse(int deviceType) {
    return deviceType > ProfileExchange::kLastKeyboardType;
}

int Attribute(const XmlDocument& doc, const char* name) {
    return TextNumber::Decimal(doc.GetAttrib(name));
}

} // namespace

ExchangeStatus ProfileExchange::Export(SettingsDatabase& db, FileChooser& chooser, int deviceType,
                                       int profile, const std::string& profileName) {
    if (profile <= 0) return ExchangeStatus::NothingSelected;
    std::string path;
    if (!chooser.ChooseSaveFile(kProfileFilter, kPattern, path)) return ExchangeStatus::Cancelled;
    return ExportToFile(db, deviceType, profile, profileName, path);
}

ExchangeStatus ProfileExchange::ExportToFile(SettingsDatabase& db, int deviceType, int profile,
                                             const std::string& profileName,
                                             const std::string& path) {
    XmlDocument doc;
    doc.AddElem("profile");
    doc.IntoElem();
    doc.AddElem("profileinfo");
    doc.SetAttrib("name", profileName);
    doc.AddElem("keyitems");
    doc.IntoElem();

    auto lock = db.Lock();
    std::vector<std::unique_ptr<KeyAssignmentRow>> rows;
    if (IsMouse(deviceType))
        db.LoadButtonAssignments(profile, rows);
    else
        db.LoadKeyAssignments(profile, 0, rows);
    // A macro played by two assignments is written twice; the import reads it once.
    std::vector<int> macros;
    for (const auto& row : rows) {
        doc.AddElem("item");
        doc.SetAttrib("fn_layer", row->fnLayer);
        doc.SetAttrib("key_code", row->keyCode);
        doc.SetAttrib("layout_value", row->layoutValue);
        doc.SetAttrib("layout_desc", row->layoutDesc);
        doc.SetAttrib("macro_type", row->macroType);
        doc.SetAttrib("macro_value", row->macroValue);
        doc.SetAttrib("macro_value2", row->macroValue2);
        doc.SetAttrib("macro_value3", row->macroValue3);
        doc.SetAttrib("macro_desc", row->macroDesc);
        if (row->macroType == kMacroFunction) macros.push_back(row->macroValue);
    }
    doc.OutOfElem();

    for (int macroId : macros) {
        // An unknown macro is written as a row of zeros with an empty name.
        MacroRow macro;
        db.GetMacro(macroId, macro);
        std::vector<std::unique_ptr<MacroItemRow>> items;
        db.LoadMacroItems(macroId, items);
        doc.AddElem("macroinfo");
        doc.SetAttrib("name", macro.name);
        doc.SetAttrib("macro_id", macro.macroId);
        doc.SetAttrib("times", macro.playTimes);
        doc.SetAttrib("type", macro.delayType);
        doc.SetAttrib("looptype", macro.loopType);
        doc.SetAttrib("delaytime", macro.delayTime);
        doc.IntoElem();
        doc.AddElem("macroitems");
        doc.IntoElem();
        for (const auto& item : items) {
            doc.AddElem("item");
            doc.SetAttrib("desc", item->desc);
            doc.SetAttrib("type", item->type);
            doc.SetAttrib("value", item->value);
            doc.SetAttrib("delay_time", item->delayTime);
        }
        doc.OutOfElem();
        doc.OutOfElem();
    }
    return MacroExchange::WriteExportFile(db, doc.GetDoc(), path);
}

ExchangeStatus ProfileExchange::Import(SettingsDatabase& db, FileChooser& chooser, int deviceType,
                                       int currentProfile, ProfileImportResult& result) {
    std::string path;
    const char* filter = IsMouse(deviceType) ? kProfileFilter : kKeyboardImportFilter;
    if (!chooser.ChooseOpenFile(filter, kPattern, path)) return ExchangeStatus::Cancelled;
    return ImportFile(db, path, deviceType, currentProfile, result);
}

ExchangeStatus ProfileExchange::ImportFile(SettingsDatabase& db, const std::string& path,
                                           int deviceType, int currentProfile,
                                           ProfileImportResult& result) {
    result = ProfileImportResult();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return ExchangeStatus::Missing;
    XmlDocument doc;
    if (!doc.Load(path)) return ExchangeStatus::Unreadable;
    return ImportDocument(db, doc, deviceType, currentProfile, result);
}

ExchangeStatus ProfileExchange::ImportText(SettingsDatabase& db, const char* data, size_t size,
                                           int deviceType, int currentProfile,
                                           ProfileImportResult& result) {
    result = ProfileImportResult();
    XmlDocument doc;
    if (!doc.SetDoc(data, size)) return ExchangeStatus::Unreadable;
    return ImportDocument(db, doc, deviceType, currentProfile, result);
}

bool ProfileExchange::WithinBounds(XmlDocument& doc) {
    doc.ResetPos();
    doc.FindElem("profile");
    doc.IntoElem();
    int macros = 0;
    long events = 0;
    while (doc.FindElem("macroinfo")) {
        if (++macros > kMaxMacros) return false;
        doc.IntoElem();
        events += MacroExchange::CountMacroItems(doc);
        doc.OutOfElem();
        if (events > kMaxEvents) return false;
    }
    doc.ResetPos();
    doc.FindElem("profile");
    doc.IntoElem();
    int items = 0;
    if (doc.FindElem("keyitems")) {
        doc.IntoElem();
        while (doc.FindElem("item"))
            if (++items > kMaxKeyItems) return false;
    }
    return true;
}

ExchangeStatus ProfileExchange::ImportDocument(SettingsDatabase& db, XmlDocument& doc,
                                               int deviceType, int currentProfile,
                                               ProfileImportResult& result) {
    if (!doc.FindElem("profile")) return ExchangeStatus::Unreadable;
    const bool mouse = IsMouse(deviceType);
    if (mouse && currentProfile <= 0) return ExchangeStatus::Failed;
    if (!WithinBounds(doc)) return ExchangeStatus::TooLarge;

    // All of it or nothing: macros, the new profile and the assignments in one transaction.
    bool stored = db.RunInTransaction([&] {
        result = ProfileImportResult();
        std::vector<std::unique_ptr<MacroRow>> existing;
        db.LoadMacroList(existing);
        if (SettingsDatabase::LastResult() != SQLITE_OK) return false;
        std::set<std::pair<int, std::string>> known;
        for (const auto& m : existing)
            known.emplace(m->macroId, m->name);

        // Macros first, so that the assignments can be pointed at their new ids.
        std::map<int, int> newIds;
        std::set<int> reused;
        doc.ResetPos();
        doc.FindElem("profile");
        doc.IntoElem();
        std::set<int> skipped;
        while (doc.FindElem("macroinfo")) {
            const std::string fileName = doc.GetAttrib("name", NameLimits::kMaxName + 1);
            const std::string name = NameLimits::CutName(fileName);
            const int oldId = Attribute(doc, "macro_id");
            // The same macro written twice (two assignments play it) is imported once.
            if (newIds.count(oldId) || reused.count(oldId) || skipped.count(oldId)) continue;
            if (known.count({oldId, name})) {
                reused.insert(oldId);
                continue;
            }
            MacroRow macro;
            macro.name = name;
            macro.playTimes = Attribute(doc, "times");
            macro.delayType = Attribute(doc, "type");
            macro.loopType = Attribute(doc, "looptype");
            macro.delayTime = Attribute(doc, "delaytime");
            macro.linkCount = 0;
            if (name.empty() || !ExchangeRanges::MacroFits(macro)) {
                skipped.insert(oldId);
                ++result.skippedMacros;
                continue;
            }
            if (name.size() != fileName.size()) ++result.shortenedNames;
            const int newId = MacroExchange::AddNewMacro(db, macro);
            if (newId <= 0) return false;
            newIds[oldId] = newId;
            auto added = std::make_unique<ImportedMacro>();
            added->macroId = newId;
            added->name = name;
            result.macros.push_back(std::move(added));

            doc.IntoElem();
            int items = MacroExchange::AddMacroItems(db, doc, newId, result.skippedEvents);
            doc.OutOfElem();
            if (items < 0) return false;
        }

        doc.ResetPos();
        doc.FindElem("profile");
        doc.IntoElem();
        int target = currentProfile;
        if (doc.FindElem("profileinfo") && !mouse) {
            ProfileRow profile;
            const std::string fileName = doc.GetAttrib("name", NameLimits::kMaxName + 1);
            profile.name = NameLimits::CutName(fileName);
            if (profile.name.size() != fileName.size()) ++result.shortenedNames;
            target = db.AddProfile(profile);
        } else if (!mouse) {
            // A keyboard file without its profile has nowhere to go.
            target = 0;
        }
        result.profile = target > 0 ? target : 0;
        if (target <= 0) return false;

        if (doc.FindElem("keyitems")) {
            doc.IntoElem();
            while (doc.FindElem("item")) {
                KeyAssignmentRow row;
                row.profile = target;
                row.fnLayer = Attribute(doc, "fn_layer");
                row.keyCode = Attribute(doc, "key_code");
                row.layoutValue = Attribute(doc, "layout_value");
                row.layoutDesc = doc.GetAttrib("layout_desc");
                row.macroType = Attribute(doc, "macro_type");
                row.macroValue = Attribute(doc, "macro_value");
                row.macroValue2 = Attribute(doc, "macro_value2");
                row.macroValue3 = Attribute(doc, "macro_value3");
                row.macroDesc = doc.GetAttrib("macro_desc");
                const bool playsSkipped = row.macroType == kMacroFunction &&
                                          skipped.count(row.macroValue) &&
                                          !newIds.count(row.macroValue);
                if (playsSkipped || !ExchangeRanges::AssignmentFits(row, mouse)) {
                    ++result.skippedAssignments;
                    continue;
                }
                if (row.macroType == kMacroFunction) {
                    auto it = newIds.find(row.macroValue);
                    if (it != newIds.end()) row.macroValue = it->second;
                }
                int id = mouse ? db.SaveButtonAssignment(row) : db.SaveKeyAssignment(row);
                if (SettingsDatabase::LastResult() != SQLITE_OK) return false;
                if (id > 0) ++result.assignments;
            }
        }
        return true;
    });
    if (!stored) {
        result = ProfileImportResult();
        return ExchangeStatus::Failed;
    }
    return ExchangeStatus::Done;
}

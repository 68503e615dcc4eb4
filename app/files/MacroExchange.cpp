#include "app/files/MacroExchange.h"

#include "app/files/FileChooser.h"
#include "app/files/TextNumber.h"
#include "app/store/SettingsDatabase.h"
#include "app/xml/XmlDocument.h"

#include <filesystem>

ExchangeStatus MacroExchange::Export(SettingsDatabase& db, FileChooser& chooser, int macroId) {
    if (macroId <= 0) return ExchangeStatus::NothingSelected;
    std::string path;
    if (!chooser.ChooseSaveFile(kExportFilter, kPattern, path)) return ExchangeStatus::Cancelled;
    return ExportToFile(db, macroId, path);
}

ExchangeStatus MacroExchange::ExportToFile(SettingsDatabase& db, int macroId,
                                           const std::string& path) {
    MacroRow macro;
    std::vector<std::unique_ptr<MacroItemRow>> items;
    {
        auto lock = db.Lock();
        if (!db.GetMacro(macroId, macro)) return ExchangeStatus::Failed;
        db.LoadMacroItems(macroId, items);
    }
    XmlDocument doc;
    doc.AddElem("macro");
    doc.IntoElem();
    doc.AddElem("macroinfo");
    doc.SetAttrib("name", macro.name);
    doc.SetAttrib("times", macro.playTimes);
    doc.SetAttrib("type", macro.delayType);
    doc.SetAttrib("looptype", macro.loopType);
    doc.SetAttrib("delaytime", macro.delayTime);
    doc.AddElem("macroitems");
    doc.IntoElem();
    for (const auto& item : items) {
        doc.AddElem("item");
        doc.SetAttrib("desc", item->desc);
        doc.SetAttrib("type", item->type);
        doc.SetAttrib("looptype", 0);
        doc.SetAttrib("value", item->value);
        doc.SetAttrib("delay_time", item->delayTime);
    }
    return doc.Save(path) ? ExchangeStatus::Done : ExchangeStatus::Failed;
}

ExchangeStatus MacroExchange::Import(SettingsDatabase& db, FileChooser& chooser,
                                     MacroImportResult& result) {
    std::string path;
    if (!chooser.ChooseOpenFile(kImportFilter, kPattern, path)) return ExchangeStatus::Cancelled;
    return ImportFile(db, path, result);
}

ExchangeStatus MacroExchange::ImportFile(SettingsDatabase& db, const std::string& path,
                                         MacroImportResult& result) {
    result = MacroImportResult();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return ExchangeStatus::Missing;
    XmlDocument doc;
    if (!doc.Load(path)) return ExchangeStatus::Unreadable;
    return ImportDocument(db, doc, result);
}

ExchangeStatus MacroExchange::ImportText(SettingsDatabase& db, const char* data, size_t size,
                                         MacroImportResult& result) {
    result = MacroImportResult();
    XmlDocument doc;
    if (!doc.SetDoc(data, size)) return ExchangeStatus::Unreadable;
    return ImportDocument(db, doc, result);
}

ExchangeStatus MacroExchange::ImportDocument(SettingsDatabase& db, XmlDocument& doc,
                                             MacroImportResult& result) {
    if (!doc.FindElem("macro")) return ExchangeStatus::Unreadable;
    doc.IntoElem();
    // Only the first macroinfo counts.
    if (!doc.FindElem("macroinfo")) return ExchangeStatus::Unreadable;
    MacroRow macro;
    macro.name = doc.GetAttrib("name");
    macro.playTimes = TextNumber::Decimal(doc.GetAttrib("times"));
    macro.delayType = TextNumber::Decimal(doc.GetAttrib("type"));
    macro.loopType = TextNumber::Decimal(doc.GetAttrib("looptype"));
    macro.delayTime = TextNumber::Decimal(doc.GetAttrib("delaytime"));
    macro.linkCount = 0;

    auto lock = db.Lock();
    int id = AddNewMacro(db, macro);
    if (id <= 0) return ExchangeStatus::Failed;
    result.macroId = id;
    result.name = macro.name;
    result.items = AddMacroItems(db, doc, id);
    return ExchangeStatus::Done;
}

int MacroExchange::AddMacroItems(SettingsDatabase& db, XmlDocument& doc, int macroId) {
    if (!doc.FindElem("macroitems")) return 0;
    doc.IntoElem();
    int index = 0;
    int stored = 0;
    while (doc.FindElem("item")) {
        MacroItemRow item;
        item.macroId = macroId;
        item.recordIndex = index++;
        item.desc = doc.GetAttrib("desc");
        item.type = TextNumber::Decimal(doc.GetAttrib("type"));
        item.value = TextNumber::Decimal(doc.GetAttrib("value"));
        item.delayTime = TextNumber::Decimal(doc.GetAttrib("delay_time"));
        if (db.AddMacroItem(item) > 0) ++stored;
    }
    doc.OutOfElem();
    return stored;
}

int MacroExchange::AddNewMacro(SettingsDatabase& db, const MacroRow& row) {
    auto lock = db.Lock();
    std::vector<std::unique_ptr<MacroRow>> existing;
    db.LoadMacroList(existing);
    int highest = 0;
    for (const auto& m : existing)
        highest = std::max(highest, m->macroId);
    int id = db.AddMacro(row);
    if (id <= highest) return 0;
    MacroRow written;
    if (!db.GetMacro(id, written) || written.name != row.name) return 0;
    return id;
}

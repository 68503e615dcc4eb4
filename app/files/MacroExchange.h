#pragma once

#include "app/files/ExchangeStatus.h"

#include <string>

class FileChooser;
class SettingsDatabase;
class XmlDocument;
struct MacroRow;

// What a macro import added.
struct MacroImportResult {
    int macroId = 0; // the new macro
    std::string name;
    int items = 0; // events stored
};

// The macro exchange file: one macro with its playback settings and events,
//   <macro><macroinfo name times type looptype delaytime/>
//          <macroitems><item desc type looptype value delay_time/>...</macroitems></macro>
// Importing always creates a new macro, whatever macros exist already.
class MacroExchange {
public:
    // Message and caption shown when no macro is selected for export.
    static constexpr int kNoMacroMessageText = 540;
    static constexpr int kNoMacroCaptionText = 541;
    static constexpr const char* kExportFilter = "Macro (*.xml)";
    static constexpr const char* kImportFilter = "Macros (*.xml)";
    static constexpr const char* kPattern = "*.xml";

    // macroId 0 or below: NothingSelected (nothing asked). Failed when the macro does not exist
    // or the file cannot be written.
    static ExchangeStatus Export(SettingsDatabase& db, FileChooser& chooser, int macroId);
    static ExchangeStatus ExportToFile(SettingsDatabase& db, int macroId, const std::string& path);

    // Missing, Unreadable (also for a file whose root is not "macro" or without "macroinfo")
    // and Failed change nothing in the store.
    static ExchangeStatus Import(SettingsDatabase& db, FileChooser& chooser,
                                 MacroImportResult& result);
    static ExchangeStatus ImportFile(SettingsDatabase& db, const std::string& path,
                                     MacroImportResult& result);
    static ExchangeStatus ImportText(SettingsDatabase& db, const char* data, size_t size,
                                     MacroImportResult& result);

    // Adds a macro and returns its id, or 0 when the store failed. The store answers a failed
    // insert with the SQLite code, which looks like a small id; a real new id is above every id
    // in use and names the row just written, so anything else is a failure.
    static int AddNewMacro(SettingsDatabase& db, const MacroRow& row);

    // Stores the events of the "macroitems" element that follows the cursor as the macro's
    // records, index = position; returns how many were stored.
    static int AddMacroItems(SettingsDatabase& db, XmlDocument& doc, int macroId);

private:
    static ExchangeStatus ImportDocument(SettingsDatabase& db, XmlDocument& doc,
                                         MacroImportResult& result);
};

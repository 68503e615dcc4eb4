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
    int items = 0;              // events stored
    int skippedEvents = 0;      // events whose values are out of range (ExchangeRanges)
    bool nameShortened = false; // the file's name was longer than NameLimits::kMaxName
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

    // A file past these bounds is refused as a whole (TooLarge): a macro image of the mouse
    // holds a few hundred events, so these leave room for every real file and keep a crafted
    // one from tying up the store.
    static constexpr int kMaxEvents = 100000;

    // macroId 0 or below: NothingSelected (nothing asked). Failed when the macro does not exist
    // or the file cannot be written; UnsafeTarget (nothing written) for the settings database,
    // the light-frame store and anything that exists but is not a regular file.
    static ExchangeStatus Export(SettingsDatabase& db, FileChooser& chooser, int macroId);
    static ExchangeStatus ExportToFile(SettingsDatabase& db, int macroId, const std::string& path);

    // Missing, Unreadable (also for a file whose root is not "macro" or without "macroinfo"),
    // OutOfRange (a macro without a name, or play times, delay or loop type out of range),
    // TooLarge and Failed change nothing in the store: the macro and its events are stored in
    // one transaction (SettingsDatabase::LastResult() tells why the store refused).
    static ExchangeStatus Import(SettingsDatabase& db, FileChooser& chooser,
                                 MacroImportResult& result);
    static ExchangeStatus ImportFile(SettingsDatabase& db, const std::string& path,
                                     MacroImportResult& result);
    static ExchangeStatus ImportText(SettingsDatabase& db, const char* data, size_t size,
                                     MacroImportResult& result);

    // Adds a macro and returns its id, or 0 when the store failed. The store answers a failed
    // insert with the SQLite code, which looks like a small id; the outcome of the operation
    // tells the two apart.
    static int AddNewMacro(SettingsDatabase& db, const MacroRow& row);

    // Stores the events of the "macroitems" element that follows the cursor as the macro's
    // records, index = position, in one statement run; returns how many were stored, -1 when
    // the store refused them (nothing stored then). Events out of range are left out and
    // added to skipped.
    static int AddMacroItems(SettingsDatabase& db, XmlDocument& doc, int macroId, int& skipped);
    // Events of the "macroitems" element that follows the cursor, which ends on that element.
    static int CountMacroItems(XmlDocument& doc);

    // Writes text to path through a temporary file beside it and a rename, so that a failed
    // write leaves the old file. Refuses (UnsafeTarget) the settings database and its journal,
    // the light-frame store, and an existing path that is not a regular file (or a link that
    // leads nowhere). Failed when the file cannot be written.
    static ExchangeStatus WriteExportFile(const SettingsDatabase& db, const std::string& text,
                                          const std::string& path);

private:
    static ExchangeStatus ImportDocument(SettingsDatabase& db, XmlDocument& doc,
                                         MacroImportResult& result);
};

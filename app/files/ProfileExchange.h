#pragma once

#include "app/files/ExchangeStatus.h"

#include <memory>
#include <string>
#include <vector>

class FileChooser;
class SettingsDatabase;
class XmlDocument;

// A macro that a profile import added to the store.
struct ImportedMacro {
    int macroId = 0;
    std::string name;
};

// What a profile import did.
struct ProfileImportResult {
    int profile = 0;     // where the assignments went (a new profile for a keyboard)
    int assignments = 0; // assignment rows saved
    std::vector<std::unique_ptr<ImportedMacro>> macros; // new macros, in file order
    // Left out because a value is out of range (ExchangeRanges), or, for a macro, it has no
    // name; an assignment that plays a left-out macro is left out too.
    int skippedAssignments = 0;
    int skippedMacros = 0;
    int skippedEvents = 0;
    int shortenedNames = 0; // names cut to NameLimits::kMaxName
};

// The profile exchange file: a profile's button (mouse) or layer-0 key (keyboard) assignments
// with every macro they play,
//   <profile><profileinfo name/><keyitems><item .../>...</keyitems>
//            <macroinfo name macro_id times type looptype delaytime>
//              <macroitems><item desc type value delay_time/>...</macroitems></macroinfo>...
//   </profile>
// Importing reuses a macro that exists with the same name and id, adds the others and points
// the imported assignments at the new ids. A mouse file overwrites the current profile key by
// key; a keyboard file becomes a new profile.
class ProfileExchange {
public:
    // Message and caption shown when no profile is selected for export.
    static constexpr int kNoProfileMessageText = 151;
    static constexpr int kNoProfileCaptionText = 152;
    static constexpr const char* kProfileFilter = "Profile (*.xml)";
    static constexpr const char* kKeyboardImportFilter = "Custom Key (*.xml)";
    static constexpr const char* kPattern = "*.xml";

    // Device types above this one are mice.
    static constexpr int kLastKeyboardType = 600;

    // A file past these bounds is refused as a whole (TooLarge). A profile plays at most one
    // macro per key, so real files stay far below them.
    static constexpr int kMaxMacros = 10000;
    static constexpr int kMaxKeyItems = 10000;
    static constexpr int kMaxEvents = 200000; // over all macros of the file

    // profile 0 or below: NothingSelected (nothing asked). profileName is the name the profile
    // list shows. Failed when the file cannot be written; UnsafeTarget (nothing written) for the
    // stores and for anything that exists but is not a regular file.
    static ExchangeStatus Export(SettingsDatabase& db, FileChooser& chooser, int deviceType,
                                 int profile, const std::string& profileName);
    static ExchangeStatus ExportToFile(SettingsDatabase& db, int deviceType, int profile,
                                       const std::string& profileName, const std::string& path);

    // Missing, Unreadable, TooLarge and Failed change nothing in the store: the whole import is
    // one transaction (SettingsDatabase::LastResult() tells why the store refused).
    // currentProfile is the target for a mouse file.
    static ExchangeStatus Import(SettingsDatabase& db, FileChooser& chooser, int deviceType,
                                 int currentProfile, ProfileImportResult& result);
    static ExchangeStatus ImportFile(SettingsDatabase& db, const std::string& path, int deviceType,
                                     int currentProfile, ProfileImportResult& result);
    static ExchangeStatus ImportText(SettingsDatabase& db, const char* data, size_t size,
                                     int deviceType, int currentProfile,
                                     ProfileImportResult& result);

private:
    // Within the bounds above.
    static bool WithinBounds(XmlDocument& doc);
    static ExchangeStatus ImportDocument(SettingsDatabase& db, XmlDocument& doc, int deviceType,
                                         int currentProfile, ProfileImportResult& result);
};

#include "app/files/MacroExchange.h"

#include "app/files/ExchangeRanges.h"
#include "app/files/FileChooser.h"
#include "app/files/NameLimits.h"
#include "app/files/TextNumber.h"
#include "app/platform/AppFolders.h"
#include "app/store/LightFrameStore.h"
#include "app/store/SettingsDatabase.h"
#include "app/xml/XmlDocument.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

bool SameFile(const std::string& path, const struct stat& target) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && st.st_dev == target.st_dev && st.st_ino == target.st_ino;
}

// Files an export must never replace: the stores and what SQLite keeps beside a database.
std::vector<std::string> GuardedFiles(const SettingsDatabase& db) {
    std::vector<std::string> stores;
    if (!db.DatabasePath().empty()) stores.push_back(db.DatabasePath());
    std::string data = AppFolders::DataFolder();
    if (!data.empty())
        stores.push_back(data + "db/" + SettingsDatabase::kDeviceName + "_data_v7.db");
    if (!LightFrameStore::Instance().StorePath().empty())
        stores.push_back(LightFrameStore::Instance().StorePath());
    std::string program = AppFolders::ProgramFolder();
    if (!program.empty()) stores.push_back(program + LightFrameStore::kFileName);
    std::vector<std::string> guarded;
    for (const auto& store : stores)
        for (const char* suffix : {"", "-journal", "-wal", "-shm"})
            guarded.push_back(store + suffix);
    return guarded;
}

bool WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

} // namespace

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
    return WriteExportFile(db, doc.GetDoc(), path);
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
    // Only the first macroinfo counts.
    auto toMacroInfo = [&doc] {
        doc.ResetPos();
        if (!doc.FindElem("macro")) return false;
        doc.IntoElem();
        return doc.FindElem("macroinfo");
    };
    if (!toMacroInfo()) return ExchangeStatus::Unreadable;
    MacroRow macro;
    const std::string name = doc.GetAttrib("name", NameLimits::kMaxName + 1);
    macro.name = NameLimits::CutName(name);
    macro.playTimes = TextNumber::Decimal(doc.GetAttrib("times"));
    macro.delayType = TextNumber::Decimal(doc.GetAttrib("type"));
    macro.loopType = TextNumber::Decimal(doc.GetAttrib("looptype"));
    macro.delayTime = TextNumber::Decimal(doc.GetAttrib("delaytime"));
    macro.linkCount = 0;
    if (macro.name.empty() || !ExchangeRanges::MacroFits(macro)) return ExchangeStatus::OutOfRange;
    if (CountMacroItems(doc) > kMaxEvents) return ExchangeStatus::TooLarge;

    // The macro and its events together: another writer or a kill never leaves half of it.
    bool stored = db.RunInTransaction([&] {
        result = MacroImportResult();
        toMacroInfo();
        int id = AddNewMacro(db, macro);
        if (id <= 0) return false;
        int skipped = 0;
        int items = AddMacroItems(db, doc, id, skipped);
        if (items < 0) return false;
        result.macroId = id;
        result.name = macro.name;
        result.items = items;
        result.skippedEvents = skipped;
        result.nameShortened = macro.name.size() != name.size();
        return true;
    });
    if (!stored) {
        result = MacroImportResult();
        return ExchangeStatus::Failed;
    }
    return ExchangeStatus::Done;
}

int MacroExchange::CountMacroItems(XmlDocument& doc) {
    if (!doc.FindElem("macroitems")) return 0;
    doc.IntoElem();
    int count = 0;
    while (doc.FindElem("item"))
        ++count;
    doc.OutOfElem();
    return count;
}

int MacroExchange::AddMacroItems(SettingsDatabase& db, XmlDocument& doc, int macroId,
                                 int& skipped) {
    if (!doc.FindElem("macroitems")) return 0;
    doc.IntoElem();
    std::vector<std::unique_ptr<MacroItemRow>> items;
    int index = 0;
    while (doc.FindElem("item")) {
        auto item = std::make_unique<MacroItemRow>();
        item->macroId = macroId;
        item->recordIndex = index++;
        item->desc = doc.GetAttrib("desc");
        item->type = TextNumber::Decimal(doc.GetAttrib("type"));
        item->value = TextNumber::Decimal(doc.GetAttrib("value"));
        item->delayTime = TextNumber::Decimal(doc.GetAttrib("delay_time"));
        if (!ExchangeRanges::EventFits(*item)) {
            ++skipped;
            continue;
        }
        items.push_back(std::move(item));
    }
    doc.OutOfElem();
    return db.SaveMacroItems(std::move(items));
}

int MacroExchange::AddNewMacro(SettingsDatabase& db, const MacroRow& row) {
    int id = db.AddMacro(row);
    if (SettingsDatabase::LastResult() != SQLITE_OK || id <= 0) return 0;
    return id;
}

ExchangeStatus MacroExchange::WriteExportFile(const SettingsDatabase& db, const std::string& text,
                                              const std::string& path) {
    if (path.empty()) return ExchangeStatus::Failed;
    struct stat target;
    struct stat link;
    const bool exists = stat(path.c_str(), &target) == 0;
    if (!exists && lstat(path.c_str(), &link) == 0) return ExchangeStatus::UnsafeTarget;
    if (exists && !S_ISREG(target.st_mode)) return ExchangeStatus::UnsafeTarget;
    const auto guarded = GuardedFiles(db);
    if (exists)
        for (const auto& file : guarded)
            if (SameFile(file, target)) return ExchangeStatus::UnsafeTarget;
    // Names that do not exist yet (a journal comes and goes) are compared as paths.
    std::error_code ec;
    fs::path real = exists ? fs::canonical(path, ec) : fs::weakly_canonical(path, ec);
    if (ec || real.filename().empty()) return ExchangeStatus::Failed;
    for (const auto& file : guarded) {
        std::error_code ignored;
        if (fs::weakly_canonical(file, ignored) == real) return ExchangeStatus::UnsafeTarget;
    }

    static std::atomic<int> serial{0};
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = (real.parent_path() / ("." + real.filename().string() + ".tmp" +
                                      std::to_string(getpid()) + "-" + std::to_string(++serial)))
                   .string();
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return ExchangeStatus::Failed;
    }
    if (fd < 0) return ExchangeStatus::Failed;
    // A replaced file keeps its permissions.
    bool ok = (!exists || fchmod(fd, target.st_mode & 07777) == 0) && WriteAll(fd, text) &&
              fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok || std::rename(temp.c_str(), real.c_str()) != 0) {
        ::unlink(temp.c_str());
        return ExchangeStatus::Failed;
    }
    return ExchangeStatus::Done;
}

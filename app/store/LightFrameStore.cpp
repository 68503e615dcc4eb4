#include "app/store/LightFrameStore.h"

#include <filesystem>
#include <system_error>

#include "app/store/SQLiteAutoTransaction.h"
#include "app/store/SQLiteStatement.h"

namespace {

// clang-format off
constexpr const char* kCreateDefaultFrames =
    "CREATE TABLE IF NOT EXISTS t_default_light_frames(frames_id INTEGER PRIMARY KEY AUTOINCREMENT, \t\t\t\t\t\t\t\t  light_id INTEGER, frameIndex INTEGER, key_value INTEGER, rgb_value INTEGER)";
constexpr const char* kCreateFrames =
    "CREATE TABLE IF NOT EXISTS t_light_frames(frames_id INTEGER PRIMARY KEY AUTOINCREMENT, \t\t\t\t\t\t\t\t  light_id INTEGER, frameIndex INTEGER, key_value INTEGER, rgb_value INTEGER)";
constexpr const char* kIndexFrames =
    "CREATE INDEX IF NOT EXISTS led_frames_index ON t_light_frames(frames_id)";
constexpr const char* kSelectFrames =
    "SELECT * FROM t_light_frames WHERE light_id = ?";
constexpr const char* kCountFrameTables =
    "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN ('t_default_light_frames', 't_light_frames')";
// clang-format on

} // namespace

LightFrameStore& LightFrameStore::Instance() {
    static LightFrameStore instance;
    return instance;
}

LightFrameStore::LightFrameStore() {
    key_.clear();
    rekey_.clear();
}

LightFrameStore::~LightFrameStore() {
    if (openFlag_) {
        Close();
        openFlag_ = 0;
    }
}

const std::vector<std::string>& LightFrameStore::SchemaStatements() {
    static const std::vector<std::string> statements = {kCreateDefaultFrames, kCreateFrames,
                                                        kIndexFrames};
    return statements;
}

bool LightFrameStore::ReleaseLightFrameStore() {
    // A page's animation may still be loading frames on another thread.
    std::lock_guard<std::mutex> lock(criticalSection_);
    if (!openFlag_ && !IsOpen()) return false;
    openFlag_ = 0;
    return Close();
}

bool LightFrameStore::OpenLightFrameStore(const std::string& programFolder) {
    storePath_ = programFolder + kFileName;
    std::error_code ec;
    bool result;
    if (std::filesystem::exists(storePath_, ec)) {
        result = IsOpen() ? true : Open(storePath_.c_str(), key_, kOpenExisting);
    } else {
        result = CreateLightFrameSchema();
    }
    openFlag_ = result ? 1 : 0;
    return result;
}

bool LightFrameStore::CreateLightFrameSchema() {
    if (IsOpen()) return true;
    if (!Open(storePath_.c_str(), key_, kOpenCreate)) return false;
    {
        // All tables or none, whatever stops the process part-way.
        SQLiteAutoTransaction transaction(this);
        bool ok = transaction.BeginResult() == SQLITE_OK;
        for (const auto& sql : SchemaStatements())
            if (ok && Execute(sql.c_str()) != SQLITE_OK) ok = false;
        if (!ok || !transaction.End()) transaction.Rollback();
    }
    // The index is a convenience; the file is usable once both tables exist.
    SQLiteStatement s;
    Prepare(s, kCountFrameTables);
    return s.Step() == SQLITE_ROW && s.ColumnInt(0) == 2;
}

int LightFrameStore::LoadLightFrames(int lightId,
                                     std::vector<std::unique_ptr<LightFrameRow>>& list) {
    std::lock_guard lock(criticalSection_);
    list.clear();
    SQLiteStatement s;
    Prepare(s, kSelectFrames);
    s.BindInt(1, lightId);
    while (s.Step() == SQLITE_ROW) {
        auto row = std::make_unique<LightFrameRow>();
        row->framesId = s.ColumnInt(0);
        row->lightId = s.ColumnInt(1);
        row->frameIndex = s.ColumnInt(2);
        row->keyValue = s.ColumnInt(3);
        row->rgbValue = s.ColumnInt(4);
        list.push_back(std::move(row));
    }
    return static_cast<int>(list.size());
}

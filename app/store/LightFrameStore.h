#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/store/LightFrameRow.h"
#include "app/store/SQLiteDB.h"

// The shipped light-animation frames in "<program folder>db/lightlayer_v1.data". The program
// only reads them; a missing file is created empty with its tables.
class LightFrameStore : public SQLiteDB {
public:
    static constexpr const char* kFileName = "db/lightlayer_v1.data";

    // The process-wide object, built on first use.
    static LightFrameStore& Instance();

    LightFrameStore();
    // Closes the connection when the open flag is set.
    ~LightFrameStore() override;

    // programFolder ends with "/". An existing file is opened read-write without touching its
    // tables; a missing one is created with the tables. The result is kept in the open flag and
    // returned; true at once when the file exists and a connection is already open.
    bool OpenLightFrameStore(const std::string& programFolder);
    // Closes the connection (the main window's teardown); a later open starts afresh. False when
    // nothing was open.
    bool ReleaseLightFrameStore();
    // Creates/opens the stored path and runs the schema; true when both frame tables exist.
    bool CreateLightFrameSchema();

    // Empties the list, then appends the frames of the light id in the order SQLite returns
    // them. 0 on a closed or broken store.
    int LoadLightFrames(int lightId, std::vector<std::unique_ptr<LightFrameRow>>& list);

    bool IsStoreOpen() const { return openFlag_ != 0; }
    const std::string& StorePath() const { return storePath_; }

    static const std::vector<std::string>& SchemaStatements();

private:
    std::mutex criticalSection_;
    std::string storePath_;
    std::string key_;   // always empty
    std::string rekey_; // always empty
    unsigned char openFlag_ = 0;
};

#include "StoreFixture.h"

#include <cstdlib>
#include <filesystem>
#include <set>

#include "app/store/LightFrameStore.h"

namespace fs = std::filesystem;

using LightFrameStoreTest = StoreFixture;

TEST_F(LightFrameStoreTest, MissingFileIsCreatedWithBothTablesAndLoadsNothing) {
    fs::create_directories(Folder() + "db");
    LightFrameStore store;
    EXPECT_TRUE(store.OpenLightFrameStore(Folder()));
    EXPECT_TRUE(store.IsStoreOpen());
    std::string file = Folder() + "db/lightlayer_v1.data";
    EXPECT_EQ(QueryInt(file, "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN "
                             "('t_light_frames', 't_default_light_frames')"),
              2);
    std::vector<std::unique_ptr<LightFrameRow>> rows;
    rows.push_back(std::make_unique<LightFrameRow>());
    EXPECT_EQ(store.LoadLightFrames(1, rows), 0);
    EXPECT_TRUE(rows.empty());
}

TEST_F(LightFrameStoreTest, RowsComeBackInStorageOrder) {
    fs::create_directories(Folder() + "db");
    std::string file = Folder() + "db/lightlayer_v1.data";
    {
        LightFrameStore creator;
        ASSERT_TRUE(creator.OpenLightFrameStore(Folder()));
    }
    ASSERT_TRUE(Exec(file, "INSERT INTO t_light_frames(light_id, frameIndex, key_value, rgb_value) "
                           "VALUES (5, 2, 4, 513), (5, 0, 5, 2), (6, 0, 4, 3), (5, 1, 6, 255)"));
    LightFrameStore store;
    ASSERT_TRUE(store.OpenLightFrameStore(Folder()));
    std::vector<std::unique_ptr<LightFrameRow>> rows;
    ASSERT_EQ(store.LoadLightFrames(5, rows), 3);
    EXPECT_EQ(rows[0]->frameIndex, 2);
    EXPECT_EQ(rows[0]->keyValue, 4);
    EXPECT_EQ(rows[0]->rgbValue, 513);
    EXPECT_EQ(rows[1]->frameIndex, 0);
    EXPECT_EQ(rows[2]->frameIndex, 1);
    EXPECT_EQ(rows[2]->lightId, 5);
    EXPECT_EQ(store.LoadLightFrames(7, rows), 0);
}

TEST_F(LightFrameStoreTest, ExistingFileIsOpenedWithoutAddingTablesAndMissingFolderFails) {
    fs::create_directories(Folder() + "db");
    std::string file = Folder() + "db/lightlayer_v1.data";
    {
        // Create the file through a plain connection with only an unrelated table.
        sqlite3* raw = nullptr;
        ASSERT_EQ(sqlite3_open(file.c_str(), &raw), SQLITE_OK);
        sqlite3_exec(raw, "CREATE TABLE unrelated(x)", nullptr, nullptr, nullptr);
        sqlite3_close(raw);
    }
    LightFrameStore store;
    EXPECT_TRUE(store.OpenLightFrameStore(Folder()));
    std::vector<std::unique_ptr<LightFrameRow>> rows;
    EXPECT_EQ(store.LoadLightFrames(1, rows), 0);
    EXPECT_EQ(QueryInt(file, "SELECT count(*) FROM sqlite_master WHERE name LIKE 't_%frames'"), 0);

    LightFrameStore nowhere;
    EXPECT_FALSE(nowhere.OpenLightFrameStore(Folder() + "missing/"));
    EXPECT_FALSE(nowhere.IsStoreOpen());
    EXPECT_EQ(nowhere.LoadLightFrames(1, rows), 0);
}

TEST_F(LightFrameStoreTest, ShippedFileHoldsWholeFramesForEveryAnimation) {
    const char* home = std::getenv("PIVANE_HOME");
    ASSERT_NE(home, nullptr);
    std::string shipped = std::string(home) + "db/lightlayer_v1.data";
    ASSERT_TRUE(fs::exists(shipped)) << shipped;
    // Work on a copy: opening is read-write.
    fs::create_directories(Folder() + "db");
    fs::copy_file(shipped, Folder() + "db/lightlayer_v1.data");
    LightFrameStore store;
    ASSERT_TRUE(store.OpenLightFrameStore(Folder()));

    constexpr int kKeys = 104;
    int animations = 0;
    std::vector<std::unique_ptr<LightFrameRow>> rows;
    for (int light = 1; light <= 16; ++light) {
        int n = store.LoadLightFrames(light, rows);
        if (n == 0) continue;
        ++animations;
        ASSERT_EQ(n % kKeys, 0) << light;
        int frames = n / kKeys;
        EXPECT_GE(frames, 2) << light;
        std::set<int> keys, brightness;
        for (int i = 0; i < n; ++i) {
            // Frame by frame, every frame naming the same keys in the same order.
            EXPECT_EQ(rows[i]->frameIndex, i / kKeys);
            EXPECT_EQ(rows[i]->keyValue, rows[i % kKeys]->keyValue);
            keys.insert(rows[i]->keyValue);
            brightness.insert(rows[i]->rgbValue & 0xFF);
        }
        EXPECT_EQ(keys.size(), static_cast<size_t>(kKeys)) << light;
        EXPECT_GT(brightness.size(), 1u) << light; // it actually animates
    }
    EXPECT_GE(animations, 4);
    EXPECT_EQ(QueryInt(Folder() + "db/lightlayer_v1.data", "SELECT count(*) FROM t_light_frames"),
              QueryInt(Folder() + "db/lightlayer_v1.data",
                       "SELECT count(*) FROM t_default_light_frames"));
}

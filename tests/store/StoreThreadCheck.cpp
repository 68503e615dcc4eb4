// The window thread and the worker use the settings store at the same time. Each operation
// must see its own statement through, new ids included.
#include "StoreFixture.h"

#include <atomic>
#include <thread>

#include "app/store/ProfileDefaults.h"
#include "app/store/SettingsDatabase.h"

using StoreThreadTest = StoreFixture;

TEST_F(StoreThreadTest, TwoThreadsGetTheirOwnIdsAndOneActiveProfile) {
    SettingsDatabase db;
    ASSERT_TRUE(db.OpenSettingsDatabase(DataFolder(), SettingsDatabase::kDeviceName));
    std::vector<std::unique_ptr<ProfileRow>> list;
    ASSERT_EQ(ProfileDefaults::LoadOrCreateProfiles(db, "Profile", 601, list), 3);

    constexpr int kRounds = 400;
    std::atomic<int> wrongIds{0}, wrongValues{0};
    std::atomic<bool> go{false};
    auto worker = [&](int thread) {
        while (!go.load())
            std::this_thread::yield();
        for (int i = 0; i < kRounds; ++i) {
            std::string name = "t" + std::to_string(thread) + "-" + std::to_string(i);
            int id = db.CreateMacro(name);
            MacroRow macro;
            // Without the critical section the id is often the other thread's insert.
            if (!db.GetMacro(id, macro) || macro.name != name) ++wrongIds;

            MacroItemRow item;
            item.macroId = id;
            item.value = thread;
            int itemId = db.AddMacroItem(item);
            std::vector<std::unique_ptr<MacroItemRow>> items;
            if (db.LoadMacroItems(id, items) != 1 || items[0]->recordId != itemId) ++wrongIds;

            std::string value = std::to_string(thread * 100000 + i);
            db.SetConfigValue(thread, "dpi_group0_value", value);
            std::string back;
            if (!db.GetConfigValue(thread, "dpi_group0_value", back) || back != value)
                ++wrongValues;
            db.SetActiveProfile(thread);
        }
    };
    std::thread a(worker, 1), b(worker, 2);
    go = true;
    a.join();
    b.join();
    EXPECT_EQ(wrongIds.load(), 0);
    EXPECT_EQ(wrongValues.load(), 0);
    std::vector<std::unique_ptr<MacroRow>> macros;
    EXPECT_EQ(db.LoadMacroList(macros), 2 * kRounds);
    EXPECT_EQ(QueryInt(DatabaseFile(), "SELECT count(*) FROM t_profile_data WHERE status = 1"), 1);
}

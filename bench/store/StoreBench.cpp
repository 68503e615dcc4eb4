// Settings store costs: building a new settings file with the three initial profiles, and the
// configuration reads and writes the pages do while a slider moves.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/store/ProfileDefaults.h"
#include "app/store/SettingsDatabase.h"

namespace fs = std::filesystem;

namespace {

std::string TempFolder(const char* name) {
    std::string folder = (fs::temp_directory_path() / "pivane-store-bench" / name).string() + "/";
    std::error_code ec;
    fs::remove_all(folder, ec);
    fs::create_directories(folder + "db");
    return folder;
}

void BM_CreateSchemaAndSeedThreeProfiles(benchmark::State& state) {
    std::string folder = TempFolder("seed");
    std::string file = folder + "db/" + SettingsDatabase::kDeviceName + "_data_v7.db";
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove(file);
        state.ResumeTiming();
        SettingsDatabase db;
        db.OpenSettingsDatabase(folder, SettingsDatabase::kDeviceName);
        std::vector<std::unique_ptr<ProfileRow>> list;
        if (ProfileDefaults::LoadOrCreateProfiles(db, "Profile", 601, list) != 3)
            state.SkipWithError("seeding failed");
    }
    fs::remove_all(folder);
}
BENCHMARK(BM_CreateSchemaAndSeedThreeProfiles)->Unit(benchmark::kMillisecond);

class SeededStore : public benchmark::Fixture {
public:
    void SetUp(const benchmark::State&) override {
        folder_ = TempFolder("config");
        db_ = std::make_unique<SettingsDatabase>();
        db_->OpenSettingsDatabase(folder_, SettingsDatabase::kDeviceName);
        std::vector<std::unique_ptr<ProfileRow>> list;
        ProfileDefaults::LoadOrCreateProfiles(*db_, "Profile", 601, list);
    }
    void TearDown(const benchmark::State&) override {
        db_.reset();
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }

protected:
    std::string folder_;
    std::unique_ptr<SettingsDatabase> db_;
};

BENCHMARK_F(SeededStore, GetConfigValue)(benchmark::State& state) {
    std::string value;
    int level = 0;
    for (auto _ : state) {
        if (!db_->GetConfigValue(2, "dpi_group" + std::to_string(level) + "_value", value))
            state.SkipWithError("value missing");
        level = (level + 1) % 8;
    }
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK_F(SeededStore, SetConfigValue)(benchmark::State& state) {
    int dpi = 400;
    for (auto _ : state) {
        if (!db_->SetConfigValue(2, "dpi_group2_value", std::to_string(dpi)))
            state.SkipWithError("update failed");
        dpi = dpi >= 16000 ? 400 : dpi + 50;
    }
    state.SetItemsProcessed(state.iterations());
}

} // namespace

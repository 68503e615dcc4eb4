// How long the file code takes on the shipped data: a UI text lookup (the file is read anew
// each time, and a full text reload asks for a few hundred), loading the configuration and the
// mouse layout, and a profile export and import with two macros of 200 events.
#include "app/files/ApplicationConfig.h"
#include "app/files/DeviceLayout.h"
#include "app/files/MacroExchange.h"
#include "app/files/ProfileExchange.h"
#include "app/files/UiText.h"
#include "app/store/SettingsDatabase.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

std::string DataFolder() {
    const char* source = std::getenv("PIVANE_SOURCE_DIR");
    return std::string(source ? source : PIVANE_SOURCE_DIR_DEFAULT) + "/data/";
}

void BM_UiTextLookup(benchmark::State& state) {
    const std::string file = DataFolder() + "language/2052.lan";
    for (auto _ : state)
        benchmark::DoNotOptimize(UiText::FromFile(file, "KB.DIALOG", "869"));
}
BENCHMARK(BM_UiTextLookup);

void BM_LoadConfiguration(benchmark::State& state) {
    const std::string path = DataFolder() + "config.xml";
    for (auto _ : state) {
        ApplicationConfig config;
        benchmark::DoNotOptimize(config.Load(path, nullptr));
    }
}
BENCHMARK(BM_LoadConfiguration);

void BM_LoadMouseLayout(benchmark::State& state) {
    const std::string folder = DataFolder();
    const std::string lan = folder + "language/1033.lan";
    for (auto _ : state) {
        DeviceLayout layout;
        benchmark::DoNotOptimize(layout.Load(folder, 601, "ORMAN-Q410", [&](int id) {
            return UiText::FromFile(lan, "KB.DIALOG", std::to_string(id));
        }));
    }
}
BENCHMARK(BM_LoadMouseLayout);

void BM_ProfileExportImport(benchmark::State& state) {
    char pattern[] = "/tmp/pivane_bench_XXXXXX";
    if (!mkdtemp(pattern)) return;
    std::string folder = std::string(pattern) + "/";
    std::filesystem::create_directories(folder + "db");
    SettingsDatabase db;
    db.OpenSettingsDatabase(folder, SettingsDatabase::kDeviceName);
    int profile = db.AddProfile(ProfileRow{0, "P", "", 0, 0});
    for (int m = 0; m < 2; ++m) {
        MacroRow macro;
        macro.name = "Macro " + std::to_string(m);
        int id = db.AddMacro(macro);
        for (int i = 0; i < 200; ++i) {
            MacroItemRow item;
            item.macroId = id;
            item.type = 1 + i % 2;
            item.value = 65 + i % 26;
            item.delayTime = 10;
            item.recordIndex = i;
            db.AddMacroItem(item);
        }
        KeyAssignmentRow row;
        row.profile = profile;
        row.keyCode = 211 + m;
        row.macroType = 3;
        row.macroValue = id;
        db.SaveButtonAssignment(row);
    }
    const std::string file = folder + "profile.xml";
    for (auto _ : state) {
        ProfileExchange::ExportToFile(db, 601, profile, "P", file);
        ProfileImportResult result;
        ProfileExchange::ImportFile(db, file, 601, profile, result);
    }
    db.CloseSettingsDatabase();
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_ProfileExportImport)->Unit(benchmark::kMillisecond);

} // namespace

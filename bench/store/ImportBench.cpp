// Imports into a real store: a macro file with 100 000 events, and a profile file whose buttons
// play 4000 macros (20 events each). Each is one transaction.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "app/files/MacroExchange.h"
#include "app/files/ProfileExchange.h"
#include "app/store/SettingsDatabase.h"

namespace fs = std::filesystem;

namespace {

std::string Folder(const char* name) {
    std::string folder = (fs::temp_directory_path() / "pivane-import-bench" / name).string() + "/";
    std::error_code ec;
    fs::remove_all(folder, ec);
    fs::create_directories(folder + "db");
    return folder;
}

std::string MacroFile(int events) {
    std::string xml = "<macro><macroinfo name=\"Big\" times=\"1\" type=\"1\" looptype=\"0\" "
                      "delaytime=\"0\"/><macroitems>";
    for (int i = 0; i < events; ++i)
        xml += "<item desc=\"A\" type=\"" + std::to_string(1 + i % 2) +
               "\" looptype=\"0\" value=\"4\" delay_time=\"" + std::to_string(i % 90) + "\"/>";
    return xml + "</macroitems></macro>";
}

std::string ProfileFile(int macros, int eventsEach) {
    std::string xml = "<profile><profileinfo name=\"P\"/><keyitems>";
    for (int m = 1; m <= macros; ++m)
        xml += "<item fn_layer=\"0\" key_code=\"" + std::to_string(208 + m % 6) +
               "\" macro_type=\"3\" macro_value=\"" + std::to_string(m) + "\"/>";
    xml += "</keyitems>";
    for (int m = 1; m <= macros; ++m) {
        xml += "<macroinfo name=\"M" + std::to_string(m) + "\" macro_id=\"" + std::to_string(m) +
               "\" times=\"1\" type=\"1\" looptype=\"0\" delaytime=\"0\"><macroitems>";
        for (int i = 0; i < eventsEach; ++i)
            xml += "<item desc=\"B\" type=\"1\" value=\"5\" delay_time=\"3\"/>";
        xml += "</macroitems></macroinfo>";
    }
    return xml + "</profile>";
}

// A fresh store per iteration, so that every run imports into the same state.
template <typename Import>
void RunImports(benchmark::State& state, const char* name, Import import) {
    std::string folder = Folder(name);
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove(folder + "db/" + SettingsDatabase::kDeviceName + "_data_v7.db");
        auto db = std::make_unique<SettingsDatabase>();
        db->OpenSettingsDatabase(folder, SettingsDatabase::kDeviceName);
        int profile = db->AddProfile(ProfileRow{0, "P", "", 0, 0});
        state.ResumeTiming();
        if (import(*db, profile) != ExchangeStatus::Done) state.SkipWithError("import failed");
        state.PauseTiming();
        db.reset();
        state.ResumeTiming();
    }
    std::error_code ec;
    fs::remove_all(folder, ec);
}

void BM_MacroImport100000Events(benchmark::State& state) {
    const std::string text = MacroFile(100000);
    RunImports(state, "macro", [&](SettingsDatabase& db, int) {
        MacroImportResult result;
        return MacroExchange::ImportText(db, text.data(), text.size(), result);
    });
    state.SetItemsProcessed(state.iterations() * 100000);
}
BENCHMARK(BM_MacroImport100000Events)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ProfileImport4000Macros(benchmark::State& state) {
    const std::string text = ProfileFile(4000, 20);
    RunImports(state, "profile", [&](SettingsDatabase& db, int profile) {
        ProfileImportResult result;
        return ProfileExchange::ImportText(db, text.data(), text.size(), 601, profile, result);
    });
    state.SetItemsProcessed(state.iterations() * 4000);
}
BENCHMARK(BM_ProfileImport4000Macros)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

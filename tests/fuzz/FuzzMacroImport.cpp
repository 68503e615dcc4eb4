// Macro import from arbitrary bytes. A file that is not read must leave the store unchanged.
#include "app/files/MacroExchange.h"
#include "tests/fuzz/FuzzStore.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SettingsDatabase& db = FuzzStore::Database();
    std::string before = FuzzStore::Fingerprint();
    MacroImportResult result;
    ExchangeStatus status =
        MacroExchange::ImportText(db, reinterpret_cast<const char*>(data), size, result);
    if (status != ExchangeStatus::Done && FuzzStore::Fingerprint() != before) std::abort();
    if (status == ExchangeStatus::Done && result.macroId <= 0) std::abort();
    return 0;
}

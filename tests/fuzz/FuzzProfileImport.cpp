// Profile import from arbitrary bytes, for a mouse and for a keyboard. A file that is not read
// must leave the store exactly as it was.
#include "app/files/ProfileExchange.h"
#include "tests/fuzz/FuzzStore.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SettingsDatabase& db = FuzzStore::Database();
    for (int deviceType : {601, 100}) {
        std::string before = FuzzStore::Fingerprint();
        ProfileImportResult result;
        ExchangeStatus status = ProfileExchange::ImportText(db, reinterpret_cast<const char*>(data),
                                                            size, deviceType, 1, result);
        if (status == ExchangeStatus::Unreadable && FuzzStore::Fingerprint() != before)
            std::abort();
    }
    return 0;
}

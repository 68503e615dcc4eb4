#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

// What a keyboard of either family makes of the reports it receives. The feature family takes
// 65-byte feature reports with report id 7:
//   07 76 54 32 10 | 07 (07 99 + 6 data bytes) x 8 | 07 FE DC BA   key table (12 keys, 12 values)
//   07 12 34 56 78 | 07 12 34 56 78 K S ...         | 07 12 34 56 78 FE   per-key light table
//   07 FF FF effect brightness speed colour-index direction           lighting
//   07 01 23 45 67, then one 64-byte record per macro or shortcut key   macro download
//   07 EF AA                                                          factory reset
// The prefixed family takes output reports whose payload opens with BB AA 99 88:
//   AA effect brightness speed 00 00 00 direction                     lighting
//   AA AA AA AA AA AA, later BB AA 99 88 and zeros                    factory reset
// An exchange counts only once its closing report arrived; what it carried replaces the
// previous table. Everything the keyboard cannot place is counted, never guessed at.
class EmulatedKeyboardDecoder {
public:
    enum class Family { Feature, Prefixed };

    static constexpr size_t kReportSize = 65;
    static constexpr size_t kRecordSize = 64;
    static constexpr size_t kMaxRecordBytes = 1200; // what the keyboard keeps of a download
    static constexpr int kTableKeys = 12;

    struct Lighting {
        bool set = false;
        int effect = 0; // as sent: the stored mode minus 1
        int brightness = 0;
        int speed = 0;
        int colourIndex = 0; // feature family only: the colour list entry (0 when not flagged)
        int direction = 0;
    };
    struct State {
        std::map<int, int> keyFunctions; // key table: key code -> function value
        int keyTables = 0;               // key table exchanges completed
        std::map<int, bool> keyLights;   // per-key light table: key code -> lit
        int keyLightTables = 0;
        std::map<int, std::vector<uint8_t>> macroRecords; // record byte 2 (key) -> 64 bytes
        int macroDownloads = 0;
        int recordsDropped = 0; // records past the 1200 bytes the keyboard keeps
        Lighting lighting;
        int factoryResets = 0;
        int64_t lastResetPauseMs = -1; // prefixed: time between the two reset reports
        int unknownReports = 0;        // reports that fit no exchange
    };

    explicit EmulatedKeyboardDecoder(Family family) : family_(family) {}

    Family GetFamily() const { return family_; }
    const State& GetState() const { return state_; }
    // Replaces the state (a loaded state file); any half-received exchange is dropped.
    void SetState(const State& state);

    // A feature report, report id in byte 0. Shorter reports read as zero-padded.
    void Feature(const uint8_t* report, size_t length);
    // An output report, report id in byte 0, at nowMs. True when it is the status query 08 FD,
    // which the keyboard answers like the mouse's cable.
    bool Output(const uint8_t* report, size_t length, int64_t nowMs);

private:
    using Report = std::array<uint8_t, kReportSize>;
    enum class Exchange { None, KeyTableOpened, KeyTableFilled, LightTable, MacroRecords };

    static Report Padded(const uint8_t* data, size_t length);
    void DecodeFeature(const Report& r);
    void PrefixedOutput(const Report& r, int64_t nowMs);
    void FinishMacroDownload();
    void Reset();

    Family family_;
    State state_;
    Exchange exchange_ = Exchange::None;
    std::map<int, int> pendingKeys_;
    std::map<int, bool> pendingLights_;
    std::map<int, std::vector<uint8_t>> pendingRecords_;
    size_t pendingRecordBytes_ = 0;
    int pendingDropped_ = 0;
    bool resetOpened_ = false;
    int64_t resetOpenedMs_ = 0;
};

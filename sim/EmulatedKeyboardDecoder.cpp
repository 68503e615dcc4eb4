#include "sim/EmulatedKeyboardDecoder.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint8_t kReportId = 0x07;

bool Starts(const uint8_t* at, std::initializer_list<uint8_t> bytes) {
    return std::equal(bytes.begin(), bytes.end(), at);
}

bool ZeroFrom(const uint8_t* begin, const uint8_t* end) {
    return std::all_of(begin, end, [](uint8_t b) { return b == 0; });
}

} // namespace

EmulatedKeyboardDecoder::Report EmulatedKeyboardDecoder::Padded(const uint8_t* data,
                                                                size_t length) {
    Report report{};
    if (data) std::memcpy(report.data(), data, std::min(length, report.size()));
    return report;
}

void EmulatedKeyboardDecoder::SetState(const State& state) {
    state_ = state;
    exchange_ = Exchange::None;
    pendingKeys_.clear();
    pendingLights_.clear();
    pendingRecords_.clear();
    pendingRecordBytes_ = 0;
    pendingDropped_ = 0;
    resetOpened_ = false;
}

void EmulatedKeyboardDecoder::Reset() {
    state_.keyFunctions.clear();
    state_.keyLights.clear();
    state_.macroRecords.clear();
    state_.lighting = Lighting{};
    ++state_.factoryResets;
}

void EmulatedKeyboardDecoder::Feature(const uint8_t* report, size_t length) {
    if (!report || length == 0) return;
    Report r = Padded(report, length);
    if (family_ != Family::Feature || r[0] != kReportId) {
        ++state_.unknownReports;
        return;
    }
    DecodeFeature(r);
}

void EmulatedKeyboardDecoder::FinishMacroDownload() {
    // The download has no closing report of its own: the key table that follows ends it.
    if (exchange_ != Exchange::MacroRecords) return;
    state_.macroRecords = std::move(pendingRecords_);
    state_.recordsDropped = pendingDropped_;
    ++state_.macroDownloads;
    pendingRecords_.clear();
    pendingRecordBytes_ = 0;
    pendingDropped_ = 0;
    exchange_ = Exchange::None;
}

void EmulatedKeyboardDecoder::DecodeFeature(const Report& r) {
    const uint8_t* p = r.data() + 1; // after the report id
    const bool keyTableOpening = Starts(p, {0x76, 0x54, 0x32, 0x10});
    const bool keyTableClosing = Starts(p, {0xFE, 0xDC, 0xBA});
    const bool lightTable = Starts(p, {0x12, 0x34, 0x56, 0x78});
    const bool lighting = Starts(p, {0xFF, 0xFF});
    const bool macroOpening = Starts(p, {0x01, 0x23, 0x45, 0x67});
    const bool reset = Starts(p, {0xEF, 0xAA});
    bool table = true; // eight groups that each open with 07 99
    for (int group = 0; group < 8 && table; ++group)
        table = p[8 * group] == 0x07 && p[8 * group + 1] == 0x99;

    if (exchange_ == Exchange::MacroRecords && !macroOpening && !keyTableOpening &&
        !keyTableClosing && !lightTable && !lighting && !reset && !table) {
        std::vector<uint8_t> record(p, p + kRecordSize);
        if (pendingRecordBytes_ + kRecordSize > kMaxRecordBytes) {
            ++pendingDropped_;
            return;
        }
        pendingRecordBytes_ += kRecordSize;
        pendingRecords_[record[2]] = std::move(record);
        return;
    }
    FinishMacroDownload();

    if (macroOpening) {
        exchange_ = Exchange::MacroRecords;
        pendingRecords_.clear();
        pendingRecordBytes_ = 0;
        pendingDropped_ = 0;
    } else if (keyTableOpening) {
        exchange_ = Exchange::KeyTableOpened;
        pendingKeys_.clear();
    } else if (table &&
               (exchange_ == Exchange::KeyTableOpened || exchange_ == Exchange::KeyTableFilled)) {
        // 48 data bytes: key codes 0-11, their function values 12-23, zeros.
        std::array<uint8_t, 48> data{};
        for (int group = 0; group < 8; ++group)
            std::memcpy(data.data() + 6 * group, p + 8 * group + 2, 6);
        pendingKeys_.clear();
        for (int i = 0; i < kTableKeys; ++i)
            if (data[i] != 0) pendingKeys_[data[i]] = data[kTableKeys + i];
        exchange_ = Exchange::KeyTableFilled;
    } else if (keyTableClosing && exchange_ == Exchange::KeyTableFilled) {
        state_.keyFunctions = std::move(pendingKeys_);
        pendingKeys_.clear();
        ++state_.keyTables;
        exchange_ = Exchange::None;
    } else if (lightTable) {
        const uint8_t* args = p + 4;
        if (ZeroFrom(args, r.data() + r.size())) { // opening
            exchange_ = Exchange::LightTable;
            pendingLights_.clear();
        } else if (args[0] == 0xFE && ZeroFrom(args + 1, r.data() + r.size())) {
            // Closing. A key 0xFE that is not lit reads the same; the wire cannot tell them apart.
            if (exchange_ == Exchange::LightTable) {
                state_.keyLights = std::move(pendingLights_);
                pendingLights_.clear();
                ++state_.keyLightTables;
            } else {
                ++state_.unknownReports;
            }
            exchange_ = Exchange::None;
        } else if (exchange_ == Exchange::LightTable && args[1] <= 1 &&
                   ZeroFrom(args + 2, r.data() + r.size())) {
            pendingLights_[args[0]] = args[1] == 1;
        } else {
            ++state_.unknownReports;
        }
    } else if (lighting) {
        state_.lighting = {true, p[2], p[3], p[4], p[5], p[6]};
    } else if (reset) {
        exchange_ = Exchange::None;
        Reset();
    } else {
        // A table or closing out of turn ends the exchange it would have belonged to.
        exchange_ = Exchange::None;
        ++state_.unknownReports;
    }
}

bool EmulatedKeyboardDecoder::Output(const uint8_t* report, size_t length, int64_t nowMs) {
    if (!report || length == 0) return false;
    Report r = Padded(report, length);
    const uint8_t* p = r.data() + 1;
    if (r[0] == 0 && p[0] == 0x08 && p[1] == 0xFD) return true;
    if (family_ == Family::Prefixed && r[0] == 0 && Starts(p, {0xBB, 0xAA, 0x99, 0x88})) {
        PrefixedOutput(r, nowMs);
        return false;
    }
    ++state_.unknownReports;
    return false;
}

void EmulatedKeyboardDecoder::PrefixedOutput(const Report& r, int64_t nowMs) {
    const uint8_t* p = r.data() + 1;
    const uint8_t* end = r.data() + r.size();
    if (Starts(p + 4, {0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA}) && ZeroFrom(p + 10, end)) {
        resetOpened_ = true;
        resetOpenedMs_ = nowMs;
    } else if (ZeroFrom(p + 4, end)) {
        if (!resetOpened_) {
            ++state_.unknownReports; // the second half alone resets nothing
            return;
        }
        resetOpened_ = false;
        Reset();
        state_.lastResetPauseMs = nowMs - resetOpenedMs_;
    } else if (p[4] == 0xAA && ZeroFrom(p + 8, p + 11) && ZeroFrom(p + 12, end)) {
        // AA effect brightness speed 00 00 00 direction.
        state_.lighting = {true, p[5], p[6], p[7], 0, p[11]};
    } else {
        ++state_.unknownReports;
    }
}

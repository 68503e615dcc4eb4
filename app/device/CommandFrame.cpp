#include "app/device/CommandFrame.h"

#include <algorithm>

namespace {

// Copies as many argument bytes as fit from payload offset `at`.
void PutArgs(CommandFrame::Report& report, size_t at, std::span<const uint8_t> args) {
    size_t reportAt = at + 1;
    for (uint8_t b : args) {
        if (reportAt >= report.size()) break;
        report[reportAt++] = b;
    }
}

CommandFrame::Payload PrefixedPayload(std::span<const uint8_t> bytes) {
    CommandFrame::Payload payload{};
    std::copy(CommandFrame::kReceiverPrefix.begin(), CommandFrame::kReceiverPrefix.end(),
              payload.begin());
    size_t at = CommandFrame::kReceiverPrefix.size();
    for (uint8_t b : bytes) {
        if (at >= payload.size()) break;
        payload[at++] = b;
    }
    return payload;
}

} // namespace

CommandFrame::Report CommandFrame::Mouse(int mode, uint8_t code, std::span<const uint8_t> args) {
    Report report{}; // report id 0
    if (mode == kModeWired) {
        report[1] = kWiredMarker; // payload 0: marker
        report[2] = code;         // payload 1: command code
        PutArgs(report, 2, args); // payload 2..: arguments
    } else if (IsWirelessMode(mode)) {
        std::copy(kReceiverPrefix.begin(), kReceiverPrefix.end(), report.begin() + 1); // 0-3
        report[5] = kWirelessMarker;                                                   // payload 4
        report[6] = code;                                                              // payload 5
        PutArgs(report, 6, args); // payload 6..: arguments, four bytes later than wired
    }
    return report;
}

CommandFrame::Report CommandFrame::Mouse(int mode, uint8_t code,
                                         std::initializer_list<uint8_t> args) {
    return Mouse(mode, code, std::span<const uint8_t>(args.begin(), args.size()));
}

CommandFrame::Report CommandFrame::Handshake(int mode) {
    // Mode 1 is a main-window alias only; device entries carry 0 or 2, and anything else is
    // greeted with an empty report.
    if (mode == kModeWired || mode == kModeWireless) return Mouse(mode, kHandshake);
    return Report{};
}

CommandFrame::Report CommandFrame::Magic(uint8_t value) {
    Report report{};
    report[1] = kSetDebounceTime; // payload 0: command
    std::copy(kStatusSignature.begin(), kStatusSignature.end(), report.begin() + 2); // 1-4
    report[6] = 0x03;                                                                // payload 5
    report[7] = value;                                                               // payload 6
    return report;
}

CommandFrame::Report CommandFrame::KeyboardFeature(std::span<const uint8_t> bytes) {
    Report report{};
    report[0] = kKeyboardFeatureReportId;
    size_t at = 1;
    for (uint8_t b : bytes) {
        if (at >= report.size()) break;
        report[at++] = b;
    }
    return report;
}

CommandFrame::Report CommandFrame::KeyboardFeature(std::initializer_list<uint8_t> bytes) {
    return KeyboardFeature(std::span<const uint8_t>(bytes.begin(), bytes.size()));
}

CommandFrame::Report CommandFrame::KeyboardSettings(uint8_t subCommand,
                                                    std::initializer_list<uint8_t> args) {
    Report report = KeyboardFeature(kKeyboardSettingsSignature);
    report[4] = subCommand;
    size_t at = 5;
    for (uint8_t b : args) {
        if (at >= report.size()) break;
        report[at++] = b;
    }
    return report;
}

CommandFrame::Report CommandFrame::KeyboardLighting(uint8_t effect, uint8_t brightness,
                                                    uint8_t speed, uint8_t colourIndex,
                                                    uint8_t direction) {
    Report report = KeyboardFeature(kKeyboardLightingSignature);
    report[3] = effect;
    report[4] = brightness;
    report[5] = speed;
    report[6] = colourIndex;
    report[7] = direction;
    return report;
}

CommandFrame::Payload CommandFrame::PrefixedKeyboard(std::span<const uint8_t> bytes) {
    return PrefixedPayload(bytes);
}

CommandFrame::Payload CommandFrame::PrefixedKeyboard(std::initializer_list<uint8_t> bytes) {
    return PrefixedPayload(std::span<const uint8_t>(bytes.begin(), bytes.size()));
}

CommandFrame::Payload CommandFrame::PrefixedKeyboardLighting(int storedEffect, uint8_t brightness,
                                                             uint8_t speed, uint8_t direction) {
    return PrefixedKeyboard({kPrefixedKeyboardLighting, static_cast<uint8_t>(storedEffect - 1),
                             brightness, speed, 0, 0, 0, direction});
}

CommandFrame::Payload CommandFrame::PrefixedKeyboardResetFirst() {
    return PrefixedKeyboard({0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA});
}

CommandFrame::Payload CommandFrame::PrefixedKeyboardResetSecond() {
    return PrefixedKeyboard({});
}

CommandFrame::Payload CommandFrame::PayloadOf(const Report& report) {
    Payload payload{};
    std::copy(report.begin() + 1, report.end(), payload.begin());
    return payload;
}

bool CommandFrame::HasStatusSignature(const uint8_t* data, size_t size) {
    if (!data || size < kStatusSignature.size()) return false;
    return std::equal(kStatusSignature.begin(), kStatusSignature.end(), data);
}

CommandFrame::Status CommandFrame::ParseStatus(const uint8_t* data, size_t size) {
    Status status;
    if (!data) return status;
    status.signature = HasStatusSignature(data, size);
    if (size > 5 && data[5] <= 100) status.battery = data[5];
    if (size > 6) status.linkState = data[6];
    return status;
}

CommandFrame::Payload CommandFrame::StatusReply(uint8_t battery, uint8_t linkState) {
    Payload reply{};
    std::copy(kStatusSignature.begin(), kStatusSignature.end(), reply.begin());
    reply[5] = battery;
    reply[6] = linkState;
    return reply;
}

CommandFrame::Payload CommandFrame::ButtonReport(uint8_t profile, uint8_t keyCode) {
    Payload report{};
    std::copy(kButtonSignature.begin(), kButtonSignature.end(), report.begin());
    report[4] = profile;
    report[5] = keyCode;
    return report;
}

int CommandFrame::ButtonReportKey(const uint8_t* data, size_t size) {
    if (!data || size < 6) return 0;
    if (!std::equal(kButtonSignature.begin(), kButtonSignature.end(), data)) return 0;
    return data[5];
}

int CommandFrame::ModeForLinkState(int linkState) {
    if (linkState == kLinkCable) return kModeWired;
    if (linkState == kLinkReceiver) return kModeWireless;
    return kModeNone;
}

std::string CommandFrame::ToHex(const uint8_t* data, size_t size) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    if (!data) return out;
    out.reserve(size * 2);
    for (size_t i = 0; i < size; ++i) {
        out += digits[data[i] >> 4];
        out += digits[data[i] & 0x0F];
    }
    return out;
}

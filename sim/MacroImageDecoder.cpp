#include "sim/MacroImageDecoder.h"

#include <algorithm>

MacroImageDecoder::Sequence MacroImageDecoder::Decode(const std::vector<uint8_t>& image) {
    Sequence seq;
    if (image.size() < 4) return seq;
    seq.profile = image[0] & 0x0F;
    seq.loopType = image[0] & 0xF0;
    seq.keyCode = image[1];
    seq.playTimes = image[2];
    seq.eventCount = image[3];
    size_t received = std::min(image.size(), kReceivedBytes);
    size_t count = std::min<size_t>(seq.eventCount, (received - 4) / 2);
    for (size_t i = 0; i < count; ++i) {
        uint8_t eventByte = image[5 + 2 * i];
        seq.events.push_back({image[4 + 2 * i], (eventByte & 0x80) != 0, DelayOf(eventByte)});
    }
    return seq;
}

int MacroImageDecoder::DelayOf(uint8_t eventByte) {
    static constexpr int kUnitMs[4] = {10, 50, 100, 1000};
    return (eventByte & 0x1F) * kUnitMs[(eventByte >> 5) & 3];
}

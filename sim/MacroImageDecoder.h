#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Reads a key sequence image, as the emulated mouse reassembled it from the chunks 0xF0-0xF5,
// back into what the mouse plays: the key events with the delay after each.
class MacroImageDecoder {
public:
    // The part of the image the mouse receives.
    static constexpr size_t kReceivedBytes = 6 * 23;

    struct Event {
        uint8_t usage = 0;
        bool release = false;
        int delayMs = 0; // the delay the mouse waits after the event
    };

    struct Sequence {
        int profile = 0;           // low four bits of byte 0
        int loopType = 0;          // high four bits of byte 0 (0, 16 or 32)
        int keyCode = 0;           // byte 1
        int playTimes = 0;         // byte 2
        int eventCount = 0;        // byte 3 as sent
        std::vector<Event> events; // at most as many as the received bytes hold
    };

    // Decodes the image; a short image yields what its bytes hold.
    static Sequence Decode(const std::vector<uint8_t>& image);
    // The delay of an event byte: bits 4-0 units of 10, 50, 100 or 1000 ms by bits 6-5.
    static int DelayOf(uint8_t eventByte);
};

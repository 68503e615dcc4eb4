#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// The 512-byte key sequence image that a button receives when it plays a macro or a shortcut.
// Only the first 138 bytes reach the mouse, as six chunks of 23 bytes (commands 0xF0-0xF5).
//
//   offset 0   profile number (OR-ed with the macro's loop type)
//   offset 1   key code of the button
//   offset 2   play count (1 for a shortcut)
//   offset 3   number of events
//   offset 4.. events, two bytes each: HID keyboard usage, event byte
//
// Event byte: bit 7 = release; bits 6-5 = unit of the delay after the event (00: 10 ms,
// 01: 50 ms, 10: 100 ms, 11: 1000 ms); bits 4-0 = number of units (1-31).
class MacroSequenceImage {
public:
    static constexpr size_t kSize = 512;
    static constexpr size_t kChunkCount = 6;
    static constexpr size_t kChunkBytes = 23;
    static constexpr size_t kSentBytes = kChunkCount * kChunkBytes;           // 138
    static constexpr int kMaxEvents = static_cast<int>((kSentBytes - 4) / 2); // 67
    static constexpr int kShortcutCount = 15;
    // Byte 0 keeps the loop type in bits 4-5 (16, 32), so only profiles 1-15 can be told apart
    // there; a higher number would play in another profile's slot.
    static constexpr int kMaxProfile = 15;

    MacroSequenceImage(int profile, int keyCode);

    // Offset 0: the profile number OR-ed with the macro's loop type.
    void SetPlayback(int profile, int loopType, int playTimes);
    // Appends one event; false (and nothing changes) once 67 events are held.
    bool AppendEvent(uint8_t usage, bool release, int delayMs);
    // Fills the events of shortcut 1-15; false for any other number (the image keeps no events).
    bool SetShortcut(int number);

    int EventCount() const { return bytes_[3]; }
    const uint8_t* Bytes() const { return bytes_.data(); }
    // The 23 bytes of chunk k (0-5), which travel with command 0xF0 + k.
    const uint8_t* Chunk(size_t k) const { return bytes_.data() + k * kChunkBytes; }

    // The event byte for a key event followed by a delay in milliseconds.
    static uint8_t EncodeEvent(bool release, int delayMs);

private:
    std::array<uint8_t, kSize> bytes_{};
};

// What reaches the emulated keyboard of either family, and its state file read back, must never
// crash nor read out of bounds. Input: byte 0 picks family and path, the rest is a stream of
// reports (65 bytes each, the last one short) or the state file's text.
#include "sim/EmulatedKeyboard.h"
#include "sim/EmulatedKeyboardStateFile.h"
#include "sim/VirtualClock.h"

#include <algorithm>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint8_t selector = data[0];
    const auto family =
        selector & 1 ? EmulatedKeyboard::Family::Prefixed : EmulatedKeyboard::Family::Feature;
    ++data;
    --size;
    if (selector & 2) {
        std::string text(reinterpret_cast<const char*>(data), size);
        EmulatedKeyboardStateFile::Contents contents;
        if (EmulatedKeyboardStateFile::Parse(text, family, contents)) {
            // What was read writes back and reads again as the same.
            EmulatedKeyboardStateFile::Contents again;
            if (!EmulatedKeyboardStateFile::Parse(EmulatedKeyboardStateFile::Format(contents),
                                                  family, again) ||
                again.state.keyFunctions != contents.state.keyFunctions ||
                again.log.size() != contents.log.size())
                __builtin_trap();
        }
        return 0;
    }
    VirtualClock clock;
    EmulatedKeyboard keyboard(family, &clock);
    HidBackend::Handle handle = keyboard.Open(keyboard.CommandPath());
    for (size_t at = 0; at < size; at += 65) {
        const size_t length = std::min<size_t>(65, size - at);
        if (selector & 4)
            keyboard.SendFeatureReport(handle, data + at, length);
        else
            keyboard.Write(handle, data + at, length);
        uint8_t reply[65];
        while (keyboard.ReadTimeout(handle, reply, sizeof reply, 0) > 0) {
        }
    }
    const auto state = keyboard.GetState();
    if (state.keyFunctions.size() > 12 || state.macroRecords.size() > 18) __builtin_trap();
    return 0;
}

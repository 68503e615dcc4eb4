#pragma once

#include <string>

class EmulatedKeyboard;
class JsonWriter;

// The emulated keyboard's part of sim-dump: its decoded state and the reports it received.
class KeyboardDump {
public:
    // Adds a "keyboard" member to the open JSON object and the same facts as lines to text.
    static void Write(const EmulatedKeyboard& keyboard, JsonWriter& json, std::string& text);
};

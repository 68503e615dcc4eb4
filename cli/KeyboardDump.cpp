#include "cli/KeyboardDump.h"

#include "app/device/CommandFrame.h"
#include "cli/JsonWriter.h"
#include "sim/EmulatedKeyboard.h"

#include <cstdio>

namespace {

std::string Format(const char* format, auto... args) {
    char text[512];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

} // namespace

void KeyboardDump::Write(const EmulatedKeyboard& keyboard, JsonWriter& json, std::string& text) {
    const EmulatedKeyboard::State state = keyboard.GetState();
    const auto log = keyboard.Log();
    const EmulatedKeyboard::Fixture fixture = keyboard.GetFixture();
    json.Key("keyboard")
        .BeginObject()
        .Field("name", keyboard.Name())
        .Field("device_type", keyboard.DeviceType())
        .Field("family", EmulatedKeyboard::FamilyName(keyboard.GetFamily()))
        .Field("plugged", fixture.plugged)
        .Field("key_tables", state.keyTables)
        .Field("key_light_tables", state.keyLightTables)
        .Field("macro_downloads", state.macroDownloads)
        .Field("records_dropped", state.recordsDropped)
        .Field("factory_resets", state.factoryResets)
        .Field("reset_pause_ms", state.lastResetPauseMs)
        .Field("unknown_reports", state.unknownReports);
    text += Format("keyboard %s (type %d, %s family), %s\n", keyboard.Name(), keyboard.DeviceType(),
                   EmulatedKeyboard::FamilyName(keyboard.GetFamily()),
                   fixture.plugged ? "plugged" : "unplugged");
    text += Format("  key tables %d, per-key light tables %d, macro downloads %d (%d records "
                   "dropped), factory resets %d, unknown reports %d\n",
                   state.keyTables, state.keyLightTables, state.macroDownloads,
                   state.recordsDropped, state.factoryResets, state.unknownReports);
    if (state.lighting.set) {
        const auto& l = state.lighting;
        json.Key("lighting")
            .BeginObject()
            .Field("mode", l.effect)
            .Field("brightness", l.brightness)
            .Field("speed", l.speed)
            .Field("color_index", l.colourIndex)
            .Field("direction", l.direction)
            .EndObject();
        text += Format("  lighting effect %d, brightness %d, speed %d, colour index %d, "
                       "direction %d\n",
                       l.effect, l.brightness, l.speed, l.colourIndex, l.direction);
    } else {
        json.Key("lighting").Null();
    }
    json.Key("keys").BeginArray();
    for (const auto& [key, value] : state.keyFunctions) {
        json.BeginObject().Field("key_code", key).Field("macro_value", value).EndObject();
        text += Format("  key %d: function %d\n", key, value);
    }
    json.EndArray().Key("key_lights").BeginArray();
    for (const auto& [key, lit] : state.keyLights) {
        json.BeginObject().Field("key_code", key).Field("lit", lit).EndObject();
        text += Format("  key light %d: %s\n", key, lit ? "on" : "off");
    }
    json.EndArray().Key("macro_records").BeginArray();
    for (const auto& [key, record] : state.macroRecords) {
        std::string hex = CommandFrame::ToHex(record.data(), record.size());
        json.BeginObject().Field("key_code", key).Field("hex", hex).EndObject();
        text += Format("  macro record for key %d: ", key) + hex + "\n";
    }
    // What the key-remapping driver on the keyboard was told to intercept, table by table.
    json.EndArray().Key("remap_tables").BeginArray();
    for (const auto& table : keyboard.RemapTables()) {
        json.BeginArray();
        std::string keys;
        for (int key : table) {
            json.Int(key);
            keys += Format(" %d", key);
        }
        json.EndArray();
        text += "  remap table:" + (keys.empty() ? std::string(" (empty)") : keys) + "\n";
    }
    json.EndArray().Key("reports").BeginArray();
    text += Format("  %zu reports received\n", log.size());
    for (const auto& r : log) {
        std::string hex = CommandFrame::ToHex(r.bytes.data(), r.bytes.size());
        json.BeginObject()
            .Field("time_ms", r.timeMs)
            .Field("feature", r.feature)
            .Field("hex", hex)
            .EndObject();
        text += Format("%10lld ms keyboard %s ", static_cast<long long>(r.timeMs),
                       r.feature ? "feature" : "output ") +
                hex + "\n";
    }
    json.EndArray().EndObject();
}

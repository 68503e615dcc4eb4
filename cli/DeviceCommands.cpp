// pivanectl list, status and sim-dump: what the device link sees, and the emulated mouse's view.
#include "app/device/CommandFrame.h"
#include "app/device/HidDeviceManager.h"
#include "cli/CliContext.h"
#include "cli/CommandRegistry.h"
#include "cli/JsonWriter.h"
#include "cli/KeyboardDump.h"
#include "cli/TerminalText.h"
#include "sim/EmulatedKeyboard.h"
#include "sim/EmulatedMouse.h"
#include "sim/MacroImageDecoder.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// Scripts look for this wording.
const char* const kNoMouse = "no supported mouse found\n";

std::string Format(const char* format, auto... args) {
    char text[512];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

const char* ModeName(int mode) {
    if (mode == CommandFrame::kModeWired) return "cable";
    if (CommandFrame::IsWirelessMode(mode)) return "receiver";
    return "none";
}

// The firmware version as the program shows it: the release number's hex digits read as decimal.
std::string FirmwareText(int release) {
    return Format("%x", static_cast<unsigned>(release));
}

int List(CliContext& context, const std::vector<std::string>& args) {
    if (!args.empty()) return context.Usage("list takes no arguments");
    HidDeviceManager& manager = context.Devices();
    int addressed = manager.CurrentIndex();
    JsonWriter json;
    json.BeginObject().Key("devices").BeginArray();
    bool anyOnline = false;
    for (const auto& m : context.DeviceModes()) {
        int index = manager.FindOnline(m.vendorId, m.productId, m.name, m.mode);
        DeviceEntry entry;
        bool online = index >= 0 && manager.EntryAt(index, entry);
        anyOnline = anyOnline || online;
        int release = online ? entry.releaseNumber : 0;
        bool isAddressed = online && index == addressed;
        json.BeginObject()
            .Field("name", m.name)
            .Field("device_type", m.deviceType)
            .Field("mode", m.mode)
            .Field("desc", m.desc)
            .Field("online", online);
        if (online) {
            json.Field("release_number", release).Field("firmware_version", FirmwareText(release));
        } else {
            json.Key("release_number").Null();
        }
        json.Field("addressed", isAddressed).EndObject();
        std::string line =
            Format("%-20s type %d  mode %d (%-8s) %-8s", TerminalText::Printable(m.name).c_str(),
                   m.deviceType, m.mode, ModeName(m.mode), online ? "online" : "offline");
        if (online)
            line += Format("  firmware %s (release 0x%04X)", FirmwareText(release).c_str(),
                           static_cast<unsigned>(release));
        if (isAddressed) line += "  <- commands go here";
        context.Say(line + "\n");
    }
    json.EndArray().Field("connected_mode", manager.ConnectedMode()).EndObject();
    if (context.json)
        context.PrintJson(json.Text());
    else if (!anyOnline)
        context.Say(kNoMouse);
    return CliContext::kOk;
}

int Status(CliContext& context, const std::vector<std::string>& args) {
    if (!args.empty()) return context.Usage("status takes no arguments");
    HidDeviceManager& manager = context.Devices();
    int mode = manager.ConnectedMode();
    JsonWriter json;
    json.BeginObject();
    if (mode == CommandFrame::kModeNone) {
        json.Field("online", false).Field("mode", -1).Key("battery").Null().EndObject();
        if (context.json)
            context.PrintJson(json.Text());
        else
            context.Say(kNoMouse);
        return CliContext::kOk;
    }
    CommandFrame::Payload reply =
        CommandFrame::PayloadOf(CommandFrame::Mouse(mode, CommandFrame::kQueryStatus));
    bool answered = manager.QueryCommand(reply.data());
    CommandFrame::Status status = CommandFrame::ParseStatus(reply.data(), reply.size());
    if (!answered || !status.signature) {
        json.Field("online", false).Field("mode", mode).Key("battery").Null().EndObject();
        if (context.json) context.PrintJson(json.Text());
        return context.Fail(answered ? "the mouse's status reply was not understood"
                                     : "the mouse did not answer the status query");
    }
    // The link state of the reply is the truth; the entry's mode is what the handshake saw.
    int linkMode = CommandFrame::ModeForLinkState(status.linkState);
    bool online = linkMode != CommandFrame::kModeNone;
    int shownMode = online ? linkMode : mode;
    json.Field("online", online).Field("mode", shownMode).Field("link_state", status.linkState);
    if (status.battery >= 0)
        json.Field("battery", status.battery);
    else
        json.Key("battery").Null();
    int32_t release = 0;
    bool hasRelease = manager.ReleaseNumber(release, manager.CurrentIndex());
    if (hasRelease)
        json.Field("release_number", static_cast<int>(release))
            .Field("firmware_version", FirmwareText(release));
    else
        json.Key("firmware_version").Null();
    json.EndObject();
    if (context.json) {
        context.PrintJson(json.Text());
    } else {
        std::string text = Format("online: %s\nconnection: %s\n", online ? "yes" : "no",
                                  online ? ModeName(shownMode) : "none");
        text += status.battery >= 0 ? Format("battery: %d%%\n", status.battery)
                                    : std::string("battery: unknown\n");
        if (hasRelease) text += "firmware: " + FirmwareText(release) + "\n";
        context.Say(text);
    }
    return CliContext::kOk;
}

// The mouse keeps colours as 0x00BBGGRR; people read and type them as RRGGBB.
std::string ColourText(uint32_t colour) {
    return Format("%02X%02X%02X", colour & 0xFFu, (colour >> 8) & 0xFFu, (colour >> 16) & 0xFFu);
}

int SimDump(CliContext& context, const std::vector<std::string>& args) {
    if (!args.empty()) return context.Usage("sim-dump takes no arguments");
    EmulatedMouse* mouse = context.SimulatedMouse();
    EmulatedKeyboard* keyboard = context.SimulatedKeyboard();
    if (!mouse && !keyboard)
        return context.Usage("sim-dump needs --simulated-mouse or --simulated-keyboard");
    if (!mouse) {
        JsonWriter json;
        std::string text;
        json.BeginObject();
        KeyboardDump::Write(*keyboard, json, text);
        json.EndObject();
        if (context.json)
            context.PrintJson(json.Text());
        else
            context.Say(text);
        return CliContext::kOk;
    }
    EmulatedMouse::State state = mouse->GetState();
    EmulatedMouse::Fixture fixture = mouse->GetFixture();
    std::vector<EmulatedMouse::LoggedReport> log = mouse->Log();

    JsonWriter json;
    json.BeginObject()
        .Field("cable_plugged", fixture.cablePlugged)
        .Field("receiver_plugged", fixture.receiverPlugged)
        .Field("receiver_linked", fixture.receiverLinked)
        .Field("battery", fixture.battery)
        .Field("active_profile", state.activeProfile)
        .Field("wakeup_method", state.wakeUpMethod)
        .Field("factory_resets", state.factoryResets);
    if (state.liveFrameSet)
        json.Field("live_frame",
                   CommandFrame::ToHex(state.liveFrame.data(), state.liveFrame.size()));
    else
        json.Key("live_frame").Null();
    std::string text = Format("cable %s, receiver %s (%s), battery %d%%\n",
                              fixture.cablePlugged ? "plugged" : "unplugged",
                              fixture.receiverPlugged ? "plugged" : "unplugged",
                              fixture.receiverLinked ? "linked" : "not linked", fixture.battery);
    text += Format("active profile %d, wake-up method %d, factory resets %d\n", state.activeProfile,
                   state.wakeUpMethod, state.factoryResets);
    if (state.liveFrameSet)
        text += "live frame " +
                CommandFrame::ToHex(state.liveFrame.data(), state.liveFrame.size()) + "\n";

    json.Key("profiles").BeginArray();
    for (const auto& [id, p] : state.profiles) {
        json.BeginObject()
            .Field("profile", id)
            .Field("report_rate", p.reportRate)
            .Field("dpi_index", p.dpiIndex)
            .Field("debounce", p.debounce);
        text += Format("profile %d: report rate %d, dpi level %d, debounce %d\n", id, p.reportRate,
                       p.dpiIndex, p.debounce);
        json.Key("dpi_levels").BeginArray();
        for (const auto& [level, d] : p.dpiLevels) {
            json.BeginObject()
                .Field("level", level)
                .Field("color_index", d.colourIndex)
                .Field("step", d.step)
                .Field("dpi", d.dpi)
                .Field("color", ColourText(d.colour))
                .EndObject();
            text += Format("  dpi level %d: %d dpi (step %d), colour index %d, colour %s\n", level,
                           d.dpi, d.step, d.colourIndex, ColourText(d.colour).c_str());
        }
        json.EndArray().Key("keys").BeginArray();
        for (const auto& [key, value] : p.keyFunctions) {
            json.BeginObject().Field("key_code", key).Field("macro_value", value).EndObject();
            text += Format("  key %d: function %d\n", key, value);
        }
        json.EndArray().Key("macros").BeginArray();
        for (const auto& [key, image] : p.macroImages) {
            // Only the part the mouse received is worth showing.
            size_t used = std::min<size_t>(image.size(), 6 * EmulatedMouse::kMacroChunkSize);
            std::string hex = CommandFrame::ToHex(image.data(), used);
            json.BeginObject().Field("key_code", key).Field("hex", hex);
            text += Format("  macro on key %d: ", key) + hex + "\n";
            // What the mouse will play: usages, directions and delays.
            auto played = MacroImageDecoder::Decode(image);
            json.Field("loop_type", played.loopType)
                .Field("play_times", played.playTimes)
                .Key("events")
                .BeginArray();
            text +=
                Format("    plays %d time(s), loop type %d:", played.playTimes, played.loopType);
            for (const auto& e : played.events) {
                json.BeginObject()
                    .Field("usage", static_cast<int>(e.usage))
                    .Field("release", e.release)
                    .Field("delay_time", e.delayMs)
                    .EndObject();
                text += Format(" %02X%s %d ms", e.usage, e.release ? "^" : "v", e.delayMs);
            }
            json.EndArray().EndObject();
            text += "\n";
        }
        json.EndArray();
        if (p.lighting.set) {
            const auto& l = p.lighting;
            json.Key("lighting")
                .BeginObject()
                .Field("mode", l.effect)
                .Field("brightness", l.brightness)
                .Field("speed", l.speed)
                .Field("colorful", l.colorful)
                .Field("direction", l.direction)
                .Field("color", ColourText(l.colour))
                .EndObject();
            text += Format("  lighting effect %d, brightness %d, speed %d, colorful %d, "
                           "direction %d, colour %s\n",
                           l.effect, l.brightness, l.speed, l.colorful, l.direction,
                           ColourText(l.colour).c_str());
        } else {
            json.Key("lighting").Null();
        }
        json.EndObject();
    }
    json.EndArray().Key("reports").BeginArray();
    text += Format("%zu reports received\n", log.size());
    for (const auto& r : log) {
        std::string hex = CommandFrame::ToHex(r.bytes.data(), r.bytes.size());
        json.BeginObject()
            .Field("time_ms", r.timeMs)
            .Field("link", EmulatedMouse::LinkName(r.link))
            .Field("feature", r.feature)
            .Field("hex", hex)
            .EndObject();
        text += Format("%10lld ms %-8s %s ", static_cast<long long>(r.timeMs),
                       EmulatedMouse::LinkName(r.link), r.feature ? "feature" : "output") +
                hex + "\n";
    }
    json.EndArray();
    if (keyboard) KeyboardDump::Write(*keyboard, json, text);
    json.EndObject();
    if (context.json)
        context.PrintJson(json.Text());
    else
        context.Say(text);
    return CliContext::kOk;
}

const CommandRegistry::Entry listEntry("list", "",
                                       "configured device modes: online, connection mode, "
                                       "firmware version",
                                       true, List);
const CommandRegistry::Entry statusEntry("status", "", "online, connection mode, battery", true,
                                         Status);
const CommandRegistry::Entry simDumpEntry("sim-dump", "",
                                          "the emulated mouse's and keyboard's decoded state "
                                          "and their logs of received reports (hex)",
                                          false, SimDump);

} // namespace

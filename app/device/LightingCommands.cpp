#include "app/device/LightingCommands.h"

#include "app/device/CommandFrame.h"
#include "app/device/HidDeviceManager.h"
#include "app/device/LightPictureSource.h"
#include "app/platform/Clock.h"
#include "app/platform/ScreenSampler.h"
#include "app/store/SettingsDatabase.h"

#include <span>

namespace {

uint8_t Byte(int value) {
    return static_cast<uint8_t>(value & 0xFF);
}

// A visualizer value (red in bits 16-23) in the widget's 0x00BBGGRR order.
uint32_t FromPictureValue(uint32_t value) {
    return ((value >> 16) & 0xFF) | (value & 0xFF00) | ((value & 0xFF) << 16);
}

} // namespace

LightingCommands::LightingCommands(HidDeviceManager& manager, SettingsDatabase& store,
                                   ScreenSampler* sampler)
    : manager_(manager), store_(store), sampler_(sampler) {
    if (sampler_) {
        screenWidth_ = sampler_->Width();
        screenHeight_ = sampler_->Height();
    }
}

bool LightingCommands::SetLighting(int mode, int profile, int effectMode) {
    if (!CommandFrame::HasFrame(mode)) return false;
    LightRow row;
    if (!store_.GetLightRow(profile, effectMode, row)) return false;
    // Args: effect (stored mode - 1), brightness, speed, colorful, direction, red, green, blue.
    auto report =
        CommandFrame::Mouse(mode, CommandFrame::kSetLighting,
                            {Byte(row.mode - 1), Byte(row.brightness), Byte(row.speed),
                             Byte(row.colorful), Byte(row.direction), Byte(row.colorValue),
                             Byte(row.colorValue >> 8), Byte(row.colorValue >> 16)});
    return manager_.WriteReport(report.data(), false);
}

std::array<std::array<int, 2>, LightingCommands::kLightCount>
LightingCommands::SamplePoints(int w, int h) {
    return {{{w / 2, h / 5},
             {w / 3, 2 * h / 5},
             {2 * w / 3, 2 * h / 5},
             {w / 3, 3 * h / 5},
             {2 * w / 3, 3 * h / 5},
             {w / 3, 4 * h / 5},
             {2 * w / 3, 4 * h / 5}}};
}

bool LightingCommands::SendScreenFrame(int mode, Colours& colours) {
    if (mode != CommandFrame::kModeWired || !sampler_) return false;
    int64_t now = manager_.GetClock().NowMs();
    if (framed_ && now - lastScreenFrameMs_ < kScreenFrameIntervalMs) return false;
    framed_ = true;
    lastScreenFrameMs_ = now;
    if (screenWidth_ <= 0 || screenHeight_ <= 0) return false;
    auto points = SamplePoints(screenWidth_, screenHeight_);
    for (int i = 0; i < kLightCount; ++i) {
        uint32_t colour = 0;
        // An unreadable pixel shows as dark rather than as garbage.
        if (!sampler_->Pixel(points[i][0], points[i][1], colour)) colour = 0;
        colours[i] = colour & 0xFFFFFF;
    }
    SendFrame(colours);
    return true;
}

bool LightingCommands::SendMusicFrame(int mode, const LightPictureSource& picture,
                                      Colours& colours) {
    if (mode != CommandFrame::kModeWired) return false;
    static constexpr int kColumn = 85;
    static constexpr int kRows[kLightCount] = {27, 37, 37, 47, 47, 57, 57};
    for (int i = 0; i < kLightCount; ++i) {
        uint32_t value = 0;
        if (!picture.ValueAt(kColumn, kRows[i], value)) return false;
        colours[i] = FromPictureValue(value);
    }
    SendFrame(colours);
    return true;
}

bool LightingCommands::SendFrame(const Colours& colours) {
    // Args: effect 11, then seven lights of red, green, blue.
    std::array<uint8_t, 1 + 3 * kLightCount> args{};
    args[0] = CommandFrame::kLiveFrameEffect;
    for (int i = 0; i < kLightCount; ++i) {
        args[1 + 3 * i] = Byte(static_cast<int>(colours[i]));
        args[2 + 3 * i] = Byte(static_cast<int>(colours[i] >> 8));
        args[3 + 3 * i] = Byte(static_cast<int>(colours[i] >> 16));
    }
    auto report = CommandFrame::Mouse(CommandFrame::kModeWired, CommandFrame::kSetLighting,
                                      std::span<const uint8_t>(args));
    return manager_.WriteReport(report.data(), false);
}

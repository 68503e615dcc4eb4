#pragma once

#include <array>
#include <cstdint>

class Clock;
class HidDeviceManager;
class LightPictureSource;
class ScreenSampler;
class SettingsDatabase;

// The mouse's lighting: the stored effect of a profile (SetLighting) and the live frames of the
// screen-colour and music effects (SendLightFrame, effect 11 with seven colours, light 0 first).
// Nothing is retried and nothing is read back.
class LightingCommands {
public:
    static constexpr int kLightCount = 7;
    static constexpr int kScreenFrameIntervalMs = 100;
    using Colours = std::array<uint32_t, kLightCount>; // 0x00BBGGRR, as the light widget takes

    // The screen size is taken from the sampler now, as it is when the main window is created.
    // The sampler may be null (no screen effect); it is not owned.
    LightingCommands(HidDeviceManager& manager, SettingsDatabase& store,
                     ScreenSampler* sampler = nullptr);

    // The (profile, effect mode) light row as 08 FC effect brightness speed colorful direction
    // R G B (effect = stored mode - 1), without a reply. False when there is no such row, no
    // frame for the connection mode, or the write failed.
    bool SetLighting(int mode, int profile, int effectMode);

    // One screen-colour frame: at most one per 100 ms (false and nothing read when called
    // sooner), only on the cable (mode 0), only for a positive screen size. Samples the seven
    // points and sends 08 FC 0B + 7 x (R G B). colours receives what was sampled; the result
    // says whether a frame was produced (its write may still have failed).
    bool SendScreenFrame(int mode, Colours& colours);
    // One music frame from cells (85, 27), (85, 37), (85, 47), (85, 57) of the picture: row 27
    // lights 0, row 37 lights 1-2, row 47 lights 3-4, row 57 lights 5-6. Sent on the cable only
    // as 08 FC 0B + 7 x (bits 16-23, 8-15, 0-7 of the cell). False when nothing was produced.
    bool SendMusicFrame(int mode, const LightPictureSource& picture, Colours& colours);

    // The seven sampling points of a screen of the given size (integer division).
    static std::array<std::array<int, 2>, kLightCount> SamplePoints(int width, int height);

private:
    bool SendFrame(const Colours& colours);

    HidDeviceManager& manager_;
    SettingsDatabase& store_;
    ScreenSampler* sampler_ = nullptr;
    int screenWidth_ = 0;
    int screenHeight_ = 0;
    bool framed_ = false;
    int64_t lastScreenFrameMs_ = 0;
};

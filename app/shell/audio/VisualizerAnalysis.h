#pragma once

#include <array>
#include <cstddef>

struct kiss_fftr_state;

// The music visualizer's analysis: a sliding window of 512 mono values built from stereo
// samples, windowed and transformed (kissfft), its first 64 frequency bins spread over 256
// columns, with decay, spatial smoothing across columns and temporal smoothing over frames.
// Not thread-safe; the visualizer calls it from its own thread.
class VisualizerAnalysis {
public:
    static constexpr int kWindowSize = 512;
    static constexpr int kTableSize = 256;
    static constexpr int kBins = 64;
    static constexpr int kColumns = 256;
    static constexpr int kColumnsPerBin = kColumns / kBins;
    // Levels below this count as silence and are dropped to 0, so silence ends dark.
    static constexpr float kSilence = 0.0001f;

    enum WindowType { kNoWindow = 0, kHann = 1, kHamming = 2, kBlackman = 3 };

    struct Settings {
        float gain = 270;
        int decay = 80;          // per cent of a level kept from one frame to the next
        int smoothingMode = 1;   // 0: blocks of n columns; 1: mean of the 2n + 1 around
        int smoothingRadius = 8; // n
        int windowType = kHann;
        float temporalFactor = 1.0f; // share of the change shown per frame
    };

    using Columns = std::array<float, kColumns>;

    VisualizerAnalysis();
    ~VisualizerAnalysis();
    VisualizerAnalysis(const VisualizerAnalysis&) = delete;
    VisualizerAnalysis& operator=(const VisualizerAnalysis&) = delete;

    void SetSettings(const Settings& settings) { settings_ = settings; }
    const Settings& GetSettings() const { return settings_; }

    // One analysis step over the samples captured since the last one (interleaved stereo):
    // decay, append to the window, transform, smooth.
    void Step(const float* samples, size_t count);

    // Multiplies every level by decay / 100.
    void Decay();
    // Every group of four samples (two stereo frames) becomes one window value,
    // mean x 2 x gain; a group cut off at the end waits for the next call.
    void Push(const float* samples, size_t count);
    // Window, FFT, bins to columns, spatial and temporal smoothing.
    void Transform();

    // Column levels before smoothing (each bin's level in its four columns).
    const Columns& Levels() const { return levels_; }
    // What the picture shows, 0 to 1 per column.
    const Columns& Displayed() const { return displayed_; }
    const std::array<float, kWindowSize>& Window() const { return window_; }
    // Value i (0..255) of a window table (1 Hann, 2 Hamming, 3 Blackman); 1 for other types.
    float TableValue(int type, int i) const;
    // True when every displayed level is 0.
    bool IsDark() const;

private:
    void Smooth(const Columns& in, Columns& out) const;

    Settings settings_;
    kiss_fftr_state* fft_ = nullptr;
    std::array<std::array<float, kTableSize>, 3> tables_{};
    std::array<float, kWindowSize> window_{};
    std::array<float, 4> pending_{};
    size_t pendingCount_ = 0;
    Columns levels_{};
    Columns displayed_{};
};

#pragma once

#include "app/device/LightPictureSource.h"
#include "app/shell/audio/AudioSource.h"
#include "app/shell/audio/VisualizerAnalysis.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// The music visualizer: on its own thread it analyses what the audio source captured and draws
// a 256 x 64 picture (a lit cell where the column's level reaches the row) in the bar colours
// over the background colours, every 15 ms while enabled and every 500 ms while not. The picture
// is double-buffered: the worker reads the finished one while the next is drawn.
class Visualizer : public LightPictureSource {
public:
    static constexpr int kEnabledPeriodMs = 15;
    static constexpr int kDisabledPeriodMs = 500;

    struct Colours {
        int barScheme = 13;
        int barBrightness = 100;
        int backScheme = 0; // 0: no background (black)
        int backBrightness = 100;
        float hueSpeed = 0; // hundredths of a degree per picture
    };

    // A null source gives silence.
    explicit Visualizer(std::unique_ptr<AudioSource> source);
    // Stops the thread.
    ~Visualizer() override;
    Visualizer(const Visualizer&) = delete;
    Visualizer& operator=(const Visualizer&) = delete;

    // Starts the thread; false when it already runs.
    bool Start();
    // Clears the running flag and waits for the thread.
    void Stop();
    bool IsRunning() const { return running_; }

    // The music effect is on: capture and draw every 15 ms. Off: nothing is captured.
    void SetEnabled(bool enabled);
    bool IsEnabled() const { return enabled_; }
    void SetAnalysis(const VisualizerAnalysis::Settings& settings);
    VisualizerAnalysis::Settings GetAnalysis() const;
    void SetColours(const Colours& colours);
    Colours GetColours() const;

    // One picture step (analysis included) on the calling thread. The thread calls it; tests
    // call it directly while the thread does not run.
    void PictureStep();
    // As PictureStep, over given samples instead of the source's.
    void PictureStep(const float* samples, size_t count);

    // 0x00RRGGBB (red in bits 16-23) of the finished picture.
    bool ValueAt(int column, int row, uint32_t& value) const override;
    VisualizerAnalysis::Columns DisplayedLevels() const;
    float Hue() const;

private:
    using Picture = std::array<std::atomic<uint32_t>, kWidth * kHeight>;

    void Run();
    void Draw(const VisualizerAnalysis::Columns& shown, const Colours& colours);

    std::unique_ptr<AudioSource> source_;

    mutable std::mutex stepMutex_; // the analysis, hue and scheme pictures (one step at a time)
    VisualizerAnalysis analysis_;
    std::vector<float> samples_;
    float hue_ = 0;
    // A scheme picture is generated again only when what it depends on changed.
    struct SchemePicture {
        int scheme = -1;
        int brightness = -1;
        float hue = -1;
        std::vector<uint32_t> cells;
        const std::vector<uint32_t>& Get(int scheme, int brightness, float hue);
    };
    SchemePicture bars_, back_;

    mutable std::mutex settingsMutex_;
    VisualizerAnalysis::Settings analysisSettings_;
    Colours colours_;

    std::array<std::unique_ptr<Picture>, 2> pictures_;
    std::atomic<int> front_{0};
    std::atomic<bool> hasPicture_{false};

    std::atomic<bool> enabled_{false};
    std::atomic<bool> running_{false};
    std::mutex wakeMutex_;
    std::condition_variable wake_;
    std::thread thread_;
};

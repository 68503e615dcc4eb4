#include "app/shell/audio/Visualizer.h"
#include "app/shell/audio/ColourScheme.h"
#include "app/shell/audio/PulseCapture.h"
#include "app/shell/audio/PulseLibrary.h"
#include "app/shell/audio/VisualizerAnalysis.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kRate = 48000;
// Two stereo frames make one window value, so a bin is (48000 / 2) / 512 Hz wide.
constexpr double kBinHz = kRate / 2.0 / VisualizerAnalysis::kWindowSize;

// Interleaved stereo float: a sine in the middle of bin `bin`.
std::vector<float> Tone(int bin, float amplitude, int frames) {
    std::vector<float> out(static_cast<size_t>(frames) * 2);
    for (int i = 0; i < frames; ++i) {
        const float v =
            amplitude * static_cast<float>(std::sin(2 * kPi * bin * kBinHz * i / kRate));
        out[2 * i] = out[2 * i + 1] = v;
    }
    return out;
}

std::vector<float> Silence(int frames) {
    return std::vector<float>(static_cast<size_t>(frames) * 2, 0.0f);
}

// One full window of sound: 512 values = 2048 samples.
constexpr int kWindowFrames = VisualizerAnalysis::kWindowSize * 2;

float MaxOf(const VisualizerAnalysis::Columns& c, int from, int to) {
    float m = 0;
    for (int i = from; i <= to; ++i)
        m = std::max(m, c[i]);
    return m;
}

} // namespace

TEST(VisualizerAnalysis, WindowTablesAndSampleGroups) {
    VisualizerAnalysis a;
    EXPECT_FLOAT_EQ(a.TableValue(VisualizerAnalysis::kHann, 0), 0.0f);
    EXPECT_FLOAT_EQ(a.TableValue(VisualizerAnalysis::kHann, 128), 1.0f);
    EXPECT_FLOAT_EQ(a.TableValue(VisualizerAnalysis::kHamming, 0), 0.08f);
    EXPECT_NEAR(a.TableValue(VisualizerAnalysis::kBlackman, 0), 0.0f, 1e-6);
    EXPECT_FLOAT_EQ(a.TableValue(VisualizerAnalysis::kBlackman, 128), 1.0f);
    EXPECT_FLOAT_EQ(a.TableValue(7, 10), 1.0f);

    VisualizerAnalysis::Settings s;
    s.gain = 1;
    a.SetSettings(s);
    // Four samples make one value: mean x 2 x gain. A cut-off group waits for the rest.
    const float first[] = {1, 1, 1, 1, 2, 2};
    a.Push(first, 6);
    EXPECT_FLOAT_EQ(a.Window().back(), 2.0f);
    const float rest[] = {2, 2};
    a.Push(rest, 2);
    EXPECT_FLOAT_EQ(a.Window()[VisualizerAnalysis::kWindowSize - 2], 2.0f);
    EXPECT_FLOAT_EQ(a.Window().back(), 4.0f);
    // Samples that are not numbers count as silence.
    const float bad[] = {std::numeric_limits<float>::quiet_NaN(),
                         std::numeric_limits<float>::infinity(), 0, 0};
    a.Push(bad, 4);
    EXPECT_FLOAT_EQ(a.Window().back(), 0.0f);
    a.Transform();
    for (float v : a.Displayed())
        ASSERT_TRUE(std::isfinite(v));
}

TEST(VisualizerAnalysis, ToneLightsItsBinAndSilenceDecaysToZero) {
    VisualizerAnalysis a;
    VisualizerAnalysis::Settings s;
    s.smoothingRadius = 0; // columns show their bins as they are
    a.SetSettings(s);
    auto tone = Tone(20, 0.02f, kWindowFrames);
    a.Step(tone.data(), tone.size());
    const auto& levels = a.Levels();
    for (int c = 80; c < 84; ++c)
        EXPECT_GT(levels[c], 0.9f) << c;
    EXPECT_EQ(MaxOf(levels, 0, 60), 0.0f);
    EXPECT_EQ(MaxOf(levels, 100, 255), 0.0f);
    EXPECT_EQ(a.Displayed(), levels);

    // The window fills with silence at once; from then on only the decay acts.
    auto quiet = Silence(kWindowFrames);
    a.Step(quiet.data(), quiet.size());
    const float before = a.Levels()[81];
    ASSERT_GT(before, 0.5f);
    a.Step(nullptr, 0);
    EXPECT_FLOAT_EQ(a.Levels()[81], before * 0.8f);
    int frames = 2;
    while (!a.IsDark() && frames < 200) {
        a.Step(quiet.data(), 64);
        ++frames;
    }
    EXPECT_TRUE(a.IsDark());
    EXPECT_LT(frames, 60); // 0.8^n falls under the silence threshold after about 42 frames
}

TEST(VisualizerAnalysis, SpatialAndTemporalSmoothing) {
    VisualizerAnalysis a;
    VisualizerAnalysis::Settings s; // running mean over 17 columns
    a.SetSettings(s);
    auto tone = Tone(2, 0.02f, kWindowFrames);
    a.Step(tone.data(), tone.size());
    const auto& lv = a.Levels();
    const auto& shown = a.Displayed();
    // The left edge averages the columns that exist: column 0 takes 0..8.
    float sum = 0;
    for (int c = 0; c <= 8; ++c)
        sum += lv[c];
    EXPECT_NEAR(shown[0], sum / 9, 1e-5);
    sum = 0;
    for (int c = 2; c <= 18; ++c)
        sum += lv[c];
    EXPECT_NEAR(shown[10], sum / 17, 1e-5);
    EXPECT_LT(MaxOf(shown, 0, 255), MaxOf(lv, 0, 255));

    // Blocks of four: every block shows one level, its mean.
    VisualizerAnalysis b;
    s.smoothingMode = 0;
    s.smoothingRadius = 8;
    b.SetSettings(s);
    b.Step(tone.data(), tone.size());
    float block = 0;
    for (int c = 8; c < 16; ++c)
        block += b.Levels()[c];
    for (int c = 8; c < 16; ++c)
        EXPECT_NEAR(b.Displayed()[c], block / 8, 1e-5);

    // Temporal smoothing 0.5 shows half of each change.
    VisualizerAnalysis t;
    s = {};
    s.smoothingRadius = 0;
    s.temporalFactor = 0.5f;
    t.SetSettings(s);
    t.Step(tone.data(), tone.size());
    EXPECT_NEAR(t.Displayed()[8], t.Levels()[8] * 0.5f, 1e-5);
    const float first = t.Displayed()[8];
    t.Step(nullptr, 0);
    EXPECT_NEAR(t.Displayed()[8], first + (t.Levels()[8] - first) * 0.5f, 1e-5);
}

TEST(ColourScheme, FixedColoursGradientsAndHues) {
    std::vector<uint32_t> p;
    ColourScheme::Fill(2, 100, 0, p);
    ASSERT_EQ(p.size(), 256u * 64u);
    EXPECT_EQ(p[0], 0x0000FFu);
    EXPECT_EQ(p.back(), 0x0000FFu);
    ColourScheme::Fill(3, 50, 0, p); // orange at half brightness
    EXPECT_EQ(p[100], 0x00207Fu);
    ColourScheme::Fill(0, 100, 0, p);
    EXPECT_EQ(p[5000], 0u);
    ColourScheme::Fill(99, 100, 0, p);
    EXPECT_EQ(p[5000], 0u);

    // Green, yellow, red: green at the bottom, red at the top, row 0 spread left to right.
    ColourScheme::Fill(9, 100, 0, p);
    EXPECT_EQ(p[63 * 256 + 10], 0x00FF00u);
    EXPECT_EQ(p[1 * 256 + 10], 0x0000FFu);
    EXPECT_EQ(p[32 * 256 + 10], 0x00FFFFu);
    EXPECT_EQ(p[0], 0x00FF00u);
    EXPECT_EQ(p[255], 0x0000FFu);
    // 14 runs 13's stops the other way.
    std::vector<uint32_t> q;
    ColourScheme::Fill(13, 100, 0, p);
    ColourScheme::Fill(14, 100, 0, q);
    EXPECT_EQ(p[63 * 256], q[1 * 256]);
    EXPECT_EQ(p[63 * 256], 0x0000FFu);
    EXPECT_EQ(q[63 * 256], 0xFF00FFu);

    // Rainbow: column 0 at hue 0 is angle 0, the same down the column.
    ColourScheme::Fill(15, 100, 0, p);
    const int r = static_cast<int>(127 * 2.55 * 100 / 256.0);
    EXPECT_EQ(static_cast<int>(p[0] & 0xFF), r);
    EXPECT_EQ(p[0], p[63 * 256]);
    EXPECT_NE(p[0], p[100]);
    // 19: one colour of the hue.
    ColourScheme::Fill(19, 100, 120, p);
    EXPECT_EQ(p[1234], 0x00FF00u);
    ColourScheme::Fill(19, 100, 240, p);
    EXPECT_EQ(p[1234], 0xFF0000u);
    EXPECT_TRUE(ColourScheme::UsesHue(16));
    EXPECT_FALSE(ColourScheme::UsesHue(13));
}

TEST(Visualizer, PictureLightsCellsBelowTheLevelInLightFrameOrder) {
    Visualizer v(nullptr);
    uint32_t value = 0;
    EXPECT_FALSE(v.ValueAt(0, 0, value)); // no picture yet
    Visualizer::Colours colours;
    colours.barScheme = 2;  // red bars
    colours.backScheme = 7; // on blue
    v.SetColours(colours);
    auto tone = Tone(21, 0.003f, kWindowFrames); // a quiet tone: levels between 0 and 1
    v.PictureStep(tone.data(), tone.size());
    const auto shown = v.DisplayedLevels();
    ASSERT_GT(shown[85], 0.05f);
    ASSERT_LT(shown[85], 0.95f);
    for (int column : {0, 84, 85, 86, 200})
        for (int row = 0; row < 64; ++row) {
            ASSERT_TRUE(v.ValueAt(column, row, value));
            const bool lit = (64 - row) / 64.0f < shown[column];
            // Red in bits 16-23, as the light frame wants it.
            EXPECT_EQ(value, lit ? 0xFF0000u : 0x0000FFu) << column << "," << row;
        }
    EXPECT_FALSE(v.ValueAt(256, 0, value));
    EXPECT_FALSE(v.ValueAt(0, 64, value));
    EXPECT_FALSE(v.ValueAt(-1, 0, value));

    // The background switched off is black; the hue wraps after a full turn.
    colours.backScheme = 0;
    colours.hueSpeed = 18000;
    v.SetColours(colours);
    auto quiet = Silence(kWindowFrames);
    v.PictureStep(quiet.data(), quiet.size());
    ASSERT_TRUE(v.ValueAt(200, 0, value));
    EXPECT_EQ(value, 0u);
    EXPECT_FLOAT_EQ(v.Hue(), 180.0f);
    v.PictureStep(nullptr, 0);
    v.PictureStep(nullptr, 0);
    EXPECT_FLOAT_EQ(v.Hue(), 180.0f); // 360 became 0 before the step added 180
}

// Where the capture looked for libpulse from, and how often; null stands for a machine without.
std::atomic<int> pulseLoads{0};
std::thread::id pulseLoader;
const PulseLibrary* NoPulse() {
    pulseLoader = std::this_thread::get_id();
    ++pulseLoads;
    return nullptr;
}

TEST(PulseCapture, WithoutLibpulseStaysSilentForGood) {
    pulseLoads = 0;
    {
        PulseCapture capture(&NoPulse);
        EXPECT_EQ(pulseLoads, 0); // made on the window thread, which must not load it
        capture.SetActive(true);
        for (int i = 0; i < 200 && pulseLoads == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ASSERT_EQ(pulseLoads, 1);
        EXPECT_NE(pulseLoader, std::this_thread::get_id());
        std::vector<float> out;
        capture.SetActive(false);
        capture.SetActive(true);
        EXPECT_EQ(capture.Drain(out), 0u);
        EXPECT_FALSE(capture.IsCapturing());
        EXPECT_EQ(capture.OpenCount(), 0);
        EXPECT_EQ(capture.SourceName(), "");
    }
    EXPECT_EQ(pulseLoads, 1); // no retries: nothing would change without the library
}

TEST(PulseCapture, WithoutAServerStaysSilentAndStartsNone) {
    const char* old = std::getenv("PULSE_SERVER");
    const std::string saved = old ? old : "";
    ::setenv("PULSE_SERVER", "unix:/nonexistent/pivane/native", 1);
    {
        PulseCapture capture;
        Visualizer v(nullptr);
        capture.SetActive(true);
        std::vector<float> out;
        for (int i = 0; i < 20; ++i) {
            EXPECT_EQ(capture.Drain(out), 0u);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_FALSE(capture.IsCapturing());
        EXPECT_EQ(capture.OpenCount(), 0);
        // A running visualizer over it draws the dark picture.
        auto source = std::make_unique<PulseCapture>();
        Visualizer live(std::move(source));
        live.SetEnabled(true);
        live.PictureStep();
        uint32_t value = 1;
        ASSERT_TRUE(live.ValueAt(85, 57, value));
        EXPECT_EQ(value, 0u);
    } // the destructors return although the reader thread is waiting to retry
    if (old)
        ::setenv("PULSE_SERVER", saved.c_str(), 1);
    else
        ::unsetenv("PULSE_SERVER");
}

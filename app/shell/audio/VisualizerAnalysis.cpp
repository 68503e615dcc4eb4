#include "app/shell/audio/VisualizerAnalysis.h"

#include <kiss_fftr.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

float Finite(float v) {
    return std::isfinite(v) ? v : 0.0f;
}

} // namespace

VisualizerAnalysis::VisualizerAnalysis() : fft_(kiss_fftr_alloc(kWindowSize, 0, nullptr, nullptr)) {
    for (int i = 0; i < kTableSize; ++i) {
        const double x = 2 * kPi * i / kTableSize;
        tables_[0][i] = static_cast<float>((1 - std::cos(x)) / 2);
        tables_[1][i] = static_cast<float>(0.54 - 0.46 * std::cos(x));
        tables_[2][i] = static_cast<float>(0.42 - 0.5 * std::cos(x) + 0.08 * std::cos(2 * x));
    }
}

VisualizerAnalysis::~VisualizerAnalysis() {
    kiss_fftr_free(fft_);
}

float VisualizerAnalysis::TableValue(int type, int i) const {
    if (type < kHann || type > kBlackman || i < 0 || i >= kTableSize) return 1.0f;
    return tables_[type - 1][i];
}

void VisualizerAnalysis::Step(const float* samples, size_t count) {
    Decay();
    Push(samples, count);
    Transform();
}

void VisualizerAnalysis::Decay() {
    const float keep = std::clamp(settings_.decay, 0, 100) / 100.0f;
    for (float& level : levels_) {
        level *= keep;
        if (level < kSilence) level = 0;
    }
}

void VisualizerAnalysis::Push(const float* samples, size_t count) {
    if (!samples || count == 0) return;
    const float scale = 2 * settings_.gain / 4;
    // The new window values first, then one shift of the window for all of them.
    std::vector<float> fresh;
    fresh.reserve((pendingCount_ + count) / 4);
    for (size_t i = 0; i < count; ++i) {
        pending_[pendingCount_++] = Finite(samples[i]);
        if (pendingCount_ == pending_.size()) {
            fresh.push_back((pending_[0] + pending_[1] + pending_[2] + pending_[3]) * scale);
            pendingCount_ = 0;
        }
    }
    const size_t n = fresh.size();
    if (n >= window_.size()) {
        std::memcpy(window_.data(), fresh.data() + n - window_.size(),
                    window_.size() * sizeof(float));
    } else if (n > 0) {
        std::memmove(window_.data(), window_.data() + n, (window_.size() - n) * sizeof(float));
        std::memcpy(window_.data() + window_.size() - n, fresh.data(), n * sizeof(float));
    }
}

void VisualizerAnalysis::Transform() {
    std::array<kiss_fft_scalar, kWindowSize> in;
    const int type = settings_.windowType;
    // The tables hold 256 values; each covers two samples so the window spans all 512.
    for (int i = 0; i < kWindowSize; ++i)
        in[i] = window_[i] * TableValue(type, i * kTableSize / kWindowSize);
    std::array<kiss_fft_cpx, kWindowSize / 2 + 1> out;
    kiss_fftr(fft_, in.data(), out.data());

    // Scaled to the amplitude of a sine that fills a bin.
    const float scale = 2.0f / kWindowSize;
    for (int bin = 0; bin < kBins; ++bin) {
        const float re = out[bin].r * scale, im = out[bin].i * scale;
        const float g = std::sqrt(re * re + im * im);
        float value = 0;
        if (g > 0 && std::isfinite(g))
            value = std::min(1.0f, std::log10(1.1f * g) * 0.5f + 0.9f * g);
        const float level = std::max(0.0f, std::max(levels_[bin * kColumnsPerBin], value));
        for (int c = 0; c < kColumnsPerBin; ++c)
            levels_[bin * kColumnsPerBin + c] = level;
    }

    Columns smoothed;
    Smooth(levels_, smoothed);
    const float factor = std::clamp(settings_.temporalFactor, 0.0f, 1.0f);
    for (int c = 0; c < kColumns; ++c) {
        float& shown = displayed_[c];
        shown = std::clamp(shown + (smoothed[c] - shown) * factor, 0.0f, 1.0f);
        if (shown < kSilence) shown = 0;
    }
}

void VisualizerAnalysis::Smooth(const Columns& in, Columns& out) const {
    const int n = settings_.smoothingRadius;
    if (n <= 0 || (settings_.smoothingMode == 0 && n == 1) ||
        (settings_.smoothingMode != 0 && settings_.smoothingMode != 1)) {
        out = in;
        return;
    }
    if (settings_.smoothingMode == 0) {
        for (int start = 0; start < kColumns; start += n) {
            const int end = std::min(kColumns, start + n);
            float sum = 0;
            for (int c = start; c < end; ++c)
                sum += in[c];
            const float mean = sum / static_cast<float>(end - start);
            for (int c = start; c < end; ++c)
                out[c] = mean;
        }
        return;
    }
    // Running mean through prefix sums; the edges average the columns that exist.
    std::array<double, kColumns + 1> prefix{};
    for (int c = 0; c < kColumns; ++c)
        prefix[c + 1] = prefix[c] + in[c];
    for (int c = 0; c < kColumns; ++c) {
        const int lo = std::max(0, c - n), hi = std::min(kColumns - 1, c + n);
        out[c] = static_cast<float>((prefix[hi + 1] - prefix[lo]) / (hi - lo + 1));
    }
}

bool VisualizerAnalysis::IsDark() const {
    return std::all_of(displayed_.begin(), displayed_.end(), [](float v) { return v == 0; });
}

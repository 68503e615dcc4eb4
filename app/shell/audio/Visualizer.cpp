#include "app/shell/audio/Visualizer.h"

#include "app/shell/audio/ColourScheme.h"

#include <chrono>

namespace {

// The picture's cells are 0x00BBGGRR like every colour of the program; the light frame takes
// red in bits 16-23.
uint32_t ToPictureValue(uint32_t colorRef) {
    return ((colorRef & 0xFF) << 16) | (colorRef & 0xFF00) | ((colorRef >> 16) & 0xFF);
}

} // namespace

const std::vector<uint32_t>& Visualizer::SchemePicture::Get(int s, int b, float h) {
    if (s != scheme || b != brightness || (ColourScheme::UsesHue(s) && h != hue)) {
        ColourScheme::Fill(s, b, h, cells);
        scheme = s;
        brightness = b;
        hue = h;
    }
    return cells;
}

Visualizer::Visualizer(std::unique_ptr<AudioSource> source) : source_(std::move(source)) {
    for (auto& picture : pictures_) {
        picture = std::make_unique<Picture>();
        for (auto& cell : *picture)
            cell.store(0, std::memory_order_relaxed);
    }
}

Visualizer::~Visualizer() {
    Stop();
    if (source_) source_->SetActive(false);
}

bool Visualizer::Start() {
    if (running_.exchange(true)) return false;
    if (thread_.joinable()) thread_.join();
    thread_ = std::thread([this] { Run(); });
    return true;
}

void Visualizer::Stop() {
    {
        std::lock_guard<std::mutex> lock(wakeMutex_);
        running_ = false;
    }
    wake_.notify_all();
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

void Visualizer::SetEnabled(bool enabled) {
    if (enabled_.exchange(enabled) == enabled) return;
    if (source_) source_->SetActive(enabled);
    // Through the lock, so the thread cannot miss the change between its test and its wait.
    std::lock_guard<std::mutex> lock(wakeMutex_);
    wake_.notify_all();
}

void Visualizer::SetAnalysis(const VisualizerAnalysis::Settings& settings) {
    std::lock_guard<std::mutex> lock(settingsMutex_);
    analysisSettings_ = settings;
}

VisualizerAnalysis::Settings Visualizer::GetAnalysis() const {
    std::lock_guard<std::mutex> lock(settingsMutex_);
    return analysisSettings_;
}

void Visualizer::SetColours(const Colours& colours) {
    std::lock_guard<std::mutex> lock(settingsMutex_);
    colours_ = colours;
}

Visualizer::Colours Visualizer::GetColours() const {
    std::lock_guard<std::mutex> lock(settingsMutex_);
    return colours_;
}

void Visualizer::Run() {
    using Clock = std::chrono::steady_clock;
    auto next = Clock::now();
    while (running_) {
        PictureStep();
        const auto period =
            std::chrono::milliseconds(enabled_ ? kEnabledPeriodMs : kDisabledPeriodMs);
        next += period;
        const auto now = Clock::now();
        // After a stall start the rhythm again instead of catching up.
        if (next < now) next = now + period;
        std::unique_lock<std::mutex> lock(wakeMutex_);
        const bool wasEnabled = enabled_;
        wake_.wait_until(lock, next, [&] { return !running_ || enabled_ != wasEnabled; });
        if (enabled_ != wasEnabled) next = Clock::now();
    }
}

void Visualizer::PictureStep() {
    std::lock_guard<std::mutex> lock(stepMutex_);
    samples_.clear();
    if (source_) source_->Drain(samples_);
    analysis_.SetSettings(GetAnalysis());
    analysis_.Step(samples_.data(), samples_.size());
    Draw(analysis_.Displayed(), GetColours());
}

void Visualizer::PictureStep(const float* samples, size_t count) {
    std::lock_guard<std::mutex> lock(stepMutex_);
    analysis_.SetSettings(GetAnalysis());
    analysis_.Step(samples, count);
    Draw(analysis_.Displayed(), GetColours());
}

void Visualizer::Draw(const VisualizerAnalysis::Columns& shown, const Colours& colours) {
    if (hue_ >= 360) hue_ = 0;
    if (hue_ < 0) hue_ = 360;
    const std::vector<uint32_t>& bars = bars_.Get(colours.barScheme, colours.barBrightness, hue_);
    const std::vector<uint32_t>& back = back_.Get(colours.backScheme, colours.backBrightness, hue_);
    const bool backOn = colours.backScheme != 0;

    const int target = 1 - front_.load(std::memory_order_acquire);
    Picture& picture = *pictures_[target];
    for (int row = 0; row < kHeight; ++row) {
        // Lit when (64 - row) / 64 < level.
        const float threshold = static_cast<float>(kHeight - row) / kHeight;
        const int base = row * kWidth;
        for (int column = 0; column < kWidth; ++column) {
            const int i = base + column;
            const uint32_t colour = shown[column] > threshold ? bars[i] : backOn ? back[i] : 0;
            picture[i].store(ToPictureValue(colour), std::memory_order_relaxed);
        }
    }
    front_.store(target, std::memory_order_release);
    hasPicture_ = true;
    hue_ += colours.hueSpeed / 100.0f;
}

bool Visualizer::ValueAt(int column, int row, uint32_t& value) const {
    if (!hasPicture_ || column < 0 || column >= kWidth || row < 0 || row >= kHeight) return false;
    value = (*pictures_[front_.load(std::memory_order_acquire)])[row * kWidth + column].load(
        std::memory_order_relaxed);
    return true;
}

VisualizerAnalysis::Columns Visualizer::DisplayedLevels() const {
    std::lock_guard<std::mutex> lock(stepMutex_);
    return analysis_.Displayed();
}

float Visualizer::Hue() const {
    std::lock_guard<std::mutex> lock(stepMutex_);
    return hue_;
}

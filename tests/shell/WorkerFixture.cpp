#include "tests/shell/WorkerFixture.h"

#include "app/device/CommandFrame.h"
#include "app/files/ApplicationConfig.h"
#include "app/store/KeyAssignmentRow.h"

#include <cstdlib>
#include <filesystem>

void RecordingWindow::DisableForTask() {
    std::function<void()> action;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++disables_;
        ++nesting_;
        if (nesting_ > maxNesting_) maxNesting_ = nesting_;
        action = std::move(duringTask_);
        duringTask_ = nullptr;
    }
    enable.Disable();
    if (action) action();
}

void RecordingWindow::EnableAfterTask() {
    enable.Enable();
    std::lock_guard<std::mutex> lock(mutex_);
    ++enables_;
    --nesting_;
}

void RecordingWindow::CloseWaitDialog() {
    std::lock_guard<std::mutex> lock(mutex_);
    ++waitClosed_;
}

void RecordingWindow::PostPageReload() {
    std::lock_guard<std::mutex> lock(mutex_);
    ++reloads_;
}

void RecordingWindow::DeviceStateChanged(const WorkerDeviceState& state) {
    std::lock_guard<std::mutex> lock(mutex_);
    states_.push_back(state);
}

void RecordingWindow::DeviceSwitched(int deviceType, int profile,
                                     std::shared_ptr<const DeviceLayout> layout) {
    std::lock_guard<std::mutex> lock(mutex_);
    switchedType_ = deviceType;
    switchedProfile_ = profile;
    layoutLoaded_ = layout && layout->IsLoaded();
}

void RecordingWindow::StartVisualizer() {
    std::lock_guard<std::mutex> lock(mutex_);
    ++visualizer_;
}

void RecordingWindow::DuringNextTask(std::function<void()> action) {
    std::lock_guard<std::mutex> lock(mutex_);
    duringTask_ = std::move(action);
}

#define WINDOW_GETTER(type, name, field)                                                           \
    type RecordingWindow::name() const {                                                           \
        std::lock_guard<std::mutex> lock(mutex_);                                                  \
        return field;                                                                              \
    }
WINDOW_GETTER(int, Disables, disables_)
WINDOW_GETTER(int, Enables, enables_)
WINDOW_GETTER(int, MaxNesting, maxNesting_)
WINDOW_GETTER(int, WaitClosed, waitClosed_)
WINDOW_GETTER(int, Reloads, reloads_)
WINDOW_GETTER(int, VisualizerStarts, visualizer_)
WINDOW_GETTER(int, SwitchedType, switchedType_)
WINDOW_GETTER(int, SwitchedProfile, switchedProfile_)
WINDOW_GETTER(bool, LayoutLoaded, layoutLoaded_)
WINDOW_GETTER(size_t, StateCount, states_.size())
#undef WINDOW_GETTER

WorkerDeviceState RecordingWindow::LastState() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return states_.empty() ? WorkerDeviceState{} : states_.back();
}

void WorkerFixture::SetUp() {
    char pattern[] = "/tmp/pivane-shell-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = std::string(pattern) + "/";
    std::filesystem::create_directories(folder_ + "db");
    Build(EmulatedMouse::Fixture::Default(true, false));
}

void WorkerFixture::TearDown() {
    hotplug_.reset();
    worker_.reset();
    manager_.reset();
    store_.CloseSettingsDatabase();
    store_.SetOpenFlag(false);
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
}

CThreadBasic::Setup WorkerFixture::MakeSetup() {
    CThreadBasic::Setup setup;
    setup.manager = manager_.get();
    setup.store = &store_;
    setup.clock = clock_;
    setup.dataFolder = folder_;
    const char* source = std::getenv("PIVANE_SOURCE_DIR");
    setup.programFolder = std::string(source ? source : ".") + "/data/";
    setup.lookup = [](int id) { return std::to_string(id); };
    setup.checkUpdates = false; // the upgrade suite runs its own server
    return setup;
}

void WorkerFixture::Build(const EmulatedMouse::Fixture& fixture, VirtualClock* clock) {
    hotplug_.reset();
    worker_.reset();
    if (clock) clock_ = clock;
    mouse_ = std::make_shared<EmulatedMouse>(fixture, clock_);
    manager_ = std::make_unique<HidDeviceManager>(mouse_, clock_);
    // The shipped configuration registers the device modes, as at the program's start-up.
    ApplicationConfig config;
    ASSERT_TRUE(config.Load(MakeSetup().programFolder + "config.xml", manager_.get()));
    worker_ = std::make_unique<CThreadBasic>(MakeSetup(), window_);
    std::shared_ptr<EmulatedMouse> mouse = mouse_;
    hotplug_ = std::make_unique<HotplugTasks>(*worker_, [mouse](const std::string& path) {
        return HotplugMatcher::IsCommandInterface(*mouse, path);
    });
    hotplug_->SetTargets(HotplugTasks::TargetsFor(manager_->SupportedDevices()));
    hotplug_->Attach();
}

int WorkerFixture::Drain(int maxPasses) {
    int passes = 0;
    while (!worker_->Queue().Empty() && passes < maxPasses) {
        worker_->RunPass();
        ++passes;
    }
    return passes;
}

void WorkerFixture::StartAndChooseMouse() {
    worker_->AddTask(CThreadBasic::kDelayedRescan);
    Drain();
    worker_->ChooseDevice(EmulatedMouse::kDeviceType, "ORMAN-Q410");
    worker_->AddTask(CThreadBasic::kSwitchDevice);
    Drain();
    Forget();
}

void WorkerFixture::Forget() {
    mouse_->ClearLog();
    clock_->ClearPauses();
}

std::vector<std::string> WorkerFixture::Sent(size_t n) const {
    std::vector<std::string> out;
    for (const auto& r : mouse_->Log())
        if (r.command && !r.feature) out.push_back(CommandFrame::ToHex(r.bytes.data() + 1, n));
    return out;
}

std::vector<std::string> WorkerFixture::SentFeatures(size_t n) const {
    std::vector<std::string> out;
    for (const auto& r : mouse_->Log())
        if (r.command && r.feature) out.push_back(CommandFrame::ToHex(r.bytes.data(), n));
    return out;
}

HidInterfaceInfo WorkerFixture::CommandInterface(EmulatedMouse::Link link) const {
    uint16_t product = link == EmulatedMouse::Link::Cable ? EmulatedMouse::kCableProductId
                                                          : EmulatedMouse::kReceiverProductId;
    for (const HidInterfaceInfo& info : mouse_->Enumerate())
        if (info.productId == product && info.usagePage == 0xFF02 && info.usage == 2) return info;
    return {};
}

HotplugSource::Event WorkerFixture::Event(int kind, EmulatedMouse::Link link) const {
    HidInterfaceInfo info = CommandInterface(link);
    return {kind, info.interfaceName, info.path};
}

void WorkerFixture::SaveButton(int profile, int keyCode, int value) {
    KeyAssignmentRow row;
    row.profile = profile;
    row.keyCode = keyCode;
    row.macroType = 5;
    row.macroValue = value;
    row.macroDesc = "test";
    store_.SaveButtonAssignment(row);
}

#include "app/device/HidUsbFilter.h"

#include <chrono>

bool HidUsbFilter::MonitorProxy::OnKeyEvent(const KeyEvent& event) {
    return handler_ && handler_(owner_, event, param_);
}

bool HidUsbFilter::MonitorProxy::SameAs(const IMonitorProxy& other) const {
    auto* proxy = dynamic_cast<const MonitorProxy*>(&other);
    return proxy && proxy->owner_ == owner_ && proxy->handler_ == handler_;
}

HidUsbFilter::~HidUsbFilter() {
    StopReader();
}

bool HidUsbFilter::Open() {
    return device_.IsOpen() || device_.Open();
}

void HidUsbFilter::Shutdown() {
    std::lock_guard<std::mutex> sequence(sequenceMutex_);
    StopReader();
    ClearTable();
    device_.Close();
}

bool HidUsbFilter::Register(std::unique_ptr<IMonitorProxy> proxy) {
    if (!proxy) return false;
    std::lock_guard<std::mutex> lock(listenersMutex_);
    for (const auto& listener : listeners_)
        if (listener->SameAs(*proxy)) return false;
    listeners_.push_back(std::move(proxy));
    return true;
}

size_t HidUsbFilter::Unregister(void* owner) {
    std::lock_guard<std::mutex> lock(listenersMutex_);
    size_t before = listeners_.size();
    std::erase_if(listeners_, [owner](const std::unique_ptr<IMonitorProxy>& listener) {
        auto* proxy = dynamic_cast<const MonitorProxy*>(listener.get());
        return proxy && proxy->Owner() == owner;
    });
    return before - listeners_.size();
}

size_t HidUsbFilter::ListenerCount() const {
    std::lock_guard<std::mutex> lock(listenersMutex_);
    return listeners_.size();
}

std::vector<uint8_t> HidUsbFilter::BuildRemapTable(const std::vector<int>& keyCodes) {
    std::vector<uint8_t> table(kTableSize, 0);
    for (size_t i = 0; i < keyCodes.size() && i < kTableEntries; ++i) {
        uint8_t* entry = table.data() + 4 * i;
        entry[0] = static_cast<uint8_t>(keyCodes[i] & 0xFF); // key code, low byte
        entry[1] = static_cast<uint8_t>((keyCodes[i] >> 8) & 0xFF);
        entry[2] = 0x07; // keyboard usage page
        entry[3] = 0x02; // flags: bit 1, intercept
    }
    return table;
}

HidUsbFilter::KeyEvent HidUsbFilter::DecodeEvent(const std::array<uint8_t, 4>& bytes) {
    KeyEvent event;
    event.keyCode = bytes[0] | (bytes[1] << 8);
    event.source = bytes[2];
    event.pressed = (bytes[3] & 0x01) != 0;
    return event;
}

bool HidUsbFilter::ClearTable() {
    std::vector<uint8_t> zeros(kClearSize, 0);
    return device_.Control(IHidFilterDevice::kLoadRemapTable, zeros.data(), zeros.size(), nullptr,
                           0);
}

bool HidUsbFilter::LoadRemapTable(const std::vector<int>& keyCodes) {
    std::lock_guard<std::mutex> sequence(sequenceMutex_);
    StopReader();
    bool cleared = ClearTable();
    if (keyCodes.empty()) return cleared;
    std::vector<uint8_t> table = BuildRemapTable(keyCodes);
    if (!device_.Control(IHidFilterDevice::kLoadRemapTable, table.data(), table.size(), nullptr, 0))
        return false;
    StopReader();
    if (!device_.Control(IHidFilterDevice::kEnable, nullptr, 0, nullptr, 0)) return false;
    if (!device_.Control(IHidFilterDevice::kActivate, nullptr, 0, nullptr, 0)) return false;
    StartReader();
    return true;
}

bool HidUsbFilter::ReaderRunning() const {
    return readerRun_;
}

void HidUsbFilter::StartReader() {
    std::lock_guard<std::mutex> lock(readerMutex_);
    if (reader_.joinable()) return;
    device_.ResumeWaits();
    readerRun_ = true;
    reader_ = std::thread(&HidUsbFilter::ReaderLoop, this);
}

void HidUsbFilter::StopReader() {
    std::lock_guard<std::mutex> lock(readerMutex_);
    if (!reader_.joinable()) return;
    {
        std::lock_guard<std::mutex> idle(idleMutex_);
        readerRun_ = false;
    }
    idleWake_.notify_all();
    device_.CancelWaits();
    reader_.join();
}

void HidUsbFilter::ReaderLoop() {
    while (readerRun_) {
        bool delivered = false;
        if (ListenerCount() > 0) {
            std::array<uint8_t, 4> bytes{};
            if (device_.Control(IHidFilterDevice::kWaitEvent, nullptr, 0, bytes.data(),
                                bytes.size())) {
                KeyEvent event = DecodeEvent(bytes);
                std::lock_guard<std::mutex> lock(listenersMutex_);
                for (const auto& listener : listeners_)
                    if (listener->OnKeyEvent(event)) break;
                delivered = true;
            }
        }
        if (!delivered) {
            // Nothing to do: look again in 10 ms, or at once when asked to stop.
            std::unique_lock<std::mutex> idle(idleMutex_);
            idleWake_.wait_for(idle, std::chrono::milliseconds(10), [this] { return !readerRun_; });
        }
    }
}

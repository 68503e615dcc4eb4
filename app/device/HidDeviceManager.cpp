#include "app/device/HidDeviceManager.h"

#include "app/device/CommandFrame.h"
#include "app/device/HidapiBackend.h"
#include "app/platform/Clock.h"

#include <algorithm>
#include <cstring>

namespace {

// Keeps at most maxChars code points of UTF-8 text, never cutting a character in two.
std::string LimitChars(std::string text, size_t maxChars) {
    size_t chars = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue; // continuation byte
        if (chars++ == maxChars) {
            text.resize(i);
            break;
        }
    }
    return text;
}

} // namespace

HidDeviceManager& HidDeviceManager::Instance() {
    static HidDeviceManager manager;
    return manager;
}

HidDeviceManager::HidDeviceManager(std::shared_ptr<HidBackend> backend, Clock* clock)
    : backend_(std::move(backend)), clock_(clock) {}

HidDeviceManager::~HidDeviceManager() {
    CloseAll();
}

void HidDeviceManager::SetBackend(std::shared_ptr<HidBackend> backend) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    CloseAllLocked();
    backend_ = std::move(backend);
}

void HidDeviceManager::SetClock(Clock* clock) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    clock_ = clock;
}

Clock& HidDeviceManager::GetClock() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return clock_ ? *clock_ : Clock::Monotonic();
}

HidBackend& HidDeviceManager::Backend() {
    // hidapi is initialised by the first use that needs it, not by merely naming the manager.
    if (!backend_) backend_ = std::make_shared<HidapiBackend>();
    return *backend_;
}

void HidDeviceManager::AddSupportedDevice(int32_t vendorId, int32_t productId, int32_t release,
                                          const std::string& name, int32_t deviceType, int32_t mode,
                                          const std::string& interfacePattern) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    SupportedDevice row;
    row.vendorId = vendorId;
    row.productId = productId;
    row.release = release;
    row.name = name;
    row.deviceType = deviceType;
    row.mode = mode;
    row.interfacePattern = interfacePattern;
    supported_.push_back(std::move(row));
}

void HidDeviceManager::ClearSupportedDevices() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    supported_.clear();
}

std::vector<SupportedDevice> HidDeviceManager::SupportedDevices() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return supported_;
}

void HidDeviceManager::OpenAll() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    HidBackend& backend = Backend();
    for (const HidInterfaceInfo& info : backend.Enumerate()) {
        // The first row with these ids decides pattern, type and mode.
        auto row = std::find_if(supported_.begin(), supported_.end(), [&](const auto& s) {
            return s.vendorId == info.vendorId && s.productId == info.productId;
        });
        if (row == supported_.end()) continue;
        // The pattern is compared as written: a lower-case pattern never matches the upper-cased
        // name, and an empty one matches every name.
        if (info.interfaceName.find(row->interfacePattern) == std::string::npos) continue;
        if (info.usagePage != kCommandUsagePage || info.usage != kCommandUsage) continue;
        HidBackend::Handle device = backend.Open(info.path);
        if (!device) continue;

        auto entry = std::make_unique<DeviceEntry>();
        entry->index = static_cast<int32_t>(devices_.size());
        entry->vendorId = info.vendorId;
        entry->productId = info.productId;
        entry->manufacturer =
            LimitChars(backend.ManufacturerString(device), DeviceEntry::kMaxStringChars);
        entry->product = LimitChars(backend.ProductString(device), DeviceEntry::kMaxStringChars);
        entry->device = device;
        entry->releaseNumber = info.releaseNumber;
        entry->deviceType = row->deviceType;
        entry->mode = row->mode;
        entry->online = Handshake(*entry) ? 1 : 0;
        entry->path = info.path.substr(0, DeviceEntry::kMaxPathBytes);
        entry->interfaceName = info.interfaceName;
        devices_.push_back(std::move(entry));
    }
}

bool HidDeviceManager::Handshake(DeviceEntry& entry) {
    CommandFrame::Report report = CommandFrame::Handshake(entry.mode);
    HidBackend& backend = Backend();
    if (backend.Write(entry.device, report.data(), report.size()) <= 1) return false;
    GetClock().SleepMs(kHandshakePauseMs);
    report.fill(0);
    int got = backend.ReadTimeout(entry.device, report.data(), report.size(), kPollTimeoutMs);
    // Any reply with a non-zero link byte counts; the signature is not required here.
    return got >= 1 && report[6] != 0;
}

void HidDeviceManager::CloseAll() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    CloseAllLocked();
}

void HidDeviceManager::CloseAllLocked() {
    if (!open_) {
        // Entries opened without the open flag (OpenAll called directly) are still released.
        if (devices_.empty()) return;
    }
    open_ = false;
    // The cached handle would dangle once its entry is closed.
    currentDevice_ = nullptr;
    for (auto& entry : devices_)
        if (entry->device && backend_) backend_->Close(entry->device);
    devices_.clear();
}

void HidDeviceManager::Rescan() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    CloseAllLocked();
    OpenAll();
    open_ = true;
    selectedDeviceType_ = 0;
    currentDevice_ = nullptr;
}

bool HidDeviceManager::IsOpen() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return open_;
}

void HidDeviceManager::SetSelectedDeviceType(int32_t deviceType) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    selectedDeviceType_ = deviceType;
    currentDevice_ = nullptr;
}

int32_t HidDeviceManager::SelectedDeviceType() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return selectedDeviceType_;
}

int HidDeviceManager::CurrentIndexLocked() const {
    for (int wanted : {CommandFrame::kModeWired, CommandFrame::kModeWireless}) {
        for (const auto& entry : devices_)
            if (entry->deviceType == selectedDeviceType_ && entry->mode == wanted && entry->online)
                return entry->index;
    }
    return -1;
}

HidBackend::Handle HidDeviceManager::CurrentDeviceLocked() {
    if (currentDevice_) return currentDevice_;
    int index = CurrentIndexLocked();
    if (index < 0) return nullptr;
    currentDevice_ = devices_[static_cast<size_t>(index)]->device;
    return currentDevice_;
}

HidBackend::Handle HidDeviceManager::CurrentDevice() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return CurrentDeviceLocked();
}

int HidDeviceManager::CurrentIndex() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    HidBackend::Handle device = CurrentDeviceLocked();
    if (!device) return -1;
    for (const auto& entry : devices_)
        if (entry->device == device) return entry->index;
    return -1;
}

int HidDeviceManager::ConnectedModeLocked() const {
    int index = CurrentIndexLocked();
    if (index < 0) return CommandFrame::kModeNone;
    return devices_[static_cast<size_t>(index)]->mode;
}

int HidDeviceManager::ConnectedMode() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return ConnectedModeLocked();
}

int HidDeviceManager::IndexOf(int32_t vendorId, int32_t productId) const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    for (const auto& entry : devices_)
        if (entry->vendorId == vendorId && entry->productId == productId) return entry->index;
    return -1;
}

int HidDeviceManager::FindOnline(int32_t vendorId, int32_t productId, const std::string& name,
                                 int32_t mode) const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    for (const auto& entry : devices_)
        if (entry->vendorId == vendorId && entry->productId == productId && entry->mode == mode &&
            entry->online == 1)
            return entry->index;
    return -1;
}

bool HidDeviceManager::ReleaseNumber(int32_t& releaseNumber, int index) const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (!open_ || index < 0 || static_cast<size_t>(index) >= devices_.size()) return false;
    const auto& entry = devices_[static_cast<size_t>(index)];
    if (!entry) return false;
    releaseNumber = entry->releaseNumber;
    return true;
}

bool HidDeviceManager::EntryAt(int index, DeviceEntry& entry) const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (index < 0 || static_cast<size_t>(index) >= devices_.size()) return false;
    entry = *devices_[static_cast<size_t>(index)];
    return true;
}

int HidDeviceManager::EntryCount() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return static_cast<int>(devices_.size());
}

bool HidDeviceManager::WriteCommand(const uint8_t payload[kPayloadSize]) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    HidBackend::Handle device = open_ ? CurrentDeviceLocked() : nullptr;
    if (!device || !payload) return false;
    uint8_t report[kReportSize] = {}; // report id 0
    std::memcpy(report + 1, payload, kPayloadSize);
    int written = backend_->Write(device, report, kReportSize);
    if (written < 1) {
        GetClock().SleepMs(kRetryPauseMs);
        written = backend_->Write(device, report, kReportSize);
    }
    return written >= 1;
}

bool HidDeviceManager::QueryCommand(uint8_t payload[kPayloadSize]) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    HidBackend::Handle device = open_ ? CurrentDeviceLocked() : nullptr;
    if (!device || !payload) return false;
    GetClock().SleepMs(kQueryPauseMs);
    uint8_t report[kReportSize] = {};
    std::memcpy(report + 1, payload, kPayloadSize);
    if (backend_->Write(device, report, kReportSize) < 1) return false;
    // Cleared so that a short reply never hands back bytes of the request.
    uint8_t reply[kReportSize] = {};
    if (backend_->ReadTimeout(device, reply, kReportSize, kReplyTimeoutMs) < 1) return false;
    std::memcpy(payload, reply, kPayloadSize); // report id 0 is not part of what was read
    return true;
}

bool HidDeviceManager::WriteReport(uint8_t report[kReportSize], bool expectReply) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    HidBackend::Handle device = open_ ? CurrentDeviceLocked() : nullptr;
    if (!device || !report) return false;
    if (backend_->Write(device, report, kReportSize) < 1) return false;
    if (!expectReply) return true;
    GetClock().SleepMs(kQueryPauseMs);
    uint8_t buffer[kReportSize];
    std::memcpy(buffer, report, kReportSize);
    if (backend_->ReadTimeout(device, buffer, kReportSize, kReplyTimeoutMs) < 1) return false;
    std::memcpy(report, buffer, kReportSize);
    return true;
}

bool HidDeviceManager::SendFeature(const uint8_t report[kReportSize]) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    HidBackend::Handle device = open_ ? CurrentDeviceLocked() : nullptr;
    if (!device || !report) return false;
    return backend_->SendFeatureReport(device, report, kReportSize) >= 1;
}

bool HidDeviceManager::ReadNotification(uint8_t buffer[kReportSize]) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (!open_ || !buffer) return false;
    if (HidBackend::Handle device = CurrentDeviceLocked()) {
        std::memset(buffer, 0, kReportSize);
        return backend_->ReadTimeout(device, buffer, kReportSize, kPollTimeoutMs) >= 1;
    }
    for (auto& entry : devices_) {
        std::memset(buffer, 0, kReportSize);
        int got = backend_->ReadTimeout(entry->device, buffer, kReportSize, kPollTimeoutMs);
        if (got < 1) continue;
        if (CommandFrame::HasStatusSignature(buffer, static_cast<size_t>(got)))
            entry->online = buffer[6] != 0 ? 1 : 0;
        return true;
    }
    return false;
}

#include "sim/EmulatedKeyboard.h"

#include "app/platform/Clock.h"
#include "sim/EmulatedKeyboardStateFile.h"
#include "sim/SimHidFilter.h"
#include "sim/VirtualClock.h"

#include <algorithm>
#include <cstring>
#include <deque>

struct EmulatedKeyboard::OpenHandle {
    std::string path;
    bool command = false;
    bool dead = false; // the cable was pulled while it was open
    // Replies wait per open handle, as on a hidraw node.
    std::deque<CommandFrame::Payload> input;
};

namespace {

EmulatedKeyboard::Interface MakeInterface(uint16_t productId, int number, uint16_t usagePage,
                                          uint16_t usage, const std::string& path, bool command) {
    EmulatedKeyboard::Interface item;
    item.info.path = path;
    item.info.vendorId = EmulatedKeyboard::kVendorId;
    item.info.productId = productId;
    item.info.releaseNumber = EmulatedKeyboard::kRelease;
    item.info.usagePage = usagePage;
    item.info.usage = usage;
    item.info.interfaceNumber = number;
    item.info.interfaceName =
        HidBackend::ComposeInterfaceName(EmulatedKeyboard::kVendorId, productId, number, path);
    item.command = command;
    return item;
}

} // namespace

EmulatedKeyboard::Fixture EmulatedKeyboard::Fixture::Default(Family family) {
    Fixture fixture;
    fixture.family = family;
    const bool feature = family == Family::Feature;
    const uint16_t product = feature ? kFeatureProductId : kPrefixedProductId;
    fixture.product = std::string(feature ? kFeatureName : kPrefixedName) + " Gaming Keyboard";
    const int base = feature ? 30 : 40; // the mouse uses 10-12 and 20-22
    auto path = [&](int n) { return "/dev/simhid" + std::to_string(base + n); };
    // Decoys first, so that a filter that stops at the first id match is caught.
    fixture.interfaces = {MakeInterface(product, 0, 0x0001, 0x0006, path(0), false),
                          MakeInterface(product, 1, 0xFF02, 0x0001, path(1), false),
                          MakeInterface(product, 1, 0xFF02, 0x0002, path(1), true)};
    return fixture;
}

EmulatedKeyboard::EmulatedKeyboard(Fixture fixture, Clock* clock)
    : fixture_(std::move(fixture)), clock_(clock ? clock : &Clock::Monotonic()),
      decoder_(fixture_.family) {
    epochMs_ = clock_->NowMs();
}

EmulatedKeyboard::~EmulatedKeyboard() = default;

int64_t EmulatedKeyboard::ElapsedLocked() const {
    return clock_->NowMs() - epochMs_ + elapsedOffsetMs_;
}

std::vector<HidInterfaceInfo> EmulatedKeyboard::Enumerate() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<HidInterfaceInfo> result;
    if (!fixture_.plugged) return result;
    for (const auto& item : fixture_.interfaces)
        result.push_back(item.info);
    return result;
}

const EmulatedKeyboard::Interface*
EmulatedKeyboard::FindInterfaceLocked(const std::string& path) const {
    // Several collections share a node; the command collection wins, as the node is one.
    const Interface* found = nullptr;
    if (!fixture_.plugged) return nullptr;
    for (const auto& item : fixture_.interfaces)
        if (item.info.path == path && (!found || item.command)) found = &item;
    return found;
}

EmulatedKeyboard::OpenHandle* EmulatedKeyboard::KnownLocked(Handle device) const {
    auto it = std::find_if(handles_.begin(), handles_.end(),
                           [&](const auto& h) { return h.get() == device; });
    return it == handles_.end() ? nullptr : it->get();
}

HidBackend::Handle EmulatedKeyboard::Open(const std::string& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    const Interface* item = FindInterfaceLocked(path);
    if (!item) return nullptr;
    auto handle = std::make_unique<OpenHandle>();
    handle->path = path;
    handle->command = item->command;
    handles_.push_back(std::move(handle));
    return handles_.back().get();
}

void EmulatedKeyboard::Close(Handle device) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = std::find_if(handles_.begin(), handles_.end(),
                           [&](const auto& h) { return h.get() == device; });
    if (it != handles_.end()) handles_.erase(it);
}

void EmulatedKeyboard::LogLocked(bool feature, bool command, const uint8_t* data, size_t length) {
    LoggedReport entry;
    entry.timeMs = ElapsedLocked();
    entry.feature = feature;
    entry.command = command;
    std::memcpy(entry.bytes.data(), data, std::min(length, entry.bytes.size()));
    if (log_.size() >= kMaxLogEntries) log_.erase(log_.begin());
    log_.push_back(entry);
}

bool EmulatedKeyboard::TakeFaultLocked(Fault& fault) {
    bool hit = false;
    for (auto it = faults_.begin(); it != faults_.end();) {
        if (--it->countdown == 0) {
            if (!hit) fault = it->fault;
            hit = true;
            it = faults_.erase(it);
        } else {
            ++it;
        }
    }
    return hit;
}

void EmulatedKeyboard::UnplugLocked() {
    fixture_.plugged = false;
    for (auto& handle : handles_)
        handle->dead = true;
}

int EmulatedKeyboard::Write(Handle device, const uint8_t* data, size_t length) {
    std::lock_guard<std::mutex> lock(mutex_);
    OpenHandle* handle = KnownLocked(device);
    if (!handle || handle->dead || !data || length == 0) return -1;
    Fault fault{};
    const bool faulted = handle->command && TakeFaultLocked(fault);
    if (faulted && fault == Fault::WriteTransfersNothing) return 0;
    LogLocked(false, handle->command, data, length);
    if (!handle->command) return static_cast<int>(length);
    const bool query = decoder_.Output(data, length, ElapsedLocked());
    if (faulted && fault == Fault::UnplugMidExchange) {
        UnplugLocked();
        return static_cast<int>(length);
    }
    if (query && !(faulted && fault == Fault::MissingReply)) {
        CommandFrame::Payload reply = CommandFrame::StatusReply(
            static_cast<uint8_t>(fixture_.battery), CommandFrame::kLinkCable);
        for (auto& open : handles_)
            if (open->command && !open->dead) open->input.push_back(reply);
    }
    return static_cast<int>(length);
}

int EmulatedKeyboard::SendFeatureReport(Handle device, const uint8_t* data, size_t length) {
    std::lock_guard<std::mutex> lock(mutex_);
    OpenHandle* handle = KnownLocked(device);
    if (!handle || handle->dead || !data || length == 0) return -1;
    Fault fault{};
    const bool faulted = handle->command && TakeFaultLocked(fault);
    if (faulted && fault == Fault::WriteTransfersNothing) return -1;
    LogLocked(true, handle->command, data, length);
    if (handle->command) decoder_.Feature(data, length);
    if (faulted && fault == Fault::UnplugMidExchange) UnplugLocked();
    return static_cast<int>(length);
}

int EmulatedKeyboard::ReadTimeout(Handle device, uint8_t* data, size_t length, int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    OpenHandle* handle = KnownLocked(device);
    if (!handle || handle->dead || !data) return -1;
    if (handle->input.empty()) {
        lock.unlock();
        // Nothing arrives: the wait passes on a virtual clock as it would on a real one.
        if (auto* virtualClock = dynamic_cast<VirtualClock*>(clock_))
            virtualClock->Advance(timeoutMs > 0 ? timeoutMs : 0);
        return 0;
    }
    CommandFrame::Payload report = handle->input.front();
    handle->input.pop_front();
    size_t n = std::min(length, report.size());
    std::memcpy(data, report.data(), n);
    return static_cast<int>(n);
}

std::string EmulatedKeyboard::ManufacturerString(Handle device) {
    std::lock_guard<std::mutex> lock(mutex_);
    return KnownLocked(device) ? fixture_.manufacturer : std::string();
}

std::string EmulatedKeyboard::ProductString(Handle device) {
    std::lock_guard<std::mutex> lock(mutex_);
    return KnownLocked(device) ? fixture_.product : std::string();
}

void EmulatedKeyboard::Plug(bool plugged) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (plugged)
        fixture_.plugged = true;
    else
        UnplugLocked();
}

void EmulatedKeyboard::InjectFault(Fault fault, int countdown) {
    std::lock_guard<std::mutex> lock(mutex_);
    faults_.push_back({fault, countdown < 1 ? 1 : countdown});
}

void EmulatedKeyboard::ClearFaults() {
    std::lock_guard<std::mutex> lock(mutex_);
    faults_.clear();
}

EmulatedKeyboard::Family EmulatedKeyboard::GetFamily() const {
    return decoder_.GetFamily(); // fixed at construction
}

int EmulatedKeyboard::DeviceType() const {
    return GetFamily() == Family::Feature ? kFeatureDeviceType : kPrefixedDeviceType;
}

const char* EmulatedKeyboard::Name() const {
    return GetFamily() == Family::Feature ? kFeatureName : kPrefixedName;
}

uint16_t EmulatedKeyboard::ProductId() const {
    return GetFamily() == Family::Feature ? kFeatureProductId : kPrefixedProductId;
}

std::string EmulatedKeyboard::CommandPath() const {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& item : fixture_.interfaces)
        if (item.command) return item.info.path;
    return {};
}

EmulatedKeyboard::State EmulatedKeyboard::GetState() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return decoder_.GetState();
}

std::vector<EmulatedKeyboard::LoggedReport> EmulatedKeyboard::Log() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return log_;
}

void EmulatedKeyboard::ClearLog() {
    std::lock_guard<std::mutex> lock(mutex_);
    log_.clear();
}

int EmulatedKeyboard::OpenHandleCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(handles_.size());
}

EmulatedKeyboard::Fixture EmulatedKeyboard::GetFixture() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return fixture_;
}

void EmulatedKeyboard::AttachFilter(std::shared_ptr<const SimHidFilter> filter) {
    std::lock_guard<std::mutex> lock(mutex_);
    filter_ = std::move(filter);
}

std::vector<std::vector<int>> EmulatedKeyboard::RemapTables() const {
    std::shared_ptr<const SimHidFilter> filter;
    std::vector<std::vector<int>> tables;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        filter = filter_;
        tables = earlierRemapTables_;
    }
    if (filter)
        for (auto& table : filter->LoadedTables())
            tables.push_back(std::move(table));
    if (tables.size() > kMaxRemapTables)
        tables.erase(tables.begin(), tables.end() - static_cast<std::ptrdiff_t>(kMaxRemapTables));
    return tables;
}

const char* EmulatedKeyboard::FamilyName(Family family) {
    return family == Family::Feature ? "feature" : "prefixed";
}

std::string EmulatedKeyboard::StatePathBeside(const std::string& mouseStateFile, Family family) {
    return mouseStateFile + ".keyboard-" + FamilyName(family);
}

bool EmulatedKeyboard::SaveState(const std::string& path) const {
    EmulatedKeyboardStateFile::Contents contents;
    contents.remapTables = RemapTables();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        contents.family = decoder_.GetFamily();
        contents.plugged = fixture_.plugged;
        contents.elapsedMs = ElapsedLocked();
        contents.state = decoder_.GetState();
        contents.log = log_;
    }
    return EmulatedKeyboardStateFile::Write(path, EmulatedKeyboardStateFile::Format(contents));
}

bool EmulatedKeyboard::LoadState(const std::string& path) {
    std::string text;
    if (!EmulatedKeyboardStateFile::Read(path, text)) return false;
    EmulatedKeyboardStateFile::Contents contents;
    if (!EmulatedKeyboardStateFile::Parse(text, GetFamily(), contents)) return false;
    std::lock_guard<std::mutex> lock(mutex_);
    fixture_.plugged = contents.plugged;
    decoder_.SetState(contents.state);
    log_ = std::move(contents.log);
    earlierRemapTables_ = std::move(contents.remapTables);
    if (log_.size() > kMaxLogEntries)
        log_.erase(log_.begin(), log_.end() - static_cast<std::ptrdiff_t>(kMaxLogEntries));
    epochMs_ = clock_->NowMs();
    elapsedOffsetMs_ = contents.elapsedMs;
    for (auto& handle : handles_)
        handle->input.clear();
    return true;
}

#include "sim/EmulatedMouse.h"

#include "app/platform/Clock.h"
#include "sim/VirtualClock.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

struct EmulatedMouse::OpenHandle {
    Link link = Link::Cable;
    std::string path;
    bool command = false;
    bool dead = false; // its link was unplugged while open
    // Input reports wait per open handle, as on a hidraw node: what arrives while no handle is
    // open is lost, and a newly opened handle starts empty.
    std::deque<CommandFrame::Payload> input;
};

namespace {

EmulatedMouse::Interface MakeInterface(uint16_t productId, uint16_t release, int number,
                                       uint16_t usagePage, uint16_t usage, const std::string& path,
                                       bool command) {
    EmulatedMouse::Interface item;
    item.info.path = path;
    item.info.vendorId = EmulatedMouse::kVendorId;
    item.info.productId = productId;
    item.info.releaseNumber = release;
    item.info.usagePage = usagePage;
    item.info.usage = usage;
    item.info.interfaceNumber = number;
    item.info.interfaceName =
        HidBackend::ComposeInterfaceName(EmulatedMouse::kVendorId, productId, number, path);
    item.command = command;
    return item;
}

std::vector<EmulatedMouse::Interface> LinkInterfaces(uint16_t productId, uint16_t release,
                                                     int base) {
    auto path = [&](int n) { return "/dev/simhid" + std::to_string(base + n); };
    // Decoys come first so that a filter that stops at the first id match is caught.
    return {MakeInterface(productId, release, 0, 0x0001, 0x0002, path(0), false),
            MakeInterface(productId, release, 1, 0xFF02, 0x0001, path(1), false),
            MakeInterface(productId, release, 1, 0xFF02, 0x0002, path(1), true),
            MakeInterface(productId, release, 2, 0x000C, 0x0001, path(2), false)};
}

int DpiForStep(bool wireless, int step) {
    if (wireless) return step >= 1 && step <= 240 ? step * 100 : 0;
    return step >= 0 && step < 240 ? (step + 1) * 100 : 0;
}

uint32_t ColourOf(const uint8_t* rgb) {
    return static_cast<uint32_t>(rgb[0]) | static_cast<uint32_t>(rgb[1]) << 8 |
           static_cast<uint32_t>(rgb[2]) << 16;
}

bool ParseHex(const std::string& text, std::vector<uint8_t>& out) {
    if (text.size() % 2) return false;
    out.clear();
    for (size_t i = 0; i < text.size(); i += 2) {
        int value = 0;
        for (size_t j = i; j < i + 2; ++j) {
            char c = text[j];
            int digit = c >= '0' && c <= '9'   ? c - '0'
                        : c >= 'A' && c <= 'F' ? c - 'A' + 10
                        : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                               : -1;
            if (digit < 0) return false;
            value = value * 16 + digit;
        }
        out.push_back(static_cast<uint8_t>(value));
    }
    return true;
}

} // namespace

EmulatedMouse::Fixture EmulatedMouse::Fixture::Default(bool cable, bool receiver) {
    Fixture fixture;
    fixture.cablePlugged = cable;
    fixture.receiverPlugged = receiver;
    fixture.cableInterfaces = LinkInterfaces(kCableProductId, kCableRelease, 10);
    fixture.receiverInterfaces = LinkInterfaces(kReceiverProductId, kReceiverRelease, 20);
    return fixture;
}

EmulatedMouse::EmulatedMouse(Fixture fixture, Clock* clock)
    : fixture_(std::move(fixture)), clock_(clock ? clock : &Clock::Monotonic()) {
    epochMs_ = clock_->NowMs();
}

EmulatedMouse::~EmulatedMouse() = default;

int64_t EmulatedMouse::ElapsedLocked() const {
    return clock_->NowMs() - epochMs_ + elapsedOffsetMs_;
}

bool EmulatedMouse::PluggedLocked(Link link) const {
    return link == Link::Cable ? fixture_.cablePlugged : fixture_.receiverPlugged;
}

int EmulatedMouse::LinkStateLocked(Link link) const {
    if (!PluggedLocked(link)) return CommandFrame::kLinkNone;
    if (link == Link::Cable) return CommandFrame::kLinkCable;
    return fixture_.receiverLinked ? CommandFrame::kLinkReceiver : CommandFrame::kLinkNone;
}

int EmulatedMouse::LinkState(Link link) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return LinkStateLocked(link);
}

std::vector<HidInterfaceInfo> EmulatedMouse::Enumerate() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<HidInterfaceInfo> result;
    for (Link link : {Link::Cable, Link::Receiver}) {
        if (!PluggedLocked(link)) continue;
        const auto& list =
            link == Link::Cable ? fixture_.cableInterfaces : fixture_.receiverInterfaces;
        for (const auto& item : list)
            result.push_back(item.info);
    }
    return result;
}

const EmulatedMouse::Interface* EmulatedMouse::FindInterfaceLocked(const std::string& path,
                                                                   Link& link) const {
    // Several collections share a path; the command collection wins, as the kernel node is one.
    const Interface* found = nullptr;
    for (Link candidate : {Link::Cable, Link::Receiver}) {
        if (!PluggedLocked(candidate)) continue;
        const auto& list =
            candidate == Link::Cable ? fixture_.cableInterfaces : fixture_.receiverInterfaces;
        for (const auto& item : list) {
            if (item.info.path != path) continue;
            if (!found || item.command) {
                found = &item;
                link = candidate;
            }
        }
    }
    return found;
}

HidBackend::Handle EmulatedMouse::Open(const std::string& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    Link link = Link::Cable;
    const Interface* item = FindInterfaceLocked(path, link);
    if (!item) return nullptr;
    auto handle = std::make_unique<OpenHandle>();
    handle->link = link;
    handle->path = path;
    handle->command = item->command;
    handles_.push_back(std::move(handle));
    return handles_.back().get();
}

void EmulatedMouse::Close(Handle device) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = std::find_if(handles_.begin(), handles_.end(),
                           [&](const auto& h) { return h.get() == device; });
    if (it != handles_.end()) handles_.erase(it);
}

int EmulatedMouse::OpenHandleCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(handles_.size());
}

void EmulatedMouse::LogLocked(Link link, bool feature, bool command, const uint8_t* data,
                              size_t length) {
    LoggedReport entry;
    entry.timeMs = ElapsedLocked();
    entry.link = link;
    entry.feature = feature;
    entry.command = command;
    std::memcpy(entry.bytes.data(), data, std::min(length, entry.bytes.size()));
    if (log_.size() >= kMaxLogEntries) log_.erase(log_.begin());
    log_.push_back(entry);
}

int EmulatedMouse::Write(Handle device, const uint8_t* data, size_t length) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto* handle = static_cast<OpenHandle*>(device);
    bool known = std::any_of(handles_.begin(), handles_.end(),
                             [&](const auto& h) { return h.get() == handle; });
    if (!known || handle->dead || !data || length == 0) return -1;
    if (!handle->command) {
        LogLocked(handle->link, false, false, data, length);
        return static_cast<int>(length);
    }

    // Faults count down over the writes that reach a command interface.
    bool dropWrite = false, noReply = false, noSignature = false, disconnect = false;
    for (auto& pending : faults_) {
        if (--pending.countdown != 0) continue;
        switch (pending.fault) {
        case Fault::WriteTransfersNothing:
            dropWrite = true;
            break;
        case Fault::MissingReply:
            noReply = true;
            break;
        case Fault::ReplyWithoutSignature:
            noSignature = true;
            break;
        case Fault::DisconnectMidExchange:
            disconnect = true;
            break;
        }
    }
    std::erase_if(faults_, [](const PendingFault& f) { return f.countdown <= 0; });
    if (dropWrite) return 0;

    CommandFrame::Report report{};
    std::memcpy(report.data(), data, std::min(length, report.size()));
    LogLocked(handle->link, false, true, data, length);
    bool answers = DecodeLocked(handle->link, report);
    if (disconnect) {
        UnplugLocked(handle->link);
        return static_cast<int>(length);
    }
    if (answers && !noReply) {
        CommandFrame::Payload reply{};
        if (report[2] == CommandFrame::kHandshake || report[6] == CommandFrame::kHandshake) {
            reply = CommandFrame::StatusReply(static_cast<uint8_t>(fixture_.battery),
                                              static_cast<uint8_t>(LinkStateLocked(handle->link)));
        } else {
            std::memcpy(reply.data(), report.data() + 1, reply.size()); // an echo acknowledges
        }
        if (noSignature) std::fill(reply.begin(), reply.begin() + 4, 0);
        DeliverLocked(handle->link, reply);
    }
    return static_cast<int>(length);
}

bool EmulatedMouse::DecodeLocked(Link link, const CommandFrame::Report& report) {
    const uint8_t* p = report.data() + 1; // payload
    if (report[0] != 0) return false;
    // The debounce command has one frame for both links.
    if (p[0] == CommandFrame::kSetDebounceTime) {
        if (!CommandFrame::HasStatusSignature(p + 1, 4) || p[5] != 0x03) return false;
        state_.profiles[state_.activeProfile].debounce = p[6];
        return true;
    }
    // Each link understands only its own frame: the cable takes 08, the receiver BB AA 99 88 09.
    bool wireless = link == Link::Receiver;
    size_t at;
    if (wireless) {
        if (!std::equal(CommandFrame::kReceiverPrefix.begin(), CommandFrame::kReceiverPrefix.end(),
                        p) ||
            p[4] != CommandFrame::kWirelessMarker)
            return false;
        at = 5;
    } else {
        if (p[0] != CommandFrame::kWiredMarker) return false;
        at = 1;
    }
    uint8_t code = p[at];
    const uint8_t* a = p + at + 1; // arguments
    int li = static_cast<int>(link);
    // Looked up only by the commands that change the active profile's settings.
    auto active = [this]() -> Profile& { return state_.profiles[state_.activeProfile]; };
    switch (code) {
    case CommandFrame::kHandshake:
        return true;
    case CommandFrame::kSetActiveProfile:
        state_.activeProfile = a[0];
        return true;
    case CommandFrame::kSetReportRate:
        active().reportRate = a[0];
        return true;
    case CommandFrame::kSetKeyFunction:
        state_.profiles[a[0]].keyFunctions[a[1]] = a[2];
        return true;
    case CommandFrame::kSetWakeUpMethod:
        if (!wireless) return false;
        state_.wakeUpMethod = a[0];
        return true;
    case CommandFrame::kSetDpiLevel: {
        DpiLevel& level = active().dpiLevels[a[0]];
        active().dpiIndex = a[0];
        level.colourIndex = a[1];
        level.step = a[2];
        level.dpi = DpiForStep(wireless, a[2]);
        level.colour = ColourOf(a + 3);
        return false; // a plain write: never answered
    }
    case CommandFrame::kRestoreFactoryDefaults: {
        int resets = state_.factoryResets + 1;
        state_ = State{};
        state_.factoryResets = resets;
        return false;
    }
    case CommandFrame::kSetLighting:
        if (a[0] == CommandFrame::kLiveFrameEffect) {
            if (wireless) return false; // live frames exist only over the cable
            std::memcpy(state_.liveFrame.data(), a + 1, state_.liveFrame.size());
            state_.liveFrameSet = true;
        } else {
            Lighting& light = active().lighting;
            light.set = true;
            light.effect = a[0];
            light.brightness = a[1];
            light.speed = a[2];
            light.colorful = a[3];
            light.direction = a[4];
            light.colour = ColourOf(a + 5);
        }
        return false;
    default:
        break;
    }
    if (code >= CommandFrame::kDownloadKeyMacroFirst &&
        code <= CommandFrame::kDownloadKeyMacroLast) {
        size_t chunk = code - CommandFrame::kDownloadKeyMacroFirst;
        auto& image = macroChunks_[li];
        if (chunk == 0) image.fill(0);
        std::memcpy(image.data() + chunk * kMacroChunkSize, a, kMacroChunkSize);
        if (code == CommandFrame::kDownloadKeyMacroLast) {
            // The whole assignment is known once the last chunk is in.
            std::vector<uint8_t> full(kMacroImageSize, 0);
            std::copy(image.begin(), image.end(), full.begin());
            // Byte 0 carries the macro's loop type in its high bits.
            state_.profiles[image[0] & 0x0F].macroImages[image[1]] = std::move(full);
        }
        return true;
    }
    return false;
}

void EmulatedMouse::DeliverLocked(Link link, const CommandFrame::Payload& report) {
    for (auto& handle : handles_)
        if (handle->link == link && handle->command && !handle->dead)
            handle->input.push_back(report);
}

void EmulatedMouse::UnplugLocked(Link link) {
    if (link == Link::Cable)
        fixture_.cablePlugged = false;
    else
        fixture_.receiverPlugged = false;
    for (auto& handle : handles_)
        if (handle->link == link) handle->dead = true;
}

int EmulatedMouse::ReadTimeout(Handle device, uint8_t* data, size_t length, int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    auto* handle = static_cast<OpenHandle*>(device);
    bool known = std::any_of(handles_.begin(), handles_.end(),
                             [&](const auto& h) { return h.get() == handle; });
    if (!known || handle->dead || !data) return -1;
    auto& queue = handle->input;
    if (!handle->command || queue.empty()) {
        lock.unlock();
        // Nothing arrives: the wait passes on a virtual clock as it would on a real one.
        if (auto* virtualClock = dynamic_cast<VirtualClock*>(clock_))
            virtualClock->Advance(timeoutMs > 0 ? timeoutMs : 0);
        return 0;
    }
    CommandFrame::Payload report = queue.front();
    queue.pop_front();
    size_t n = std::min(length, report.size());
    std::memcpy(data, report.data(), n);
    return static_cast<int>(n);
}

int EmulatedMouse::SendFeatureReport(Handle device, const uint8_t* data, size_t length) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto* handle = static_cast<OpenHandle*>(device);
    bool known = std::any_of(handles_.begin(), handles_.end(),
                             [&](const auto& h) { return h.get() == handle; });
    if (!known || handle->dead || !data || length == 0) return -1;
    LogLocked(handle->link, true, handle->command, data, length);
    return static_cast<int>(length);
}

std::string EmulatedMouse::ManufacturerString(Handle device) {
    std::lock_guard<std::mutex> lock(mutex_);
    return device ? fixture_.manufacturer : std::string();
}

std::string EmulatedMouse::ProductString(Handle device) {
    std::lock_guard<std::mutex> lock(mutex_);
    return device ? fixture_.product : std::string();
}

void EmulatedMouse::PlugCable(bool plugged) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!plugged) {
        UnplugLocked(Link::Cable);
        return;
    }
    fixture_.cablePlugged = true;
}

void EmulatedMouse::PlugReceiver(bool plugged) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!plugged) {
        UnplugLocked(Link::Receiver);
        return;
    }
    fixture_.receiverPlugged = true;
}

void EmulatedMouse::SetReceiverLinked(bool linked) {
    std::lock_guard<std::mutex> lock(mutex_);
    bool changed = fixture_.receiverLinked != linked;
    fixture_.receiverLinked = linked;
    // The receiver reports a change of its link at once, without being asked.
    if (changed && fixture_.receiverPlugged)
        DeliverLocked(Link::Receiver, CommandFrame::StatusReply(
                                          static_cast<uint8_t>(fixture_.battery),
                                          static_cast<uint8_t>(LinkStateLocked(Link::Receiver))));
}

void EmulatedMouse::SetBattery(int battery) {
    std::lock_guard<std::mutex> lock(mutex_);
    fixture_.battery = battery;
}

void EmulatedMouse::SendNotification(Link link) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!PluggedLocked(link)) return;
    DeliverLocked(link, CommandFrame::StatusReply(static_cast<uint8_t>(fixture_.battery),
                                                  static_cast<uint8_t>(LinkStateLocked(link))));
}

void EmulatedMouse::PressButton(Link link, int keyCode) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!PluggedLocked(link)) return;
    DeliverLocked(link, CommandFrame::ButtonReport(static_cast<uint8_t>(state_.activeProfile),
                                                   static_cast<uint8_t>(keyCode)));
}

void EmulatedMouse::QueueInput(Link link, const CommandFrame::Payload& report) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (PluggedLocked(link)) DeliverLocked(link, report);
}

size_t EmulatedMouse::PendingInput(Link link) const {
    std::lock_guard<std::mutex> lock(mutex_);
    size_t waiting = 0;
    for (const auto& handle : handles_)
        if (handle->link == link && handle->command && !handle->dead)
            waiting += handle->input.size();
    return waiting;
}

void EmulatedMouse::InjectFault(Fault fault, int countdown) {
    std::lock_guard<std::mutex> lock(mutex_);
    faults_.push_back({fault, countdown < 1 ? 1 : countdown});
}

void EmulatedMouse::ClearFaults() {
    std::lock_guard<std::mutex> lock(mutex_);
    faults_.clear();
}

EmulatedMouse::State EmulatedMouse::GetState() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return state_;
}

std::vector<EmulatedMouse::LoggedReport> EmulatedMouse::Log() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return log_;
}

void EmulatedMouse::ClearLog() {
    std::lock_guard<std::mutex> lock(mutex_);
    log_.clear();
}

EmulatedMouse::Fixture EmulatedMouse::GetFixture() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return fixture_;
}

bool EmulatedMouse::SaveState(const std::string& path) const {
    std::ostringstream out;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        out << kStateHeader << '\n';
        out << "plugged " << fixture_.cablePlugged << ' ' << fixture_.receiverPlugged << '\n';
        out << "linked " << fixture_.receiverLinked << '\n';
        out << "battery " << fixture_.battery << '\n';
        out << "elapsed " << ElapsedLocked() << '\n';
        out << "active_profile " << state_.activeProfile << '\n';
        out << "wakeup " << state_.wakeUpMethod << '\n';
        out << "resets " << state_.factoryResets << '\n';
        if (state_.liveFrameSet)
            out << "live " << CommandFrame::ToHex(state_.liveFrame.data(), state_.liveFrame.size())
                << '\n';
        for (const auto& [id, profile] : state_.profiles) {
            out << "profile " << id << ' ' << profile.reportRate << ' ' << profile.dpiIndex << ' '
                << profile.debounce << '\n';
            for (const auto& [level, dpi] : profile.dpiLevels)
                out << "dpi " << id << ' ' << level << ' ' << dpi.colourIndex << ' ' << dpi.step
                    << ' ' << dpi.dpi << ' ' << dpi.colour << '\n';
            for (const auto& [key, value] : profile.keyFunctions)
                out << "key " << id << ' ' << key << ' ' << value << '\n';
            for (const auto& [key, image] : profile.macroImages)
                out << "macro " << id << ' ' << key << ' '
                    << CommandFrame::ToHex(image.data(), image.size()) << '\n';
            const Lighting& l = profile.lighting;
            if (l.set)
                out << "light " << id << ' ' << l.effect << ' ' << l.brightness << ' ' << l.speed
                    << ' ' << l.colorful << ' ' << l.direction << ' ' << l.colour << '\n';
        }
        for (const auto& entry : log_)
            out << "report " << entry.timeMs << ' ' << static_cast<int>(entry.link) << ' '
                << entry.feature << ' ' << entry.command << ' '
                << CommandFrame::ToHex(entry.bytes.data(), entry.bytes.size()) << '\n';
    }
    // Never onto a device, a pipe or a folder, nor through a link that leads nowhere.
    struct stat st;
    bool exists = stat(path.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) return false;
    if (!exists && lstat(path.c_str(), &st) == 0) return false;
    std::string target = path;
    if (exists) {
        char* real = realpath(path.c_str(), nullptr);
        if (!real) return false;
        target = real;
        std::free(real);
    }
    // Written beside the target under a name of its own and renamed, so a failed write never
    // leaves half a state and no other file is replaced on the way.
    static std::atomic<int> serial{0};
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = target + ".tmp" + std::to_string(getpid()) + "-" + std::to_string(++serial);
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;
    const std::string text = out.str();
    size_t done = 0;
    bool ok = true;
    while (ok && done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) done += static_cast<size_t>(n);
    }
    ok = ::close(fd) == 0 && ok;
    if (!ok || std::rename(temp.c_str(), target.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

bool EmulatedMouse::LoadState(const std::string& path) {
    // A device or a pipe would never end, and a huge file is not a state.
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxStateFileSize)
        return false;
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    std::string text(static_cast<size_t>(st.st_size), '\0');
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(file.gcount()));
    std::istringstream lines(text);
    std::string header;
    if (!std::getline(lines, header) || header != kStateHeader) return false;
    Fixture fixture;
    State state;
    std::vector<LoggedReport> log;
    int64_t elapsed = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        fixture = fixture_;
    }
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream in(line);
        std::string word;
        in >> word;
        if (word == "plugged") {
            int cable = 0, receiver = 0;
            if (in >> cable >> receiver) {
                fixture.cablePlugged = cable != 0;
                fixture.receiverPlugged = receiver != 0;
            }
        } else if (word == "linked") {
            int linked = 0;
            if (in >> linked) fixture.receiverLinked = linked != 0;
        } else if (word == "battery") {
            int battery = 0;
            if (in >> battery) fixture.battery = std::clamp(battery, 0, 255);
        } else if (word == "elapsed") {
            int64_t value = 0;
            if (in >> value && value >= 0) elapsed = value;
        } else if (word == "active_profile") {
            in >> state.activeProfile;
        } else if (word == "wakeup") {
            in >> state.wakeUpMethod;
        } else if (word == "resets") {
            in >> state.factoryResets;
        } else if (word == "live") {
            std::string hex;
            std::vector<uint8_t> bytes;
            if (in >> hex && ParseHex(hex, bytes) && bytes.size() == state.liveFrame.size()) {
                std::copy(bytes.begin(), bytes.end(), state.liveFrame.begin());
                state.liveFrameSet = true;
            }
        } else if (word == "profile") {
            int id = 0;
            Profile profile;
            if (in >> id >> profile.reportRate >> profile.dpiIndex >> profile.debounce) {
                Profile& target = state.profiles[id];
                target.reportRate = profile.reportRate;
                target.dpiIndex = profile.dpiIndex;
                target.debounce = profile.debounce;
            }
        } else if (word == "dpi") {
            int id = 0, level = 0;
            DpiLevel dpi;
            if (in >> id >> level >> dpi.colourIndex >> dpi.step >> dpi.dpi >> dpi.colour)
                state.profiles[id].dpiLevels[level] = dpi;
        } else if (word == "key") {
            int id = 0, key = 0, value = 0;
            if (in >> id >> key >> value) state.profiles[id].keyFunctions[key] = value;
        } else if (word == "macro") {
            int id = 0, key = 0;
            std::string hex;
            std::vector<uint8_t> bytes;
            if (in >> id >> key >> hex && ParseHex(hex, bytes) && bytes.size() == kMacroImageSize)
                state.profiles[id].macroImages[key] = bytes;
        } else if (word == "light") {
            int id = 0;
            Lighting l;
            if (in >> id >> l.effect >> l.brightness >> l.speed >> l.colorful >> l.direction >>
                l.colour) {
                l.set = true;
                state.profiles[id].lighting = l;
            }
        } else if (word == "report") {
            LoggedReport entry;
            int link = 0, feature = 0, command = 0;
            std::string hex;
            std::vector<uint8_t> bytes;
            if (in >> entry.timeMs >> link >> feature >> command >> hex && ParseHex(hex, bytes) &&
                bytes.size() == entry.bytes.size() && (link == 0 || link == 1)) {
                entry.link = static_cast<Link>(link);
                entry.feature = feature != 0;
                entry.command = command != 0;
                std::copy(bytes.begin(), bytes.end(), entry.bytes.begin());
                if (log.size() >= kMaxLogEntries) log.erase(log.begin());
                log.push_back(entry);
            }
        }
    }
    std::lock_guard<std::mutex> lock(mutex_);
    fixture_ = fixture;
    state_ = state;
    log_ = std::move(log);
    epochMs_ = clock_->NowMs();
    elapsedOffsetMs_ = elapsed;
    for (auto& handle : handles_)
        handle->input.clear();
    return true;
}

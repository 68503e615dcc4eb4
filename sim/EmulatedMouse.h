#pragma once

#include "app/device/CommandFrame.h"
#include "app/device/HidBackend.h"

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class Clock;

// The mouse and its 2.4 GHz receiver as seen through the HID seam. Each of the two links (cable,
// receiver) shows the vendor command interface (usage page 0xFF02, usage 2) among decoy
// interfaces. What arrives on a command interface is logged, decoded into the mouse's state and,
// for the commands that expect one, answered. Faults are injected by countdown over the writes
// that reach a command interface. Thread-safe.
class EmulatedMouse : public HidBackend {
public:
    static constexpr uint16_t kVendorId = 0x25A7;
    static constexpr uint16_t kCableProductId = 0xFA07;
    static constexpr uint16_t kReceiverProductId = 0xFA08;
    static constexpr uint16_t kCableRelease = 0x0105;
    static constexpr uint16_t kReceiverRelease = 0x0110;
    static constexpr int kDeviceType = 601;
    static constexpr const char* kName = "ORMAN-Q410";
    static constexpr const char* kInterfacePattern = "MI_01"; // both links' command interface
    static constexpr size_t kMacroImageSize = 512;
    static constexpr size_t kMacroChunkSize = 23;
    static constexpr size_t kMaxLogEntries = 4096;

    enum class Link { Cable = 0, Receiver = 1 };
    enum class Fault {
        WriteTransfersNothing, // the write returns 0 and the mouse sees nothing
        MissingReply,          // the command is taken but not answered
        ReplyWithoutSignature, // the answer's first four bytes are zero
        DisconnectMidExchange, // the command is taken, then the link disappears before the answer
    };

    // One interface of a link, and whether it is the command interface.
    struct Interface {
        HidInterfaceInfo info;
        bool command = false;
    };
    // A declarative description: tests copy Default() and change one thing.
    struct Fixture {
        bool cablePlugged = true;
        bool receiverPlugged = true;
        bool receiverLinked = true; // the receiver reaches the mouse over the air
        int battery = 80;           // byte 5 of every status reply (may be > 100 on purpose)
        std::string manufacturer = "ORMAN";
        std::string product = "ORMAN-Q410 Gaming Mouse";
        std::vector<Interface> cableInterfaces;    // enumeration order
        std::vector<Interface> receiverInterfaces; // enumeration order

        // Both links with a mouse interface, a 0xFF02/1 decoy, the command interface (all MI_01
        // but the mouse's MI_00) and a consumer-control decoy.
        static Fixture Default(bool cable = true, bool receiver = true);
    };

    struct DpiLevel {
        int colourIndex = 0;
        int step = -1;       // as sent (0-based over the cable, 1-based through the receiver)
        int dpi = 0;         // decoded resolution, 0 when the step named none
        uint32_t colour = 0; // 0x00BBGGRR
    };
    struct Lighting {
        bool set = false;
        int effect = 0;
        int brightness = 0;
        int speed = 0;
        int colorful = 0;
        int direction = 0;
        uint32_t colour = 0; // 0x00BBGGRR
    };
    struct Profile {
        int reportRate = -1; // rate code 0-3, -1 never set
        int dpiIndex = -1;   // level named by the last SetDpiLevel
        int debounce = -1;
        std::map<int, DpiLevel> dpiLevels;               // by level
        std::map<int, int> keyFunctions;                 // key code -> function value
        std::map<int, std::vector<uint8_t>> macroImages; // key code -> 512-byte image
        Lighting lighting;
    };
    struct State {
        int activeProfile = 1;
        int wakeUpMethod = -1; // -1 never set
        int factoryResets = 0;
        bool liveFrameSet = false;
        std::array<uint8_t, 21> liveFrame{}; // 7 x (R G B) of the last live frame, light 0 first
        // Keyed by the profile number as sent (for macro images, the low four bits of byte 0).
        std::map<int, Profile> profiles;
    };
    struct LoggedReport {
        int64_t timeMs = 0; // since the mouse was created (continued across SaveState/LoadState)
        Link link = Link::Cable;
        bool feature = false;
        bool command = true; // reached the command interface
        CommandFrame::Report bytes{};
    };

    explicit EmulatedMouse(Fixture fixture = Fixture::Default(), Clock* clock = nullptr);
    ~EmulatedMouse() override;

    // HidBackend.
    std::vector<HidInterfaceInfo> Enumerate() override;
    Handle Open(const std::string& path) override;
    void Close(Handle device) override;
    int Write(Handle device, const uint8_t* data, size_t length) override;
    int ReadTimeout(Handle device, uint8_t* data, size_t length, int timeoutMs) override;
    int SendFeatureReport(Handle device, const uint8_t* data, size_t length) override;
    std::string ManufacturerString(Handle device) override;
    std::string ProductString(Handle device) override;

    // The outside world.
    void PlugCable(bool plugged);
    void PlugReceiver(bool plugged);
    // A change is announced by an unsolicited status report on the plugged receiver.
    void SetReceiverLinked(bool linked);
    void SetBattery(int battery);
    // Link state the link reports: 3 on a plugged cable, 1 through a linked receiver, else 0.
    int LinkState(Link link) const;
    // Queues an unsolicited status report on the link's command interface. Like every input
    // report it waits on each handle open on that interface and is lost when none is open.
    void SendNotification(Link link);
    // A press of a button whose function the program performs: the mouse reports it with
    // CommandFrame::ButtonReport (active profile, key code) on the link's command interface.
    void PressButton(Link link, int keyCode);
    // Queues any 64-byte input report on the link's command interface (same rule).
    void QueueInput(Link link, const CommandFrame::Payload& report);
    // Number of input reports waiting on the open handles of the link's command interface.
    size_t PendingInput(Link link) const;

    // The countdown-th next write to a command interface (1 = the very next) meets the fault.
    void InjectFault(Fault fault, int countdown = 1);
    void ClearFaults();

    State GetState() const;
    std::vector<LoggedReport> Log() const;
    void ClearLog();
    // Handles currently open (to prove that closing released them).
    int OpenHandleCount() const;
    Fixture GetFixture() const;

    // Keeps state, plugs, battery and the report log in a text file between runs. Saving writes
    // a temporary file beside the target and renames it; it refuses (false) a target that exists
    // but is not a regular file. Loading reads only a regular file of at most kMaxStateFileSize
    // bytes whose first line is the state header; false, with the state unchanged, otherwise
    // (a malformed line inside a state file is skipped).
    bool SaveState(const std::string& path) const;
    bool LoadState(const std::string& path);
    static constexpr long kMaxStateFileSize = 16L << 20;
    static constexpr const char* kStateHeader = "pivane-simulated-mouse 1";

    static const char* LinkName(Link link) { return link == Link::Cable ? "cable" : "receiver"; }

private:
    struct OpenHandle;
    struct PendingFault {
        Fault fault;
        int countdown;
    };

    int64_t ElapsedLocked() const;
    bool PluggedLocked(Link link) const;
    const Interface* FindInterfaceLocked(const std::string& path, Link& link) const;
    void LogLocked(Link link, bool feature, bool command, const uint8_t* data, size_t length);
    // Decodes one command; returns true when the command is answered.
    bool DecodeLocked(Link link, const CommandFrame::Report& report);
    void UnplugLocked(Link link);
    // Hands an input report to every open handle of the link's command interface.
    void DeliverLocked(Link link, const CommandFrame::Payload& report);
    int LinkStateLocked(Link link) const;

    mutable std::mutex mutex_;
    Fixture fixture_;
    Clock* clock_ = nullptr;
    int64_t epochMs_ = 0;
    int64_t elapsedOffsetMs_ = 0;
    State state_;
    std::vector<LoggedReport> log_;
    std::array<uint8_t, 6 * 23> macroChunks_[2]{};
    std::vector<PendingFault> faults_;
    std::vector<std::unique_ptr<OpenHandle>> handles_;
};

#pragma once

#include "app/device/CommandFrame.h"
#include "app/device/HidBackend.h"
#include "sim/EmulatedKeyboardDecoder.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

class Clock;
class SimHidFilter;

// A keyboard of one of the two families as seen through the HID seam, on its USB cable: a
// boot keyboard interface and a 0xFF02/1 decoy around the vendor command interface
// (usage page 0xFF02, usage 2, MI_01). Every report that reaches it is logged with its time and
// decoded (EmulatedKeyboardDecoder); the status query 08 FD, which the handshake sends, is
// answered with a cable status reply. Faults are injected by countdown over the reports that
// reach the command interface. Thread-safe.
class EmulatedKeyboard : public HidBackend {
public:
    using Family = EmulatedKeyboardDecoder::Family;
    using State = EmulatedKeyboardDecoder::State;
    using Lighting = EmulatedKeyboardDecoder::Lighting;

    static constexpr uint16_t kVendorId = 0x25A7;
    static constexpr uint16_t kFeatureProductId = 0xFA10;
    static constexpr uint16_t kPrefixedProductId = 0xFA20;
    static constexpr uint16_t kRelease = 0x0100;
    static constexpr int kFeatureDeviceType = 101;
    static constexpr int kPrefixedDeviceType = 301;
    static constexpr const char* kFeatureName = "ORMAN-K101";
    static constexpr const char* kPrefixedName = "ORMAN-K301";
    static constexpr const char* kInterfacePattern = "MI_01";
    static constexpr size_t kMaxLogEntries = 4096; // the oldest are dropped beyond this
    static constexpr size_t kMaxRemapTables = 256; // likewise

    enum class Fault {
        WriteTransfersNothing, // the report is refused (0 from Write, -1 from a feature report)
        MissingReply,          // a status query is taken but not answered
        UnplugMidExchange,     // the report is taken, then the cable is pulled
    };

    struct Interface {
        HidInterfaceInfo info;
        bool command = false;
    };
    // A declarative description: tests copy Default() and change one thing.
    struct Fixture {
        Family family = Family::Feature;
        bool plugged = true;
        int battery = 100; // byte 5 of the status reply
        std::string manufacturer = "ORMAN";
        std::string product;
        std::vector<Interface> interfaces; // enumeration order

        static Fixture Default(Family family);
    };
    struct LoggedReport {
        int64_t timeMs = 0; // since the keyboard was created (continued across LoadState)
        bool feature = false;
        bool command = true; // reached the command interface
        CommandFrame::Report bytes{};
    };

    explicit EmulatedKeyboard(Fixture fixture, Clock* clock = nullptr);
    explicit EmulatedKeyboard(Family family, Clock* clock = nullptr)
        : EmulatedKeyboard(Fixture::Default(family), clock) {}
    ~EmulatedKeyboard() override;

    // HidBackend.
    std::vector<HidInterfaceInfo> Enumerate() override;
    Handle Open(const std::string& path) override;
    void Close(Handle device) override;
    int Write(Handle device, const uint8_t* data, size_t length) override;
    int ReadTimeout(Handle device, uint8_t* data, size_t length, int timeoutMs) override;
    int SendFeatureReport(Handle device, const uint8_t* data, size_t length) override;
    std::string ManufacturerString(Handle device) override;
    std::string ProductString(Handle device) override;

    // Pulling the cable kills the open handles; plugging it in again needs a new Open.
    void Plug(bool plugged);
    void InjectFault(Fault fault, int countdown = 1);
    void ClearFaults();

    Family GetFamily() const;
    int DeviceType() const;
    const char* Name() const;
    uint16_t ProductId() const;
    // The device-manager path of the command interface.
    std::string CommandPath() const;
    State GetState() const;
    std::vector<LoggedReport> Log() const;
    void ClearLog();
    int OpenHandleCount() const;
    Fixture GetFixture() const;

    // The key-remapping filter driver that sits on this keyboard's keys: the tables it is given
    // belong to the keyboard's state (the prefixed family's key assignments reach nothing else).
    void AttachFilter(std::shared_ptr<const SimHidFilter> filter);
    // The key codes of each remap table the filter was given, oldest first: those of earlier
    // runs (from the state file), then those of this one.
    std::vector<std::vector<int>> RemapTables() const;

    // Keeps plug, state and report log in a text file (see EmulatedKeyboardStateFile). Saving
    // writes beside the target and renames; loading takes only a regular, small file of this
    // family whose first line is the header. False, state unchanged, otherwise.
    bool SaveState(const std::string& path) const;
    bool LoadState(const std::string& path);
    // The state file that goes with the mouse's --sim-state FILE: FILE.keyboard-feature or
    // FILE.keyboard-prefixed.
    static std::string StatePathBeside(const std::string& mouseStateFile, Family family);
    static const char* FamilyName(Family family);

private:
    struct OpenHandle;
    struct PendingFault {
        Fault fault;
        int countdown;
    };

    int64_t ElapsedLocked() const;
    const Interface* FindInterfaceLocked(const std::string& path) const;
    OpenHandle* KnownLocked(Handle device) const;
    void LogLocked(bool feature, bool command, const uint8_t* data, size_t length);
    // The fault this command report meets, if any.
    bool TakeFaultLocked(Fault& fault);
    void UnplugLocked();

    mutable std::mutex mutex_;
    Fixture fixture_;
    Clock* clock_ = nullptr;
    int64_t epochMs_ = 0;
    int64_t elapsedOffsetMs_ = 0;
    EmulatedKeyboardDecoder decoder_;
    std::vector<LoggedReport> log_;
    std::vector<PendingFault> faults_;
    std::vector<std::unique_ptr<OpenHandle>> handles_;
    std::shared_ptr<const SimHidFilter> filter_;
    std::vector<std::vector<int>> earlierRemapTables_;
};

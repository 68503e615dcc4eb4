#pragma once

#include "app/device/DeviceEntry.h"
#include "app/device/HidBackend.h"
#include "app/device/SupportedDevice.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

class Clock;

// The one object through which the program reaches its devices: the supported-device table, the
// opened vendor interfaces, and the 65-byte report transfers to the current device. Each transfer
// (a write and the read of its reply) runs under one lock, so a reply is always read by the thread
// that sent the request. All members are safe to call from any thread.
class HidDeviceManager {
public:
    static constexpr size_t kReportSize = 65;
    static constexpr size_t kPayloadSize = 64;
    static constexpr uint16_t kCommandUsagePage = 0xFF02;
    static constexpr uint16_t kCommandUsage = 0x0002;
    // Protocol pauses and time-outs in milliseconds.
    static constexpr int kQueryPauseMs = 8;
    static constexpr int kRetryPauseMs = 32;
    static constexpr int kHandshakePauseMs = 10;
    static constexpr int kReplyTimeoutMs = 100;
    static constexpr int kPollTimeoutMs = 10;

    // The process-wide manager; its first use creates the hidapi back end (initialising hidapi)
    // unless a back end was installed before.
    static HidDeviceManager& Instance();

    // A manager of its own (tests). A null backend means hidapi; a null clock the monotonic one.
    explicit HidDeviceManager(std::shared_ptr<HidBackend> backend = nullptr,
                              Clock* clock = nullptr);
    ~HidDeviceManager();
    HidDeviceManager(const HidDeviceManager&) = delete;
    HidDeviceManager& operator=(const HidDeviceManager&) = delete;

    // Replaces the HID layer (closing every device first); null restores hidapi.
    void SetBackend(std::shared_ptr<HidBackend> backend);
    // Replaces the clock of every pause; null restores the monotonic clock. Not owned.
    void SetClock(Clock* clock);
    Clock& GetClock() const;

    // Appends one row to the supported-device table.
    void AddSupportedDevice(int32_t vendorId, int32_t productId, int32_t release,
                            const std::string& name, int32_t deviceType, int32_t mode,
                            const std::string& interfacePattern);
    void ClearSupportedDevices();
    std::vector<SupportedDevice> SupportedDevices() const;

    // Opens every matching vendor interface and greets it with the handshake (see the rules in
    // the implementation). Expects an empty list.
    void OpenAll();
    // Clears the open flag and closes and destroys every entry; nothing when already closed.
    void CloseAll();
    // CloseAll, OpenAll, open flag set, selected device type 0, current device cleared.
    void Rescan();
    bool IsOpen() const;

    // The device type that commands address (0 after a rescan, 601 while the mouse is shown).
    // Setting it clears the cached current device.
    void SetSelectedDeviceType(int32_t deviceType);
    int32_t SelectedDeviceType() const;

    // The device that transfers go to: the first online entry of the selected type with mode 0,
    // else with mode 2; cached. Null when there is none.
    HidBackend::Handle CurrentDevice();
    // List index of the entry CurrentDevice picks, or -1.
    int CurrentIndex();
    // 0 when a wired entry of the selected type is online, else 2 for a wireless one, else -1.
    int ConnectedMode() const;

    // Index of the first entry with both ids, else -1.
    int IndexOf(int32_t vendorId, int32_t productId) const;
    // Index of the first online entry with both ids and the mode, else -1 (the name is ignored).
    int FindOnline(int32_t vendorId, int32_t productId, const std::string& name,
                   int32_t mode) const;
    // The entry's release number; false when closed, out of range or empty.
    bool ReleaseNumber(int32_t& releaseNumber, int index) const;
    // A copy of the entry at index; false when out of range.
    bool EntryAt(int index, DeviceEntry& entry) const;
    int EntryCount() const;

    // Transfers. Each returns false, having sent nothing, when the manager is not open or there
    // is no current device.
    //
    // Writes report id 0 + payload; one retry after 32 ms when nothing was transferred. True
    // when the last write transferred at least one byte.
    bool WriteCommand(const uint8_t payload[kPayloadSize]);
    // 8 ms pause, write, read with a 100 ms time-out; the reply's first 64 bytes (no report id)
    // replace payload. False, payload unchanged, when the write or the read fails.
    bool QueryCommand(uint8_t payload[kPayloadSize]);
    // Writes the 65 bytes as they are, no retry. With expectReply: 8 ms pause, read with a 100 ms
    // time-out into a copy of the request and copy that back (bytes the reply does not cover keep
    // their request values). True when written (and, with expectReply, a reply arrived).
    bool WriteReport(uint8_t report[kReportSize], bool expectReply);
    // Sends the 65 bytes as a feature report. True when sent.
    bool SendFeature(const uint8_t report[kReportSize]);
    // Reads a pending report with a 10 ms time-out into buffer (65 bytes): from the current
    // device, else from each entry in turn; a status report read that way updates that entry's
    // online flag from its link byte. False when nothing arrived.
    bool ReadNotification(uint8_t buffer[kReportSize]);

private:
    HidBackend& Backend();
    bool Handshake(DeviceEntry& entry);
    HidBackend::Handle CurrentDeviceLocked();
    int CurrentIndexLocked() const;
    int ConnectedModeLocked() const;
    void CloseAllLocked();

    mutable std::recursive_mutex mutex_;
    std::shared_ptr<HidBackend> backend_;
    Clock* clock_ = nullptr;
    bool open_ = false;
    std::vector<std::unique_ptr<DeviceEntry>> devices_;
    std::vector<SupportedDevice> supported_;
    int32_t selectedDeviceType_ = 0;
    HidBackend::Handle currentDevice_ = nullptr;
};

#pragma once

#include "app/device/HidUsbFilter.h"
#include "app/device/VirtualHidReports.h"
#include "app/store/KeyAssignmentRow.h"
#include "app/store/MacroItemRow.h"
#include "app/store/MacroRow.h"

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

class Clock;
class SettingsDatabase;

// The key-remapping companion of the keyboard family: keys of the current profile are taken
// away from the keyboard by the filter driver, and their assigned function is played through the
// virtual HID device instead. It listens to the filter (HidUsbFilter) as the main window's
// listener; macros are handed to the worker (PlayMacro) because they take time.
class KeyRemapCompanion {
public:
    static constexpr int kKeyType = 2;
    static constexpr int kMacroType = 3;
    static constexpr int kMouseButtonType = 5;
    static constexpr int kMediaType = 6;
    static constexpr int kShortcutType = 7;
    static constexpr int kFirstSoftwareType = 8; // program, web page, text, profile switch
    static constexpr int kLastSoftwareType = 11;
    static constexpr int kMacroPressType = 2; // t_macrorecord type of a key press
    static constexpr int kMinEventDelayMs = 5;

    // A macro key was pressed: the owner queues the worker request that calls PlayMacro.
    using MacroRequest = std::function<void(int macroId)>;
    // A key of types 8 to 11 was pressed: the program performs the function whose key extra
    // data row has this id (message 1092 of the main window).
    using SoftwareRequest = std::function<void(int keyExtraDataId)>;

    KeyRemapCompanion(HidUsbFilter& filter, VirtualHidReports& reports, Clock& clock);
    KeyRemapCompanion(const KeyRemapCompanion&) = delete;
    KeyRemapCompanion& operator=(const KeyRemapCompanion&) = delete;
    ~KeyRemapCompanion();

    // Start-up: resets the virtual device, registers this companion as a listener of the filter
    // and opens the filter device. False when the filter device is not present (then nothing is
    // remapped; the rest still works).
    bool Start(MacroRequest onMacro, SoftwareRequest onSoftware = {});
    // Program exit: cancels a playing macro, unregisters, stops the reader, clears the driver's
    // table and closes the filter device.
    void Stop();

    // Loads the remap table for rows (the key rows of a keyboard profile and fn layer, in store
    // order, whatever their type; at most 256 are taken). Resets the virtual device first. With
    // no rows the driver's table stays empty and no reader runs. False when a filter request
    // failed.
    bool LoadRemapTable(const std::vector<KeyAssignmentRow>& rows);
    // The same for the stored rows of a profile and fn layer.
    bool LoadRemapTable(SettingsDatabase& store, int profile, int fnLayer);
    // Number of keys the map holds.
    size_t MappedKeyCount() const;
    // Whether keys can be taken over: the filter driver is present and open.
    bool IsActive() const { return filter_.IsOpen(); }

    // The listener: plays the function of an intercepted key. True when the key is mapped. A
    // key (type 2) holds its modifier flags (Ctrl 1, Shift 2, Alt 4, Win 8: left Ctrl, Shift,
    // Alt, Windows) around itself; a media function (type 6, 1 to 7) plays the program's media
    // code of the same name through the 16-bit usage report; types 8 to 11 are handed to the
    // program on the press.
    bool HandleKeyEvent(const HidUsbFilter::KeyEvent& event);
    // The program's media code of a keyboard media function 1-7 (play/pause, stop, previous,
    // next, volume up, volume down, mute); 0 for any other value.
    static int MediaCode(int value);
    // Id of the macro last requested by a key press (0 before any).
    int PendingMacro() const { return pendingMacro_; }

    // Plays shortcut 1-15 through the keyboard report: its keys are pressed and released in
    // order, then every report is reset. False for an unknown number or a failed write.
    bool PlayShortcut(int number);

    // Worker side of a macro key: reopens the virtual device, resets the reports and plays the
    // events play-times times, each followed by its delay (at least 5 ms). Events whose key
    // cannot be played are skipped, their delays kept. Stops early (false) when the device is
    // not present, a write fails, or CancelPlayback was called.
    bool PlayMacro(const MacroRow& macro, const std::vector<MacroItemRow>& items);
    // The same for a stored macro; false when the macro has no row.
    bool PlayMacro(SettingsDatabase& store, int macroId);
    // Ends a running PlayMacro at its next event (any thread); the next PlayMacro clears it.
    void CancelPlayback();

private:
    static bool Dispatch(void* owner, const HidUsbFilter::KeyEvent& event, void* param);

    HidUsbFilter& filter_;
    VirtualHidReports& reports_;
    Clock& clock_;
    MacroRequest onMacro_;
    SoftwareRequest onSoftware_;

    std::mutex loadMutex_; // keeps the map and the driver's table of one load together
    mutable std::mutex mapMutex_;
    std::map<int, KeyAssignmentRow> keyMap_; // key code -> its row
    std::atomic<int> pendingMacro_{0};
    std::atomic<bool> cancel_{false};
    std::mutex requestMutex_; // guards onMacro_ against Start/Stop while events arrive
};

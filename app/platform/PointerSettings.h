#pragma once

#include <array>
#include <memory>
#include <string>

// The desktop's pointer settings that the pointer page edits directly (they are neither stored
// in the settings database nor sent to the mouse). Values keep the scales the page works in:
// speed 1..20 with 10 as the desktop's default, the three mouse values (two thresholds and the
// acceleration flag), wheel lines per notch (-1 = one screen per notch) and the double-click
// time in milliseconds. Window thread only.
class PointerSettings {
public:
    enum class Setting { Speed, Precision, ScrollLines, DoubleClick };
    // How far a setting reaches on this desktop.
    enum class Reach {
        Desktop,          // read from and applied to the desktop
        Kept,             // the desktop has no such setting; the program keeps the value
        NoDesktopSetting, // the desktop offers nothing to change: get and set fail
        NoDisplay,        // neither the desktop's settings nor an X display: get and set fail
    };

    static constexpr int kMinSpeed = 1;
    static constexpr int kMaxSpeed = 20;
    static constexpr int kPageScroll = -1;
    static constexpr int kMaxScrollLines = 100;
    static constexpr int kMinDoubleClickMs = 1;
    static constexpr int kMaxDoubleClickMs = 5000;
    static constexpr int kAccelerationValue = 2; // index of the flag in the mouse values

    virtual ~PointerSettings() = default;

    virtual Reach ReachOf(Setting setting) const = 0;

    // Each getter leaves its output alone and returns false when the value cannot be read;
    // each setter returns false when nothing was applied (also for values out of range).
    virtual bool GetMouseSpeed(int& speed) = 0;
    virtual bool SetMouseSpeed(int speed) = 0;
    // values[kAccelerationValue] is 1 while the pointer is accelerated ("enhanced precision").
    virtual bool GetMouse(std::array<int, 3>& values) = 0;
    virtual bool SetMouse(const std::array<int, 3>& values) = 0;
    virtual bool GetWheelScrollLines(int& lines) = 0;
    virtual bool SetWheelScrollLines(int lines) = 0;
    virtual bool GetDoubleClickTime(int& ms) = 0;
    virtual bool SetDoubleClickTime(int ms) = 0;

    // The desktop's own settings when the mouse schema of GSettings is installed, else X11
    // pointer control on $DISPLAY; wheel lines are kept by the program in both cases.
    static std::unique_ptr<PointerSettings> ForDesktop();
    // The file the program keeps its own pointer values in ("" when no home is known).
    static std::string KeptValuesFile();
};

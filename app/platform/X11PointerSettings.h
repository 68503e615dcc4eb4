#pragma once

#include "app/platform/KeptScrollLines.h"
#include "app/platform/PointerSettings.h"

#include <string>

typedef struct _XDisplay Display;

// Pointer speed and acceleration through X11 pointer control, for desktops without the GSettings
// mouse schema; wheel lines are kept by the program, and X has no double-click time to change.
// Speed s of 1..20 is the acceleration factor s / 5 (the X default 2/1 is speed 10); the
// acceleration flag is a threshold above 0: with threshold 0 every motion is scaled alike.
// The mouse values are {threshold, 0, flag}.
class X11PointerSettings : public PointerSettings {
public:
    static constexpr int kSpeedDenominator = 5;
    static constexpr int kThreshold = 4; // the X default

    // Opens a connection of its own to `displayName` ($DISPLAY when empty). Without a display
    // speed and acceleration report NoDisplay.
    X11PointerSettings(const std::string& displayName, std::string keptFile);
    ~X11PointerSettings() override;
    X11PointerSettings(const X11PointerSettings&) = delete;
    X11PointerSettings& operator=(const X11PointerSettings&) = delete;

    Reach ReachOf(Setting setting) const override;
    bool GetMouseSpeed(int& speed) override;
    bool SetMouseSpeed(int speed) override;
    bool GetMouse(std::array<int, 3>& values) override;
    bool SetMouse(const std::array<int, 3>& values) override;
    bool GetWheelScrollLines(int& lines) override;
    bool SetWheelScrollLines(int lines) override;
    bool GetDoubleClickTime(int& ms) override;
    bool SetDoubleClickTime(int ms) override;

    bool HasDisplay() const { return display_ != nullptr; }

private:
    bool Read(int& numerator, int& denominator, int& threshold);

    Display* display_ = nullptr;
    KeptScrollLines scroll_;
};

#include "app/platform/X11PointerSettings.h"

#include <X11/Xlib.h>

#include <algorithm>

X11PointerSettings::X11PointerSettings(const std::string& displayName, std::string keptFile)
    : scroll_(std::move(keptFile)) {
    display_ = XOpenDisplay(displayName.empty() ? nullptr : displayName.c_str());
}

X11PointerSettings::~X11PointerSettings() {
    if (display_) XCloseDisplay(display_);
}

PointerSettings::Reach X11PointerSettings::ReachOf(Setting setting) const {
    switch (setting) {
    case Setting::ScrollLines:
        return Reach::Kept;
    case Setting::DoubleClick:
        return Reach::NoDesktopSetting;
    default:
        return display_ ? Reach::Desktop : Reach::NoDisplay;
    }
}

bool X11PointerSettings::Read(int& numerator, int& denominator, int& threshold) {
    if (!display_) return false;
    XGetPointerControl(display_, &numerator, &denominator, &threshold);
    return true;
}

bool X11PointerSettings::GetMouseSpeed(int& speed) {
    int num = 0, den = 0, threshold = 0;
    if (!Read(num, den, threshold)) return false;
    if (den <= 0) den = 1;
    // Rounded to the nearest speed step.
    const long long s = (static_cast<long long>(num) * kSpeedDenominator * 2 + den) / (2LL * den);
    speed = static_cast<int>(std::clamp<long long>(s, kMinSpeed, kMaxSpeed));
    return true;
}

bool X11PointerSettings::SetMouseSpeed(int speed) {
    if (!display_ || speed < kMinSpeed || speed > kMaxSpeed) return false;
    XChangePointerControl(display_, True, False, speed, kSpeedDenominator, 0);
    XSync(display_, False); // done when this returns, for every other client too
    return true;
}

bool X11PointerSettings::GetMouse(std::array<int, 3>& values) {
    int num = 0, den = 0, threshold = 0;
    if (!Read(num, den, threshold)) return false;
    values = {threshold, 0, threshold > 0 ? 1 : 0};
    return true;
}

bool X11PointerSettings::SetMouse(const std::array<int, 3>& values) {
    if (!display_) return false;
    const int threshold =
        values[kAccelerationValue] == 0 ? 0 : (values[0] > 0 ? values[0] : kThreshold);
    XChangePointerControl(display_, False, True, 0, 0, threshold);
    XSync(display_, False); // done when this returns, for every other client too
    return true;
}

bool X11PointerSettings::GetWheelScrollLines(int& lines) {
    lines = scroll_.Lines();
    return true;
}

bool X11PointerSettings::SetWheelScrollLines(int lines) {
    if (lines != kPageScroll && (lines < 0 || lines > kMaxScrollLines)) return false;
    return scroll_.SetLines(lines);
}

bool X11PointerSettings::GetDoubleClickTime(int&) {
    return false;
}

bool X11PointerSettings::SetDoubleClickTime(int) {
    return false;
}

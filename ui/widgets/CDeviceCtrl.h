#pragma once

#include "ui/TolvaApi.h"
#include "ui/core/MControlFont.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace Tolva {

// The list of supported devices: the active ones first, then the available ones; devices that
// are not present are not shown. The widget's image has two frames: active row, available row.
class TOLVA_API CDeviceCtrl : public MControlFont {
public:
    struct Device {
        std::string name;
        int value1 = 0;
        int value2 = 0;
        int deviceType = 0;
        int state = 0; // 0 not shown, 1 active, 2 available
        bool connected = false;
        Rect rect; // widget-relative; empty while not shown
    };

    CDeviceCtrl(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
                bool visible = true, bool enabled = true);

    const char* GetObjectClass() const override { return "CDeviceCtrl"; }
    void DrawControl(cairo_t* cr, const Rect& clip) override;
    int OnControlMouseMove(unsigned flags, Point pt) override;
    int OnControlSetCursor(unsigned flags, Point pt) override;
    int OnControlLButtonDown(unsigned flags, Point pt) override;
    void SetControlRect(const Rect& rect) override;

    // A connected device starts available (state 2), any other not shown. No repaint.
    void AddDevice(const std::string& name, int value1, int value2, int deviceType, bool connected);
    // Every record of the type takes the state (0, 1 or 2; others are ignored); a shown state
    // makes the last such record current.
    void SetDeviceState(int deviceType, int state);
    void ResetAllState();
    // Makes the first record current, whatever the argument.
    void SetSelectItem(int ignored);
    // 0 without a current record or without a connected device.
    int GetCurDeviceType() const;
    int GetConnectCount() const;
    void ClearList();

    int GetDeviceCount() const;
    int GetCurSel() const;
    int GetHoverItem() const;
    // 0 or "" for an index out of range.
    int GetDeviceState(int index) const;
    std::string GetDeviceName(int index) const;
    int GetDeviceValue1(int index) const;
    int GetDeviceValue2(int index) const;
    // The row of a shown record, widget-relative; empty otherwise.
    Rect GetItemRect(int index) const;

private:
    void Layout();
    void Recount();
    int HitTest(Point local) const;
    void Repaint();

    mutable std::recursive_mutex itemLock_;
    std::vector<std::unique_ptr<Device>> devices_;
    int hover_ = -1;
    int current_ = -1;
    int connected_ = 0;
};

} // namespace Tolva

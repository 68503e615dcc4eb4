#include "ui/widgets/CDeviceCtrl.h"

#include "ui/core/ControlFactory.h"
#include "ui/paint/MRender.h"

namespace Tolva {
namespace {

constexpr int kRowHeight = 38;
constexpr int kRowPitch = 43;
constexpr uint32_t kAvailableInk = 0xFF808080;

const ControlFactory::Registrar
    kRegistrar("CDeviceCtrl",
               [](MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                  bool visible, bool enabled) -> std::unique_ptr<MControl> {
                   return std::make_unique<CDeviceCtrl>(parent, id, rect, title, visible, enabled);
               });

} // namespace

CDeviceCtrl::CDeviceCtrl(MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                         bool visible, bool enabled)
    : MControlFont(parent, id, rect, title, visible, enabled) {
    SetImageCount(2);
}

void CDeviceCtrl::Repaint() {
    if (IsVisible()) UpdateControl(true);
}

void CDeviceCtrl::Layout() {
    const int width = GetRect().Width();
    int y = 0;
    for (int state : {1, 2}) {
        for (auto& d : devices_) {
            if (d->state != state) continue;
            d->rect = {0, y, width, y + kRowHeight};
            y += kRowPitch;
        }
    }
    for (auto& d : devices_)
        if (d->state != 1 && d->state != 2) d->rect = {};
}

void CDeviceCtrl::Recount() {
    connected_ = 0;
    for (const auto& d : devices_)
        if (d->state > 0) ++connected_;
}

int CDeviceCtrl::HitTest(Point local) const {
    if (connected_ == 0) return -1;
    for (size_t i = 0; i < devices_.size(); ++i)
        if (devices_[i]->state > 0 && devices_[i]->rect.Contains(local)) return static_cast<int>(i);
    return -1;
}

void CDeviceCtrl::DrawControl(cairo_t* cr, const Rect& clip) {
    const Rect r = GetRect();
    if (UpdateMemDC(r.Width(), r.Height())) {
        std::lock_guard guard(itemLock_);
        Layout();
        if (connected_ > 0) {
            cairo_t* mem = cairo_create(MemSurface());
            for (int state : {1, 2}) {
                TextStyle style = MakeTextStyle(state == 1 ? GetTextColor() : kAvailableInk);
                style.hAlign = TextStyle::Center;
                style.vAlign = TextStyle::Center;
                style.multiLine = false;
                for (const auto& d : devices_) {
                    if (d->state != state) continue;
                    DrawImageState(mem, state - 1, d->rect, 6);
                    MRender::DrawTextW(mem, d->rect, d->name, style);
                }
            }
            cairo_destroy(mem);
        }
    }
    BlitCache(cr, clip);
}

int CDeviceCtrl::OnControlMouseMove(unsigned, Point pt) {
    const Rect r = GetRect();
    bool changed = false;
    {
        std::lock_guard guard(itemLock_);
        Layout();
        const int hit = r.Contains(pt) ? HitTest({pt.x - r.left, pt.y - r.top}) : -1;
        changed = hit != hover_;
        hover_ = hit;
    }
    (void)changed;
    return r.Contains(pt) ? 1 : 0;
}

int CDeviceCtrl::OnControlSetCursor(unsigned, Point pt) {
    const Rect r = GetRect();
    int hit = -1;
    {
        std::lock_guard guard(itemLock_);
        Layout();
        hit = r.Contains(pt) ? HitTest({pt.x - r.left, pt.y - r.top}) : -1;
    }
    SetCursorEx(hit >= 0 ? "hand" : "arrow");
    return 1;
}

int CDeviceCtrl::OnControlLButtonDown(unsigned, Point pt) {
    const Rect r = GetRect();
    if (!r.Contains(pt)) return 0;
    int index = -1;
    {
        std::lock_guard guard(itemLock_);
        Layout();
        index = HitTest({pt.x - r.left, pt.y - r.top});
        hover_ = index;
        if (index < 0) return 0;
        current_ = index;
    }
    Repaint();
    SendMessageW(1, static_cast<WPARAM>(index), 0);
    return 1;
}

void CDeviceCtrl::SetControlRect(const Rect& rect) {
    MControlFont::SetControlRect(rect);
    std::lock_guard guard(itemLock_);
    Layout();
}

void CDeviceCtrl::AddDevice(const std::string& name, int value1, int value2, int deviceType,
                            bool connected) {
    // Taken although the list is filled before any drawing: a late call stays safe.
    std::lock_guard guard(itemLock_);
    auto d = std::make_unique<Device>();
    d->name = name;
    d->value1 = value1;
    d->value2 = value2;
    d->deviceType = deviceType;
    d->connected = connected;
    d->state = connected ? 2 : 0;
    devices_.push_back(std::move(d));
    Recount();
    Layout();
}

void CDeviceCtrl::SetDeviceState(int deviceType, int state) {
    if (state < 0 || state > 2) return;
    {
        std::lock_guard guard(itemLock_);
        for (size_t i = 0; i < devices_.size(); ++i) {
            if (devices_[i]->deviceType != deviceType) continue;
            devices_[i]->state = state;
            if (state != 0) current_ = static_cast<int>(i);
        }
        Recount();
        Layout();
    }
    Repaint();
}

void CDeviceCtrl::ResetAllState() {
    {
        std::lock_guard guard(itemLock_);
        for (auto& d : devices_)
            d->state = 0;
        Recount();
        Layout();
        hover_ = -1;
    }
    Repaint();
}

void CDeviceCtrl::SetSelectItem(int) {
    {
        std::lock_guard guard(itemLock_);
        current_ = 0;
    }
    Repaint();
}

int CDeviceCtrl::GetCurDeviceType() const {
    std::lock_guard guard(itemLock_);
    if (connected_ == 0 || current_ < 0 || current_ >= static_cast<int>(devices_.size())) return 0;
    return devices_[current_]->deviceType;
}

int CDeviceCtrl::GetConnectCount() const {
    std::lock_guard guard(itemLock_);
    return connected_;
}

void CDeviceCtrl::ClearList() {
    {
        std::lock_guard guard(itemLock_);
        devices_.clear();
        connected_ = 0;
        hover_ = -1;
        current_ = -1;
    }
    Repaint();
}

int CDeviceCtrl::GetDeviceCount() const {
    std::lock_guard guard(itemLock_);
    return static_cast<int>(devices_.size());
}

int CDeviceCtrl::GetCurSel() const {
    std::lock_guard guard(itemLock_);
    return current_;
}

int CDeviceCtrl::GetHoverItem() const {
    std::lock_guard guard(itemLock_);
    return hover_;
}

int CDeviceCtrl::GetDeviceState(int index) const {
    std::lock_guard guard(itemLock_);
    if (index < 0 || index >= static_cast<int>(devices_.size())) return 0;
    return devices_[index]->state;
}

std::string CDeviceCtrl::GetDeviceName(int index) const {
    std::lock_guard guard(itemLock_);
    if (index < 0 || index >= static_cast<int>(devices_.size())) return {};
    return devices_[index]->name;
}

int CDeviceCtrl::GetDeviceValue1(int index) const {
    std::lock_guard guard(itemLock_);
    if (index < 0 || index >= static_cast<int>(devices_.size())) return 0;
    return devices_[index]->value1;
}

int CDeviceCtrl::GetDeviceValue2(int index) const {
    std::lock_guard guard(itemLock_);
    if (index < 0 || index >= static_cast<int>(devices_.size())) return 0;
    return devices_[index]->value2;
}

Rect CDeviceCtrl::GetItemRect(int index) const {
    std::lock_guard guard(itemLock_);
    if (index < 0 || index >= static_cast<int>(devices_.size())) return {};
    return devices_[index]->rect;
}

} // namespace Tolva

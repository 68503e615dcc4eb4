#include "ui/widgets/KeyboardCtrl.h"

#include "ui/controls/ControlCreator.h"
#include "ui/core/MWindow.h"
#include "ui/core/Manager.h"
#include "ui/core/PaintManager.h"
#include "ui/paint/CairoStateGuard.h"
#include "ui/paint/MRender.h"
#include "ui/widgets/CKeyboardTips.h"
#include "ui/widgets/KeyLegend.h"

#include <algorithm>
#include <cstdlib>

namespace Tolva {
namespace {

const ControlFactory::Registrar kRegistrar("KeyboardCtrl", TitledCreator<KeyboardCtrl>());

constexpr uint32_t kPlainFill = 0xFF007ACC;
constexpr uint32_t kOutline = 0xFF10A8FD;
constexpr uint32_t kBand = 0xFF4CFF29;
constexpr uint32_t kLegend = 0xFFF5F5F5;
constexpr uint32_t kLegendShadow = 0xFF505050;

std::string SkinPath(PaintManager* manager, const std::string& file) {
    return manager ? manager->Images().FullPath(file) : Manager::GetSkinFolder() + file;
}

} // namespace

KeyboardCtrl::KeyboardCtrl(MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                           bool visible, bool enabled)
    : MPanel(parent, id, rect, title, visible, enabled) {
    SetRunTimer(true);
}

KeyboardCtrl::~KeyboardCtrl() = default;

void KeyboardCtrl::InitControl(PaintManager* manager) {
    MPanel::InitControl(manager);
    if (manager) AddMTimer();
    Centre();
}

void KeyboardCtrl::Centre() {
    const Rect r = GetRect();
    if (pictureWidth_ <= 0 || r.IsEmpty()) return;
    offsetX_ = (r.Width() - pictureWidth_) / 2;
    offsetY_ = 0;
    scale_ = 1.0;
}

void KeyboardCtrl::SetControlRect(const Rect& rect) {
    MPanel::SetControlRect(rect);
    Centre();
}

void KeyboardCtrl::SetControlVisible(bool visible) {
    if (!visible) HideTip();
    MPanel::SetControlVisible(visible);
}

bool KeyboardCtrl::SetKeyboardImage(const std::string& file) {
    std::shared_ptr<Image> image = Image::Open(SkinPath(manager_, file));
    if (!image) return false;
    {
        std::lock_guard guard(keysLock_);
        picture_ = std::move(image);
    }
    UpdateControl(true);
    return true;
}

void KeyboardCtrl::SetWidthAndHeight(int width, int height) {
    pictureWidth_ = std::max(width, 0);
    pictureHeight_ = std::max(height, 0);
    Centre();
    UpdateControl(true);
}

Point KeyboardCtrl::GetPictureOffset() const {
    return {offsetX_, offsetY_};
}

Rect KeyboardCtrl::ToScreen(const Rect& pictureRect) const {
    const Rect r = GetRect();
    return pictureRect.Offset(offsetX_ + r.left, offsetY_ + r.top);
}

int KeyboardCtrl::AddKeyItem(const std::string& name, const std::string& description,
                             uint32_t keyValue, const Rect& rect, const std::string& iconFile) {
    auto key = std::make_unique<KEY_INFO>();
    key->keyValue = keyValue;
    key->name = name;
    key->description = description;
    key->rect = rect;
    if (!iconFile.empty()) {
        if ((key->icon = Image::Open(SkinPath(manager_, iconFile)))) {
            key->iconWidth = key->icon->Width();
            key->iconHeight = key->icon->Height();
        }
    }
    int index = 0;
    {
        std::lock_guard guard(keysLock_);
        index = static_cast<int>(keys_.size());
        key->index = index;
        keys_.push_back(std::move(key));
    }
    UpdateControl(true);
    return index;
}

std::vector<KEY_INFO*> KeyboardCtrl::GetKeyItems() const {
    std::lock_guard guard(keysLock_);
    std::vector<KEY_INFO*> out;
    out.reserve(keys_.size());
    for (const auto& k : keys_)
        out.push_back(k.get());
    return out;
}

int KeyboardCtrl::GetKeyCount() const {
    std::lock_guard guard(keysLock_);
    return static_cast<int>(keys_.size());
}

void KeyboardCtrl::ClearItem() {
    HideTip();
    {
        std::lock_guard guard(keysLock_);
        keys_.clear();
        // The frames were laid out for the old keys.
        light_.clear();
        frameCount_ = frame_ = tick_ = 0;
    }
    hover_ = -1;
    selected_ = -1;
    bandOpen_ = false;
    UpdateControl(true);
}

void KeyboardCtrl::SetKeyboardCtrlMode(int mode) {
    if (mode_.exchange(mode) == mode) return;
    UpdateControl(true);
}

void KeyboardCtrl::SetLightModeData(const uint8_t* bytes, int length) {
    {
        std::lock_guard guard(keysLock_);
        light_.clear();
        frameCount_ = frame_ = tick_ = 0;
        const int keys = static_cast<int>(keys_.size());
        if (bytes && length > 0) {
            light_.assign(bytes, bytes + length);
            // Without keys there is nothing a frame could light.
            frameCount_ = keys > 0 ? length / keys : 0;
        }
    }
    UpdateControl(true);
}

int KeyboardCtrl::GetFrameCount() const {
    std::lock_guard guard(keysLock_);
    return frameCount_;
}

int KeyboardCtrl::GetCurrentFrame() const {
    std::lock_guard guard(keysLock_);
    return frame_;
}

void KeyboardCtrl::SetLightSpeed(int speed) {
    switch (speed) {
    case 0:
        ticksPerFrame_ = 12;
        break;
    case 1:
        ticksPerFrame_ = 9;
        break;
    case 2:
        ticksPerFrame_ = 6;
        break;
    case 3:
        ticksPerFrame_ = 3;
        break;
    default:
        ticksPerFrame_ = 1;
        break;
    }
}

void KeyboardCtrl::SetMusicBrightness(int brightness) {
    brightness = std::clamp(brightness, 0, 255);
    if (musicBrightness_ == brightness) return;
    {
        std::lock_guard guard(keysLock_);
        for (auto& k : keys_)
            k->color = 0xFFFF00;
        musicBrightness_ = brightness;
    }
    UpdateControl(true);
}

int KeyboardCtrl::KeyBrightness(int index) const {
    // Called with the lock held.
    if (frameCount_ < 1) return 255;
    const size_t at = static_cast<size_t>(frame_) * keys_.size() + static_cast<size_t>(index);
    return at < light_.size() ? light_[at] : 255;
}

int KeyboardCtrl::OnControlTimer() {
    if (mode_ != LightSequence) return 0;
    bool advanced = false;
    {
        std::lock_guard guard(keysLock_);
        if (frameCount_ < 1) return 0;
        if (++tick_ >= ticksPerFrame_) {
            tick_ = 0;
            frame_ = (frame_ + 1) % frameCount_;
            advanced = true;
        }
    }
    if (advanced) UpdateControl(true);
    return 1;
}

void KeyboardCtrl::SetKeyCheck(uint32_t keyValue, bool checked) {
    std::lock_guard guard(keysLock_);
    for (auto& k : keys_)
        if (k->keyValue == keyValue) k->checked = checked ? 1 : 0;
}

void KeyboardCtrl::SetKeyColor(uint32_t keyValue, uint32_t colorRef) {
    std::lock_guard guard(keysLock_);
    for (auto& k : keys_)
        if (k->keyValue == keyValue) k->color = colorRef & 0xFFFFFF;
}

uint32_t KeyboardCtrl::GetKeyColor(uint32_t keyValue) const {
    std::lock_guard guard(keysLock_);
    for (const auto& k : keys_)
        if (k->keyValue == keyValue) return k->color;
    return 0;
}

void KeyboardCtrl::SetKeyDesc(uint32_t keyValue, const std::string& text) {
    std::lock_guard guard(keysLock_);
    for (auto& k : keys_)
        if (k->keyValue == keyValue) k->name = k->description = text;
}

void KeyboardCtrl::ResetAllItemCheck(bool checked) {
    {
        std::lock_guard guard(keysLock_);
        for (auto& k : keys_)
            k->checked = checked ? 1 : 0;
    }
    selected_ = -1;
    UpdateControl(true);
}

int KeyboardCtrl::GetCheckItemCount() const {
    std::lock_guard guard(keysLock_);
    return static_cast<int>(
        std::count_if(keys_.begin(), keys_.end(), [](const auto& k) { return k->checked != 0; }));
}

void KeyboardCtrl::SetAllSelectColor(uint32_t colorRef) {
    {
        std::lock_guard guard(keysLock_);
        const int sel = selected_;
        for (size_t i = 0; i < keys_.size(); ++i)
            if (keys_[i]->checked || static_cast<int>(i) == sel)
                keys_[i]->color = colorRef & 0xFFFFFF;
    }
    UpdateControl(true);
}

void KeyboardCtrl::ResetAllItemsColor(uint32_t colorRef) {
    {
        std::lock_guard guard(keysLock_);
        for (auto& k : keys_)
            k->color = colorRef & 0xFFFFFF;
    }
    UpdateControl(true);
}

void KeyboardCtrl::SetLightModeColor(bool allWhite, uint32_t colorRef) {
    ResetAllItemsColor(allWhite ? 0xFFFFFF : colorRef);
}

bool KeyboardCtrl::SetSelectItem(int index) {
    if (index < -1 || index >= GetKeyCount()) return false;
    selected_ = index;
    return true;
}

Rect KeyboardCtrl::KeyScreenRect(int index) const {
    std::lock_guard guard(keysLock_);
    if (index < 0 || index >= static_cast<int>(keys_.size())) return {};
    return ToScreen(keys_[index]->rect);
}

int KeyboardCtrl::HitTest(Point pt) const {
    if (!PtInRect(pt)) return -1;
    std::lock_guard guard(keysLock_);
    for (size_t i = 0; i < keys_.size(); ++i)
        if (ToScreen(keys_[i]->rect).Contains(pt)) return static_cast<int>(i);
    return -1;
}

Rect KeyboardCtrl::GetBandRect() const {
    if (!bandOpen_) return {};
    return {std::min(bandStart_.x, bandPoint_.x), std::min(bandStart_.y, bandPoint_.y),
            std::max(bandStart_.x, bandPoint_.x), std::max(bandStart_.y, bandPoint_.y)};
}

void KeyboardCtrl::UpdateBand(Point pt) {
    if (std::abs(pt.x - bandPoint_.x) < kBandStep && std::abs(pt.y - bandPoint_.y) < kBandStep)
        return;
    bandPoint_ = pt;
    bandOpen_ = true;
    Rect frame = GetBandRect();
    // A sliver is not a selection: it checks nothing.
    if (frame.Width() < kBandMinimum || frame.Height() < kBandMinimum) frame = {};
    {
        std::lock_guard guard(keysLock_);
        for (auto& k : keys_)
            k->checked = !frame.IsEmpty() && ToScreen(k->rect).Intersects(frame) ? 1 : 0;
    }
    UpdateControl(true);
}

void KeyboardCtrl::CloseBand() {
    if (!bandOpen_) return;
    bandOpen_ = false;
    UpdateControl(true);
}

void KeyboardCtrl::EnableKBTips(bool on) {
    tipsEnabled_ = on;
    if (!on) HideTip();
}

void KeyboardCtrl::SetTipKey(uint32_t keyValue, const std::string& title, const std::string& text) {
    std::lock_guard guard(keysLock_);
    for (auto& k : keys_) {
        if (k->keyValue != keyValue) continue;
        k->tipTitle = title;
        k->tipText = text;
    }
}

void KeyboardCtrl::ResetTipKey() {
    std::lock_guard guard(keysLock_);
    for (auto& k : keys_) {
        k->tipTitle.clear();
        k->tipText.clear();
    }
}

void KeyboardCtrl::HideTip() {
    tipKey_ = -1;
    if (tips_ && tips_->IsWindowVisible()) tips_->ShowWindow(SW_HIDE);
}

void KeyboardCtrl::SetTips(int index, const Rect& rect, bool show) {
    if (!show) {
        HideTip();
        return;
    }
    if (!tipsEnabled_ || !manager_ || !manager_->GetWindow()) return;
    std::string title, subtitle, description;
    {
        std::lock_guard guard(keysLock_);
        if (index < 0 || index >= static_cast<int>(keys_.size())) return;
        const KEY_INFO& k = *keys_[index];
        title = k.description;
        if (!k.tipTitle.empty() || !k.tipText.empty()) {
            subtitle = k.tipTitle;
            description = k.tipText;
        } else {
            subtitle = "Keyboard";
            description = k.description;
        }
    }
    if (!tips_) {
        tips_ = std::make_unique<CKeyboardTips>();
        if (!tips_->CreateTips(manager_->GetHwnd())) {
            tips_.reset();
            return;
        }
        tips_->LoadBKImage(SkinPath(manager_, "img_tip_bk.png"));
    }
    const Rect onScreen = ToScreen(rect);
    const Point anchor = manager_->GetWindow()->ClientToScreen(
        Point{(onScreen.left + onScreen.right) / 2, onScreen.top});
    tips_->SetAirBladderMsg(title, subtitle, description, anchor);
    tipKey_ = index;
    tips_->ShowWindow(SW_SHOWNORMAL);
}

int KeyboardCtrl::OnControlMouseMove(unsigned flags, Point pt) {
    const bool inside = PtInRect(pt);
    if (frameSelect_ && bandArmed_ && inside && (flags & (MK_LBUTTON | MK_RBUTTON))) {
        UpdateBand(pt);
        return 1;
    }
    const int old = hover_;
    if (inside && old >= 0) {
        const Rect keyRect = KeyScreenRect(old);
        if (keyRect.Contains(pt)) {
            Rect picture;
            {
                std::lock_guard guard(keysLock_);
                if (old < static_cast<int>(keys_.size())) picture = keys_[old]->rect;
            }
            if (tipsEnabled_) SetTips(old, picture, true);
            return 1;
        }
    }
    hover_ = -1;
    HideTip();
    const int now = inside ? HitTest(pt) : -1;
    hover_ = now;
    if (now != old) UpdateControl(true);
    return inside ? 1 : 0;
}

int KeyboardCtrl::OnControlLButtonDown(unsigned, Point pt) {
    if (!PtInRect(pt)) {
        CloseBand();
        bandArmed_ = false;
        return 0;
    }
    CloseBand();
    bandStart_ = bandPoint_ = pt;
    bandArmed_ = true;
    // The hover follows the press even when no move came before it.
    hover_ = HitTest(pt);
    const int hover = hover_;
    if (selected_.exchange(hover) != hover) UpdateControl(true);
    return 1;
}

int KeyboardCtrl::OnControlLButtonUp(unsigned, Point pt) {
    bandArmed_ = false;
    CloseBand();
    if (!PtInRect(pt)) return 0;
    const int sel = selected_;
    uint32_t value = 0;
    bool found = false;
    bool toggled = false;
    {
        std::lock_guard guard(keysLock_);
        if (sel >= 0 && sel < static_cast<int>(keys_.size())) {
            KEY_INFO& k = *keys_[sel];
            if (mode_ == PerKeyColor) {
                k.color = k.color == 0 ? 0xFFFF00 : 0;
                toggled = true;
            }
            value = k.keyValue;
            found = true;
        }
    }
    if (toggled) UpdateControl(true);
    if (found) currentKey_ = value;
    SendMessageW(2, static_cast<WPARAM>(found ? sel : -1), static_cast<LPARAM>(value));
    return 1;
}

int KeyboardCtrl::OnControlRButtonDown(unsigned, Point pt) {
    if (!PtInRect(pt)) {
        CloseBand();
        bandArmed_ = false;
        return 0;
    }
    if (frameSelect_) {
        bandStart_ = bandPoint_ = pt;
        bandArmed_ = true;
    }
    return 1;
}

int KeyboardCtrl::OnControlRButtonUp(unsigned, Point pt) {
    bandArmed_ = false;
    if (bandOpen_) {
        CloseBand();
        SendMessageW(24, 0, 0);
        return 1;
    }
    if (!PtInRect(pt)) return 0;
    hover_ = HitTest(pt);
    const int hover = hover_;
    uint32_t value = 0;
    {
        std::lock_guard guard(keysLock_);
        if (hover >= 0 && hover < static_cast<int>(keys_.size())) value = keys_[hover]->keyValue;
    }
    const bool changed = selected_.exchange(hover) != hover;
    if (hover >= 0) currentKey_ = value;
    SendMessageW(5, static_cast<WPARAM>(hover), static_cast<LPARAM>(value));
    if (changed) UpdateControl(true);
    return 1;
}

void KeyboardCtrl::DrawLegend(cairo_t* cr, const KEY_INFO& key, const Rect& box) const {
    TextStyle style = MakeTextStyle(kLegendShadow);
    style.size = 10 * scale_;
    style.hAlign = TextStyle::Center;
    style.vAlign = TextStyle::Center;
    Rect text = box;
    if (key.icon) {
        const int iw = key.iconWidth, ih = key.iconHeight;
        Rect icon;
        if (key.name.empty()) {
            const Point o =
                MRender::GetOriginPoint(box, Size{iw, ih}, TextStyle::Center, TextStyle::Center);
            icon = {o.x, o.y, o.x + iw, o.y + ih};
        } else {
            text.bottom -= 20;
            const int left = box.left + (box.Width() - iw) / 2;
            icon = {left, box.bottom - 20, left + iw, box.bottom - 20 + ih};
        }
        MRender::DrawImagePart(cr, key.icon->Surface(0), icon, 0, 0, iw, ih);
    }
    if (key.name.empty()) return;
    FitKeyLegend(style, key.name, text.Width(), text.Height());
    MRender::DrawTextW(cr, text.Offset(1, 1), key.name, style);
    style.color = kLegend;
    MRender::DrawTextW(cr, text, key.name, style);
}

void KeyboardCtrl::DrawKeys(cairo_t* cr) {
    const int mode = mode_;
    const Point off{offsetX_, offsetY_};
    std::lock_guard guard(keysLock_);
    if (mode == Plain) {
        for (const auto& k : keys_) {
            const Rect box = k->rect.Offset(off.x, off.y);
            MRender::DrawColor(cr, box.Inflate(-1, -1), kPlainFill);
            DrawLegend(cr, *k, box);
        }
        return;
    }
    if (!picture_) return;
    const int pw = pictureWidth_ > 0 ? pictureWidth_ : picture_->Width();
    const int ph = pictureHeight_ > 0 ? pictureHeight_ : picture_->Height();
    MRender::DrawImagePart(cr, picture_->Surface(0), {off.x, off.y, off.x + pw, off.y + ph}, 0, 0,
                           picture_->Width(), picture_->Height());
    const int hover = hover_, sel = selected_;
    for (size_t i = 0; i < keys_.size(); ++i) {
        const KEY_INFO& k = *keys_[i];
        uint32_t color = 0;
        switch (mode) {
        case Selection:
            if (k.checked || static_cast<int>(i) == hover || static_cast<int>(i) == sel)
                color = kOutline;
            break;
        case LightSequence:
            color = static_cast<uint32_t>(KeyBrightness(static_cast<int>(i))) << 24 | 0x00FFFF;
            break;
        case PerKeyColor:
            color = MRender::ColorRefToARGB(k.color);
            break;
        case Music:
            color = MRender::ColorRefToARGB(k.color, static_cast<uint8_t>(musicBrightness_.load()));
            break;
        default:
            break;
        }
        if (color >> 24 == 0) continue;
        const Rect box = k.rect.Offset(off.x, off.y);
        MRender::DrawRoundRectange(cr, box.left, box.top, box.Width(), box.Height(), 12, color, 2,
                                   false, 0);
    }
    if (mode == Selection && bandOpen_) {
        const Rect r = GetRect();
        const Rect band = GetBandRect().Offset(-r.left, -r.top);
        CairoStateGuard state(cr);
        const double dash[] = {6, 4};
        cairo_set_dash(cr, dash, 2, 0);
        MRender::SetSourceARGB(cr, kBand);
        cairo_set_line_width(cr, 2);
        cairo_rectangle(cr, band.left + 1, band.top + 1, band.Width() - 2, band.Height() - 2);
        cairo_stroke(cr);
    }
}

void KeyboardCtrl::DrawControl(cairo_t* cr, const Rect& clip) {
    const Rect r = GetRect();
    if (UpdateMemDC(r.Width(), r.Height())) {
        cairo_t* m = cairo_create(MemSurface());
        DrawKeys(m);
        cairo_destroy(m);
    }
    BlitCache(cr, clip);
}

} // namespace Tolva

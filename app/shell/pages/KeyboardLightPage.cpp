#include "app/shell/pages/KeyboardLightPage.h"

#include "app/files/DeviceLayout.h"
#include "app/files/UiText.h"
#include "app/shell/CThreadBasic.h"
#include "app/store/KeyLightRow.h"
#include "app/store/LightFrameRow.h"
#include "app/store/LightFrameStore.h"
#include "app/store/SettingsDatabase.h"
#include "ui/controls/CRadioButton.h"
#include "ui/controls/DListBox.h"
#include "ui/controls/MButton.h"
#include "ui/controls/MSlider.h"
#include "ui/controls/MTabLayout.h"
#include "ui/controls/MText.h"
#include "ui/core/Manager.h"
#include "ui/paint/MImageList.h"
#include "ui/widgets/CColorButton.h"
#include "ui/widgets/KEY_INFO.h"
#include "ui/widgets/KeyboardCtrl.h"

#include <algorithm>
#include <map>
#include <memory>

using namespace Tolva;

namespace {

constexpr int kLastKeyboardType = 600;
constexpr uint32_t kInk = 0xFFE8EAED;
constexpr uint32_t kDim = 0xFF9AA1AC;
constexpr int kItemHeight = 26; // twelve modes fit without a scroll bar
constexpr int kMaxFrameBrightness = 255;

// Geometry in window coordinates (the page area is 220,110 - 1180,700): the keyboard picture
// across the top, the modes below it on the left, the mode's settings on the right.
constexpr Rect kPreviewArea{240, 116, 1160, 330};
constexpr int kLeft = 240, kListRight = 470;
constexpr int kRight = 510, kFieldLeft = 640, kFieldRight = 960;

constexpr int kTextMode = 860, kTextBrightness = 861, kTextSpeed = 862, kTextDirection = 863;
constexpr int kTextColour = 866, kTextKeyHint = 886, kTextSelectAll = 887, kTextClear = 888;

void Show(const std::vector<MControl*>& group, bool visible) {
    for (MControl* c : group)
        if (c) c->SetVisible(visible);
}

} // namespace

const std::array<uint32_t, KeyboardLightPage::kSwatchCount>& KeyboardLightPage::Colours() {
    // Red, orange, yellow, green, cyan, blue, purple, white.
    static const std::array<uint32_t, kSwatchCount> colours = {
        0x0000FF, 0x0080FF, 0x00FFFF, 0x00FF00, 0xFFFF00, 0xFF0000, 0xFF00FF, 0xFFFFFF};
    return colours;
}

KeyboardLightPage::KeyboardLightPage(PageHost& host) : ShellPage(host) {}

KeyboardLightPage::~KeyboardLightPage() = default;

bool KeyboardLightPage::IsKeyboardShown() const {
    const int type = host_.DeviceType();
    return type > 0 && type <= kLastKeyboardType;
}

void KeyboardLightPage::Build() {
    MTabLayout* layout = host_.FindLayout(kLayoutId);
    if (!layout || preview_) return;
    auto make = [&](const char* cls, unsigned id, const Rect& r) {
        return layout->CreateControl(cls, id, r, "", true, true);
    };
    auto label = [&](unsigned id, const Rect& r, int text, int points, uint32_t ink) {
        auto* t = dynamic_cast<MText*>(make("MText", id, r));
        if (t) {
            t->SetFont(Manager::GetFontName(), points, 0);
            t->SetTextColor(ink);
            t->SetAlignment(0, 1);
            captions_.push_back({t, text});
        }
        return t;
    };

    preview_ = dynamic_cast<KeyboardCtrl*>(make("KeyboardCtrl", kPreview, kPreviewArea));

    label(kModeTitle, {kLeft, 342, kListRight, 368}, kTextMode, 12, kInk);
    modes_ = dynamic_cast<DListBox*>(make("DListBox", kModeList, {kLeft, 372, kListRight, 690}));
    if (modes_) {
        modes_->SetItemHeight(kItemHeight);
        modes_->SetFont(Manager::GetFontName(), 11, 0);
        modes_->SetTextColor(kInk);
        auto icons = std::make_shared<MImageList>(Manager::GetSkinFolder());
        icons->AddImage("icon//icon_circle.png", 1, 0);
        icons->SetDrawImgSize(12, 12);
        modes_->SetImageList(icons);
    }

    auto slider = [&](unsigned labelId, unsigned sliderId, int top, int text, int maximum,
                      MSlider*& out, std::vector<MControl*>& group) {
        MText* caption = label(labelId, {kRight, top, kFieldLeft - 10, top + 28}, text, 11, kInk);
        out = dynamic_cast<MSlider*>(
            make("MSlider", sliderId, {kFieldLeft, top, kFieldRight, top + 28}));
        if (out) {
            out->SetImage("img_slider_back.png", 1);
            out->SetThumbImage("img_thumb.png");
            out->SetMinProgress(0);
            out->SetMaxProgress(maximum);
        }
        group = {caption, out};
    };
    slider(kBrightnessLabel, kBrightnessSlider, 350, kTextBrightness, kMaxBrightness, brightness_,
           brightnessGroup_);
    slider(kSpeedLabel, kSpeedSlider, 394, kTextSpeed, kMaxSpeed, speed_, speedGroup_);

    MText* direction =
        label(kDirectionLabel, {kRight, 438, kFieldLeft - 10, 468}, kTextDirection, 11, kInk);
    left_ = dynamic_cast<CRadioButton*>(
        make("CRadioButton", kDirectionLeft, {kFieldLeft, 438, kFieldLeft + 40, 468}));
    right_ = dynamic_cast<CRadioButton*>(
        make("CRadioButton", kDirectionRight, {kFieldLeft + 50, 438, kFieldLeft + 90, 468}));
    for (auto [radio, image] : {std::pair{left_, "btn_direction_left.png"},
                                std::pair{right_, "btn_direction_right.png"}}) {
        if (!radio) continue;
        radio->SetImage(image, 8);
        radio->SetGroupName("kb_light_direction");
    }
    directionGroup_ = {direction, left_, right_};

    MText* colour = label(kColourLabel, {kRight, 484, kFieldLeft - 10, 512}, kTextColour, 11, kInk);
    colourGroup_ = {colour};
    for (int i = 0; i < kSwatchCount; ++i) {
        const int x = kFieldLeft + i * 38;
        auto* swatch = dynamic_cast<CColorButton*>(
            make("CColorButton", kFirstSwatch + static_cast<unsigned>(i), {x, 486, x + 26, 512}));
        if (swatch) {
            swatch->SetColor(Colours()[static_cast<size_t>(i)]);
            swatch->SetGroupName("kb_light_colours");
        }
        swatches_[static_cast<size_t>(i)] = swatch;
        colourGroup_.push_back(swatch);
    }

    keyHint_ = label(kKeyHint, {kRight, 530, kFieldRight + 200, 580}, kTextKeyHint, 10, kDim);
    if (keyHint_) {
        keyHint_->SetAlignment(0, 0);
        keyHint_->EnableMultiLine(true);
    }
    selectAll_ =
        dynamic_cast<MButton*>(make("MButton", kSelectAll, {kRight, 590, kRight + 120, 620}));
    clear_ =
        dynamic_cast<MButton*>(make("MButton", kClearKeys, {kRight + 132, 590, kRight + 252, 620}));
    for (MButton* button : {selectAll_, clear_})
        if (button) {
            button->SetImage("btn_apply.png", 4);
            button->SetFont(Manager::GetFontName(), 10, 0);
            button->SetTextColor(kInk);
        }
    captions_.push_back({selectAll_, kTextSelectAll});
    captions_.push_back({clear_, kTextClear});
    perKeyGroup_ = {keyHint_, selectAll_, clear_};

    // Row tops as built and the top of the row after each.
    auto row = [&](const std::vector<MControl*>& controls, int top, int next) {
        SettingsRow r;
        r.top = top;
        r.pitch = next - top;
        for (MControl* c : controls)
            if (c) r.controls.push_back({c, c->GetRect()});
        rows_.push_back(std::move(r));
    };
    row(brightnessGroup_, 350, 394);
    row(speedGroup_, 394, 438);
    row(directionGroup_, 438, 484);
    row(colourGroup_, 484, 530);
    row({keyHint_}, 530, 590);
    row({selectAll_, clear_}, 590, 630);
    layout->UpdateScrollBars();
    ShowRow();
}

void KeyboardLightPage::StackRows(const std::vector<bool>& shown) {
    if (rows_.empty()) return;
    int top = rows_.front().top;
    for (size_t i = 0; i < rows_.size() && i < shown.size(); ++i) {
        if (!shown[i]) continue;
        SettingsRow& r = rows_[i];
        for (auto& [control, rect] : r.controls)
            control->SetRect(rect.Offset(0, top - r.top));
        top += r.pitch;
    }
}

void KeyboardLightPage::ApplyTexts() {
    for (const auto& [control, text] : captions_)
        if (auto* c = dynamic_cast<MControlFont*>(control)) c->SetTitle(UiText::Dialog(text));
    if (modes_ && modes_->GetItemCount() > 0) FillModes();
}

void KeyboardLightPage::FillModes() {
    if (!modes_) return;
    const intptr_t chosen = modes_->GetCurData();
    modes_->DeleteAllItems();
    std::vector<std::unique_ptr<LightRow>> rows;
    host_.Store().LoadLightRows(host_.CurrentProfile(), rows);
    std::shared_ptr<const DeviceLayout> layout = host_.Layout();
    for (const auto& row : rows) {
        if (!row) continue;
        // The stored name is in the language the rows were made in; the layout's text number
        // names the mode in the language shown now.
        const int text = layout ? layout->LightModeNameText(row->mode) : 0;
        modes_->AddString(text > 0 ? UiText::Dialog(text) : row->name, row->mode, 0);
    }
    if (chosen > 0) modes_->SetCurData(chosen);
}

void KeyboardLightPage::Reload() {
    row_ = LightRow{};
    if (!IsKeyboardShown()) {
        if (modes_) modes_->DeleteAllItems();
        if (preview_) preview_->ClearItem();
        ShowRow();
        return;
    }
    SettingsDatabase& store = host_.Store();
    std::shared_ptr<const DeviceLayout> layout = host_.Layout();
    // A profile made after the device was chosen gets its light modes here.
    if (layout) layout->SeedLightRows(store, host_.CurrentProfile());
    if (preview_) {
        preview_->ClearItem();
        if (layout && !layout->KeyboardImage().empty()) {
            preview_->SetKeyboardImage("keyboard//" + layout->KeyboardImage());
            preview_->SetWidthAndHeight(layout->KeyboardImageWidth(),
                                        layout->KeyboardImageHeight());
        }
        if (layout)
            for (const auto& key : layout->Keys())
                preview_->AddKeyItem(key->name, key->name, static_cast<uint32_t>(key->keyValue),
                                     Rect{key->left, key->top, key->right, key->bottom});
    }
    FillModes();
    int mode = store.GetActiveLightMode(host_.CurrentProfile());
    if (mode <= 0 && layout) mode = layout->DefaultLightMode();
    if (!SelectMode(mode) && modes_ && modes_->GetItemCount() > 0)
        SelectMode(static_cast<int>(modes_->GetItemData(0)));
}

bool KeyboardLightPage::SelectMode(int mode) {
    LightRow row;
    if (mode <= 0 || !host_.Store().GetLightRow(host_.CurrentProfile(), mode, row)) return false;
    // Only a mode that is not yet the active one is stored and sent.
    const bool changed = row.status != 1;
    row_ = row;
    if (modes_) modes_->SetCurData(mode);
    ShowRow();
    if (!changed) return true;
    if (!host_.Store().SetActiveLightMode(host_.CurrentProfile(), mode)) return false;
    row_.status = 1;
    if (CThreadBasic* worker = host_.Worker()) worker->SetColourListIndex(row_.colorIndex);
    host_.QueueTask(CThreadBasic::kKeyboardLighting);
    return true;
}

void KeyboardLightPage::ShowRow() {
    const int bits = row_.configFunc;
    const bool any = row_.mode > 0;
    const bool brightness = any && (bits & kBrightnessBit), speed = any && (bits & kSpeedBit),
               direction = any && (bits & kDirectionBit),
               colours = any && (bits & (kColourListBit | kPerKeyBit)),
               perKey = any && (bits & kPerKeyBit);
    Show(brightnessGroup_, brightness);
    Show(speedGroup_, speed);
    Show(directionGroup_, direction);
    Show(colourGroup_, colours);
    Show(perKeyGroup_, perKey);
    StackRows({brightness, speed, direction, colours, perKey, perKey});
    if (brightness_) brightness_->SetProgress(std::clamp(row_.brightness, 0, kMaxBrightness));
    if (speed_) speed_->SetProgress(std::clamp(row_.speed, 0, kMaxSpeed));
    if (left_) left_->SetCheck(row_.direction == 0);
    if (right_) right_->SetCheck(row_.direction != 0);
    const int index = std::clamp(row_.colorIndex, 0, kSwatchCount - 1);
    for (size_t i = 0; i < swatches_.size(); ++i)
        if (swatches_[i]) swatches_[i]->SetControlCheck(static_cast<int>(i) == index);
    ShowPreview();
}

void KeyboardLightPage::ShowPreview() {
    if (!preview_) return;
    const int bits = row_.configFunc;
    const uint32_t colour =
        Colours()[static_cast<size_t>(std::clamp(row_.colorIndex, 0, kSwatchCount - 1))];
    preview_->EnableFrameSelect((bits & kPerKeyBit) != 0);
    preview_->SetLightModeData(nullptr, 0);
    if (row_.mode <= 0) {
        preview_->SetKeyboardCtrlMode(kColourPreview);
        preview_->ResetAllItemsColor(0);
        return;
    }
    if (bits & kPerKeyBit) {
        preview_->SetKeyboardCtrlMode(kColourPreview);
        LoadPerKeyColours();
        return;
    }
    if (bits & kMusicBit) {
        preview_->SetKeyboardCtrlMode(kMusicPreview);
        preview_->SetMusicBrightness(
            kMaxFrameBrightness * std::clamp(row_.brightness, 1, kMaxBrightness) / kMaxBrightness);
        preview_->UpdateControl(true);
        return;
    }
    // The shipped animation of the mode, in the picture's key order.
    LightFrameStore& frames = LightFrameStore::Instance();
    if (!frames.IsStoreOpen()) frames.OpenLightFrameStore(host_.ProgramFolder());
    std::vector<std::unique_ptr<LightFrameRow>> rows;
    if (frames.LoadLightFrames(row_.mode, rows) > 0) {
        std::map<int, std::map<int, uint8_t>> byFrame;
        for (const auto& r : rows)
            if (r) byFrame[r->frameIndex][r->keyValue] = static_cast<uint8_t>(r->rgbValue & 0xFF);
        const std::vector<KEY_INFO*> keys = preview_->GetKeyItems();
        std::vector<uint8_t> data;
        data.reserve(byFrame.size() * keys.size());
        for (const auto& [frame, values] : byFrame)
            for (const KEY_INFO* key : keys) {
                const auto it = key ? values.find(static_cast<int>(key->keyValue)) : values.end();
                data.push_back(it == values.end() ? 0 : it->second);
            }
        if (!keys.empty() && !data.empty()) {
            preview_->SetKeyboardCtrlMode(kAnimationPreview);
            preview_->SetLightModeData(data.data(), static_cast<int>(data.size()));
            preview_->SetLightSpeed(row_.speed);
            preview_->UpdateControl(true);
            return;
        }
    }
    // No animation: every key in the mode's colour (off for a mode without colours).
    preview_->SetKeyboardCtrlMode(kColourPreview);
    preview_->ResetAllItemsColor((bits & kColourListBit) ? colour : (bits ? 0xFFFFFF : 0));
}

void KeyboardLightPage::LoadPerKeyColours() {
    if (!preview_) return;
    preview_->ResetAllItemsColor(0);
    std::vector<std::unique_ptr<KeyLightRow>> rows;
    host_.Store().LoadKeyColours(kPerKeyLightId, rows);
    for (const auto& row : rows)
        if (row)
            preview_->SetKeyColor(static_cast<uint32_t>(row->keyCode),
                                  static_cast<uint32_t>(row->keyRgb));
    preview_->UpdateControl(true);
}

uint32_t KeyboardLightPage::StoredKeyColour(int keyValue) const {
    std::vector<std::unique_ptr<KeyLightRow>> rows;
    host_.Store().LoadKeyColours(kPerKeyLightId, rows);
    for (const auto& row : rows)
        if (row && row->keyCode == keyValue) return static_cast<uint32_t>(row->keyRgb);
    return 0;
}

bool KeyboardLightPage::StoreRow() {
    if (row_.mode <= 0) return false;
    if (!host_.Store().UpdateLightRow(host_.CurrentProfile(), row_.mode, row_)) return false;
    if (CThreadBasic* worker = host_.Worker()) worker->SetColourListIndex(row_.colorIndex);
    host_.QueueTask(CThreadBasic::kKeyboardLighting);
    return true;
}

bool KeyboardLightPage::SetBrightness(int value) {
    value = std::clamp(value, 0, kMaxBrightness);
    if (row_.mode <= 0 || value == row_.brightness) return false;
    row_.brightness = value;
    ShowPreview();
    return StoreRow();
}

bool KeyboardLightPage::SetSpeed(int value) {
    value = std::clamp(value, 0, kMaxSpeed);
    if (row_.mode <= 0 || value == row_.speed) return false;
    row_.speed = value;
    if (preview_) preview_->SetLightSpeed(value);
    return StoreRow();
}

bool KeyboardLightPage::SetDirection(int direction) {
    direction = direction ? 1 : 0;
    if (row_.mode <= 0 || direction == row_.direction) return false;
    row_.direction = direction;
    return StoreRow();
}

bool KeyboardLightPage::SelectColour(int index) {
    if (row_.mode <= 0 || index < 0 || index >= kSwatchCount) return false;
    // The custom mode paints with the colour; it is not the mode's own setting there.
    if (row_.configFunc & kPerKeyBit) {
        row_.colorIndex = index;
        ShowRow();
        return true;
    }
    if (index == row_.colorIndex) return false;
    row_.colorIndex = index;
    row_.colorValue = static_cast<int>(Colours()[static_cast<size_t>(index)]);
    ShowRow();
    return StoreRow();
}

bool KeyboardLightPage::StorePerKeyTable() {
    if (!preview_) return false;
    std::vector<std::unique_ptr<KeyLightRow>> rows;
    for (const KEY_INFO* key : preview_->GetKeyItems()) {
        if (!key) continue;
        auto row = std::make_unique<KeyLightRow>();
        row->profile = host_.CurrentProfile();
        row->lightId = kPerKeyLightId;
        row->keyCode = static_cast<int>(key->keyValue);
        row->keyRgb = static_cast<int>(key->color & 0xFFFFFF);
        rows.push_back(std::move(row));
    }
    SettingsDatabase& store = host_.Store();
    // The old table goes only together with the new one.
    const bool stored = store.RunInTransaction([&] {
        return store.DeleteKeyColours(kPerKeyLightId) && store.SaveKeyColours(std::move(rows)) >= 0;
    });
    if (!stored) {
        LoadPerKeyColours();
        return false;
    }
    host_.QueueTask(CThreadBasic::kKeyboardKeyLights);
    return true;
}

bool KeyboardLightPage::SetKeyColour(int keyValue, uint32_t colour) {
    if (!preview_ || !(row_.configFunc & kPerKeyBit) || keyValue <= 0) return false;
    bool found = false;
    for (const KEY_INFO* key : preview_->GetKeyItems())
        if (key && static_cast<int>(key->keyValue) == keyValue) found = true;
    if (!found) return false;
    preview_->SetKeyColor(static_cast<uint32_t>(keyValue), colour & 0xFFFFFF);
    preview_->UpdateControl(true);
    return StorePerKeyTable();
}

bool KeyboardLightPage::SetAllKeyColours(uint32_t colour) {
    if (!preview_ || !(row_.configFunc & kPerKeyBit)) return false;
    preview_->ResetAllItemsColor(colour & 0xFFFFFF);
    return StorePerKeyTable();
}

void KeyboardLightPage::OnPreviewRelease(int code, int keyValue) {
    if (!preview_ || !(row_.configFunc & kPerKeyBit)) return;
    const uint32_t colour =
        Colours()[static_cast<size_t>(std::clamp(row_.colorIndex, 0, kSwatchCount - 1))];
    // A frame dragged over keys gives them all the chosen colour.
    if (preview_->GetCheckItemCount() > 0 && (code == 24 || code == 2)) {
        bool many = false;
        for (const KEY_INFO* key : preview_->GetKeyItems())
            if (key && key->checked && static_cast<int>(key->keyValue) != keyValue) many = true;
        if (many || code == 24) {
            for (const KEY_INFO* key : preview_->GetKeyItems())
                if (key && key->checked) preview_->SetKeyColor(key->keyValue, colour);
            preview_->ResetAllItemCheck(false);
            StorePerKeyTable();
            return;
        }
        preview_->ResetAllItemCheck(false);
    }
    if (code != 2 || keyValue <= 0) return;
    // The picture has already switched the key on (to its own colour) or off.
    const uint32_t now = preview_->GetKeyColor(static_cast<uint32_t>(keyValue));
    SetKeyColour(keyValue, now == 0 ? 0 : colour);
}

bool KeyboardLightPage::OnNotify(unsigned id, int code, WPARAM wparam, LPARAM lparam) {
    switch (id) {
    case kModeList:
        if ((code == 1 || code == 2) && modes_) {
            const int index = static_cast<int>(static_cast<intptr_t>(wparam));
            if (index >= 0 && index < modes_->GetItemCount())
                SelectMode(static_cast<int>(modes_->GetItemData(index)));
        }
        return true;
    case kPreview:
        if (code == 2 || code == 24) OnPreviewRelease(code, static_cast<int>(lparam));
        return true;
    case kBrightnessSlider:
        if (code == 2 && brightness_) SetBrightness(brightness_->GetProgress());
        return true;
    case kSpeedSlider:
        if (code == 2 && speed_) SetSpeed(speed_->GetProgress());
        return true;
    case kDirectionLeft:
    case kDirectionRight:
        if (code == 2) SetDirection(id == kDirectionLeft ? 0 : 1);
        return true;
    case kSelectAll:
        if (code == 2)
            SetAllKeyColours(
                Colours()[static_cast<size_t>(std::clamp(row_.colorIndex, 0, kSwatchCount - 1))]);
        return true;
    case kClearKeys:
        if (code == 2) SetAllKeyColours(0);
        return true;
    default:
        if (id >= kFirstSwatch && id < kFirstSwatch + kSwatchCount) {
            if (code == 1 || code == 2) SelectColour(static_cast<int>(id - kFirstSwatch));
            return true;
        }
        return false;
    }
}

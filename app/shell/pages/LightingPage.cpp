#include "app/shell/pages/LightingPage.h"

#include "app/files/DeviceLayout.h"
#include "app/files/TextNumber.h"
#include "app/files/UiText.h"
#include "app/shell/CThreadBasic.h"
#include "app/shell/audio/PulseCapture.h"
#include "app/shell/audio/Visualizer.h"
#include "app/store/SettingsDatabase.h"
#include "ui/controls/CCheckButton.h"
#include "ui/controls/CRadioButton.h"
#include "ui/controls/DListBox.h"
#include "ui/controls/MButton.h"
#include "ui/controls/MEdit.h"
#include "ui/controls/MSlider.h"
#include "ui/controls/MTabLayout.h"
#include "ui/controls/MText.h"
#include "ui/core/Manager.h"
#include "ui/paint/MImageList.h"
#include "ui/widgets/CColorButton.h"
#include "ui/widgets/CirclePalette.h"
#include "ui/widgets/MPalette.h"
#include "ui/widgets/MouseLight.h"

#include <algorithm>
#include <cstdio>

using namespace Tolva;

namespace {

constexpr uint32_t kInk = 0xFFD8DCE2;
constexpr uint32_t kDim = 0xFF9AA3AE;
constexpr int kItemHeight = 36;

// Texts of the page.
constexpr int kTextMode = 860;
constexpr int kTextBrightness = 861;
constexpr int kTextSpeed = 862;
constexpr int kTextDirection = 863;
constexpr int kTextColour = 866;
constexpr int kTextRed = 867;
constexpr int kTextOption = 870;
constexpr int kTextAreas = 856;
constexpr int kTextApply = 22;
constexpr int kTextNoScreen = 9901;

// The seven zones on the 300 x 270 mouse picture, laid out as the screen effect samples them:
// zone 0 at the front, then pairs from front to back.
constexpr Rect kZones[LightingPage::kZoneCount] = {
    {142, 42, 158, 58},   {93, 103, 109, 119}, {191, 103, 207, 119}, {89, 158, 105, 174},
    {195, 158, 211, 174}, {97, 218, 113, 234}, {187, 218, 203, 234},
};
// The zone each area colour lights besides zone area + 1: zone 0 takes area 0.
constexpr int ZoneArea(int zone) {
    return zone == 0 ? 0 : zone - 1;
}

// What a mode without a colour of its own looks like on the picture.
constexpr uint32_t kCycle[LightingPage::kZoneCount] = {0x0000FF, 0x0080FF, 0x00FFFF, 0x00FF00,
                                                       0xFFFF00, 0xFF0000, 0xFF00FF};

uint32_t Dimmed(uint32_t colour, int brightness, int maximum) {
    if (maximum <= 0) return colour & 0xFFFFFF;
    brightness = std::clamp(brightness, 0, maximum);
    auto part = [&](int shift) { return ((colour >> shift) & 0xFF) * brightness / maximum; };
    return part(0) | part(8) << 8 | part(16) << 16;
}

std::string Decimal(int value) {
    return std::to_string(value);
}

} // namespace

LightingPage::LightingPage(PageHost& host) : ShellPage(host) {}

LightingPage::~LightingPage() {
    // The worker may still sample the picture until it is told there is none.
    if (visualizer_)
        if (CThreadBasic* worker = host_.Worker()) worker->SetLightPicture(nullptr);
}

std::string LightingPage::AreaKey(int area) {
    char key[32];
    std::snprintf(key, sizeof key, "lightmode5_area%d_rgb", area);
    return key;
}

// ---------------------------------------------------------------------------------------------
// Building

MText* LightingPage::AddLabel(MControl& layout, unsigned id, const Rect& rect, int size,
                              uint32_t argb) {
    auto* text = dynamic_cast<MText*>(
        static_cast<MTabLayout&>(layout).CreateControl("MText", id, rect, "", true, true));
    if (!text) return nullptr;
    text->SetFont(Manager::GetFontName(), size, 0);
    text->SetTextColor(argb);
    text->SetAlignment(0, 1);
    return text;
}

void LightingPage::Build() {
    if (MTabLayout* layout = host_.FindLayout(kLayoutId)) BuildControls(*layout);
}

void LightingPage::BuildControls(MControl& control) {
    auto& layout = static_cast<MTabLayout&>(control);
    auto make = [&](const char* cls, unsigned id, const Rect& r) {
        return layout.CreateControl(cls, id, r, "", true, true);
    };
    auto caption = [&](MControlFont* c, int text) {
        if (c && captionCount_ < static_cast<int>(captions_.size()))
            captions_[captionCount_++] = {c, text};
    };

    // Left: the modes.
    caption(AddLabel(layout, kModeTitle, {240, 122, 470, 150}, 12, kInk), kTextMode);
    modes_ = dynamic_cast<DListBox*>(
        make("DListBox", kModeList, {240, 156, 470, 156 + 10 * kItemHeight}));
    if (modes_) {
        modes_->SetItemHeight(kItemHeight);
        modes_->SetFont(Manager::GetFontName(), 11, 0);
        modes_->SetTextColor(kInk);
        auto icons = std::make_shared<MImageList>(Manager::GetSkinFolder());
        icons->AddImage("icon//icon_circle.png", 1, 0);
        icons->SetDrawImgSize(12, 12);
        modes_->SetImageList(icons);
    }

    // Centre: the mouse with its zones.
    picture_ = dynamic_cast<MouseLight*>(make("MouseLight", kMousePicture, {500, 122, 800, 392}));
    if (picture_) {
        if (auto layoutFile = host_.Layout(); layoutFile && !layoutFile->MouseImage().empty())
            picture_->SetImage("mouse\\" + layoutFile->MouseImage(), 1);
        else
            picture_->SetImage("mouse\\mouse_q410.png", 1);
        for (int zone = 0; zone < kZoneCount; ++zone)
            picture_->AddItem(zone, kZones[zone]);
    }

    // Right: brightness, speed, direction, the mode's option.
    auto slider = [&](unsigned labelId, unsigned sliderId, unsigned valueId, int top, int text,
                      MSlider*& out, MText*& value, std::array<MControl*, 3>& group) {
        MText* label = AddLabel(layout, labelId, {830, top, 1060, top + 26}, 11, kInk);
        caption(label, text);
        value = AddLabel(layout, valueId, {1080, top, 1160, top + 26}, 11, kDim);
        if (value) value->SetAlignment(2, 1);
        out = dynamic_cast<MSlider*>(make("MSlider", sliderId, {830, top + 28, 1160, top + 55}));
        if (out) {
            out->SetImage("img_slider_back.png", 1);
            out->SetThumbImage("img_thumb.png");
        }
        group = {label, out, value};
    };
    slider(kBrightnessLabel, kBrightnessSlider, kBrightnessValue, 122, kTextBrightness, brightness_,
           brightnessValue_, brightnessGroup_);
    slider(kSpeedLabel, kSpeedSlider, kSpeedValue, 192, kTextSpeed, speed_, speedValue_,
           speedGroup_);

    MText* direction = AddLabel(layout, kDirectionLabel, {830, 262, 1160, 288}, 11, kInk);
    caption(direction, kTextDirection);
    left_ = dynamic_cast<CRadioButton*>(make("CRadioButton", kDirectionLeft, {830, 292, 870, 322}));
    right_ =
        dynamic_cast<CRadioButton*>(make("CRadioButton", kDirectionRight, {880, 292, 920, 322}));
    for (auto [radio, image] : {std::pair{left_, "btn_direction_left.png"},
                                std::pair{right_, "btn_direction_right.png"}}) {
        if (!radio) continue;
        radio->SetImage(image, 8);
        radio->SetGroupName("light_direction");
    }
    directionGroup_ = {direction, left_, right_};

    option_ = dynamic_cast<CCheckButton*>(make("CCheckButton", kOptionBox, {830, 340, 1160, 366}));
    if (option_) {
        option_->SetFont(Manager::GetFontName(), 11, 0);
        option_->SetTextColor(kInk);
        caption(option_, kTextOption);
    }

    // Below the mouse: the colour wheel and its edits.
    MText* colourLabel = AddLabel(layout, kColourLabel, {500, 410, 800, 436}, 11, kInk);
    caption(colourLabel, kTextColour);
    wheel_ =
        dynamic_cast<CirclePalette*>(make("CirclePalette", kColourWheel, {500, 442, 640, 582}));
    if (wheel_) wheel_->SetImage("img_circlepalette.png", 1);
    colourGroup_ = {colourLabel, wheel_};
    for (int i = 0; i < 3; ++i) {
        const int top = 460 + i * 40;
        MText* label = AddLabel(layout, kRedLabel + i, {660, top, 690, top + 30}, 11, kInk);
        caption(label, kTextRed + i);
        edits_[i] = dynamic_cast<MEdit*>(make("MEdit", kRedEdit + i, {695, top, 795, top + 30}));
        if (edits_[i]) {
            edits_[i]->SetImage("img_edit.png", 5);
            edits_[i]->SetNumberOnly(true);
            edits_[i]->SetLimitText(3);
            edits_[i]->SetEditFont(Manager::GetFontName(), 11);
            edits_[i]->SetTextColor(kInk);
        }
        colourGroup_[2 + i * 2] = label;
        colourGroup_[3 + i * 2] = edits_[i];
    }

    // Right, below: the six area colours and the field they are picked from.
    MText* areaLabel = AddLabel(layout, kAreaLabel, {830, 410, 1160, 436}, 11, kInk);
    caption(areaLabel, kTextAreas);
    areaGroup_[0] = areaLabel;
    for (int i = 0; i < kAreaCount; ++i) {
        const int x = 830 + i * 44;
        areaButtons_[i] = dynamic_cast<CColorButton*>(
            make("CColorButton", kAreaFirst + i, {x, 442, x + 30, 472}));
        if (areaButtons_[i]) areaButtons_[i]->SetGroupName("light_area_group");
        areaGroup_[1 + i] = areaButtons_[i];
    }
    areaPalette_ = dynamic_cast<MPalette*>(make("MPalette", kAreaPalette, {830, 484, 1160, 582}));
    areaGroup_[7] = areaPalette_;

    // Below the mouse, where the colour wheel would be: why the screen effect shows nothing.
    screenNote_ = AddLabel(layout, kScreenNote, {500, 410, 800, 500}, 11, kDim);
    if (screenNote_) {
        screenNote_->SetAlignment(0, 0);
        screenNote_->EnableMultiLine(true);
        caption(screenNote_, kTextNoScreen);
    }

    if (auto* apply = dynamic_cast<MButton*>(make("MButton", kApply, {1060, 630, 1160, 660}))) {
        apply->SetImage("btn_apply.png", 4);
        apply->SetFont(Manager::GetFontName(), 11, 0);
        apply->SetTextColor(kInk);
        caption(apply, kTextApply);
    }
    ShowGroups();
}

void LightingPage::ApplyTexts() {
    for (int i = 0; i < captionCount_; ++i)
        if (captions_[i].control) captions_[i].control->SetTitle(UiText::Dialog(captions_[i].text));
    // The mode rows keep their place and selection; only their names change.
    auto layout = host_.Layout();
    if (!modes_ || !layout) return;
    for (int i = 0; i < modes_->GetItemCount(); ++i) {
        const int text = layout->LightModeNameText(static_cast<int>(modes_->GetItemData(i)));
        if (text > 0) modes_->ModifyItemString(i, UiText::Dialog(text));
    }
}

// ---------------------------------------------------------------------------------------------
// Loading

void LightingPage::Reload() {
    reloading_ = true;
    FillModes();
    LoadMusicLayer();
    const int mode = ChooseModeForProfile();
    if (mode > 0) {
        SelectMode(mode, false);
    } else {
        mode_ = 0;
        attributes_ = 0;
        ShowGroups();
        ShowPicture();
        HandFlagsToWorker();
    }
    reloading_ = false;
}

void LightingPage::FillModes() {
    if (!modes_) return;
    modes_->DeleteAllItems();
    auto layout = host_.Layout();
    if (!layout) return;
    for (const auto& row : layout->LightModes()) {
        // The row's name is in the language the layout was read in.
        const int text = layout->LightModeNameText(row->mode);
        modes_->AddString(text > 0 ? UiText::Dialog(text) : row->name, row->mode, 0);
    }
    // A profile made after the device was chosen has no light rows yet.
    const int profile = host_.CurrentProfile();
    if (host_.Store().CountLightRows(profile) == 0) layout->SeedLightRows(host_.Store(), profile);
}

int LightingPage::ChooseModeForProfile() const {
    auto layout = host_.Layout();
    if (!layout || layout->LightModes().empty()) return 0;
    auto offered = [&](int mode) {
        for (const auto& row : layout->LightModes())
            if (row->mode == mode) return true;
        return false;
    };
    SettingsDatabase& store = host_.Store();
    const int profile = host_.CurrentProfile();
    std::string text;
    if (store.GetConfigValue(profile, kModeKey, text) && offered(TextNumber::Decimal(text)))
        return TextNumber::Decimal(text);
    if (int active = store.GetActiveLightMode(profile); offered(active)) return active;
    if (offered(layout->DefaultLightMode())) return layout->DefaultLightMode();
    return layout->LightModes().front()->mode;
}

int LightingPage::ReadInt(const std::string& key, int fallback) {
    std::string text;
    if (!host_.Store().GetConfigValue(host_.CurrentProfile(), key, text)) return fallback;
    return TextNumber::Decimal(text);
}

void LightingPage::SelectMode(int mode, bool store) {
    auto layout = host_.Layout();
    if (!layout) return;
    const LightRow* offered = nullptr;
    for (const auto& row : layout->LightModes())
        if (row->mode == mode) offered = row.get();
    if (!offered) return;
    SettingsDatabase& db = host_.Store();
    const int profile = host_.CurrentProfile();
    mode_ = mode;
    if (modes_) modes_->SetCurSel(modes_->FindItemData(mode));

    LightRow row;
    if (!db.GetLightRow(profile, mode, row)) {
        row = *offered;
        row.profile = profile;
    }
    // The attribute bits come from the layout file: it decides what the device offers.
    attributes_ = offered->configFunc;
    for (int i = 0; i < kAreaCount; ++i)
        areas_[i] = static_cast<uint32_t>(ReadInt(AreaKey(i), 0)) & 0xFFFFFF;

    // The worker sends the store's active mode; it must be this profile's choice.
    if (db.GetActiveLightMode(profile) != mode) db.SetActiveLightMode(profile, mode);
    if (store || ReadInt(kModeKey, 0) != mode) db.PutConfigValue(profile, kModeKey, Decimal(mode));

    ShowGroups();
    ShowRow(row);
    ShowPicture();
    HandFlagsToWorker();
    if (store) QueueSend();
}

void LightingPage::ShowGroups() {
    auto show = [](auto& group, bool on) {
        for (MControl* c : group)
            if (c) c->SetVisible(on);
    };
    show(brightnessGroup_, attributes_ & kBrightnessBit);
    show(speedGroup_, attributes_ & kSpeedBit);
    show(directionGroup_, attributes_ & kDirectionBit);
    show(colourGroup_, attributes_ & kColourBit);
    show(areaGroup_, attributes_ & kAreasBit);
    if (option_) option_->SetVisible(attributes_ & kOptionBit);
    if (screenNote_) screenNote_->SetVisible((attributes_ & kScreenBit) && !screenReadable_);
}

void LightingPage::ShowRow(const LightRow& row) {
    auto layout = host_.Layout();
    auto setSlider = [](MSlider* slider, MText* value, int maximum, int position) {
        if (!slider) return;
        slider->SetMinProgress(0);
        slider->SetMaxProgress(std::max(1, maximum));
        slider->SetProgress(std::clamp(position, 0, slider->GetMaxProgress()));
        if (value) value->SetTitle(Decimal(slider->GetProgress()));
    };
    setSlider(brightness_, brightnessValue_, layout ? layout->BrightnessMax() : 100,
              row.brightness);
    setSlider(speed_, speedValue_, layout ? layout->SpeedMax() : 4, row.speed);
    if (left_ && right_) {
        left_->SetControlCheck(row.direction == 0);
        right_->SetControlCheck(row.direction != 0);
    }
    if (option_) option_->SetCheck(row.colorful != 0);
    ShowColour(static_cast<uint32_t>(row.colorValue) & 0xFFFFFF, true);
    for (int i = 0; i < kAreaCount; ++i) {
        if (!areaButtons_[i]) continue;
        areaButtons_[i]->SetColor(areas_[i]);
        areaButtons_[i]->SetControlCheck(i == area_);
        areaButtons_[i]->UpdateControl();
    }
    if (areaPalette_) areaPalette_->SetSelectColor(areas_[area_]);
}

void LightingPage::ShowColour(uint32_t colour, bool edits) {
    colour_ = colour & 0xFFFFFF;
    if (wheel_) wheel_->SetSelectColor(colour_);
    if (!edits) return;
    for (int i = 0; i < 3; ++i)
        if (edits_[i])
            edits_[i]->SetEditText(Decimal(static_cast<int>((colour_ >> (8 * i)) & 0xFF)));
}

void LightingPage::ShowPicture() {
    if (!picture_) return;
    auto layout = host_.Layout();
    const int maximum = layout ? layout->BrightnessMax() : 0;
    const int level =
        (attributes_ & kBrightnessBit) && brightness_ ? brightness_->GetProgress() : maximum;
    for (int zone = 0; zone < kZoneCount; ++zone) {
        uint32_t colour = 0;
        if (attributes_ & (kMusicBit | kScreenBit))
            colour = 0; // the live frames colour the zones
        else if (attributes_ & kAreasBit)
            colour = areas_[ZoneArea(zone)];
        else if (attributes_ & kColourBit)
            colour = colour_;
        else if (mode_ != 0 && attributes_ != 0)
            colour = kCycle[zone];
        picture_->SetLightColor(zone, Dimmed(colour, level, maximum));
    }
    picture_->UpdateControl(true);
}

void LightingPage::HandFlagsToWorker() {
    if (CThreadBasic* worker = host_.Worker()) worker->SetLightingFlags(attributes_);
    if (visualizer_) visualizer_->SetEnabled(attributes_ & kMusicBit);
    ApplyMusicSettings();
}

// ---------------------------------------------------------------------------------------------
// The music layer and the visualizer

void LightingPage::LoadMusicLayer() {
    SettingsDatabase& db = host_.Store();
    const int profile = host_.CurrentProfile();
    if (db.CountMusicLayers(profile) == 0) db.AddMusicLayer(profile, "Music");
    MusicLayerRow row;
    // One layer serves every profile: the store reads and writes layer 1 only.
    if (db.GetMusicLayer(1, row)) music_ = row;
}

void LightingPage::ApplyMusicSettings() {
    if (!visualizer_) return;
    VisualizerAnalysis::Settings analysis = visualizer_->GetAnalysis();
    if (music_.foreAmplitude > 0) analysis.gain = static_cast<float>(music_.foreAmplitude);
    visualizer_->SetAnalysis(analysis);
    Visualizer::Colours colours = visualizer_->GetColours();
    colours.barScheme = music_.foreMode;
    colours.backScheme = music_.backMode;
    colours.backBrightness = music_.backBright;
    colours.barBrightness =
        (attributes_ & kMusicBit) && (attributes_ & kBrightnessBit) && brightness_
            ? brightness_->GetProgress() * 100 / std::max(1, brightness_->GetMaxProgress())
            : 100;
    visualizer_->SetColours(colours);
}

void LightingPage::StartVisualizer() {
    if (visualizer_) return;
    visualizer_ = std::make_unique<Visualizer>(std::make_unique<PulseCapture>());
    ApplyMusicSettings();
    visualizer_->SetEnabled(attributes_ & kMusicBit);
    visualizer_->Start();
    if (CThreadBasic* worker = host_.Worker()) worker->SetLightPicture(visualizer_.get());
}

bool LightingPage::OnWindowMessage(uint32_t msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
    case kStartVisualizer:
        StartVisualizer();
        return true;
    case kLiveColours:
        if (lparam)
            ShowLiveColours(*reinterpret_cast<const std::array<uint32_t, kZoneCount>*>(lparam));
        return true;
    case kScreenReadable:
        screenReadable_ = wparam != 0;
        ShowGroups();
        return true;
    default:
        return false;
    }
}

void LightingPage::ShowLiveColours(const std::array<uint32_t, kZoneCount>& colours) {
    // A frame still on its way after the mode changed is not this mode's.
    if (!picture_ || !(attributes_ & (kMusicBit | kScreenBit))) return;
    bool changed = false;
    for (int zone = 0; zone < kZoneCount; ++zone) {
        const uint32_t colour = colours[zone] & 0xFFFFFF;
        if (picture_->GetLightColor(zone) == colour) continue;
        picture_->SetLightColor(zone, colour);
        changed = true;
    }
    if (changed) picture_->UpdateControl(true);
}

void LightingPage::OnActivate() {
    HandFlagsToWorker();
}

// ---------------------------------------------------------------------------------------------
// Changes

bool LightingPage::OnNotify(unsigned id, int code, WPARAM wparam, LPARAM lparam) {
    if (id < kModeTitle || id > 602) return false;
    switch (id) {
    case kModeList:
        if ((code == 1 || code == 2) && modes_) {
            const int mode = static_cast<int>(modes_->GetItemData(static_cast<int>(wparam)));
            if (mode > 0 && mode != mode_) SelectMode(mode, true);
        }
        break;
    case kBrightnessSlider:
    case kSpeedSlider:
        if (code == 8 || code == 2) {
            MSlider* slider = id == kBrightnessSlider ? brightness_ : speed_;
            OnSlider(id == kBrightnessSlider, slider ? slider->GetProgress() : 0);
        }
        break;
    case kDirectionLeft:
    case kDirectionRight:
        if (code == 2) OnDirection(id == kDirectionLeft ? 0 : 1);
        break;
    case kOptionBox:
        if (code == 2 || code == 7) OnOption();
        break;
    case kColourWheel:
        if (code == 27) OnWheel(static_cast<uint32_t>(lparam));
        break;
    case kRedEdit:
    case kRedEdit + 1:
    case kRedEdit + 2:
        if (code == 26) OnColourEdits();
        break;
    case kAreaPalette:
        if (code == 27) OnAreaPalette();
        break;
    case kApply:
        if (code == 2) QueueSend();
        break;
    default:
        if (id >= kAreaFirst && id < kAreaFirst + kAreaCount && code == 1)
            OnArea(static_cast<int>(id - kAreaFirst));
        break;
    }
    return true;
}

template <typename Change> void LightingPage::ChangeRow(Change change) {
    if (mode_ <= 0) return;
    SettingsDatabase& db = host_.Store();
    const int profile = host_.CurrentProfile();
    LightRow row;
    if (!db.GetLightRow(profile, mode_, row)) return;
    change(row);
    db.UpdateLightRow(profile, mode_, row);
    QueueSend();
}

void LightingPage::QueueSend() {
    if (reloading_) return;
    CThreadBasic* worker = host_.Worker();
    const bool idle = worker ? worker->Queue().Empty() : host_.PendingTasks() == 0;
    if (!idle) return;
    host_.QueueTask(CThreadBasic::kMouseLighting);
    host_.ShowWaitDialog();
}

void LightingPage::OnSlider(bool brightness, int position) {
    MText* value = brightness ? brightnessValue_ : speedValue_;
    if (value) value->SetTitle(Decimal(position));
    ChangeRow([&](LightRow& row) { (brightness ? row.brightness : row.speed) = position; });
    if (brightness) {
        ShowPicture();
        ApplyMusicSettings();
    }
}

void LightingPage::OnDirection(int direction) {
    ChangeRow([&](LightRow& row) { row.direction = direction; });
}

void LightingPage::OnOption() {
    const bool on = option_ && option_->GetCheck();
    ChangeRow([&](LightRow& row) { row.colorful = on ? 1 : 0; });
}

void LightingPage::OnWheel(uint32_t colour) {
    ShowColour(colour, true);
    ShowPicture();
    ChangeRow([&](LightRow& row) { row.colorValue = static_cast<int>(colour_); });
}

void LightingPage::OnColourEdits() {
    uint32_t colour = 0;
    for (int i = 0; i < 3; ++i) {
        const int part = edits_[i] ? TextNumber::Decimal(edits_[i]->GetEditText()) : 0;
        colour |= (static_cast<uint32_t>(part) & 0xFF) << (8 * i);
    }
    // The edits show what is stored: each part cut to 8 bits.
    ShowColour(colour, true);
    ShowPicture();
    ChangeRow([&](LightRow& row) { row.colorValue = static_cast<int>(colour_); });
}

void LightingPage::OnArea(int area) {
    area_ = std::clamp(area, 0, kAreaCount - 1);
    if (areaPalette_) areaPalette_->SetSelectColor(areas_[area_]);
}

void LightingPage::OnAreaPalette() {
    if (!areaPalette_ || mode_ <= 0) return;
    const uint32_t colour = areaPalette_->GetSelectColor() & 0xFFFFFF;
    areas_[area_] = colour;
    host_.Store().PutConfigValue(host_.CurrentProfile(), AreaKey(area_),
                                 Decimal(static_cast<int>(colour)));
    if (CColorButton* button = areaButtons_[area_]) {
        button->SetColor(colour);
        button->UpdateControl();
    }
    ShowPicture();
    QueueSend();
}

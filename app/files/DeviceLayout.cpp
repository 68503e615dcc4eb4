#include "app/files/DeviceLayout.h"

#include "app/files/TextNumber.h"
#include "app/files/UiText.h"
#include "app/store/SettingsDatabase.h"
#include "app/xml/XmlDocument.h"

namespace {

constexpr int kLastKeyboardType = 600;

// A text attribute that holds a number names a language text; anything else is the text.
std::string Resolve(const std::string& attribute, const DeviceLayout::TextLookup& lookup) {
    if (!TextNumber::IsDigits(attribute)) return attribute;
    return lookup(TextNumber::Decimal(attribute));
}

} // namespace

std::string DeviceLayout::PathIn(const std::string& programFolder, const std::string& layoutName) {
    return programFolder + "layouts/" + layoutName + ".xml";
}

void DeviceLayout::Clear() {
    loaded_ = false;
    functionValue_ = kNoLayoutFunction;
    firmwareUrl_.clear();
    firmwareFile_.clear();
    firmwareVersion_.clear();
    rgbKeyboard_ = false;
    showSleepTime_ = false;
    defaultMode_ = defaultBrightness_ = defaultSpeed_ = brightnessMax_ = speedMax_ = 0;
    lightModes_.clear();
    lightNameTexts_.clear();
    mouseImage_.clear();
    buttons_.clear();
    keyboardImage_.clear();
    keyboardWidth_ = keyboardHeight_ = 0;
    keys_.clear();
}

bool DeviceLayout::Load(const std::string& programFolder, int deviceType,
                        const std::string& layoutName, TextLookup lookup) {
    Clear();
    // A layout name with a path separator would reach outside the layouts folder.
    if (layoutName.empty() || layoutName.find('/') != std::string::npos) return false;
    XmlDocument doc;
    if (!doc.Load(PathIn(programFolder, layoutName))) return false;
    if (!lookup) lookup = [](int id) { return UiText::Dialog(id); };
    return loaded_ = Read(doc, deviceType, lookup);
}

bool DeviceLayout::LoadText(const char* data, size_t size, int deviceType, TextLookup lookup) {
    Clear();
    XmlDocument doc;
    if (!doc.SetDoc(data, size)) return false;
    if (!lookup) lookup = [](int id) { return UiText::Dialog(id); };
    return loaded_ = Read(doc, deviceType, lookup);
}

bool DeviceLayout::Read(XmlDocument& doc, int deviceType, const TextLookup& lookup) {
    if (!doc.FindElem("device.info")) return false;
    doc.IntoElem();
    const bool mouse = deviceType > kLastKeyboardType;
    if (doc.FindElem("function")) functionValue_ = TextNumber::Decimal(doc.GetAttrib("value"));
    if (doc.FindElem("firmware")) {
        firmwareUrl_ = doc.GetAttrib("url");
        firmwareFile_ = doc.GetAttrib("file");
        firmwareVersion_ = doc.GetAttrib("version");
    }
    if (doc.FindElem("light")) ReadLight(doc, mouse, lookup);
    if (!mouse) {
        if (doc.FindElem("keyboard_image")) {
            keyboardImage_ = doc.GetAttrib("file_name");
            keyboardWidth_ = TextNumber::Decimal(doc.GetAttrib("width"));
            keyboardHeight_ = TextNumber::Decimal(doc.GetAttrib("height"));
        }
        if (doc.FindElem("keyboard_key")) ReadKeys(doc, lookup);
        return true;
    }
    if (doc.FindElem("mouse_image")) mouseImage_ = doc.GetAttrib("file_name");
    if (doc.FindElem("mouse_key")) ReadButtons(doc, lookup);
    return true;
}

void DeviceLayout::ReadLight(XmlDocument& doc, bool mouse, const TextLookup& lookup) {
    rgbKeyboard_ = doc.GetAttrib("rgb_keyboard") == "1";
    showSleepTime_ = doc.GetAttrib("show_sleeptime") == "1";
    defaultMode_ = TextNumber::Decimal(doc.GetAttrib("default_mode"));
    defaultBrightness_ = TextNumber::Decimal(doc.GetAttrib("default_brightness"));
    defaultSpeed_ = TextNumber::Decimal(doc.GetAttrib("default_speed"));
    if (mouse) {
        brightnessMax_ = TextNumber::Decimal(doc.GetAttrib("brightness_max"));
        speedMax_ = TextNumber::Decimal(doc.GetAttrib("speed_max"));
    }
    doc.IntoElem();
    while (doc.FindElem("info")) {
        auto row = std::make_unique<LightRow>();
        const std::string name = doc.GetAttrib("name");
        row->name = Resolve(name, lookup);
        row->mode = TextNumber::Decimal(doc.GetAttrib("mode"));
        if (TextNumber::IsDigits(name)) lightNameTexts_[row->mode] = TextNumber::Decimal(name);
        row->brightness = defaultBrightness_;
        row->speed = defaultSpeed_;
        row->direction = 0;
        row->colorful = kDefaultColorful;
        row->colorIndex = 0;
        row->colorValue = kDefaultColorValue;
        row->configFunc = TextNumber::Decimal(doc.GetAttrib("attribute"));
        row->reserved = 0;
        row->status = 0;
        lightModes_.push_back(std::move(row));
    }
    doc.OutOfElem();
}

void DeviceLayout::ReadButtons(XmlDocument& doc, const TextLookup& lookup) {
    buttons_.clear();
    doc.IntoElem();
    while (doc.FindElem("key")) {
        auto button = std::make_unique<LayoutButton>();
        button->nameId = doc.GetAttrib("name");
        button->name = lookup(TextNumber::Decimal(button->nameId));
        button->keyValue = TextNumber::Decimal(doc.GetAttrib("key_value"));
        button->direction = TextNumber::Decimal(doc.GetAttrib("direction"));
        ParseRect(doc.GetAttrib("rect"), button->x1, button->y1, button->x2, button->y2);
        button->funcDescId = doc.GetAttrib("func_desc");
        button->funcDesc = lookup(TextNumber::Decimal(button->funcDescId));
        button->funcType = TextNumber::Decimal(doc.GetAttrib("func_type"));
        button->funcValue = TextNumber::Decimal(doc.GetAttrib("func_value"));
        buttons_.push_back(std::move(button));
    }
    doc.OutOfElem();
}

void DeviceLayout::ReadKeys(XmlDocument& doc, const TextLookup& lookup) {
    keys_.clear();
    doc.IntoElem();
    while (doc.FindElem("key")) {
        auto key = std::make_unique<LayoutKey>();
        key->name = Resolve(doc.GetAttrib("name"), lookup);
        key->keyValue = TextNumber::Decimal(doc.GetAttrib("key_value"));
        ParseRect(doc.GetAttrib("rect"), key->left, key->top, key->right, key->bottom);
        key->funcType = TextNumber::Decimal(doc.GetAttrib("func_type"));
        key->funcValue = TextNumber::Decimal(doc.GetAttrib("func_value"));
        // A key without a code could never be told apart from "no key".
        if (key->keyValue > 0) keys_.push_back(std::move(key));
    }
    doc.OutOfElem();
}

void DeviceLayout::ParseRect(const std::string& rect, int& x1, int& y1, int& x2, int& y2) {
    int* out[4] = {&x1, &y1, &x2, &y2};
    size_t start = 0;
    for (int i = 0; i < 4; ++i) {
        if (start > rect.size()) {
            *out[i] = 0;
            continue;
        }
        size_t hash = rect.find('#', start);
        std::string part =
            rect.substr(start, hash == std::string::npos ? std::string::npos : hash - start);
        *out[i] = TextNumber::Decimal(part);
        start = hash == std::string::npos ? rect.size() + 1 : hash + 1;
    }
}

int DeviceLayout::SeedLightRows(SettingsDatabase& db, int profile) const {
    auto lock = db.Lock();
    if (db.CountLightRows(profile) != 0) return 0;
    int added = 0;
    for (const auto& mode : lightModes_) {
        LightRow row = *mode;
        row.profile = profile;
        if (db.AddLightRow(row) > 0) ++added;
    }
    if (added > 0) db.SetActiveLightMode(profile, defaultMode_);
    return added;
}

int DeviceLayout::LightModeNameText(int mode) const {
    const auto found = lightNameTexts_.find(mode);
    return found == lightNameTexts_.end() ? 0 : found->second;
}

const LayoutButton* DeviceLayout::FindButton(int keyValue) const {
    for (const auto& button : buttons_)
        if (button->keyValue == keyValue) return button.get();
    return nullptr;
}

const LayoutKey* DeviceLayout::FindKey(int keyValue) const {
    for (const auto& key : keys_)
        if (key->keyValue == keyValue) return key.get();
    return nullptr;
}

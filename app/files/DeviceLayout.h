#pragma once

#include "app/store/LightRow.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class SettingsDatabase;
class XmlDocument;

// One button of the mouse picture, with its default function.
struct LayoutButton {
    std::string nameId;     // the name attribute: a text number
    std::string name;       // that text in the language of the load
    int keyValue = 0;       // the code the button's assignment is stored under
    int direction = 0;      // side of the picture its label is drawn on
    int x1 = 0, y1 = 0;     // the button's spot on the picture
    int x2 = 0, y2 = 0;     // end of its label line
    std::string funcDescId; // text number of the default function's description
    std::string funcDesc;   // that text in the language of the load
    int funcType = 0;       // default function, as stored in an assignment
    int funcValue = 0;
};

// One key of a keyboard picture, with its own function.
struct LayoutKey {
    std::string name; // legend (a text number in the file is resolved)
    int keyValue = 0; // HID usage: the code its assignment is stored under
    int left = 0, top = 0, right = 0, bottom = 0; // on the keyboard picture
    int funcType = 0;                             // its own function, as stored in an assignment
    int funcValue = 0;
};

// A device's layout file "<program folder>layouts/<name>.xml": function value, firmware, the
// lighting capabilities and light modes, the mouse picture and its buttons. Plain data for the
// pages; texts named by number are resolved when the file is read.
class DeviceLayout {
public:
    // Looks up a text by number; the program uses the current language's "KB.DIALOG" texts.
    using TextLookup = std::function<std::string(int)>;

    static constexpr int kNoLayoutFunction = 127;
    // Every light mode row starts with these.
    static constexpr int kDefaultColorful = 7;
    static constexpr int kDefaultColorValue = 0xFDA80F;

    // Reads the layout for a device type (mouse parts only above 600). Everything read before
    // is dropped first. False when the file is missing, unparsable or its root is not
    // "device.info"; the layout is then empty. A null lookup means UiText::Dialog.
    bool Load(const std::string& programFolder, int deviceType, const std::string& layoutName,
              TextLookup lookup = nullptr);
    bool LoadText(const char* data, size_t size, int deviceType, TextLookup lookup = nullptr);

    static std::string PathIn(const std::string& programFolder, const std::string& layoutName);

    // Splits "x1#y1#x2#y2" (missing parts give 0).
    static void ParseRect(const std::string& rect, int& x1, int& y1, int& x2, int& y2);

    // When the profile has no light rows, adds one per light mode (file order) and makes the
    // default mode active, all under the database lock. Returns the number of rows added.
    int SeedLightRows(SettingsDatabase& db, int profile) const;

    bool IsLoaded() const { return loaded_; }
    int FunctionValue() const { return functionValue_; }
    const std::string& FirmwareUrl() const { return firmwareUrl_; }
    const std::string& FirmwareFile() const { return firmwareFile_; }
    const std::string& FirmwareVersion() const { return firmwareVersion_; }

    bool RgbKeyboard() const { return rgbKeyboard_; }
    bool ShowSleepTime() const { return showSleepTime_; }
    int DefaultLightMode() const { return defaultMode_; }
    int DefaultBrightness() const { return defaultBrightness_; }
    int DefaultSpeed() const { return defaultSpeed_; }
    int BrightnessMax() const { return brightnessMax_; }
    int SpeedMax() const { return speedMax_; }
    // One light row per info element (profile 0; SeedLightRows fills it in).
    const std::vector<std::unique_ptr<LightRow>>& LightModes() const { return lightModes_; }
    // The language text that names a light mode (0 when the file names it in plain text or has
    // no such mode), so that pages can name it in the language shown now.
    int LightModeNameText(int mode) const;

    const std::string& MouseImage() const { return mouseImage_; }
    const std::vector<std::unique_ptr<LayoutButton>>& Buttons() const { return buttons_; }
    // The button with that code, or null.
    const LayoutButton* FindButton(int keyValue) const;

    // Keyboards (type 600 or below): the picture (skin "keyboard//" file) and its keys.
    const std::string& KeyboardImage() const { return keyboardImage_; }
    int KeyboardImageWidth() const { return keyboardWidth_; }
    int KeyboardImageHeight() const { return keyboardHeight_; }
    const std::vector<std::unique_ptr<LayoutKey>>& Keys() const { return keys_; }
    const LayoutKey* FindKey(int keyValue) const;

private:
    void Clear();
    bool Read(XmlDocument& doc, int deviceType, const TextLookup& lookup);
    void ReadLight(XmlDocument& doc, bool mouse, const TextLookup& lookup);
    void ReadButtons(XmlDocument& doc, const TextLookup& lookup);
    void ReadKeys(XmlDocument& doc, const TextLookup& lookup);

    bool loaded_ = false;
    int functionValue_ = kNoLayoutFunction;
    std::string firmwareUrl_;
    std::string firmwareFile_;
    std::string firmwareVersion_;
    bool rgbKeyboard_ = false;
    bool showSleepTime_ = false;
    int defaultMode_ = 0;
    int defaultBrightness_ = 0;
    int defaultSpeed_ = 0;
    int brightnessMax_ = 0;
    int speedMax_ = 0;
    std::vector<std::unique_ptr<LightRow>> lightModes_;
    std::map<int, int> lightNameTexts_; // mode -> text number
    std::string mouseImage_;
    std::vector<std::unique_ptr<LayoutButton>> buttons_;
    std::string keyboardImage_;
    int keyboardWidth_ = 0;
    int keyboardHeight_ = 0;
    std::vector<std::unique_ptr<LayoutKey>> keys_;
};

#pragma once

#include <memory>
#include <string>
#include <vector>

class HidDeviceManager;
class XmlDocument;

// One mode of a configured device (a mode element inside its mouse element).
struct DeviceModeEntry {
    std::string name;       // the device's name
    int deviceType = 0;     // 601 for the mouse
    std::string layoutName; // layouts/<layoutName>.xml
    int mode = 0;           // 0 cable, 2 receiver
    int vendorId = 0;
    int productId = 0;
    int release = 0;
    std::string desc;
    std::string hidInterface; // must occur in the upper-cased interface name
};

// One entry of the device list: a mouse element.
struct ConfiguredDevice {
    std::string name;
    int deviceType = 0;
};

// The application configuration "config.xml" of the program folder: the devices the program
// serves and the software's own texts and addresses. Read only; the program never writes it.
//
// Reading walks forward through the file, so every keyboard element must come before the first
// mouse element: mice that follow a keyboard which itself follows a mouse are never seen.
class ApplicationConfig {
public:
    // Empties the tables, then reads the file. Every mode is registered with `manager`
    // (AddSupportedDevice) when one is given. False, with empty tables, when the file is
    // missing, unparsable or its root is not "config".
    bool Load(const std::string& path, HidDeviceManager* manager);
    // The same for a document already in memory.
    bool LoadText(const char* data, size_t size, HidDeviceManager* manager);

    // "<program folder>config.xml".
    static std::string PathIn(const std::string& programFolder);

    // Device-mode entries in file order.
    const std::vector<std::unique_ptr<DeviceModeEntry>>& Modes() const { return modes_; }
    // One entry per mouse element, in file order.
    const std::vector<std::unique_ptr<ConfiguredDevice>>& Devices() const { return devices_; }
    // The first mode entry of that device type, or null.
    const DeviceModeEntry* FindByDeviceType(int deviceType) const;

    const std::string& Caption() const { return caption_; }
    const std::string& Version() const { return version_; }
    const std::string& WebsiteUrl() const { return website_; }
    const std::string& StoreUrl() const { return store_; }
    const std::string& UpgradeUrl() const { return upgrade_; }
    const std::string& Copyright() const { return copyright_; }

private:
    void Clear();
    bool Read(XmlDocument& doc, HidDeviceManager* manager);
    void ReadMouse(XmlDocument& doc, HidDeviceManager* manager);

    std::vector<std::unique_ptr<DeviceModeEntry>> modes_;
    std::vector<std::unique_ptr<ConfiguredDevice>> devices_;
    std::string caption_;
    std::string version_;
    std::string website_;
    std::string store_;
    std::string upgrade_;
    std::string copyright_;
};

#include "app/files/ApplicationConfig.h"

#include "app/device/HidDeviceManager.h"
#include "app/files/TextNumber.h"
#include "app/xml/XmlDocument.h"

std::string ApplicationConfig::PathIn(const std::string& programFolder) {
    return programFolder + "config.xml";
}

void ApplicationConfig::Clear() {
    modes_.clear();
    devices_.clear();
    caption_.clear();
    version_.clear();
    website_.clear();
    store_.clear();
    upgrade_.clear();
    copyright_.clear();
}

bool ApplicationConfig::Load(const std::string& path, HidDeviceManager* manager) {
    Clear();
    XmlDocument doc;
    if (!doc.Load(path)) return false;
    return Read(doc, manager);
}

bool ApplicationConfig::LoadText(const char* data, size_t size, HidDeviceManager* manager) {
    Clear();
    XmlDocument doc;
    if (!doc.SetDoc(data, size)) return false;
    return Read(doc, manager);
}

bool ApplicationConfig::Read(XmlDocument& doc, HidDeviceManager* manager) {
    if (!doc.FindElem("config")) return false;
    doc.IntoElem();
    if (doc.FindElem("device.info")) {
        doc.IntoElem();
        // Keyboards are listed first and carry nothing the program reads.
        while (doc.FindElem("keyboard")) {
        }
        while (doc.FindElem("mouse"))
            ReadMouse(doc, manager);
        doc.OutOfElem();
    }
    if (doc.FindElem("software")) {
        caption_ = doc.GetAttrib("caption");
        version_ = doc.GetAttrib("version");
        doc.IntoElem();
        if (doc.FindElem("website")) website_ = doc.GetAttrib("url");
        if (doc.FindElem("store")) store_ = doc.GetAttrib("url");
        if (doc.FindElem("upgrade")) upgrade_ = doc.GetAttrib("url");
        if (doc.FindElem("copyright")) copyright_ = doc.GetAttrib("info");
        doc.OutOfElem();
    }
    return true;
}

void ApplicationConfig::ReadMouse(XmlDocument& doc, HidDeviceManager* manager) {
    auto device = std::make_unique<ConfiguredDevice>();
    device->name = doc.GetAttrib("name");
    device->deviceType = TextNumber::Decimal(doc.GetAttrib("device_type"));
    const std::string layoutName = doc.GetAttrib("device_info");
    doc.IntoElem();
    while (doc.FindElem("mode")) {
        auto entry = std::make_unique<DeviceModeEntry>();
        entry->name = device->name;
        entry->deviceType = device->deviceType;
        entry->layoutName = layoutName;
        entry->mode = TextNumber::Decimal(doc.GetAttrib("value"));
        entry->desc = doc.GetAttrib("desc");
        entry->vendorId = TextNumber::Hex(doc.GetAttrib("vid"));
        entry->productId = TextNumber::Hex(doc.GetAttrib("pid"));
        entry->release = TextNumber::Hex(doc.GetAttrib("rev"));
        entry->hidInterface = doc.GetAttrib("hid_interface");
        if (manager)
            manager->AddSupportedDevice(entry->vendorId, entry->productId, entry->release,
                                        entry->name, entry->deviceType, entry->mode,
                                        entry->hidInterface);
        modes_.push_back(std::move(entry));
    }
    doc.OutOfElem();
    devices_.push_back(std::move(device));
}

const DeviceModeEntry* ApplicationConfig::FindByDeviceType(int deviceType) const {
    for (const auto& entry : modes_)
        if (entry->deviceType == deviceType) return entry.get();
    return nullptr;
}

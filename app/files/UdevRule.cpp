#include "app/files/UdevRule.h"

#include "app/files/TextNumber.h"
#include "app/xml/XmlDocument.h"

#include <cstdio>
#include <set>
#include <utility>

namespace {

// Names go into comments; a line break in one would start a rule line of its own.
std::string CommentText(const std::string& text) {
    std::string out;
    for (unsigned char c : text)
        out += c < 0x20 || c == 0x7F ? ' ' : static_cast<char>(c);
    return out;
}

bool ReadDocument(XmlDocument& doc, std::vector<UdevRule::Device>& out) {
    out.clear();
    doc.ResetPos();
    if (!doc.FindElem("config")) return false;
    doc.IntoElem();
    if (!doc.FindElem("device.info")) return true;
    doc.IntoElem();
    while (doc.FindElem()) {
        const std::string name = doc.GetAttrib("name");
        doc.IntoElem();
        while (doc.FindElem("mode")) {
            // Ids outside 16 bits, or none at all, can match no USB device.
            const int vendor = TextNumber::Hex(doc.GetAttrib("vid"));
            const int product = TextNumber::Hex(doc.GetAttrib("pid"));
            if (vendor <= 0 || vendor > 0xFFFF || product <= 0 || product > 0xFFFF) continue;
            out.push_back(UdevRule::Device{name, doc.GetAttrib("desc"),
                                           static_cast<uint16_t>(vendor),
                                           static_cast<uint16_t>(product)});
        }
        doc.OutOfElem();
    }
    return true;
}

} // namespace

bool UdevRule::ReadDevices(const std::string& configPath, std::vector<Device>& out) {
    out.clear();
    XmlDocument doc;
    if (!doc.Load(configPath)) return false;
    return ReadDocument(doc, out);
}

bool UdevRule::ReadDevicesText(const char* data, size_t size, std::vector<Device>& out) {
    out.clear();
    XmlDocument doc;
    if (!data || !doc.SetDoc(data, size)) return false;
    return ReadDocument(doc, out);
}

std::string UdevRule::Compose(const std::vector<Device>& devices) {
    std::string text =
        "# Pivane: lets the user at the seat open the HID nodes of the devices it configures.\n"
        "# Made from Pivane's config.xml; 'pivanectl udev-rule' prints the rule of a build.\n"
        "ACTION==\"remove\", GOTO=\"pivane_end\"\n"
        "SUBSYSTEM!=\"hidraw\", GOTO=\"pivane_end\"\n";
    std::set<std::pair<uint16_t, uint16_t>> written;
    for (const Device& d : devices) {
        if (!written.insert({d.vendorId, d.productId}).second) continue;
        char line[128];
        // sysfs writes the USB ids in lower-case hex, and udev compares them as text.
        std::snprintf(line, sizeof line,
                      "ATTRS{idVendor}==\"%04x\", ATTRS{idProduct}==\"%04x\", TAG+=\"uaccess\"\n",
                      d.vendorId, d.productId);
        text += "\n# " + CommentText(d.name) + ", " + CommentText(d.desc) + "\n" + line;
    }
    text += "\nLABEL=\"pivane_end\"\n";
    return text;
}

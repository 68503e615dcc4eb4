#include "app/device/HotplugName.h"

#include "app/device/HidBackend.h"

#include <cctype>
#include <cstdio>
#include <string_view>

namespace {

// Parses exactly the hexadecimal digits of text (1-8 of them); false on anything else.
bool ParseHex(std::string_view text, unsigned long& value) {
    if (text.empty() || text.size() > 8) return false;
    value = 0;
    for (char c : text) {
        int digit = 0;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        value = value * 16 + static_cast<unsigned long>(digit);
    }
    return true;
}

// "BBBB:VVVVVVVV:PPPPPPPP" (HID_ID) or, with withSequence, "BBBB:VVVV:PPPP.NNNN" (the hid
// device's sysfs name). The digit counts keep PCI names such as "0000:00:14.0" out.
bool ParseHidTriple(std::string_view text, bool withSequence, int& vendorId, int& productId) {
    size_t first = text.find(':');
    if (first != 4) return false;
    size_t second = text.find(':', first + 1);
    if (second == std::string_view::npos) return false;
    std::string_view vendorText = text.substr(first + 1, second - first - 1);
    std::string_view product = text.substr(second + 1);
    size_t dot = product.find('.');
    if (withSequence) {
        if (dot == std::string_view::npos || product.size() - dot - 1 != 4) return false;
        unsigned long sequence = 0;
        if (!ParseHex(product.substr(dot + 1), sequence)) return false;
        product = product.substr(0, dot);
    } else if (dot != std::string_view::npos) {
        return false;
    }
    auto idWidth = [](std::string_view t) { return t.size() == 4 || t.size() == 8; };
    if (!idWidth(vendorText) || !idWidth(product)) return false;
    unsigned long bus = 0, vendor = 0, prod = 0;
    if (!ParseHex(text.substr(0, first), bus) || !ParseHex(vendorText, vendor) ||
        !ParseHex(product, prod))
        return false;
    if (vendor > 0xFFFF || prod > 0xFFFF) return false;
    vendorId = static_cast<int>(vendor);
    productId = static_cast<int>(prod);
    return true;
}

// The USB interface component of a device path looks like "1-2.3:1.0": the number after the
// last dot is bInterfaceNumber.
bool ParseUsbInterface(std::string_view component, int& interfaceNumber) {
    size_t colon = component.find(':');
    if (colon == std::string_view::npos || colon == 0) return false;
    if (component.find(':', colon + 1) != std::string_view::npos) return false;
    size_t dot = component.rfind('.');
    if (dot == std::string_view::npos || dot < colon) return false;
    std::string_view number = component.substr(dot + 1);
    if (number.empty() || number.size() > 3) return false;
    int value = 0;
    for (char c : number) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    interfaceNumber = value;
    return true;
}

} // namespace

std::string HotplugName::Upper(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string HotplugName::FromUdev(const UdevFacts& facts) {
    if (facts.devNode.empty()) return {};
    int vendorId = -1, productId = -1, interfaceNumber = -1;
    bool haveIds = ParseHidTriple(facts.hidId, false, vendorId, productId);
    bool haveInterface = false;
    if (!facts.interfaceNumber.empty()) {
        unsigned long value = 0;
        if (ParseHex(facts.interfaceNumber, value) && value <= 0xFF) {
            interfaceNumber = static_cast<int>(value);
            haveInterface = true;
        }
    }
    // Walk the device path for whatever the parents could not tell.
    std::string_view path = facts.devPath;
    while (!path.empty() && (!haveIds || !haveInterface)) {
        size_t slash = path.find('/');
        std::string_view component = path.substr(0, slash);
        path = slash == std::string_view::npos ? std::string_view{} : path.substr(slash + 1);
        if (component.empty()) continue;
        int iface = 0;
        if (!haveInterface && ParseUsbInterface(component, iface)) {
            interfaceNumber = iface;
            haveInterface = true;
        } else if (!haveIds && ParseHidTriple(component, true, vendorId, productId)) {
            haveIds = true;
        }
    }
    if (!haveIds) return {};
    return HidBackend::ComposeInterfaceName(static_cast<uint16_t>(vendorId),
                                            static_cast<uint16_t>(productId), interfaceNumber,
                                            facts.devNode);
}

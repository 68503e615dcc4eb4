#include "app/device/HidapiBackend.h"

#include <hidapi.h>

#include <cwchar>

namespace {

hid_device* Device(HidBackend::Handle handle) {
    return static_cast<hid_device*>(handle);
}

// hidapi hands out wchar_t strings (UTF-32 on Linux); the program keeps UTF-8.
std::string ToUtf8(const wchar_t* text) {
    std::string out;
    for (; text && *text; ++text) {
        auto c = static_cast<uint32_t>(*text);
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

constexpr size_t kMaxStringChars = 512;

} // namespace

HidapiBackend::HidapiBackend() {
    initialised_ = hid_init() == 0;
}

HidapiBackend::~HidapiBackend() {
    if (initialised_) hid_exit();
}

std::vector<HidInterfaceInfo> HidapiBackend::Enumerate() {
    std::vector<HidInterfaceInfo> result;
    if (!initialised_) return result;
    hid_device_info* list = hid_enumerate(0, 0);
    for (hid_device_info* info = list; info; info = info->next) {
        HidInterfaceInfo item;
        item.path = info->path ? info->path : "";
        item.vendorId = info->vendor_id;
        item.productId = info->product_id;
        item.releaseNumber = info->release_number;
        item.usagePage = info->usage_page;
        item.usage = info->usage;
        item.interfaceNumber = info->interface_number;
        item.interfaceName =
            ComposeInterfaceName(item.vendorId, item.productId, item.interfaceNumber, item.path);
        result.push_back(std::move(item));
    }
    hid_free_enumeration(list);
    return result;
}

HidBackend::Handle HidapiBackend::Open(const std::string& path) {
    if (!initialised_) return nullptr;
    return hid_open_path(path.c_str());
}

void HidapiBackend::Close(Handle device) {
    if (device) hid_close(Device(device));
}

int HidapiBackend::Write(Handle device, const uint8_t* data, size_t length) {
    if (!device) return -1;
    return hid_write(Device(device), data, length);
}

int HidapiBackend::ReadTimeout(Handle device, uint8_t* data, size_t length, int timeoutMs) {
    if (!device) return -1;
    return hid_read_timeout(Device(device), data, length, timeoutMs);
}

int HidapiBackend::SendFeatureReport(Handle device, const uint8_t* data, size_t length) {
    if (!device) return -1;
    return hid_send_feature_report(Device(device), data, length);
}

std::string HidapiBackend::ManufacturerString(Handle device) {
    wchar_t text[kMaxStringChars + 1] = {};
    if (!device || hid_get_manufacturer_string(Device(device), text, kMaxStringChars) != 0)
        return {};
    return ToUtf8(text);
}

std::string HidapiBackend::ProductString(Handle device) {
    wchar_t text[kMaxStringChars + 1] = {};
    if (!device || hid_get_product_string(Device(device), text, kMaxStringChars) != 0) return {};
    return ToUtf8(text);
}

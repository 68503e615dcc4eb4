// The language file reader on arbitrary bytes: the first line of the input names the key.
#include "app/files/UiText.h"
#include "app/xml/TextEncoding.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* text = reinterpret_cast<const char*>(data);
    std::string bytes(text ? text : "", size);
    std::string key = bytes.substr(0, bytes.find('\n'));
    for (const char* section : {"KB.DIALOG", ""}) {
        std::string value = UiText::FromBytes(text, size, section, key);
        if (TextEncoding::CodePointCount(value) > UiText::kMaxLength) std::abort();
        value = UiText::FromBytes(text, size, section, "65");
        if (TextEncoding::CodePointCount(value) > UiText::kMaxLength) std::abort();
    }
    return 0;
}

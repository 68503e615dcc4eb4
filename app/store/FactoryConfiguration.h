#pragma once

#include <string>
#include <vector>

// The configuration keys every seeded profile carries, with their factory values in the order
// they are inserted.
class FactoryConfiguration {
public:
    struct Entry {
        const char* key;
        const char* value; // decimal text; colours as the decimal of 0x00BBGGRR
    };

    static constexpr int kKeyCount = 55;

    static const std::vector<Entry>& Entries();

    // Keys of DPI level `level` (0-based): "dpi_group%d_value", "dpi_group%d_rgb",
    // "dpi_color%d_value".
    static std::string DpiValueKey(int level);
    static std::string DpiRgbKey(int level);
    static std::string DpiColorKey(int level);
};

#include "app/store/FactoryConfiguration.h"

#include <cstdio>

const std::vector<FactoryConfiguration::Entry>& FactoryConfiguration::Entries() {
    // Insert order matters: with duplicated keys the first row is the one that reads back.
    static const std::vector<Entry> entries = {
        {"version", "1.0.1"},
        {"keyboard_layout", "1"},
        {"fn_layer", "0"},
        {"lightmode", "1"},
        {"sleep_light", "1"},
        {"wakeupmethod", "1"},
        {"userlight", "0"},
        {"customlight_run", "0"},
        {"gamemode", "0"},
        {"disable_alttab", "0"},
        {"disable_altf4", "0"},
        {"disable_win", "0"},
        {"report_rate", "0"},
        {"button_respondtime", "8"},
        {"sensor_flag", "53"},
        {"liftoff_height", "1"},
        {"scroll_flag", "1"},
        {"leftbtn_lock", "1"},
        {"dpi_flag", "5"},
        {"dpi_index", "1"},
        {"antishake_time", "1"},
        {"dpi_group0_value", "400"},
        {"dpi_group1_value", "800"},
        {"dpi_group2_value", "1200"},
        {"dpi_group3_value", "1600"},
        {"dpi_group4_value", "3200"},
        {"dpi_group5_value", "5000"},
        {"dpi_group6_value", "4000"},
        {"dpi_group7_value", "4000"},
        {"dpi_color0_value", "0"},
        {"dpi_color1_value", "1"},
        {"dpi_color2_value", "2"},
        {"dpi_color3_value", "3"},
        {"dpi_color4_value", "4"},
        {"dpi_color5_value", "5"},
        {"dpi_color6_value", "6"},
        {"dpi_color7_value", "7"},
        {"dpi_group0_rgb", "255"},            // 0x0000FF
        {"dpi_group1_rgb", "65280"},          // 0x00FF00
        {"dpi_group2_rgb", "16711680"},       // 0xFF0000
        {"dpi_group3_rgb", "16711935"},       // 0xFF00FF
        {"dpi_group4_rgb", "65535"},          // 0x00FFFF
        {"dpi_group5_rgb", "16777215"},       // 0xFFFFFF
        {"dpi_group6_rgb", "16777215"},       // 0xFFFFFF
        {"dpi_group7_rgb", "16711935"},       // 0xFF00FF
        {"lightmode5_area0_rgb", "255"},      // 0x0000FF
        {"lightmode5_area1_rgb", "65535"},    // 0x00FFFF
        {"lightmode5_area2_rgb", "16776960"}, // 0xFFFF00
        {"lightmode5_area3_rgb", "16711680"}, // 0xFF0000
        {"lightmode5_area4_rgb", "65280"},    // 0x00FF00
        {"lightmode5_area5_rgb", "16711935"}, // 0xFF00FF
        {"lightmode2_area0_rgb", "16711935"}, // 0xFF00FF
        {"lightmode2_area1_rgb", "255"},      // 0x0000FF
        {"lightmode2_area2_rgb", "16776960"}, // 0xFFFF00
        {"lightmode2_area3_rgb", "16711680"}, // 0xFF0000
    };
    return entries;
}

static std::string LevelKey(const char* format, int level) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, level);
    return buffer;
}

std::string FactoryConfiguration::DpiValueKey(int level) {
    return LevelKey("dpi_group%d_value", level);
}

std::string FactoryConfiguration::DpiRgbKey(int level) {
    return LevelKey("dpi_group%d_rgb", level);
}

std::string FactoryConfiguration::DpiColorKey(int level) {
    return LevelKey("dpi_color%d_value", level);
}

#pragma once

#include <string>

// One row of t_light_data (one per profile and light mode), columns 0 to 12 in field order.
struct LightRow {
    int lightId = 0;
    int profile = 0;
    std::string name;
    int mode = 0;
    int brightness = 0;
    int speed = 0;
    int direction = 0;
    int colorful = 0;
    int colorIndex = 0;
    int colorValue = 0; // 0x00BBGGRR
    int configFunc = 0;
    int reserved = 0;
    int status = 0; // 1 on the active mode's row
};

#pragma once

// One per-key colour of a light row (t_key_light_data), columns 0 to 4 in field order.
struct KeyLightRow {
    int keyLightId = 0;
    int profile = 0;
    int lightId = 0;
    int keyCode = 0;
    int keyRgb = 0; // 0x00BBGGRR
};

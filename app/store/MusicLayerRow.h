#pragma once

#include <string>

// One row of t_musiclayer_data, columns 0 to 8 in field order.
struct MusicLayerRow {
    int layerId = 0;
    int profile = 0;
    std::string name;
    int deviceIndex = 0;
    int foreMode = 0;
    int foreAmplitude = 0;
    int backMode = 0;
    int backBright = 0;
    int sel = 0;
};

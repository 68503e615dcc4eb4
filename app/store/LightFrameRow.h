#pragma once

// One entry of a shipped light animation (t_light_frames), columns 0 to 4 in field order.
struct LightFrameRow {
    int framesId = 0;
    int lightId = 0;
    int frameIndex = 0;
    int keyValue = 0;
    int rgbValue = 0; // the program uses the low byte
};

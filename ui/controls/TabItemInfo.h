#pragma once

#include "ui/paint/Image.h"
#include "ui/platform/Geometry.h"

#include <memory>
#include <string>

namespace Tolva {

class MControl;

// One tab of a tab strip: its id, text, image strip (normal, hover, selected), the page it
// shows, and where it sits.
struct TabItemInfo {
    unsigned id = 0;
    std::string text;
    std::string image;
    MControl* page = nullptr; // owned by its own container
    int frames = 3;
    std::shared_ptr<Image> picture;
    int frameWidth = 0;
    int frameHeight = 0;
    int width = 0;  // 0: the image's frame width
    int height = 0; // 0: the strip's height
    bool visible = true;
    std::string tooltip;
    Rect rect; // window coordinates
};

} // namespace Tolva

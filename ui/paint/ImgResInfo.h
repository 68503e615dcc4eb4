#pragma once

#include "ui/paint/Image.h"

#include <memory>
#include <string>

namespace Tolva {

// One cached skin image: a strip of `frameCount` equal frames laid side by side.
struct ImgResInfo {
    std::shared_ptr<Image> image;
    int frameWidth = 0; // image width / frame count
    int height = 0;
    int frameCount = 1;
    std::string fileName; // the key it was requested with
};

} // namespace Tolva

#pragma once

#include "ui/TolvaApi.h"

#include <memory>

namespace Tolva {

class Image;

// Decodes pictures on a thread of its own, ahead of their first draw: a window being built
// hands over the images of its shown controls, and the first frame finds them ready instead of
// decoding them one after the other on the window thread.
class TOLVA_API ImageDecoder {
public:
    // Queues the image unless it is decoded already. The queue holds it weakly: an image dropped
    // before its turn is not decoded at all.
    static void DecodeAhead(const std::shared_ptr<Image>& image);
};

} // namespace Tolva

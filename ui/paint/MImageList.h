#pragma once

#include "ui/TolvaApi.h"
#include "ui/paint/Image.h"
#include "ui/platform/Geometry.h"

#include <cairo.h>

#include <memory>
#include <string>
#include <vector>

namespace Tolva {

// Icons of list and menu widgets: ordered records of (id, file, image, frame count), drawn at a
// common size.
class TOLVA_API MImageList {
public:
    // `folder` is where relative file names are found (the skin folder).
    explicit MImageList(std::string folder = {});

    // Each returns the new index, or -1 when the file cannot be loaded.
    int AddImage(const std::string& file, int count, int id);
    int InsertImage(int index, const std::string& file, int count, int id);
    // Draws frame 0 (or `frame`) of the icon centred in `rect` at the draw size; nothing for an
    // index out of range.
    void DrawItemIcon(cairo_t* cr, const Rect& rect, int index, int frame = 0) const;
    void SetDrawImgSize(int cx, int cy);
    Size GetIconSize() const { return drawSize_; }
    // Null for an index or id that does not exist.
    std::shared_ptr<Image> GetItemImageData(int index) const;
    std::shared_ptr<Image> GetImageDataByID(int id) const;
    // "" for an index or id that does not exist.
    std::string GetImagePath(int index) const;
    std::string GetImagePathByID(int id) const;
    int GetImageCount() const { return static_cast<int>(items_.size()); }
    void DelAllImages() { items_.clear(); }

private:
    struct Item {
        int id = 0;
        std::string file;
        std::shared_ptr<Image> image;
        int count = 1;
    };
    std::string Resolve(const std::string& file) const;

    std::string folder_;
    std::vector<Item> items_;
    Size drawSize_{16, 16};
};

} // namespace Tolva

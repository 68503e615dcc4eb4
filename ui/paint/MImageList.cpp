#include "ui/paint/MImageList.h"

#include "ui/paint/MRender.h"

namespace Tolva {

MImageList::MImageList(std::string folder) : folder_(std::move(folder)) {}

std::string MImageList::Resolve(const std::string& file) const {
    std::string path;
    for (char c : (file.empty() || file[0] == '/') ? file : folder_ + "/" + file) {
        if (c == '\\') c = '/';
        if (c == '/' && !path.empty() && path.back() == '/') continue;
        path += c;
    }
    return path;
}

int MImageList::AddImage(const std::string& file, int count, int id) {
    return InsertImage(GetImageCount(), file, count, id);
}

int MImageList::InsertImage(int index, const std::string& file, int count, int id) {
    if (index < 0 || index > GetImageCount()) return -1;
    // Lists of pages not shown yet are filled at start: pixels wait for the first draw.
    std::shared_ptr<Image> image = Image::Open(Resolve(file));
    if (!image) return -1;
    items_.insert(items_.begin() + index, Item{id, file, std::move(image), count < 1 ? 1 : count});
    return index;
}

void MImageList::DrawItemIcon(cairo_t* cr, const Rect& rect, int index, int frame) const {
    if (index < 0 || index >= GetImageCount()) return;
    const Item& item = items_[static_cast<size_t>(index)];
    if (frame < 0 || frame >= item.count) return;
    const int fw = item.image->Width() / item.count, fh = item.image->Height();
    const int x = rect.left + (rect.Width() - drawSize_.cx) / 2;
    const int y = rect.top + (rect.Height() - drawSize_.cy) / 2;
    MRender::DrawImagePart(cr, item.image->Surface(0), {x, y, x + drawSize_.cx, y + drawSize_.cy},
                           frame * fw, 0, fw, fh);
}

void MImageList::SetDrawImgSize(int cx, int cy) {
    if (cx > 0 && cy > 0) drawSize_ = {cx, cy};
}

std::shared_ptr<Image> MImageList::GetItemImageData(int index) const {
    if (index < 0 || index >= GetImageCount()) return nullptr;
    return items_[static_cast<size_t>(index)].image;
}

std::shared_ptr<Image> MImageList::GetImageDataByID(int id) const {
    for (const Item& i : items_)
        if (i.id == id) return i.image;
    return nullptr;
}

std::string MImageList::GetImagePath(int index) const {
    if (index < 0 || index >= GetImageCount()) return {};
    return items_[static_cast<size_t>(index)].file;
}

std::string MImageList::GetImagePathByID(int id) const {
    for (const Item& i : items_)
        if (i.id == id) return i.file;
    return {};
}

} // namespace Tolva

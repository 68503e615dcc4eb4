#include "ui/paint/ImageCache.h"

namespace Tolva {

void ImageCache::SetFolder(const std::string& folder) {
    std::lock_guard guard(lock_);
    folder_ = folder;
    if (!folder_.empty() && folder_.back() != '/') folder_ += '/';
}

std::string ImageCache::FullPath(const std::string& fileName) const {
    std::string path;
    path.reserve(folder_.size() + fileName.size());
    for (char c : folder_ + fileName) {
        if (c == '\\') c = '/';
        if (c == '/' && !path.empty() && path.back() == '/') continue;
        path += c;
    }
    return path;
}

const ImgResInfo* ImageCache::Add(const std::string& fileName, int frames) {
    if (fileName.empty()) return nullptr;
    std::lock_guard guard(lock_);
    auto it = entries_.find(fileName);
    if (it != entries_.end()) return it->second.get();
    // Only the header is read: most skin images belong to pages or dialogs not shown yet.
    std::shared_ptr<Image> image = Image::Open(FullPath(fileName));
    if (!image) return nullptr;
    auto info = std::make_unique<ImgResInfo>();
    info->frameCount = frames < 1 ? 1 : frames;
    info->frameWidth = image->Width() / info->frameCount;
    info->height = image->Height();
    info->fileName = fileName;
    info->image = std::move(image);
    return entries_.emplace(fileName, std::move(info)).first->second.get();
}

const ImgResInfo* ImageCache::AddImage(const std::string& name, std::shared_ptr<Image> image,
                                       int frames) {
    if (name.empty() || !image) return nullptr;
    std::lock_guard guard(lock_);
    auto it = entries_.find(name);
    if (it != entries_.end()) return it->second.get();
    auto info = std::make_unique<ImgResInfo>();
    info->frameCount = frames < 1 ? 1 : frames;
    info->frameWidth = image->Width() / info->frameCount;
    info->height = image->Height();
    info->fileName = name;
    info->image = std::move(image);
    return entries_.emplace(name, std::move(info)).first->second.get();
}

const ImgResInfo* ImageCache::Find(const std::string& fileName) {
    std::lock_guard guard(lock_);
    auto it = entries_.find(fileName);
    return it == entries_.end() ? nullptr : it->second.get();
}

void ImageCache::Clear() {
    std::lock_guard guard(lock_);
    entries_.clear();
}

size_t ImageCache::Size() {
    std::lock_guard guard(lock_);
    return entries_.size();
}

} // namespace Tolva

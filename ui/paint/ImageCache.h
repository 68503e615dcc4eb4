#pragma once

#include "ui/TolvaApi.h"
#include "ui/paint/ImgResInfo.h"

#include <map>
#include <mutex>
#include <string>

namespace Tolva {

// Images opened once per paint manager and file name, decoded when first drawn. The first request
// for a name fixes its frame count; later requests get the same entry whatever count they carry.
class TOLVA_API ImageCache {
public:
    // Folder the names are resolved against (ends with "/").
    void SetFolder(const std::string& folder);
    const std::string& Folder() const { return folder_; }

    // The cached entry, or null when the file is missing or has no readable header (nothing is
    // cached then).
    // Frame counts below 1 count as 1.
    const ImgResInfo* Add(const std::string& fileName, int frames);
    // Registers an image made in memory under a name (used for built-in images).
    const ImgResInfo* AddImage(const std::string& name, std::shared_ptr<Image> image, int frames);
    const ImgResInfo* Find(const std::string& fileName);
    void Clear();
    size_t Size();

    // Resolves a skin name: backslashes become "/", repeated separators collapse.
    std::string FullPath(const std::string& fileName) const;

private:
    std::mutex lock_;
    std::string folder_;
    std::map<std::string, std::unique_ptr<ImgResInfo>> entries_;
};

} // namespace Tolva

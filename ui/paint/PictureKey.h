#pragma once

#include "ui/paint/TextStyle.h"
#include "ui/platform/Geometry.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace Tolva {

// Everything a cached picture depends on, packed so that two pictures compare as strings.
class PictureKey {
public:
    PictureKey& Add(int64_t value) {
        char bytes[sizeof(value)];
        std::memcpy(bytes, &value, sizeof(value));
        key_.append(bytes, sizeof(bytes));
        return *this;
    }
    PictureKey& Add(const void* pointer) { return Add(reinterpret_cast<intptr_t>(pointer)); }
    PictureKey& Add(const std::string& text) {
        Add(static_cast<int64_t>(text.size()));
        key_.append(text);
        return *this;
    }
    PictureKey& Add(const Rect& r) { return Add(r.left).Add(r.top).Add(r.right).Add(r.bottom); }
    PictureKey& AddSize(const Rect& r) { return Add(r.Width()).Add(r.Height()); }
    PictureKey& Add(const TextStyle& s) {
        return Add(s.family)
            .Add(static_cast<int64_t>(s.size * 64))
            .Add(s.style)
            .Add(static_cast<int64_t>(s.color))
            .Add(s.hAlign)
            .Add(s.vAlign)
            .Add(s.multiLine)
            .Add(s.ellipsis);
    }

    const std::string& Str() const { return key_; }

private:
    std::string key_;
};

} // namespace Tolva

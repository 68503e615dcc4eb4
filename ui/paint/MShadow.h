#pragma once

#include "ui/TolvaApi.h"
#include "ui/paint/Image.h"
#include "ui/platform/Geometry.h"

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Tolva {

class NativeWindow;

// The drop shadow of a dialog: a layered window behind it whose picture is a blurred copy of the
// dialog's outline, offset by (x, y).
class TOLVA_API MShadow {
public:
    MShadow() = default;
    ~MShadow();
    MShadow(const MShadow&) = delete;
    MShadow& operator=(const MShadow&) = delete;

    // Creates the shadow window for `owner`; false when it cannot be created.
    bool Create(NativeWindow* owner);
    void Destroy();

    // Each setter returns 0 and changes nothing for a value outside its range, else 1.
    int SetSize(int size);           // -35..35
    int SetSharpness(int sharpness); // 0..35
    int SetDarkness(int darkness);   // 0..255
    int SetPosition(int x, int y);   // -35..35 each
    int SetShadowColor(uint32_t colorRef);
    // A nine-grid image used instead of the computed blur; 0 when it cannot be loaded.
    int SetShadowImage(const std::string& path, const Rect& corners);
    void SetShadowShow(bool show);
    void DisableShadow(bool disable);

    int GetSize() const { return size_; }
    int GetSharpness() const { return sharpness_; }
    int GetDarkness() const { return darkness_; }
    Point GetPosition() const { return {x_, y_}; }
    uint32_t GetShadowColor() const { return color_; }

    // Kernel alpha at distance d from a stamp's centre.
    static int KernelAlpha(double d, int size, int sharpness, int darkness);
    // The shadow picture of a region given by each row's leftmost and rightmost inside point
    // (-1, -1 for an empty row), padded by the kernel radius on every side. Premultiplied
    // colour. The caller owns the result; null for an empty region.
    static cairo_surface_t* BuildBitmap(const std::vector<std::pair<int, int>>& rows, int width,
                                        int size, int sharpness, int darkness, uint32_t colorRef);
    // Follows the owner: position, size and visibility.
    void Update();
    NativeWindow* GetWindow() const { return window_; }

private:
    void Rebuild();

    NativeWindow* owner_ = nullptr;
    NativeWindow* window_ = nullptr;
    cairo_surface_t* bitmap_ = nullptr;
    std::shared_ptr<Image> image_;
    Rect corners_;
    int size_ = 0;
    int sharpness_ = 5;
    int darkness_ = 150;
    int x_ = 5;
    int y_ = 5;
    uint32_t color_ = 0;
    bool show_ = true;
    bool disabled_ = false;
};

} // namespace Tolva

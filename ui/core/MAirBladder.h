#pragma once

#include "ui/TolvaApi.h"
#include "ui/core/MWindow.h"
#include "ui/paint/Image.h"

#include <cairo.h>

#include <memory>
#include <string>

namespace Tolva {

// The balloon tip: a small tool window with a framed background, an arrow pointing at its anchor
// and one text. Arrow types: 0 left, 1 right, 2 top.
class TOLVA_API MAirBladder : public MWindow {
public:
    static constexpr int kWidth = 220;
    static constexpr int kHeight = 60;
    static constexpr int kArrow = 10;
    static constexpr int kMaxWidth = 320;

    // Where the balloon goes: its window rectangle (screen), the arrow side it ends up with and
    // the arrow's centre along its edge (window coordinates).
    struct Layout {
        Rect window;
        int type = 0;
        int arrowAt = 0;
    };

    MAirBladder() = default;
    ~MAirBladder() override;

    NativeWindow* CreateBalloon(NativeWindow* owner);
    bool LoadBKImage(const std::string& path);
    bool LoadArrowLImage(const std::string& path);
    bool LoadArrowRImage(const std::string& path);
    bool LoadArrowTImage(const std::string& path);
    // Places the balloon next to `anchor` (screen) and repaints it.
    void SetAirBladderMsg(const std::string& text, Point anchor, int type, int mode);
    void CloseWindow();
    const std::string& GetText() const { return text_; }
    int GetType() const { return type_; }
    // The window rectangle a balloon of the default size takes for an anchor and arrow type.
    static Rect Placement(Point anchor, int type);
    // Window size that fits `text` (wrapped at kMaxWidth); never below kWidth x kHeight.
    static Size FitSize(const std::string& text, int type);
    // Places a window of `size` next to `anchor` inside `workArea` (no limit when it is empty): a
    // side arrow switches sides when the balloon would leave the area only on its side, and the
    // balloon slides along the arrow's edge to stay inside while the arrow keeps pointing at the
    // anchor.
    static Layout Arrange(Point anchor, int type, Size size, const Rect& workArea);
    const Layout& GetLayout() const { return layout_; }

    const char* GetWindowClassName() const override { return "AirBladder Window"; }
    LRESULT OnWindowMessage(uint32_t msg, WPARAM wparam, LPARAM lparam) override;

private:
    void Paint();

    std::shared_ptr<Image> back_;
    std::shared_ptr<Image> arrowL_;
    std::shared_ptr<Image> arrowR_;
    std::shared_ptr<Image> arrowT_;
    std::string text_;
    int type_ = 0;
    int mode_ = 0;
    Layout layout_;
    cairo_surface_t* surface_ = nullptr;
};

} // namespace Tolva

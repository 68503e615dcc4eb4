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
    // The window rectangle the balloon takes for an anchor and arrow type.
    static Rect Placement(Point anchor, int type);

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
    cairo_surface_t* surface_ = nullptr;
};

} // namespace Tolva

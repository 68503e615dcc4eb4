#pragma once

#include "ui/TolvaApi.h"
#include "ui/core/MWindow.h"
#include "ui/paint/Image.h"

#include <cairo.h>

#include <memory>
#include <string>

namespace Tolva {

// The key tip: a 190 x 100 popup above a key with a title, a subtitle and a description.
class TOLVA_API CKeyboardTips : public MWindow {
public:
    static constexpr int kWidth = 190;
    static constexpr int kHeight = 100;
    // Timer that hides the tip and stops itself.
    static constexpr uint32_t kHideTimer = 10;

    CKeyboardTips() = default;
    ~CKeyboardTips() override;

    NativeWindow* CreateTips(NativeWindow* owner);
    // Stores the texts and moves the window to (anchor x - 95, anchor y - 100) (screen); nothing
    // happens when all of them equal the current ones.
    void SetAirBladderMsg(const std::string& title, const std::string& subtitle,
                          const std::string& description, Point anchor);
    bool LoadBKImage(const std::string& path);
    // Images built into the library: "res_<id>.<type>" in the skin folder.
    bool LoadBKImage(int resourceId, const std::string& type);
    // 0 draws the background at its natural size, 1 nine-grid with `value` as corner.
    void SetBackMode(int mode, int value);
    void ShowWindow(int command) override;
    int GetLastShowCommand() const { return lastShow_; }

    const std::string& GetTitle() const { return title_; }
    const std::string& GetSubtitle() const { return subtitle_; }
    const std::string& GetDescription() const { return description_; }
    Point GetAnchor() const { return anchor_; }

    const char* GetWindowClassName() const override { return "KeyboardTip Window"; }
    LRESULT OnWindowMessage(uint32_t msg, WPARAM wparam, LPARAM lparam) override;

private:
    void Paint();

    std::shared_ptr<Image> back_;
    int backMode_ = 1;
    int backValue_ = 6;
    std::string title_;
    std::string subtitle_;
    std::string description_;
    Point anchor_{-1, -1};
    bool placed_ = false;
    int lastShow_ = SW_HIDE;
    cairo_surface_t* surface_ = nullptr;
};

} // namespace Tolva

#pragma once

#include "ui/TolvaApi.h"
#include "ui/core/MPopupWnd.h"

#include <string>
#include <vector>

namespace Tolva {

class MenuItem;

// A popup menu of MenuItem controls. An item's click (code 2) becomes the message given at
// creation, posted once to the owner window with wparam = the item's check state and
// lparam = the item id, and closes the menu; other notifications post nothing.
class TOLVA_API MenuWnd : public MPopupWnd {
public:
    static constexpr int kItemHeight = 30;
    static constexpr int kSeparatorHeight = 9;
    static constexpr int kLeftMargin = 36;

    // Remembers where and how to open; the window is made by Show.
    MenuWnd(NativeWindow* owner, Point screen, uint32_t messageId, const std::string& background,
            int backModeValue, int width, int backMode);

    // Adds a MenuItem with a 4-frame icon strip (none for an empty name).
    MenuItem* AddMenu(const std::string& text, unsigned itemId, const std::string& iconFile = {});
    void AddSeparator();
    // The item with the text; null when none has it.
    MenuItem* GetItem(const std::string& text) const;
    // Where the menu opens (screen); a window already open moves there.
    void SetPosition(Point screen);
    // Items addressed by their text; false when no item has it.
    bool SetItemTitle(const std::string& text, const std::string& newText);
    bool SetItemVisible(const std::string& text, bool visible);
    bool SetItemEnable(const std::string& text, bool enable);
    bool SetItemCheck(const std::string& text, bool check);
    int GetWidth() const { return width_; }
    int GetHeight() const;
    // Opens the menu window; null on failure.
    NativeWindow* Show();

    const char* GetWindowClassName() const override { return "MenuWnd"; }
    const char* GetClassNameW() const override { return "MenuWnd"; }
    LRESULT OnBaseMessage(unsigned id, int code, WPARAM wparam, LPARAM lparam) override;
    void InitUI(const Rect& rect) override;

private:
    struct Entry {
        std::string text;
        unsigned id = 0;
        std::string icon;
        bool separator = false;
        MenuItem* control = nullptr;
    };
    void Layout();

    NativeWindow* owner_ = nullptr;
    Point at_;
    uint32_t messageId_ = 0;
    std::string background_;
    int backModeValue_ = 4;
    int backMode_ = 1;
    int width_ = 0;
    std::vector<Entry> entries_;
};

} // namespace Tolva

#pragma once

#include "ui/TolvaApi.h"
#include "ui/core/MControlFont.h"

#include <string>

namespace Tolva {

// Static text: one line or wrapped (EnableMultiLine), optionally centred vertically, with a
// 1-pixel drop shadow, a background fill, and every occurrence of a marked substring drawn in
// its own colour.
class TOLVA_API MText : public MControlFont {
public:
    MText(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
          bool visible = true, bool enabled = true);

    const char* GetObjectClass() const override { return "MText"; }
    void DrawControl(cairo_t* cr, const Rect& clip) override;

    // Marks every occurrence of `mark` in the title in `color` (ARGB); an empty mark clears it.
    void SetMarkText(const std::string& mark, uint32_t color = 0xFF10A8FD);
    std::string GetMarkText() const { return mark_; }
    void SetTitleMarkText(const std::string& title, const std::string& mark,
                          uint32_t color = 0xFF10A8FD);
    void EnableVCenter(bool on);
    void EnableShadow(bool on, uint32_t color = 0xC0000000);
    void EnableTextBack(bool on, uint32_t color = 0xFF1E2228);
    // Height of the laid-out title at the control's width (wrapped when multi-line); 0 when
    // nothing can be drawn.
    int GetVirtualHeight() const;
    // Byte ranges [start, end) of the mark's occurrences in `text`, without overlaps.
    static std::vector<std::pair<size_t, size_t>> FindMarks(const std::string& text,
                                                            const std::string& mark);

private:
    std::string mark_;
    uint32_t markColor_ = 0xFF10A8FD;
    bool shadow_ = false;
    uint32_t shadowColor_ = 0xC0000000;
    bool back_ = false;
    uint32_t backColor_ = 0xFF1E2228;
};

} // namespace Tolva

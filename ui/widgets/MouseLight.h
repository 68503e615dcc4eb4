#pragma once

#include "ui/TolvaApi.h"
#include "ui/core/MPanel.h"

#include <memory>
#include <mutex>
#include <vector>

namespace Tolva {

// The lighting zones of the mouse: one filled ellipse per zone in the zone's colour, laid over
// the mouse picture (the widget's image, drawn at its natural size when set).
class TOLVA_API MouseLight : public MPanel {
public:
    struct Item {
        int zone = 0;
        uint32_t color = 0; // 0x00BBGGRR
        Rect rect;          // widget-relative
    };

    MouseLight(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
               bool visible = true, bool enabled = true);

    const char* GetObjectClass() const override { return "MouseLight"; }
    void DrawControl(cairo_t* cr, const Rect& clip) override;

    // Returns the new item's index.
    int AddItem(int zone, const Rect& rect);
    // Stores the colour only; the caller repaints. Out of range: nothing.
    void SetLightColor(int index, uint32_t color);
    // 0 for an index out of range. The second argument is not used.
    uint32_t GetLightColor(int index, int unused = 0) const;
    void DeleteAllItems();
    int GetItemCount() const;

private:
    mutable std::recursive_mutex itemLock_;
    std::vector<std::unique_ptr<Item>> items_;
};

} // namespace Tolva

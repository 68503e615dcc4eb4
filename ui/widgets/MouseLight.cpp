#include "ui/widgets/MouseLight.h"

#include "ui/core/ControlFactory.h"
#include "ui/paint/MRender.h"

#include <cmath>

namespace Tolva {
namespace {

const ControlFactory::Registrar
    kRegistrar("MouseLight",
               [](MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                  bool visible, bool enabled) -> std::unique_ptr<MControl> {
                   return std::make_unique<MouseLight>(parent, id, rect, title, visible, enabled);
               });

} // namespace

MouseLight::MouseLight(MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                       bool visible, bool enabled)
    : MPanel(parent, id, rect, title, visible, enabled) {
    SetImageCount(1);
}

void MouseLight::DrawControl(cairo_t* cr, const Rect& clip) {
    const Rect r = GetRect();
    if (UpdateMemDC(r.Width(), r.Height())) {
        cairo_t* mem = cairo_create(MemSurface());
        if (std::shared_ptr<Image> image = GetImage()) {
            const Size size = GetImageSize();
            MRender::DrawImagePart(mem, image->Surface(0), {0, 0, size.cx, size.cy}, 0, 0, size.cx,
                                   size.cy);
        }
        cairo_set_antialias(mem, CAIRO_ANTIALIAS_GOOD);
        std::lock_guard guard(itemLock_);
        for (const auto& item : items_) {
            const Rect z = item->rect;
            if (z.IsEmpty()) continue;
            cairo_save(mem);
            cairo_translate(mem, z.left + z.Width() / 2.0, z.top + z.Height() / 2.0);
            cairo_scale(mem, z.Width() / 2.0, z.Height() / 2.0);
            cairo_arc(mem, 0, 0, 1, 0, 2 * M_PI);
            cairo_restore(mem);
            MRender::SetSourceARGB(mem, MRender::ColorRefToARGB(item->color & 0xFFFFFF, 255));
            cairo_fill(mem);
        }
        cairo_destroy(mem);
    }
    BlitCache(cr, clip);
}

int MouseLight::AddItem(int zone, const Rect& rect) {
    int index = 0;
    {
        std::lock_guard guard(itemLock_);
        auto item = std::make_unique<Item>();
        item->zone = zone;
        item->rect = rect;
        items_.push_back(std::move(item));
        index = static_cast<int>(items_.size()) - 1;
    }
    if (IsVisible()) UpdateControl(true);
    return index;
}

void MouseLight::SetLightColor(int index, uint32_t color) {
    std::lock_guard guard(itemLock_);
    if (index < 0 || index >= static_cast<int>(items_.size())) return;
    items_[index]->color = color;
    // The cache must be rebuilt at the caller's repaint.
    update_ = false;
}

uint32_t MouseLight::GetLightColor(int index, int) const {
    std::lock_guard guard(itemLock_);
    if (index < 0 || index >= static_cast<int>(items_.size())) return 0;
    return items_[index]->color;
}

void MouseLight::DeleteAllItems() {
    {
        std::lock_guard guard(itemLock_);
        items_.clear();
    }
    if (IsVisible()) UpdateControl(true);
}

int MouseLight::GetItemCount() const {
    std::lock_guard guard(itemLock_);
    return static_cast<int>(items_.size());
}

} // namespace Tolva

#pragma once

#include <cairo.h>

namespace Tolva {

// Keeps a drawing step's clip, transform and source from leaking into the next one.
class CairoStateGuard {
public:
    explicit CairoStateGuard(cairo_t* cr) : cr_(cr) { cairo_save(cr_); }
    ~CairoStateGuard() { cairo_restore(cr_); }
    CairoStateGuard(const CairoStateGuard&) = delete;
    CairoStateGuard& operator=(const CairoStateGuard&) = delete;

private:
    cairo_t* cr_ = nullptr;
};

} // namespace Tolva

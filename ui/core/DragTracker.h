#pragma once

#include "ui/TolvaApi.h"
#include "ui/core/CDragSourceHelper.h"
#include "ui/core/CIDataObject.h"
#include "ui/core/CIDropSource.h"
#include "ui/platform/Geometry.h"

#include <cairo.h>

#include <functional>
#include <memory>

namespace Tolva {

class MControl;

// A drag between controls of the program, from the press on a drag source to the drop: whether
// one is pending or running, the data it carries and the picture that follows the pointer.
// Window thread only.
class TOLVA_API DragTracker {
public:
    // A press on a drag source at `pt`; the picture (may be null) is taken over.
    void Arm(MControl* source, cairo_surface_t* bitmap, Point pt);
    // A move with the left button held while pending: anything but a jump of more than 2 pixels
    // on both axes at once starts the drag. True when this move started it.
    bool TryStart(Point pt);
    // Every move: the point the picture follows.
    void Track(Point pt) { last_ = pt; }
    // What the source side says to the keys of the moment.
    CIDropSource::Decision Decide(bool escapePressed, WPARAM mouseKeys) const {
        return source_.QueryContinueDrag(escapePressed, mouseKeys);
    }
    // Ends the drag (or the pending start); returns its data, null when none was running.
    std::unique_ptr<CIDataObject> Finish();
    // A control about to be deleted: a drag it is the source of is dropped.
    void Forget(const std::function<bool(MControl*)>& matches);

    bool IsPending() const { return pending_; }
    bool IsDragging() const { return dragging_; }
    MControl* GetSource() const { return data_ ? data_->GetSource() : nullptr; }
    Point GetLastMove() const { return last_; }
    CIDataObject* GetData() const { return data_.get(); }
    // Draws the picture at the pointer while dragging.
    void Draw(cairo_t* cr) const;

private:
    std::unique_ptr<CIDataObject> data_;
    CDragSourceHelper helper_;
    CIDropSource source_;
    bool pending_ = false;
    bool dragging_ = false;
    Point last_;
};

} // namespace Tolva

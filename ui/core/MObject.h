#pragma once

#include "ui/TolvaApi.h"
#include "ui/platform/Geometry.h"
#include "ui/platform/Messages.h"

namespace Tolva {

class MControl;

// Anything that can receive notifications and repaint requests from a control.
class TOLVA_API MObject {
public:
    virtual ~MObject() = default;
    // Exact, case-sensitive comparison with GetClassNameW; false when the class has no name.
    virtual bool IsClass(const char* name) const;
    virtual const char* GetClassNameW() const { return nullptr; }
    virtual const char* GetObjectClass() const { return nullptr; }
    virtual const char* BaseObjectClassName() const { return nullptr; }
    // Notification entry: `id` is the sending control's id, `code` the notification code.
    virtual LRESULT OnBaseMessage(unsigned id, int code, WPARAM wparam, LPARAM lparam) { return 0; }
    // Repaint request for `rect` (window client coordinates) on behalf of `control`.
    virtual int OnControlUpdate(const Rect& rect, bool erase, MControl* control) { return 0; }
};

} // namespace Tolva

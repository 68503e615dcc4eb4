#pragma once

#include "ui/TolvaApi.h"
#include "ui/platform/Geometry.h"

namespace Tolva {

class CIDataObject;

// The target side of a drag: a window that takes drops (its paint manager). Points are client
// coordinates; each answer is a CIDropSource::Effect.
class TOLVA_API CIDropTarget {
public:
    virtual ~CIDropTarget() = default;
    virtual int DragEnter(CIDataObject& data, Point pt) = 0;
    virtual int DragOver(CIDataObject& data, Point pt) = 0;
    virtual void DragLeave() = 0;
    virtual int Drop(CIDataObject& data, Point pt) = 0;
};

} // namespace Tolva

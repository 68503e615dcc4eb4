#include "ui/core/MObject.h"

#include <cstring>

namespace Tolva {

bool MObject::IsClass(const char* name) const {
    const char* own = GetClassNameW();
    return own && name && std::strcmp(own, name) == 0;
}

} // namespace Tolva

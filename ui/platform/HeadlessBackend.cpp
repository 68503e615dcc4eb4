#include "ui/platform/HeadlessBackend.h"

namespace Tolva {

HeadlessBackend::~HeadlessBackend() = default;

} // namespace Tolva

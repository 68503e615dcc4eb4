#include "app/device/DpiStepTable.h"

int DpiStepTable::Position(int dpi) {
    if (dpi < 100 || dpi > 100 * kStepCount || dpi % 100 != 0) return 0;
    return dpi / 100;
}

#include "app/files/ExchangeRanges.h"

#include "app/store/KeyAssignmentRow.h"
#include "app/store/MacroItemRow.h"
#include "app/store/MacroRow.h"

namespace {

constexpr int kKeyType = 2;
constexpr int kMacroType = 3;
constexpr int kMouseType = 5;
constexpr int kMediaType = 6;
constexpr int kShortcutType = 7;
constexpr int kFirstSoftwareType = 8;
constexpr int kLastSoftwareType = 11;

bool Within(int value, int low, int high) {
    return value >= low && value <= high;
}

} // namespace

bool ExchangeRanges::MacroFits(const MacroRow& macro) {
    return Within(macro.playTimes, kMinPlayTimes, kMaxPlayTimes) && Within(macro.delayType, 0, 3) &&
           (macro.loopType == 0 || macro.loopType == 16 || macro.loopType == 32) &&
           Within(macro.delayTime, 0, kMaxDelay);
}

bool ExchangeRanges::EventFits(const MacroItemRow& item) {
    return Within(item.delayTime, 0, kMaxDelay);
}

bool ExchangeRanges::AssignmentFits(const KeyAssignmentRow& row, bool mouse) {
    if (row.fnLayer != 0) return false;
    if (mouse ? !Within(row.keyCode, kFirstButton, kLastButton) : !Within(row.keyCode, 1, 255))
        return false;
    if (row.macroValue == 0 && row.macroValue2 == 0) return true;
    if (!Within(row.macroValue2, 0, kAllModifiers)) return false;
    switch (row.macroType) {
    case kKeyType:
    case kMouseType:
    case kMediaType:
        return Within(row.macroValue, 1, 255);
    case kShortcutType:
        return Within(row.macroValue, 1, kLastShortcut);
    case kMacroType:
        return row.macroValue >= 1;
    default:
        return Within(row.macroType, kFirstSoftwareType, kLastSoftwareType) && row.macroValue >= 1;
    }
}

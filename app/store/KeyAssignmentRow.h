#pragma once

#include <string>

// One row of t_key_macro_data (keyboard keys) or t_mousekey_macro_data (mouse buttons), filled
// from columns 0 to 10 in field order.
struct KeyAssignmentRow {
    int keyId = 0;
    int profile = 0;
    int fnLayer = 0;
    int keyCode = 0;
    int layoutValue = 0;
    std::string layoutDesc;
    int macroType = 0; // 3: the key plays the macro whose id is macroValue
    int macroValue = 0;
    int macroValue2 = 0;
    int macroValue3 = 0;
    std::string macroDesc;
};

#pragma once

#include <string>

// One recorded event of a macro (t_macrorecord). Columns: 0 record_id, 1 macro_id, 2 type,
// 3 record_index, 4 desc, 5 value, 6 delay_time.
struct MacroItemRow {
    int recordId = 0;
    int macroId = 0;
    int type = 0;
    int recordIndex = 0;
    int value = 0;
    int delayTime = 0; // milliseconds after the event
    std::string desc;
};

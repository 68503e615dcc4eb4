#pragma once

#include <string>

// One row of t_macro_data. Columns: 0 macro_id, 1 play_times, 2 delay_type, 3 delay_time,
// 4 link_count, 5 loop_type, 6 name.
struct MacroRow {
    int macroId = 0;
    std::string name;
    int linkCount = 0;
    int playTimes = 0;
    int delayType = 0;
    int delayTime = 0;
    int loopType = 0;
};

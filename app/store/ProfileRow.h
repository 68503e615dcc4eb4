#pragma once

#include <string>

// One row of t_profile_data. A select of all columns fills it from columns
// 0 profile, 1 name, 2 status, 3 app, 4 type.
struct ProfileRow {
    int profile = 0;
    std::string name;
    std::string app;
    int type = 0;
    int status = 0; // 1 on the active profile
};

#pragma once

// The mouse's DPI steps: 240 entries from 100 to 24000 dots per inch in steps of 100.
class DpiStepTable {
public:
    static constexpr int kStepCount = 240;

    // The 1-based position of an exact resolution in the table, or 0 when it is not a step.
    static int Position(int dpi);
};

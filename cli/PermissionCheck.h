#pragma once

class CliContext;

// Before a device command on real hardware: a configured device that is plugged in but whose
// node this user may not open is reported as that, with the command that fixes it, instead of
// "no supported mouse found".
class PermissionCheck {
public:
    // 0 when nothing is in the way; else prints the reason and the fix on stderr and returns
    // CliContext::kFailed.
    static int Run(CliContext& context);
};

#pragma once

#include "app/shell/upgrade/UpgradeState.h"

// What the upgrade work tells the window. Called on the worker thread; an implementation hands
// everything to the window thread and returns at once. The defaults do nothing.
class UpgradeNotices {
public:
    virtual ~UpgradeNotices() = default;

    // Download progress, 0 to 100, each value once (the window's message 1690).
    virtual void UpgradeProgress(int /*percent*/) {}
    // Versions, the running download or an outcome changed.
    virtual void UpgradeStateChanged(const UpgradeState& /*state*/) {}
    // A downloaded installer or the firmware tool has started: the program ends now.
    virtual void EndProgramForUpgrade() {}
};

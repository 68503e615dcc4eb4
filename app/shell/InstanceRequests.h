#pragma once

// What a running copy is asked by other processes through its single-instance socket. The
// calls come on the listener's thread: an implementation posts to the window thread, or (for
// the exit request) ends the process itself.
class InstanceRequests {
public:
    virtual ~InstanceRequests() = default;

    // Another copy was started, hidden or not: show and raise the window.
    virtual void OnShowRequest() = 0;
    // "exit 610" from an installer or update tool (or `pivane --quit`): remove the tray icon and
    // end the process at once. The requester has its answer before this runs.
    virtual void OnExitRequest() = 0;
};

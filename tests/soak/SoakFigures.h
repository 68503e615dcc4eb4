#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// What a soak run measured, summed over its sessions, and the problems it found (each with the
// session that shows it, so that the run's seed repeats it).
struct SoakFigures {
    uint64_t seed = 0;
    int sessions = 0;
    long passes = 0;
    long tasks = 0;                 // passes that ran a queued task
    std::map<int, long> taskCounts; // by task code
    long faultsInjected = 0;
    long disconnects = 0; // links lost to an injected fault
    long unplugs = 0;
    long replugs = 0;
    long macroDownloads = 0;

    // Virtual time a pass spent beyond the pauses it asked for (read time-outs): the worst
    // pass, and the passes over the 1000 ms bound.
    int64_t maxOverrunMs = 0;
    int maxOverrunTask = 0;
    long overruns = 0;
    int64_t maxPassPauseMs = 0;      // the longest sum of pauses in one pass
    std::map<int, long> pauseValues; // every pause length asked for, with its count

    // The window's side while the worker was held inside a device write.
    long parks = 0;
    long windowCalls = 0;
    int64_t windowMaxUs = 0;
    long windowSlow = 0; // calls over 50 ms (real time)
    long windowBlocked =
        0; // call sequences still waiting after 2000 ms: they waited for the worker

    long storeChecks = 0;
    long storeChanged = 0; // a task (with its faults) changed what the page had stored
    long lostRows = 0;
    long activeProfileFaults = 0; // snapshots without exactly one active profile
    long unpairedDisables = 0;
    long windowCallbacks = 0;

    std::vector<std::string> problems;

    void Problem(int session, const std::string& text);
    void Add(const SoakFigures& other);
    std::string Summary() const;
};

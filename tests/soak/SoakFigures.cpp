#include "tests/soak/SoakFigures.h"

#include <algorithm>
#include <cstdio>

void SoakFigures::Problem(int session, const std::string& text) {
    // The first few tell the story; the counters keep the rest.
    if (problems.size() < 20)
        problems.push_back("session " + std::to_string(session) + ": " + text);
}

void SoakFigures::Add(const SoakFigures& o) {
    sessions += o.sessions;
    passes += o.passes;
    tasks += o.tasks;
    for (const auto& [code, count] : o.taskCounts)
        taskCounts[code] += count;
    faultsInjected += o.faultsInjected;
    disconnects += o.disconnects;
    unplugs += o.unplugs;
    replugs += o.replugs;
    macroDownloads += o.macroDownloads;
    if (o.maxOverrunMs > maxOverrunMs) {
        maxOverrunMs = o.maxOverrunMs;
        maxOverrunTask = o.maxOverrunTask;
    }
    overruns += o.overruns;
    maxPassPauseMs = std::max(maxPassPauseMs, o.maxPassPauseMs);
    for (const auto& [ms, count] : o.pauseValues)
        pauseValues[ms] += count;
    parks += o.parks;
    windowCalls += o.windowCalls;
    windowMaxUs = std::max(windowMaxUs, o.windowMaxUs);
    windowSlow += o.windowSlow;
    windowBlocked += o.windowBlocked;
    storeChecks += o.storeChecks;
    storeChanged += o.storeChanged;
    lostRows += o.lostRows;
    activeProfileFaults += o.activeProfileFaults;
    unpairedDisables += o.unpairedDisables;
    windowCallbacks += o.windowCallbacks;
    for (const std::string& p : o.problems)
        if (problems.size() < 20) problems.push_back(p);
}

std::string SoakFigures::Summary() const {
    char line[512];
    std::string text;
    std::snprintf(line, sizeof line,
                  "seed %llu: %d sessions, %ld passes, %ld tasks, %ld faults injected "
                  "(%ld disconnects), %ld unplugs, %ld replugs, %ld macro downloads\n",
                  static_cast<unsigned long long>(seed), sessions, passes, tasks, faultsInjected,
                  disconnects, unplugs, replugs, macroDownloads);
    text += line;
    text += "tasks by code:";
    for (const auto& [code, count] : taskCounts)
        text += " " + std::to_string(code) + "x" + std::to_string(count);
    text += "\npause lengths (ms x count):";
    for (const auto& [ms, count] : pauseValues)
        text += " " + std::to_string(ms) + "x" + std::to_string(count);
    std::snprintf(line, sizeof line,
                  "\nwait beyond pauses: worst %lld ms (task %d), %ld passes over 1000 ms; "
                  "longest pauses of one pass %lld ms\n",
                  static_cast<long long>(maxOverrunMs), maxOverrunTask, overruns,
                  static_cast<long long>(maxPassPauseMs));
    text += line;
    std::snprintf(line, sizeof line,
                  "window while the worker was held in a write: %ld holds, %ld calls, worst "
                  "%.3f ms, %ld over 50 ms, %ld blocked\n",
                  parks, windowCalls, windowMaxUs / 1000.0, windowSlow, windowBlocked);
    text += line;
    std::snprintf(line, sizeof line,
                  "store: %ld checks, %ld changed by a task, %ld rows lost, %ld without exactly "
                  "one active profile; %ld unpaired disables, %ld window callbacks\n",
                  storeChecks, storeChanged, lostRows, activeProfileFaults, unpairedDisables,
                  windowCallbacks);
    text += line;
    for (const std::string& p : problems)
        text += "  problem: " + p + "\n";
    return text;
}

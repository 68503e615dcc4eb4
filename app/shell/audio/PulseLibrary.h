#pragma once

#include "app/platform/SharedLibrary.h"

#include <pulse/pulseaudio.h>
#include <pulse/simple.h>

#include <memory>
#include <string>
#include <vector>

// The PulseAudio calls PulseCapture makes, taken from the installed libpulse and libpulse-simple
// when the music lighting first records rather than linked, so that starts without it do not
// map the sound client and its dependencies.
class PulseLibrary {
public:
    static constexpr const char* kPulseNames[] = {"libpulse.so.0"};
    static constexpr const char* kSimpleNames[] = {"libpulse-simple.so.0"};

    decltype(&pa_threaded_mainloop_new) mainloopNew = nullptr;
    decltype(&pa_threaded_mainloop_start) mainloopStart = nullptr;
    decltype(&pa_threaded_mainloop_stop) mainloopStop = nullptr;
    decltype(&pa_threaded_mainloop_free) mainloopFree = nullptr;
    decltype(&pa_threaded_mainloop_lock) mainloopLock = nullptr;
    decltype(&pa_threaded_mainloop_unlock) mainloopUnlock = nullptr;
    decltype(&pa_threaded_mainloop_wait) mainloopWait = nullptr;
    decltype(&pa_threaded_mainloop_signal) mainloopSignal = nullptr;
    decltype(&pa_threaded_mainloop_get_api) mainloopGetApi = nullptr;
    decltype(&pa_context_new) contextNew = nullptr;
    decltype(&pa_context_unref) contextUnref = nullptr;
    decltype(&pa_context_connect) contextConnect = nullptr;
    decltype(&pa_context_disconnect) contextDisconnect = nullptr;
    decltype(&pa_context_get_state) contextGetState = nullptr;
    decltype(&pa_context_set_state_callback) contextSetStateCallback = nullptr;
    decltype(&pa_context_set_subscribe_callback) contextSetSubscribeCallback = nullptr;
    decltype(&pa_context_subscribe) contextSubscribe = nullptr;
    decltype(&pa_context_get_server_info) contextGetServerInfo = nullptr;
    decltype(&pa_operation_get_state) operationGetState = nullptr;
    decltype(&pa_operation_unref) operationUnref = nullptr;
    decltype(&pa_simple_new) simpleNew = nullptr;
    decltype(&pa_simple_read) simpleRead = nullptr;
    decltype(&pa_simple_free) simpleFree = nullptr;

    // The installed libraries, loaded by the first caller (any thread); null when one is
    // missing or lacks a call. Never unloaded: libpulse runs threads of its own (the mainloop's)
    // that may outlive any owner here.
    static const PulseLibrary* Get();

    // The first of each list that opens, with every call; null otherwise.
    static std::unique_ptr<PulseLibrary> Load(const std::vector<std::string>& pulseNames,
                                              const std::vector<std::string>& simpleNames);

private:
    bool ResolveAll();

    SharedLibrary pulse_;
    SharedLibrary simple_;
};

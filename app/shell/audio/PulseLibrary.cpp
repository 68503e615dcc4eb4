#include "app/shell/audio/PulseLibrary.h"

const PulseLibrary* PulseLibrary::Get() {
    static const PulseLibrary* const loaded =
        Load({std::begin(kPulseNames), std::end(kPulseNames)},
             {std::begin(kSimpleNames), std::end(kSimpleNames)})
            .release();
    return loaded;
}

std::unique_ptr<PulseLibrary> PulseLibrary::Load(const std::vector<std::string>& pulseNames,
                                                 const std::vector<std::string>& simpleNames) {
    auto pulse = std::make_unique<PulseLibrary>();
    if (!pulse->pulse_.Open(pulseNames) || !pulse->simple_.Open(simpleNames)) return nullptr;
    if (!pulse->ResolveAll()) return nullptr;
    return pulse;
}

bool PulseLibrary::ResolveAll() {
    const SharedLibrary& p = pulse_;
    return p.Resolve("pa_threaded_mainloop_new", mainloopNew) &&
           p.Resolve("pa_threaded_mainloop_start", mainloopStart) &&
           p.Resolve("pa_threaded_mainloop_stop", mainloopStop) &&
           p.Resolve("pa_threaded_mainloop_free", mainloopFree) &&
           p.Resolve("pa_threaded_mainloop_lock", mainloopLock) &&
           p.Resolve("pa_threaded_mainloop_unlock", mainloopUnlock) &&
           p.Resolve("pa_threaded_mainloop_wait", mainloopWait) &&
           p.Resolve("pa_threaded_mainloop_signal", mainloopSignal) &&
           p.Resolve("pa_threaded_mainloop_get_api", mainloopGetApi) &&
           p.Resolve("pa_context_new", contextNew) && p.Resolve("pa_context_unref", contextUnref) &&
           p.Resolve("pa_context_connect", contextConnect) &&
           p.Resolve("pa_context_disconnect", contextDisconnect) &&
           p.Resolve("pa_context_get_state", contextGetState) &&
           p.Resolve("pa_context_set_state_callback", contextSetStateCallback) &&
           p.Resolve("pa_context_set_subscribe_callback", contextSetSubscribeCallback) &&
           p.Resolve("pa_context_subscribe", contextSubscribe) &&
           p.Resolve("pa_context_get_server_info", contextGetServerInfo) &&
           p.Resolve("pa_operation_get_state", operationGetState) &&
           p.Resolve("pa_operation_unref", operationUnref) &&
           simple_.Resolve("pa_simple_new", simpleNew) &&
           simple_.Resolve("pa_simple_read", simpleRead) &&
           simple_.Resolve("pa_simple_free", simpleFree);
}

#include "app/shell/upgrade/CurlLibrary.h"

const CurlLibrary* CurlLibrary::Get() {
    static const CurlLibrary* const loaded = [] {
        CurlLibrary* curl = Load({std::begin(kNames), std::end(kNames)}).release();
        if (curl && curl->globalInit(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
            delete curl;
            curl = nullptr;
        }
        return curl;
    }();
    return loaded;
}

std::unique_ptr<CurlLibrary> CurlLibrary::Load(const std::vector<std::string>& names) {
    // Each name is tried in turn: a library that opens but lacks a call (an old version) must
    // not hide a complete one further down the list.
    for (const std::string& name : names) {
        auto curl = std::make_unique<CurlLibrary>();
        const SharedLibrary& lib = curl->library_;
        if (!curl->library_.Open({name})) continue;
        if (lib.Resolve("curl_global_init", curl->globalInit) &&
            lib.Resolve("curl_easy_init", curl->easyInit) &&
            lib.Resolve("curl_easy_setopt", curl->easySetopt) &&
            lib.Resolve("curl_easy_perform", curl->easyPerform) &&
            lib.Resolve("curl_easy_getinfo", curl->easyGetinfo) &&
            lib.Resolve("curl_easy_cleanup", curl->easyCleanup) &&
            lib.Resolve("curl_easy_strerror", curl->easyStrerror) &&
            lib.Resolve("curl_slist_append", curl->slistAppend) &&
            lib.Resolve("curl_slist_free_all", curl->slistFreeAll))
            return curl;
    }
    return nullptr;
}

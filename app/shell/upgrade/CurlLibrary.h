#pragma once

#include "app/platform/SharedLibrary.h"

#include <curl/curl.h>

#include <memory>
#include <string>
#include <vector>

// The libcurl calls HttpClient makes, taken from the installed library when the first request
// is made rather than linked: libcurl brings a TLS stack, Kerberos and LDAP with it, which every
// start of the window would otherwise map and search for nothing.
class CurlLibrary {
public:
    static constexpr const char* kNames[] = {"libcurl.so.4", "libcurl-gnutls.so.4"};

    decltype(&curl_global_init) globalInit = nullptr;
    decltype(&curl_easy_init) easyInit = nullptr;
    decltype(&curl_easy_setopt) easySetopt = nullptr; // variadic, as the call itself
    decltype(&curl_easy_perform) easyPerform = nullptr;
    decltype(&curl_easy_getinfo) easyGetinfo = nullptr;
    decltype(&curl_easy_cleanup) easyCleanup = nullptr;
    decltype(&curl_easy_strerror) easyStrerror = nullptr;
    decltype(&curl_slist_append) slistAppend = nullptr;
    decltype(&curl_slist_free_all) slistFreeAll = nullptr;

    // The installed libcurl, loaded and globally initialised by the first caller (any thread);
    // null when it is missing or lacks one of the calls. Never unloaded: a request may still
    // run on the worker thread while the process ends.
    static const CurlLibrary* Get();

    // The first of names that opens and has every call, not initialised; null when none has.
    static std::unique_ptr<CurlLibrary> Load(const std::vector<std::string>& names);

    // The file that was opened.
    const std::string& Name() const { return library_.Name(); }

private:
    SharedLibrary library_;
};

// The function tables of the libraries the program opens only when first needed, against the
// libraries installed here.
#include "app/shell/TrayIndicatorLibrary.h"
#include "app/shell/audio/PulseLibrary.h"
#include "app/shell/upgrade/CurlLibrary.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

namespace {

// A library every process has, with none of the calls the tables want.
constexpr const char* kUnrelated = "libm.so.6";
constexpr const char* kMissing = "libpivane-not-installed.so.7";

TEST(CurlLibrary, LoadsOnceForAllThreadsWithEveryCall) {
    std::vector<const CurlLibrary*> seen(4, nullptr);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < seen.size(); ++i)
        threads.emplace_back([&seen, i] { seen[i] = CurlLibrary::Get(); });
    for (std::thread& t : threads)
        t.join();
    const CurlLibrary* curl = CurlLibrary::Get();
    ASSERT_NE(curl, nullptr) << "libcurl is installed on the build machine";
    for (const CurlLibrary* other : seen)
        EXPECT_EQ(other, curl);
    EXPECT_EQ(curl->Name(), CurlLibrary::kNames[0]);

    EXPECT_NE(curl->globalInit, nullptr);
    EXPECT_NE(curl->easyInit, nullptr);
    EXPECT_NE(curl->easySetopt, nullptr);
    EXPECT_NE(curl->easyPerform, nullptr);
    EXPECT_NE(curl->easyGetinfo, nullptr);
    EXPECT_NE(curl->easyCleanup, nullptr);
    EXPECT_NE(curl->easyStrerror, nullptr);
    EXPECT_NE(curl->slistAppend, nullptr);
    EXPECT_NE(curl->slistFreeAll, nullptr);

    // The calls reach the library itself, variadic ones with their arguments intact.
    CURL* handle = curl->easyInit();
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(curl->easySetopt(handle, CURLOPT_URL, "http://127.0.0.1:9/"), CURLE_OK);
    EXPECT_EQ(curl->easySetopt(handle, CURLOPT_MAXREDIRS, 3L), CURLE_OK);
    // A long out of range is refused, so the value arrived as given.
    EXPECT_EQ(curl->easySetopt(handle, CURLOPT_MAXREDIRS, -2L), CURLE_BAD_FUNCTION_ARGUMENT);
    char marker = 0;
    EXPECT_EQ(curl->easySetopt(handle, CURLOPT_PRIVATE, &marker), CURLE_OK);
    char* back = nullptr;
    EXPECT_EQ(curl->easyGetinfo(handle, CURLINFO_PRIVATE, &back), CURLE_OK);
    EXPECT_EQ(back, &marker);
    curl->easyCleanup(handle);
    curl_slist* list = curl->slistAppend(nullptr, "Accept: */*");
    ASSERT_NE(list, nullptr);
    EXPECT_STREQ(list->data, "Accept: */*");
    curl->slistFreeAll(list);
    EXPECT_GT(std::strlen(curl->easyStrerror(CURLE_COULDNT_CONNECT)), 0u);
}

TEST(CurlLibrary, MissingOrIncompleteLibrariesGiveNoTable) {
    EXPECT_EQ(CurlLibrary::Load({kMissing}), nullptr);
    EXPECT_EQ(CurlLibrary::Load({kUnrelated}), nullptr);
    EXPECT_EQ(CurlLibrary::Load({}), nullptr);
    // A library without the calls does not hide a complete one after it.
    auto curl = CurlLibrary::Load({kMissing, kUnrelated, CurlLibrary::kNames[0]});
    ASSERT_NE(curl, nullptr);
    EXPECT_EQ(curl->Name(), CurlLibrary::kNames[0]);
    EXPECT_NE(curl->slistFreeAll, nullptr);
}

TEST(PulseLibrary, LoadsWithEveryCallOrNotAtAll) {
    const PulseLibrary* pulse = PulseLibrary::Get();
    ASSERT_NE(pulse, nullptr) << "libpulse is installed on the build machine";
    EXPECT_EQ(PulseLibrary::Get(), pulse);
    const void* calls[] = {
        reinterpret_cast<const void*>(pulse->mainloopNew),
        reinterpret_cast<const void*>(pulse->mainloopStart),
        reinterpret_cast<const void*>(pulse->mainloopStop),
        reinterpret_cast<const void*>(pulse->mainloopFree),
        reinterpret_cast<const void*>(pulse->mainloopLock),
        reinterpret_cast<const void*>(pulse->mainloopUnlock),
        reinterpret_cast<const void*>(pulse->mainloopWait),
        reinterpret_cast<const void*>(pulse->mainloopSignal),
        reinterpret_cast<const void*>(pulse->mainloopGetApi),
        reinterpret_cast<const void*>(pulse->contextNew),
        reinterpret_cast<const void*>(pulse->contextUnref),
        reinterpret_cast<const void*>(pulse->contextConnect),
        reinterpret_cast<const void*>(pulse->contextDisconnect),
        reinterpret_cast<const void*>(pulse->contextGetState),
        reinterpret_cast<const void*>(pulse->contextSetStateCallback),
        reinterpret_cast<const void*>(pulse->contextSetSubscribeCallback),
        reinterpret_cast<const void*>(pulse->contextSubscribe),
        reinterpret_cast<const void*>(pulse->contextGetServerInfo),
        reinterpret_cast<const void*>(pulse->operationGetState),
        reinterpret_cast<const void*>(pulse->operationUnref),
        reinterpret_cast<const void*>(pulse->simpleNew),
        reinterpret_cast<const void*>(pulse->simpleRead),
        reinterpret_cast<const void*>(pulse->simpleFree),
    };
    for (size_t i = 0; i < std::size(calls); ++i)
        EXPECT_NE(calls[i], nullptr) << "call " << i;

    // A main loop needs no server: made, started, stopped and freed through the table.
    pa_threaded_mainloop* loop = pulse->mainloopNew();
    ASSERT_NE(loop, nullptr);
    ASSERT_EQ(pulse->mainloopStart(loop), 0);
    pulse->mainloopLock(loop);
    pa_context* context = pulse->contextNew(pulse->mainloopGetApi(loop), "Pivane test");
    ASSERT_NE(context, nullptr);
    EXPECT_EQ(pulse->contextGetState(context), PA_CONTEXT_UNCONNECTED);
    pulse->contextUnref(context);
    pulse->mainloopUnlock(loop);
    pulse->mainloopStop(loop);
    pulse->mainloopFree(loop);

    const std::vector<std::string> main(std::begin(PulseLibrary::kPulseNames),
                                        std::end(PulseLibrary::kPulseNames));
    const std::vector<std::string> simple(std::begin(PulseLibrary::kSimpleNames),
                                          std::end(PulseLibrary::kSimpleNames));
    EXPECT_NE(PulseLibrary::Load(main, simple), nullptr);
    EXPECT_EQ(PulseLibrary::Load({kMissing}, simple), nullptr);
    EXPECT_EQ(PulseLibrary::Load(main, {kMissing}), nullptr);
    // The record calls live in the simple library only.
    EXPECT_EQ(PulseLibrary::Load(main, main), nullptr);
    EXPECT_EQ(PulseLibrary::Load({kUnrelated}, simple), nullptr);
}

TEST(TrayIndicatorLibrary, LoadsWithEveryCallOrNotAtAll) {
    const TrayIndicatorLibrary* tray = TrayIndicatorLibrary::Get();
    ASSERT_NE(tray, nullptr) << "the appindicator library is installed on the build machine";
    EXPECT_EQ(TrayIndicatorLibrary::Get(), tray);
    EXPECT_NE(tray->indicatorNew, nullptr);
    EXPECT_NE(tray->setStatus, nullptr);
    EXPECT_NE(tray->setMenu, nullptr);
    EXPECT_NE(tray->setTitle, nullptr);
    EXPECT_NE(tray->setSecondaryActivateTarget, nullptr);
    EXPECT_EQ(TrayIndicatorLibrary::Load({kMissing}), nullptr);
    EXPECT_EQ(TrayIndicatorLibrary::Load({kUnrelated}), nullptr);
    EXPECT_NE(TrayIndicatorLibrary::Load({kUnrelated, TrayIndicatorLibrary::kNames[0]}), nullptr);
}

} // namespace

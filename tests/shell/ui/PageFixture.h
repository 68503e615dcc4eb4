#pragma once

#include "app/files/DeviceLayout.h"
#include "app/shell/pages/PageHost.h"
#include "app/store/SettingsDatabase.h"
#include "ui/controls/MTabCtrl.h"
#include "ui/controls/MTabLayout.h"
#include "ui/core/MDialog.h"
#include "ui/platform/HeadlessBackend.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

class ShellPage;

// A 1200 x 720 headless main window stand-in that routes notifications and window messages to
// one page under test.
class PageTestWindow : public Tolva::MDialog {
public:
    Tolva::LRESULT OnMessage(unsigned id, int code, Tolva::WPARAM wparam,
                             Tolva::LPARAM lparam) override;
    Tolva::LRESULT OnWindowMessage(uint32_t msg, Tolva::WPARAM wparam,
                                   Tolva::LPARAM lparam) override;

    ShellPage* page = nullptr;
    std::vector<std::pair<unsigned, int>> unrouted; // notifications no page took
    std::vector<uint32_t> appMessages;              // every message from WM_USER up, in order
};

// The main window as a page sees it: a real headless window with the page layouts 50 to 54 and
// 501 to 504 (shown, one over the other, in the page area), a real settings store in a fresh
// data folder, the shipped layout file of the mouse, and records of what the page asked for.
class FakePageHost : public PageHost {
public:
    FakePageHost();
    ~FakePageHost() override;

    Tolva::MDialog& Window() override { return window; }
    Tolva::MTabLayout* FindLayout(unsigned id) override;
    SettingsDatabase& Store() override { return store; }
    void QueueTask(int code) override { tasks.push_back(code); }
    CThreadBasic* Worker() override { return nullptr; }
    // The recorded tasks stand for the queue: a test that "runs" them clears the list.
    int PendingTasks() const override { return static_cast<int>(tasks.size()); }
    void ShowWaitDialog() override { ++waitDialogs; }
    int ShowMessageBox(const std::string& text, const std::string& caption, int style) override;
    int DeviceType() const override { return deviceType; }
    int CurrentProfile() const override { return profile; }
    void SetCurrentProfile(int p) override { profile = p; }
    std::shared_ptr<const DeviceLayout> Layout() const override { return layout; }
    void ReloadPages() override { ++reloads; }
    bool RemapsKeys() const override { return remapsKeys; }
    const std::string& ProgramFolder() const override { return programFolder; }
    const std::string& DataFolder() const override { return dataFolder; }

    // Shows another device: a new store opened for its type (in a folder of its own) and its
    // shipped layout file. False when either cannot be had.
    bool UseDevice(int type, const std::string& layoutName);

    PageTestWindow window;
    SettingsDatabase store;
    std::shared_ptr<const DeviceLayout> layout;
    std::string programFolder; // the build's program folder (PIVANE_HOME)
    std::string dataFolder;    // a fresh temporary folder, removed afterwards
    int deviceType = 601;
    int profile = 1;
    bool remapsKeys = false;

    std::vector<int> tasks;
    int waitDialogs = 0;
    int reloads = 0;
    struct Box {
        std::string text, caption;
        int style = 0;
    };
    std::vector<Box> boxes;
    std::deque<int> answers; // next message box results; 1 when empty

private:
    std::string tempRoot_; // removed with everything in it
    Tolva::MTabCtrl* strip_ = nullptr;
    std::map<unsigned, Tolva::MTabLayout*> layouts_;

public:
    // The layouts asked for since the last clear (Attach hides the others: they share the page
    // area, and a later one would cover the page under test).
    std::set<unsigned> askedLayouts;
};

// Headless platform with manual timers, a FakePageHost whose store is open on profile 1 of the
// mouse, and helpers to drive the page through the real routing.
class PageTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Builds the page into the host's layouts and loads it for the current profile.
    void Attach(ShellPage& page);
    // A press and release at a point of the window (client coordinates).
    void Click(Tolva::Point pt);
    // The centre of a control by id, anywhere in the window; (-1, -1) when there is none.
    Tolva::Point CentreOf(unsigned id);
    Tolva::MControl* Find(unsigned id);

    Tolva::HeadlessBackend* head = nullptr;
    std::unique_ptr<FakePageHost> host;
};

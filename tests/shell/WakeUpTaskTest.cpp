#include "tests/shell/WorkerFixture.h"

namespace {

using WakeUpTask = WorkerFixture;

// Task 24 sends what the configuration page stored for profile 1, and only the receiver has
// the setting.
TEST_F(WakeUpTask, TheStoredMethodGoesThroughTheReceiverZeroBased) {
    Build(EmulatedMouse::Fixture::Default(false, true));
    StartAndChooseMouse();
    ASSERT_EQ(window_.LastState().mode, 2);
    worker_->SetCurrentProfile(2); // the method belongs to profile 1 whatever is shown
    for (int method : {2, 1}) {
        SCOPED_TRACE(method);
        ASSERT_TRUE(store_.SetConfigValue(1, "wakeupmethod", std::to_string(method)));
        Forget();
        worker_->AddTask(CThreadBasic::kWakeUpMethod);
        worker_->RunPass();
        EXPECT_TRUE(worker_->Queue().Empty());
        EXPECT_EQ(Sent(7),
                  (std::vector<std::string>{"BBAA998809FE0" + std::to_string(method - 1)}));
        EXPECT_EQ(mouse_->GetState().wakeUpMethod, method - 1);
    }
    EXPECT_EQ(window_.Disables(), window_.Enables());
}

TEST_F(WakeUpTask, OverTheCableOrWithoutAStoredMethodNothingIsSent) {
    Build(EmulatedMouse::Fixture::Default(true, false));
    StartAndChooseMouse();
    ASSERT_EQ(window_.LastState().mode, 0);
    ASSERT_TRUE(store_.SetConfigValue(1, "wakeupmethod", "2"));
    Forget();
    worker_->AddTask(CThreadBasic::kWakeUpMethod);
    worker_->RunPass();
    EXPECT_TRUE(worker_->Queue().Empty());
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(mouse_->GetState().wakeUpMethod, -1);

    Build(EmulatedMouse::Fixture::Default(false, true));
    StartAndChooseMouse();
    ASSERT_TRUE(store_.SetConfigValue(1, "wakeupmethod", "0"));
    Forget();
    worker_->AddTask(CThreadBasic::kWakeUpMethod);
    worker_->RunPass();
    EXPECT_TRUE(Sent().empty());
}

} // namespace

// The main window's no-device text when a device is there but may not be opened: the
// explanation and the command replace "no device", survive a change of language, fit the box
// in both languages, and give "no device" back once the device opens.
#include "app/shell/PermissionNotice.h"

#include "app/files/Language.h"
#include "app/files/UiText.h"
#include "ui/controls/MText.h"
#include "ui/platform/Platform.h"

#include <gtest/gtest.h>

using namespace Tolva;

namespace {

// The no-device text as the main window builds it.
constexpr Rect kNoDeviceRect{12, 142, 138, 260};
// A build tree deep in a home folder: the longest command a person is likely to see.
const std::string kCommand = "sudo /home/someone/src/pivane/build/bin/pivanectl udev-rule install";

class PermissionNoticeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Platform::Init(BackendKind::Headless));
        Language::SetCurrent(Language::kEnglish);
        text_ = std::make_unique<MText>(nullptr, 55, kNoDeviceRect, UiText::Dialog(61));
        text_->SetFontWidth(10);
        text_->EnableMultiLine(true);
    }
    void TearDown() override { Language::SetCurrent(Language::kEnglish); }

    std::unique_ptr<MText> text_;
    PermissionNotice notice_;
};

TEST_F(PermissionNoticeTest, ReplacesNoDeviceAndFitsInBothLanguages) {
    const std::string noDevice = UiText::Dialog(61);
    const std::string english = UiText::Dialog(9251);
    ASSERT_FALSE(english.empty());
    notice_.Show(text_.get(), kCommand);
    EXPECT_TRUE(notice_.Showing());
    EXPECT_EQ(text_->GetTitle(), english + "\n\n" + kCommand);
    EXPECT_GT(text_->GetVirtualHeight(), 0);
    EXPECT_LE(text_->GetVirtualHeight(), text_->GetRect().Height()) << "English text is cut";

    // The window re-applies its texts: "no device" first, then the notice its own.
    Language::SetCurrent(Language::kChinese);
    const std::string chinese = UiText::Dialog(9251);
    ASSERT_FALSE(chinese.empty());
    ASSERT_NE(chinese, english);
    text_->SetTitle(UiText::Dialog(61));
    notice_.ApplyTexts(text_.get());
    EXPECT_EQ(text_->GetTitle(), chinese + "\n\n" + kCommand);
    EXPECT_LE(text_->GetVirtualHeight(), text_->GetRect().Height()) << "Chinese text is cut";

    // The device opens after all: back to the plain text in its own box.
    Language::SetCurrent(Language::kEnglish);
    notice_.Show(text_.get(), "");
    EXPECT_FALSE(notice_.Showing());
    EXPECT_EQ(text_->GetTitle(), noDevice);
    EXPECT_EQ(text_->GetRect(), kNoDeviceRect);
    notice_.ApplyTexts(text_.get());
    EXPECT_EQ(text_->GetTitle(), noDevice);
}

TEST_F(PermissionNoticeTest, RepeatedReadingsKeepOneEnlargedBox) {
    notice_.Show(text_.get(), kCommand);
    const Rect enlarged = text_->GetRect();
    EXPECT_GT(enlarged.Height(), kNoDeviceRect.Height());
    notice_.Show(text_.get(), kCommand);
    notice_.Show(text_.get(), "sudo pivanectl udev-rule install");
    EXPECT_EQ(text_->GetRect(), enlarged);
    EXPECT_EQ(text_->GetTitle(), UiText::Dialog(9251) + "\n\nsudo pivanectl udev-rule install");
    notice_.Show(text_.get(), "");
    notice_.Show(text_.get(), "");
    EXPECT_EQ(text_->GetRect(), kNoDeviceRect);
}

} // namespace

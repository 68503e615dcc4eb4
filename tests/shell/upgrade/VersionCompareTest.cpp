#include "app/shell/upgrade/VersionCompare.h"
#include "app/device/FirmwareVersion.h"

#include <gtest/gtest.h>

TEST(VersionCompareTest, ServerVersionAgainstInstalledOne) {
    EXPECT_EQ(VersionCompare::Compare("1.0.1", "1.0.2"), 1);
    EXPECT_TRUE(VersionCompare::SoftwareOffered("1.0.1", "1.0.2"));
    EXPECT_EQ(VersionCompare::Compare("1.0.1", "1.0.1"), 0);
    EXPECT_FALSE(VersionCompare::SoftwareOffered("1.0.1", "1.0.1"));
    // A different number of parts is offered too, whichever side is longer.
    EXPECT_EQ(VersionCompare::Compare("1.0.1", "1.1"), 2);
    EXPECT_TRUE(VersionCompare::SoftwareOffered("1.0.1", "1.1"));
    EXPECT_TRUE(VersionCompare::SoftwareOffered("1.0.1", "0.9"));
    EXPECT_EQ(VersionCompare::Compare("1.0.2", "1.0.1"), -1);
    EXPECT_FALSE(VersionCompare::SoftwareOffered("1.0.2", "1.0.1"));
}

TEST(VersionCompareTest, PartsCompareAsNumbersNotAsText) {
    EXPECT_EQ(VersionCompare::Compare("1.0.9", "1.0.10"), 1);
    EXPECT_EQ(VersionCompare::Compare("1.10.0", "1.9.9"), -1);
    EXPECT_EQ(VersionCompare::Compare("1.02", "1.2"), 0);
    // The first difference decides, not the later parts.
    EXPECT_EQ(VersionCompare::Compare("2.0.0", "1.9.9"), -1);
    // Empty and non-numeric parts read as 0, runs of digits saturate instead of overflowing.
    EXPECT_EQ(VersionCompare::Compare("1..1", "1.0.1"), 0);
    EXPECT_EQ(VersionCompare::Compare("1.x", "1.0"), 0);
    EXPECT_EQ(VersionCompare::Compare("1.99999999999999999999", "1.1"), -1);
    EXPECT_GT(VersionCompare::LeadingNumber("99999999999999999999999"), 0);
}

TEST(VersionCompareTest, AnswersOfOneToTenCharactersAreTaken) {
    EXPECT_EQ(VersionCompare::AcceptAnswer("1.0.2"), "1.0.2");
    EXPECT_EQ(VersionCompare::AcceptAnswer("1"), "1");
    EXPECT_EQ(VersionCompare::AcceptAnswer("1.0.2.3.45"), "1.0.2.3.45"); // ten
    // A file's line end is not part of the version.
    EXPECT_EQ(VersionCompare::AcceptAnswer("1.0.2\r\n"), "1.0.2");
    EXPECT_EQ(VersionCompare::AcceptAnswer(" 106\n"), "106");

    EXPECT_EQ(VersionCompare::AcceptAnswer("1.0.2.3.456"), ""); // eleven
    EXPECT_EQ(VersionCompare::AcceptAnswer("1.0.2.3.456\n"), "");
    EXPECT_EQ(VersionCompare::AcceptAnswer(""), "");
    EXPECT_EQ(VersionCompare::AcceptAnswer(" \r\n"), "");
}

TEST(VersionCompareTest, AnswersThatCouldLeaveTheTempFolderAreRefused) {
    // The answer becomes part of a file name below temp/ and of an address.
    EXPECT_EQ(VersionCompare::AcceptAnswer("../../x"), "");
    EXPECT_EQ(VersionCompare::AcceptAnswer("1.0/2"), "");
    EXPECT_EQ(VersionCompare::AcceptAnswer("1\\2"), "");
    EXPECT_EQ(VersionCompare::AcceptAnswer("1.0 2"), "");
    EXPECT_EQ(VersionCompare::AcceptAnswer(std::string("1.0\0x", 5)), "");
    EXPECT_EQ(VersionCompare::AcceptAnswer("1.0?a=b"), "");
    EXPECT_EQ(VersionCompare::AcceptAnswer("1.0.2-rc_1"), "1.0.2-rc_1");
}

TEST(VersionCompareTest, FirmwareReleaseNumberReadsAsDecimal) {
    EXPECT_EQ(FirmwareVersion::FromReleaseNumber(0x0105), 105);
    EXPECT_EQ(VersionCompare::LeadingNumber("106"), 106);
    EXPECT_GT(VersionCompare::LeadingNumber("106"), FirmwareVersion::FromReleaseNumber(0x0105));
    EXPECT_EQ(VersionCompare::LeadingNumber("0105"), FirmwareVersion::FromReleaseNumber(0x0105));
}

#include "app/device/CommandFrame.h"

#include <gtest/gtest.h>

namespace {

std::string Hex(const CommandFrame::Report& r, size_t n) {
    return CommandFrame::ToHex(r.data(), n);
}

bool AllZeroFrom(const CommandFrame::Report& r, size_t from) {
    for (size_t i = from; i < r.size(); ++i)
        if (r[i] != 0) return false;
    return true;
}

} // namespace

TEST(CommandFrameMouse, SameCommandInWiredAndWirelessFrames) {
    auto wired = CommandFrame::Mouse(0, CommandFrame::kSetReportRate, {3});
    EXPECT_EQ(Hex(wired, 4), "0008F803");
    EXPECT_TRUE(AllZeroFrom(wired, 4));
    for (int mode : {1, 2}) {
        auto wireless = CommandFrame::Mouse(mode, CommandFrame::kSetReportRate, {3});
        EXPECT_EQ(Hex(wireless, 8), "00BBAA998809F803");
        EXPECT_TRUE(AllZeroFrom(wireless, 8));
    }
    EXPECT_EQ(CommandFrame::ArgumentOffset(0), 2u);
    EXPECT_EQ(CommandFrame::ArgumentOffset(2), 6u);
}

TEST(CommandFrameMouse, NoFrameWithoutAConnection) {
    auto none = CommandFrame::Mouse(-1, CommandFrame::kSetReportRate, {3});
    EXPECT_TRUE(AllZeroFrom(none, 0));
    EXPECT_FALSE(CommandFrame::HasFrame(-1));
    EXPECT_FALSE(CommandFrame::HasFrame(3));
}

TEST(CommandFrameMouse, ArgumentsThatDoNotFitAreCutAtTheReportEnd) {
    std::vector<uint8_t> many(80, 0x11);
    auto wireless = CommandFrame::Mouse(2, CommandFrame::kSetLighting, many);
    EXPECT_EQ(wireless[64], 0x11);
    EXPECT_EQ(wireless[6], CommandFrame::kSetLighting);
}

TEST(CommandFrameMouse, DebounceUsesTheMagicFrameInEveryMode) {
    auto magic = CommandFrame::Magic(7);
    EXPECT_EQ(Hex(magic, 8), "002BAA55CC330307");
    EXPECT_TRUE(AllZeroFrom(magic, 8));
}

TEST(CommandFrameMouse, HandshakeFramesByEntryMode) {
    EXPECT_EQ(Hex(CommandFrame::Handshake(0), 3), "0008FD");
    EXPECT_EQ(Hex(CommandFrame::Handshake(2), 7), "00BBAA998809FD");
    // Entries only carry 0 or 2; anything else is greeted with an empty report.
    EXPECT_TRUE(AllZeroFrom(CommandFrame::Handshake(1), 0));
    EXPECT_TRUE(AllZeroFrom(CommandFrame::Handshake(5), 0));
}

TEST(CommandFrameKeyboard, FeatureAndPrefixedFamilies) {
    EXPECT_EQ(Hex(CommandFrame::KeyboardSettings(0x78, {1, 2}), 7), "07123456780102");
    EXPECT_EQ(Hex(CommandFrame::KeyboardLighting(3, 4, 2, 5, 1), 9), "07FFFF030402050100");
    auto light = CommandFrame::PrefixedKeyboardLighting(4, 100, 2, 1);
    EXPECT_EQ(CommandFrame::ToHex(light.data(), 13), "BBAA9988AA0364020000000100");
    auto reset = CommandFrame::PrefixedKeyboardResetFirst();
    EXPECT_EQ(CommandFrame::ToHex(reset.data(), 11), "BBAA9988AAAAAAAAAAAA00");
    auto second = CommandFrame::PrefixedKeyboardResetSecond();
    EXPECT_EQ(CommandFrame::ToHex(second.data(), 6), "BBAA99880000");
}

TEST(CommandFrameStatus, ParsesBatteryAndLinkState) {
    auto reply = CommandFrame::StatusReply(64, 3);
    auto status = CommandFrame::ParseStatus(reply.data(), reply.size());
    EXPECT_TRUE(status.signature);
    EXPECT_EQ(status.battery, 64);
    EXPECT_EQ(status.linkState, 3);
    EXPECT_EQ(CommandFrame::ModeForLinkState(status.linkState), 0);
    EXPECT_EQ(CommandFrame::ModeForLinkState(1), 2);
    EXPECT_EQ(CommandFrame::ModeForLinkState(0), -1);
    EXPECT_EQ(CommandFrame::ModeForLinkState(2), -1);
}

TEST(CommandFrameStatus, BatteryAbove100IsIgnored) {
    auto at100 = CommandFrame::StatusReply(100, 1);
    EXPECT_EQ(CommandFrame::ParseStatus(at100.data(), at100.size()).battery, 100);
    for (uint8_t value : {101, 255}) {
        auto reply = CommandFrame::StatusReply(value, 1);
        EXPECT_EQ(CommandFrame::ParseStatus(reply.data(), reply.size()).battery, -1);
    }
}

TEST(CommandFrameStatus, ShortOrUnsignedRepliesAreRecognised) {
    auto reply = CommandFrame::StatusReply(50, 1);
    reply[3] = 0x34;
    EXPECT_FALSE(CommandFrame::ParseStatus(reply.data(), reply.size()).signature);
    // Three bytes cannot hold the signature; six cannot hold the link byte.
    auto good = CommandFrame::StatusReply(50, 1);
    EXPECT_FALSE(CommandFrame::HasStatusSignature(good.data(), 3));
    auto six = CommandFrame::ParseStatus(good.data(), 6);
    EXPECT_TRUE(six.signature);
    EXPECT_EQ(six.battery, 50);
    EXPECT_EQ(six.linkState, -1);
    auto null = CommandFrame::ParseStatus(nullptr, 64);
    EXPECT_FALSE(null.signature);
    EXPECT_EQ(null.linkState, -1);
}

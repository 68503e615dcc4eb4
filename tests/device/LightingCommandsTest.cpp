#include "app/device/LightingCommands.h"
#include "app/device/LightPictureSource.h"
#include "app/platform/ScreenSampler.h"

#include "tests/device/CommandSetFixture.h"

namespace {

// A screen of one colour that remembers where it was read.
class FlatScreen : public ScreenSampler {
public:
    FlatScreen(int w, int h, uint32_t colour) : w_(w), h_(h), colour_(colour) {}
    int Width() const override { return w_; }
    int Height() const override { return h_; }
    bool Pixel(int x, int y, uint32_t& colour) override {
        reads.push_back({x, y});
        colour = colour_ + static_cast<uint32_t>(reads.size() - 1); // tell the lights apart
        return true;
    }
    std::vector<std::array<int, 2>> reads;

private:
    int w_, h_;
    uint32_t colour_;
};

class Picture : public LightPictureSource {
public:
    bool ValueAt(int column, int row, uint32_t& value) const override {
        if (column != 85) return false;
        value = static_cast<uint32_t>(row / 10) << 16 | 0x0000AA00u | static_cast<uint32_t>(row);
        return true;
    }
};

class LightingCommandsTest : public CommandSetFixture {};

TEST_F(LightingCommandsTest, StoredEffectTravelsWithItsParameters) {
    LightRow row;
    row.profile = 1;
    row.mode = 4;
    row.brightness = 100;
    row.speed = 2;
    row.colorful = 0;
    row.direction = 1;
    row.colorValue = 0x000000FF;
    ASSERT_GT(store_.AddLightRow(row), 0);
    ConnectCable();
    LightingCommands lighting(*manager_, store_);
    EXPECT_TRUE(lighting.SetLighting(mode_, 1, 4));
    EXPECT_EQ(Hex(Sent()[0], 11), "08FC0364020001FF000000");
    auto state = mouse_->GetState();
    EXPECT_EQ(state.profiles[1].lighting.effect, 3);
    EXPECT_EQ(state.profiles[1].lighting.colour, 0xFFu);

    ConnectReceiver();
    EXPECT_TRUE(LightingCommands(*manager_, store_).SetLighting(mode_, 1, 4));
    EXPECT_EQ(Hex(Sent()[0], 14), "BBAA998809FC0364020001FF0000");
    EXPECT_FALSE(LightingCommands(*manager_, store_).SetLighting(mode_, 1, 5)); // no such row
}

TEST_F(LightingCommandsTest, ScreenFrameSamplesSevenPointsAtMostEvery100Ms) {
    ConnectCable();
    FlatScreen screen(1920, 1080, 0x00FF0000); // blue
    LightingCommands lighting(*manager_, store_, &screen);
    LightingCommands::Colours colours{};
    EXPECT_TRUE(lighting.SendScreenFrame(mode_, colours));
    std::vector<std::array<int, 2>> points = {{960, 216},  {640, 432}, {1280, 432}, {640, 648},
                                              {1280, 648}, {640, 864}, {1280, 864}};
    EXPECT_EQ(screen.reads, points);
    ASSERT_EQ(Sent().size(), 1u);
    // Red, green, blue per light; the low byte carries the light's number.
    EXPECT_EQ(Hex(Sent()[0], 24), "08FC0B"
                                  "0000FF"
                                  "0100FF"
                                  "0200FF"
                                  "0300FF"
                                  "0400FF"
                                  "0500FF"
                                  "0600FF");
    EXPECT_EQ(colours[6], 0x00FF0006u);

    clock_.Advance(50);
    EXPECT_FALSE(lighting.SendScreenFrame(mode_, colours));
    EXPECT_EQ(Sent().size(), 1u);
    clock_.Advance(50);
    EXPECT_TRUE(lighting.SendScreenFrame(mode_, colours));
    EXPECT_EQ(Sent().size(), 2u);
}

TEST_F(LightingCommandsTest, LiveFramesNeedTheCableAndAScreen) {
    ConnectReceiver();
    FlatScreen screen(800, 600, 0);
    LightingCommands::Colours colours{};
    EXPECT_FALSE(LightingCommands(*manager_, store_, &screen).SendScreenFrame(mode_, colours));
    EXPECT_FALSE(
        LightingCommands(*manager_, store_, &screen).SendMusicFrame(mode_, Picture(), colours));
    EXPECT_TRUE(Sent().empty());
    EXPECT_TRUE(screen.reads.empty());

    ConnectCable();
    FlatScreen none(0, 600, 0);
    EXPECT_FALSE(LightingCommands(*manager_, store_, &none).SendScreenFrame(mode_, colours));
    EXPECT_TRUE(Sent().empty());
}

TEST_F(LightingCommandsTest, MusicFrameTakesFourCellsOfColumn85) {
    ConnectCable();
    LightingCommands lighting(*manager_, store_);
    LightingCommands::Colours colours{};
    EXPECT_TRUE(lighting.SendMusicFrame(mode_, Picture(), colours));
    // Cell (85, r) is 0x00(r/10)0AA(r): sent as bits 16-23, 8-15, 0-7.
    EXPECT_EQ(Hex(Sent()[0], 24), "08FC0B"
                                  "02AA1B"
                                  "03AA25"
                                  "03AA25"
                                  "04AA2F"
                                  "04AA2F"
                                  "05AA39"
                                  "05AA39");
    EXPECT_EQ(colours[0], 0x001BAA02u); // the widget takes 0x00BBGGRR
    auto state = mouse_->GetState();
    EXPECT_TRUE(state.liveFrameSet);
    EXPECT_EQ(state.liveFrame[0], 0x02);
}

} // namespace

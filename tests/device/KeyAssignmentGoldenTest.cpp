// The bytes of shortcut and macro downloads against tables typed from the product's key and
// shortcut tables (tests/device/golden), read straight from the reports the mouse received:
// neither the program's tables nor the emulated mouse's decoder stand in for them.
#include "app/device/HidUsageTable.h"
#include "app/device/KeyAssignmentCommands.h"

#include "tests/device/CommandSetFixture.h"

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

namespace {

constexpr int kPress = 2;
constexpr int kRelease = 3;

// Non-comment lines of a golden file, split at tabs.
std::vector<std::vector<std::string>> Golden(const std::string& name) {
    std::vector<std::vector<std::string>> rows;
    const char* source = std::getenv("PIVANE_SOURCE_DIR");
    if (!source) return rows;
    std::ifstream in(std::string(source) + "/tests/device/golden/" + name);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> fields;
        std::stringstream split(line);
        std::string field;
        while (std::getline(split, field, '\t'))
            fields.push_back(field);
        rows.push_back(fields);
    }
    return rows;
}

class KeyAssignmentGoldenTest : public CommandSetFixture {
protected:
    KeyAssignmentCommands Commands() { return KeyAssignmentCommands(*manager_, store_); }
    // The first chunk (payload 08 F0 + 23 image bytes) as hex, after assigning the button.
    std::string FirstChunk(int profile, int keyCode) {
        ClearTraffic();
        EXPECT_TRUE(Commands().AssignButton(mode_, profile, keyCode));
        auto sent = Sent();
        EXPECT_EQ(sent.size(), 6u);
        return sent.empty() ? "" : Hex(sent[0], 25);
    }
};

TEST_F(KeyAssignmentGoldenTest, EveryShortcutReachesTheMouseAsItsTableSays) {
    auto rows = Golden("shortcuts.txt");
    ASSERT_EQ(rows.size(), 15u) << "PIVANE_SOURCE_DIR must name the source tree";
    ConnectCable();
    for (const auto& row : rows) {
        const int number = std::stoi(row[0]);
        // Events: usage, then 01 for a press or 81 for a release (10 ms after each).
        std::string events;
        int count = 0;
        std::stringstream split(row[1]);
        std::string event;
        while (split >> event) {
            events += event.substr(1) + (event[0] == '+' ? "01" : "81");
            ++count;
        }
        std::string expected = "08F0"
                               "01"
                               "D1"
                               "01" +
                               std::string(count < 10 ? "0" : "") + std::to_string(count) + events;
        expected += std::string(50 - expected.size(), '0');
        SaveButton(1, 209, 7, number);
        EXPECT_EQ(FirstChunk(1, 209), expected) << "shortcut " << number;
    }
}

TEST_F(KeyAssignmentGoldenTest, EveryVirtualKeyBecomesItsUsageAndAllOthersZero) {
    auto rows = Golden("virtual_key_usages.txt");
    ASSERT_GE(rows.size(), 100u) << "PIVANE_SOURCE_DIR must name the source tree";
    std::map<int, int> usages;
    for (const auto& row : rows)
        usages[std::stoi(row[0])] = std::stoi(row[1], nullptr, 16);
    for (int key = -2; key < 1024; ++key) {
        auto it = usages.find(key);
        EXPECT_EQ(HidUsageTable::FromVirtualKey(key), it == usages.end() ? 0 : it->second)
            << "virtual key " << key;
    }
}

TEST_F(KeyAssignmentGoldenTest, DelaysOfOneHundredMillisecondUnitsHaveTheirOwnUnitBits) {
    // 1551-3100 ms count hundreds (D / 100, rounded down). Sent with the 50 ms unit bits, as the
    // rule once had it, 2000 ms would play as 20 x 50 = 1000 ms, so this range has unit bits
    // 1, 0 (0x40) of its own, between 50 ms (0x20) and 1000 ms (0x60).
    int id = AddMacro({{'A', kPress, 1550},
                       {'A', kRelease, 1551},
                       {'B', kPress, 2000},
                       {'B', kRelease, 2099},
                       {'C', kPress, 3100},
                       {'C', kRelease, 3101}});
    ConnectCable();
    SaveButton(1, 208, 3, id);
    EXPECT_EQ(FirstChunk(1, 208), "08F0"
                                  "01"
                                  "D0"
                                  "01"
                                  "06"
                                  "04"
                                  "3F" // press, 31 x 50 ms
                                  "04"
                                  "CF" // release, 15 x 100 ms
                                  "05"
                                  "54" // press, 20 x 100 ms
                                  "05"
                                  "D4" // release, 20 x 100 ms (2099 rounds down)
                                  "06"
                                  "5F" // press, 31 x 100 ms
                                  "06"
                                  "E3" // release, 3 x 1000 ms
                                  "00000000000000");
}

} // namespace

// The permission probe on a fake sysfs tree: which plugged-in supported devices have a node
// this user may not open. As root every node opens, so the probe then runs in a child that has
// become an unprivileged user.
#include "app/device/HidPermissionProbe.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr uid_t kNobody = 65534;

class HidPermissionProbeTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/pivane-probe-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        // The unprivileged child must reach the tree.
        chmod(root_.c_str(), 0755);
        fs::create_directories(root_ / "sys/class/hidraw");
        fs::create_directories(root_ / "dev");
        fs::permissions(root_ / "dev", fs::perms::all);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }

    // A hidraw node with its sysfs entry; mode < 0 leaves the node out.
    void AddNode(const std::string& name, const std::string& uevent, int mode) {
        const fs::path dir = root_ / "sys/class/hidraw" / name / "device";
        fs::create_directories(dir);
        std::ofstream(dir / "uevent") << uevent;
        for (fs::path p = dir; p != root_; p = p.parent_path())
            chmod(p.c_str(), 0755);
        chmod((dir / "uevent").c_str(), 0644);
        if (mode < 0) return;
        const fs::path node = root_ / "dev" / name;
        std::ofstream(node) << "";
        chmod(node.c_str(), static_cast<mode_t>(mode));
    }

    HidPermissionProbe Probe() const {
        HidPermissionProbe probe((root_ / "sys").string(), (root_ / "dev").string());
        probe.AddSupported(0x25A7, 0xFA07);
        probe.AddSupported(0x25A7, 0xFA08);
        return probe;
    }

    // The blocked nodes' names as an unprivileged user sees them.
    std::vector<std::string> BlockedNames() const {
        const HidPermissionProbe probe = Probe();
        if (geteuid() != 0) return Names(probe.FindBlocked());
        int fds[2];
        if (pipe(fds) != 0) return {"pipe failed"};
        pid_t child = fork();
        if (child == 0) {
            close(fds[0]);
            if (setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(3);
            std::string text;
            for (const auto& name : Names(probe.FindBlocked()))
                text += name + "\n";
            if (write(fds[1], text.data(), text.size()) < 0) _exit(4);
            _exit(0);
        }
        close(fds[1]);
        std::string text;
        char buffer[256];
        ssize_t n;
        while ((n = read(fds[0], buffer, sizeof buffer)) > 0)
            text.append(buffer, static_cast<size_t>(n));
        close(fds[0]);
        int status = 0;
        waitpid(child, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return {"child failed"};
        std::vector<std::string> names;
        size_t start = 0;
        for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
            names.push_back(text.substr(start, end - start));
        return names;
    }

    std::vector<std::string> Names(const std::vector<HidPermissionProbe::Blocked>& blocked) const {
        std::vector<std::string> names;
        for (const auto& b : blocked)
            names.push_back(fs::path(b.node).filename().string());
        return names;
    }

    fs::path root_;
};

const char* const kCable = "DRIVER=hid-generic\nHID_ID=0003:000025A7:0000FA07\nHID_NAME=Mouse\n";
const char* const kReceiver = "HID_ID=0003:000025A7:0000FA08\n";
const char* const kOther = "HID_ID=0003:0000046D:0000C52B\n";

TEST_F(HidPermissionProbeTest, ReportsOnlySupportedNodesThatMayNotBeOpened) {
    AddNode("hidraw0", kCable, 0000);  // blocked: the case the window explains
    AddNode("hidraw1", kCable, 0666);  // another interface of it that opens
    AddNode("hidraw2", kOther, 0000);  // someone else's device
    AddNode("hidraw3", kReceiver, -1); // sysfs entry without a node (udev not done yet)
    AddNode("hidraw4", "HID_ID=garbage\n", 0000);
    AddNode("hidraw5", kReceiver, 0000); // blocked too
    AddNode("input7", kCable, 0000);     // not a hidraw entry
    EXPECT_EQ(BlockedNames(), (std::vector<std::string>{"hidraw0", "hidraw5"}));
}

TEST_F(HidPermissionProbeTest, NothingBlockedWhenEveryNodeOpensOrSysfsIsMissing) {
    AddNode("hidraw0", kCable, 0666);
    EXPECT_TRUE(BlockedNames().empty());
    HidPermissionProbe missing((root_ / "no-sys").string(), (root_ / "dev").string());
    missing.AddSupported(0x25A7, 0xFA07);
    EXPECT_TRUE(missing.FindBlocked().empty());
}

TEST(HidPermissionProbeParse, ReadsTheIdsOfTheHidIdLine) {
    uint16_t vendor = 0, product = 0;
    EXPECT_TRUE(HidPermissionProbe::ParseHidId(kCable, vendor, product));
    EXPECT_EQ(vendor, 0x25A7);
    EXPECT_EQ(product, 0xFA07);
    EXPECT_TRUE(HidPermissionProbe::ParseHidId("HID_ID=0005:0000abcd:00000001", vendor, product));
    EXPECT_EQ(vendor, 0xABCD);
    EXPECT_EQ(product, 0x0001);
    for (const char* bad :
         {"", "HID_NAME=x\n", "HID_ID=0003:000025A7\n", "HID_ID=0003:0001FFFF:0000FA07\n",
          "HID_ID=0003:25A7:FA07x\n", "HID_ID=0003::0000FA07\n",
          "HID_ID=0003:000025A7:000000000FA07\n", "XHID_ID=0003:000025A7:0000FA07\n"})
        EXPECT_FALSE(HidPermissionProbe::ParseHidId(bad, vendor, product)) << bad;
}

TEST(HidPermissionProbeCommand, NamesThePivanectlOnPathOrItsFullPath) {
    char pattern[] = "/tmp/pivane-path-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const fs::path bin = fs::path(pattern) / "bin";
    const fs::path other = fs::path(pattern) / "other";
    fs::create_directories(bin);
    fs::create_directories(other);
    std::ofstream(bin / "pivanectl") << "";
    std::ofstream(other / "pivanectl") << "";
    const std::string saved = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", (bin.string() + ":/usr/bin").c_str(), 1);
    EXPECT_EQ(HidPermissionProbe::PivanectlCommand(bin.string() + "/"), "pivanectl");
    // The first pivanectl on PATH is another copy: only the full path reaches this one.
    setenv("PATH", (other.string() + ":" + bin.string()).c_str(), 1);
    EXPECT_EQ(HidPermissionProbe::PivanectlCommand(bin.string()), (bin / "pivanectl").string());
    setenv("PATH", saved.c_str(), 1);
    EXPECT_EQ(HidPermissionProbe::FixCommand("pivanectl"), "sudo pivanectl udev-rule install");
    // A build tree under a folder with a blank or a quote in its name: still one shell word.
    EXPECT_EQ(HidPermissionProbe::FixCommand("/home/a b/it's/pivanectl"),
              "sudo '/home/a b/it'\\''s/pivanectl' udev-rule install");
    fs::remove_all(pattern);
}

} // namespace

// Writes the udev rule for the devices of a config.xml:
//   pivane_udevrule CONFIG.XML OUTPUT.rules
#include "app/files/UdevRule.h"

#include <cstdio>
#include <fstream>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: pivane_udevrule CONFIG.XML OUTPUT.rules\n");
        return 2;
    }
    std::vector<UdevRule::Device> devices;
    if (!UdevRule::ReadDevices(argv[1], devices)) {
        std::fprintf(stderr, "pivane_udevrule: %s is not a readable configuration\n", argv[1]);
        return 1;
    }
    // A rule that matches nothing would install cleanly and help nobody.
    if (devices.empty()) {
        std::fprintf(stderr, "pivane_udevrule: %s names no device ids\n", argv[1]);
        return 1;
    }
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out << UdevRule::Compose(devices);
    out.close();
    if (!out) {
        std::fprintf(stderr, "pivane_udevrule: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}

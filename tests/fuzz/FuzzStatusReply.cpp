// Device replies and notifications of any shape: status parsing, the manager's reply and
// notification paths, and the emulated mouse's command decoder must neither crash nor read out of
// bounds. Input: byte 0 picks the path, the rest is the report.
#include "app/device/CommandFrame.h"
#include "app/device/HidDeviceManager.h"
#include "sim/EmulatedMouse.h"
#include "sim/VirtualClock.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

namespace {

struct Rig {
    VirtualClock clock;
    std::shared_ptr<EmulatedMouse> mouse =
        std::make_shared<EmulatedMouse>(EmulatedMouse::Fixture::Default(), &clock);
    HidDeviceManager manager{mouse, &clock};
    HidBackend::Handle cable = nullptr;
    HidBackend::Handle receiver = nullptr;

    Rig() {
        manager.AddSupportedDevice(EmulatedMouse::kVendorId, EmulatedMouse::kCableProductId, 0,
                                   "mouse", 601, 0, EmulatedMouse::kInterfacePattern);
        manager.AddSupportedDevice(EmulatedMouse::kVendorId, EmulatedMouse::kReceiverProductId, 0,
                                   "mouse", 601, 2, EmulatedMouse::kInterfacePattern);
        cable = mouse->Open("/dev/simhid11");
        receiver = mouse->Open("/dev/simhid21");
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Rig rig;
    CommandFrame::Status status = CommandFrame::ParseStatus(data, size);
    if (status.battery > 100 || status.linkState > 255) __builtin_trap();
    if (size == 0) return 0;
    uint8_t selector = data[0];
    CommandFrame::Payload reply{};
    std::memcpy(reply.data(), data + 1, std::min(size - 1, reply.size()));
    auto link = selector & 1 ? EmulatedMouse::Link::Receiver : EmulatedMouse::Link::Cable;

    switch ((selector >> 1) % 4) {
    case 0: { // an unsolicited report while nothing is addressed
        rig.manager.Rescan();
        rig.mouse->QueueInput(link, reply);
        uint8_t buffer[65];
        rig.manager.ReadNotification(buffer);
        break;
    }
    case 1: { // a stale report ahead of a query's reply
        rig.manager.Rescan();
        rig.manager.SetSelectedDeviceType(601);
        rig.mouse->QueueInput(link, reply);
        auto payload = CommandFrame::PayloadOf(
            CommandFrame::Mouse(rig.manager.ConnectedMode(), CommandFrame::kQueryStatus));
        if (rig.manager.QueryCommand(payload.data()))
            CommandFrame::ParseStatus(payload.data(), payload.size());
        break;
    }
    default: { // a report of any content reaching the mouse
        CommandFrame::Report report{};
        std::memcpy(report.data() + 1, data + 1, std::min(size - 1, report.size() - 1));
        rig.mouse->Write(link == EmulatedMouse::Link::Cable ? rig.cable : rig.receiver,
                         report.data(), report.size());
        uint8_t buffer[65];
        while (rig.mouse->ReadTimeout(link == EmulatedMouse::Link::Cable ? rig.cable : rig.receiver,
                                      buffer, sizeof buffer, 0) > 0) {
        }
        break;
    }
    }
    rig.mouse->ClearLog();
    rig.clock.ClearPauses();
    return 0;
}

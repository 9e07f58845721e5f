#include "robustness/sweep_support.h"

#include <gtest/gtest.h>

#include <utility>

namespace qf::robustness {

device::DeviceResult FaultCase::TransactionResult() const {
    switch (fault) {
        case Fault::Unplug:
            return device::DeviceResult::WriteRefused;
        case Fault::Garbled:
            return device::DeviceResult::Ok;  // the command byte and status stay right: the reply
                                              // counts
        case Fault::WrongCommand:
        case Fault::NoReply:
            return sends >= 3 ? device::DeviceResult::NoReply : device::DeviceResult::Ok;
        case Fault::StatusFE:
            return sends >= 3 ? device::DeviceResult::StatusFE : device::DeviceResult::Ok;
    }
    return device::DeviceResult::Ok;
}

std::string FaultCase::Name() const {
    const char* names[] = {"unplug", "garbled reply", "reply to another command", "status 0xFE",
                           "no reply"};
    std::string name = names[static_cast<int>(fault)];
    if (fault != Fault::Unplug) {
        name += sends >= 3 ? " on every send" : " once";
    }
    return name;
}

std::vector<FaultCase> AllFaultCases() {
    std::vector<FaultCase> cases{{Fault::Unplug, 1}};
    for (Fault f : {Fault::Garbled, Fault::WrongCommand, Fault::StatusFE, Fault::NoReply}) {
        cases.push_back({f, 1});
        cases.push_back({f, 3});
    }
    return cases;
}

int FaultAtReport::RequestWriteOne(const QfRequestKey& key, const std::uint8_t* data,
                                   std::uint32_t length, std::uint32_t unitId) {
    const std::size_t n = ++writes_;
    if (armedAt_ != 0 && n == armedAt_) {
        switch (fault_.fault) {
            case Fault::Unplug:
                keyboard_.UnplugBeforeReport(1);
                break;
            case Fault::Garbled:
                keyboard_.InjectGarbledReply(fault_.sends);
                break;
            case Fault::WrongCommand:
                keyboard_.InjectWrongCommand(fault_.sends);
                break;
            case Fault::StatusFE:
                keyboard_.InjectStatus(0xFE, fault_.sends);
                break;
            case Fault::NoReply:
                keyboard_.InjectNoReply(fault_.sends);
                break;
        }
    }
    return ForwardingService::RequestWriteOne(key, data, length, unitId);
}

SweepRig::SweepRig(vkbd::VirtualKeyboardOptions options, double timeScale,
                   app::Environment environment)
    : keyboard(options) {
    session::SessionSource source{service, std::move(environment)};
    source.timing = device::TransactionTiming::Scaled(timeScale);
    // The test makes the folders it needs: every folder more costs its removal per run.
    source.makeUserFolders = false;
    session = std::make_unique<session::Session>(
        source, session::SessionWindows{prompter, window, window, view, window.lightingView(),
                                        window, host});
    EXPECT_EQ(session->IssueReadRequests(), 1);
}

SweepRig::~SweepRig() {
    session.reset();  // withdraws the read requests before the keyboard goes
}

void SweepRig::Heal() {
    service.Disarm();
    keyboard.ClearFaults();
    if (!keyboard.plugged()) {
        keyboard.Plug();
    }
    keyboard.WaitIdle();
    service.ResetCount();
}

}  // namespace qf::robustness

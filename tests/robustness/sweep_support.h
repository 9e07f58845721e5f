// Fault sweeps against the virtual keyboard: an operation is run once on a healthy keyboard to
// count the reports it sends, then once per report k and fault, with the fault armed just before
// report k: the keyboard unplugs, or the report gets a garbled reply, a reply to another
// command, status 0xFE or no reply, for that one send (the transaction's retry must absorb it)
// or for every send of the transaction (the operation must fail with the fault's code).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/paths.h"
#include "device/commands.h"
#include "device/device_service.h"
#include "device/result.h"
#include "device/services/virtual/virtual_keyboard.h"
#include "session/no_windows.h"
#include "session/session.h"
#include "support/profile_fakes.h"
#include "support/recording_prompter.h"
#include "support/session_setup.h"

namespace qf::robustness {

enum class Fault { Unplug, Garbled, WrongCommand, StatusFE, NoReply };

struct FaultCase {
    Fault fault = Fault::Unplug;
    // 1: one send of the transaction is hit; 3: every send of it.
    unsigned sends = 1;

    // The result a transaction hit by this fault gives: 1 when its retries absorb the fault.
    device::DeviceResult TransactionResult() const;
    std::string Name() const;
};

// Unplug; garbled, wrong command, status 0xFE and no reply once and on all three sends.
std::vector<FaultCase> AllFaultCases();

// A device service in front of the virtual keyboard that counts the control reports written
// and arms a fault on the keyboard just before report `k` (1-based) goes out.
class FaultAtReport final : public device::ForwardingService {
public:
    explicit FaultAtReport(vkbd::VirtualKeyboard& keyboard)
        : ForwardingService(&keyboard), keyboard_(keyboard) {}

    void Arm(unsigned k, FaultCase fault) {
        armedAt_ = k;
        fault_ = fault;
    }
    void Disarm() { armedAt_ = 0; }
    std::size_t writes() const { return writes_.load(); }
    void ResetCount() { writes_ = 0; }

    int RequestWriteOne(const QfRequestKey& key, const std::uint8_t* data, std::uint32_t length,
                        std::uint32_t unitId) override;

private:
    vkbd::VirtualKeyboard& keyboard_;
    std::atomic<std::size_t> writes_{0};
    unsigned armedAt_ = 0;
    FaultCase fault_;
};

// A virtual keyboard behind the counting service, with a session whose transaction waits are
// scaled so that a missing reply costs milliseconds (a late healthy reply still arrives well
// within). Its files are where `environment` says; with none, the session keeps no files.
struct SweepRig {
    explicit SweepRig(vkbd::VirtualKeyboardOptions options = {}, double timeScale = 0.05,
                      app::Environment environment = {});
    ~SweepRig();

    // Clears faults and the write count and plugs the keyboard in again.
    void Heal();

    device::DeviceCommands& commands() { return session->commands(); }

    vkbd::VirtualKeyboard keyboard;
    FaultAtReport service{keyboard};
    qf::testing::RecordingPrompter prompter;
    qf::testing::RecordingAssignmentView view;
    qf::testing::RecordingSwitchHost host;
    session::NoWindows window;
    std::unique_ptr<session::Session> session;
};

}  // namespace qf::robustness

// A lighting model over the virtual keyboard, a recording keyboard view, a temporary profile
// folder for the settings file, and the reports the keyboard received, decoded.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <span>
#include <vector>

#include "device/commands.h"
#include "device/device_link.h"
#include "device/services/virtual/virtual_keyboard.h"
#include "lighting/lighting_model.h"
#include "support/lighting_fakes.h"
#include "support/temp_folder.h"
#include "text/ini_file.h"

namespace qf::lighting::test {

using Bytes = std::vector<std::uint8_t>;
using device::Command;

// One control report as the keyboard received it; the data are the written bytes, for writes.
struct Request : vkbd::ReceivedRequest {
    bool Is(Command c) const { return command == static_cast<std::uint8_t>(c); }
};

// Everything the view was told, in order.
using ViewCall = qf::testing::LightingViewCall;
using RecordingView = qf::testing::RecordingLightingView;

// A device service in front of the virtual keyboard that refuses the writes of chosen commands
// (the transaction then fails with "write refused").
class RefusingService final : public device::ForwardingService {
public:
    explicit RefusingService(device::DeviceService& inner) : ForwardingService(&inner) {}
    std::set<std::uint8_t> refused;

    int RequestWriteOne(const QfRequestKey& key, const std::uint8_t* data, std::uint32_t length,
                        std::uint32_t unitId) override {
        if (data != nullptr && length > 3 && refused.count(data[3]) != 0) {
            return 0;
        }
        return ForwardingService::RequestWriteOne(key, data, length, unitId);
    }
};

class LightingTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(link.IssueReadRequests(), 1);
        std::filesystem::create_directories(settingsFile.parent_path());
    }

    // The control reports the keyboard received since the last ClearTrace.
    std::vector<Request> Requests() const;
    // Only the commands, in order.
    std::vector<Command> Commands() const;
    void ClearTrace() {
        vk.ClearTrace();
        view.calls.clear();
    }

    // Writes the keyboard's mode list (bytes 12..43 of its device info block).
    void SetKeyboardModes(std::initializer_list<std::uint8_t> codes);
    // Writes a lighting record of the keyboard.
    void SetKeyboardRecord(int profile, std::span<const std::uint8_t> bytes);
    Bytes KeyboardRecord(int profile) const;
    Bytes KeyboardColours(int profile) const;

    // Reads the state and clears the trace and the view, so that a test sees only its own
    // operation.
    void ReadAndClear(bool withZoneColours = true) {
        ASSERT_EQ(model.ReadLightingState(withZoneColours), LightingRead::Read);
        ClearTrace();
    }

    qf::testing::TempFolder folder;
    std::filesystem::path settingsFile = folder / "Quillfen_09A/mrgo.ini";
    vkbd::VirtualKeyboard vk;
    RefusingService service{vk};
    // Reply waits of 100 ms: short, yet long enough for a loaded machine to deliver a reply.
    device::DeviceLink link{service, device::TransactionTiming::Scaled(0.1)};
    RecordingView view;
    text::IniFiles files;
    LightingModel model{link.commands(), view, files, settingsFile};
};

}  // namespace qf::lighting::test

// The whole refresh path against the virtual keyboard: the session's device monitor, the fake
// window's thread, the session's window-side handlers, and behind them the real profile
// transfers and lighting model through the core adapters.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/window_messages.h"
#include "device/commands.h"
#include "device/services/virtual/virtual_keyboard.h"
#include "fake_window.h"
#include "keys/keymap_image.h"
#include "lighting/lighting_model.h"
#include "monitor/core_adapters.h"
#include "monitor/window_handlers.h"
#include "profiles/profile_store.h"
#include "profiles/transfers.h"
#include "session/session.h"
#include "support/keyboard_setup.h"
#include "support/monitor_fakes.h"
#include "support/profile_fakes.h"
#include "support/recording_prompter.h"
#include "support/session_setup.h"

namespace qf::monitor::test {
namespace {

using device::Command;
using Bytes = std::vector<std::uint8_t>;

// Esc: keymap position 8, key record 1.
constexpr std::size_t kEscPosition = 8;
constexpr std::size_t kEscRecord = 1;

// --- The window's parts, as far as the refresh reaches them ---

// The profile buttons, with the lighting model's current profile at the moment each was
// selected. The model is the session's, told once the session exists.
class ProfileButtons final : public DeviceWindowView {
public:
    void Watch(const lighting::LightingModel& model) { model_ = &model; }

    struct Selection {
        int profile;
        int modelProfile;
        bool operator==(const Selection&) const = default;
    };

    void SetGButtonAssigned(std::size_t, bool) override {}
    void SelectProfileButton(int profile) override {
        std::lock_guard lock(mutex_);
        selected_.push_back({profile, model_ != nullptr ? model_->state().currentProfile : -1});
    }
    void CloseEditors() override {
        std::lock_guard lock(mutex_);
        ++closes_;
    }
    std::vector<Selection> Selected() const {
        std::lock_guard lock(mutex_);
        return selected_;
    }
    int closes() const {
        std::lock_guard lock(mutex_);
        return closes_;
    }

private:
    const lighting::LightingModel* model_ = nullptr;
    mutable std::mutex mutex_;
    std::vector<Selection> selected_;
    int closes_ = 0;
};

// --- Reading the keyboard's trace ---

struct Request {
    Command command;
    std::uint8_t length;
    std::uint16_t address;
};

std::vector<Request> Requests(const vkbd::VirtualKeyboard& keyboard) {
    std::vector<Request> out;
    for (const vkbd::ReceivedRequest& r : keyboard.ReceivedRequests()) {
        out.push_back({static_cast<Command>(r.command), r.length, r.address});
    }
    return out;
}

std::size_t Count(const std::vector<Request>& requests, Command command) {
    return static_cast<std::size_t>(std::count_if(
        requests.begin(), requests.end(), [&](const Request& r) { return r.command == command; }));
}

// Position of the first request with `command`, or the size when there is none.
std::size_t FirstOf(const std::vector<Request>& requests, Command command) {
    const auto it = std::find_if(requests.begin(), requests.end(),
                                 [&](const Request& r) { return r.command == command; });
    return static_cast<std::size_t>(it - requests.begin());
}

// A lighting record that tells the profiles apart by mode, brightness and colour.
Bytes RecordFor(std::uint8_t mode, std::uint8_t brightness, lighting::Rgb colour) {
    Bytes record(lighting::kLightingRecordSize, 0);
    record[lighting::record::kMode] = mode;
    record[lighting::record::kBrightness] = brightness;
    record[lighting::record::kSpeed] = 2;
    record[lighting::record::kColour] = colour.r;
    record[lighting::record::kColour + 1] = colour.g;
    record[lighting::record::kColour + 2] = colour.b;
    return record;
}

class RefreshPathTest : public ::testing::Test {
protected:
    RefreshPathTest()
        : session(Source(), {prompter, window, bankView, picture, tints, buttons, apply}) {
        std::filesystem::create_directories(session.ProfileFolder());
        buttons.Watch(model);
        session.SetPanelRefresh([this] { panelModes.push_back(model.state().mode); });
    }

    void SetUp() override {
        // Modes 1, 5 and 8: the keyboard paints zones, so a full refresh reads the colours.
        SetKeyboardModes({1, 5, 8});
        SetKeyboardRecord(0, RecordFor(1, 4, {10, 0, 0}));
        SetKeyboardRecord(1, RecordFor(5, 3, {0, 20, 0}));
        SetKeyboardRecord(2, RecordFor(8, 2, {0, 0, 30}));

        window.SetHandlers(
            [this](std::uint32_t message, std::uint32_t tag) {
                return DeviceWindowHandlers::Handles(message)
                           ? session.handlers().OnMessage(message, tag)
                           : 1;
            },
            [this](std::uint32_t timerId) { (void)session.handlers().OnTimer(timerId); });
        window.SetReady(true);
        state.openedOnce.store(1);
        ASSERT_EQ(session.StartMonitor(), 1u);
        // The arrival's presence check has sent the first PROF.
        ASSERT_TRUE(window.WaitUntil([&] { return state.lastDeviceCount.load() == 1u; }));
        Settle();
        ASSERT_EQ(window.CountHandled(WindowEvent::Kind::Message, app::kMsgProf), 1u);
        keyboard.ClearTrace();
        ClearRecords();
    }

    void TearDown() override {
        session.StopMonitor();
        keyboard.WaitIdle();
        window.Close();
    }

    void Settle() {
        keyboard.WaitIdle();
        session.monitor().WaitIdle();
        window.RunOnWindowThread([] {});
        // A timer started by the last key event may have queued a send: let it run too.
        session.monitor().WaitIdle();
        window.RunOnWindowThread([] {});
    }

    void ClearRecords() {
        window.RunOnWindowThread([&] {
            panelModes.clear();
            traces.clear();
        });
    }

    // A full refresh sent by the window to itself, as the handlers see it.
    void SendProf() {
        int result = 0;
        window.RunOnWindowThread(
            [&] { result = window.SendMessage(app::kMsgProf, app::kTagProf); });
        ASSERT_EQ(result, 1);
    }

    void SetKeyboardModes(std::initializer_list<std::uint8_t> codes) {
        Bytes modes(lighting::kModeListSize, 0);
        std::copy(codes.begin(), codes.end(), modes.begin());
        keyboard.SetMemory(vkbd::Area::DeviceInfo, lighting::kModeListOffset, modes);
    }
    void SetKeyboardRecord(int profile, const Bytes& record) {
        keyboard.SetMemory(vkbd::Area::Settings,
                           lighting::LightingRecordAddress(static_cast<std::size_t>(profile)),
                           record);
    }
    void SetKeyboardColours(int profile, const Bytes& table) {
        keyboard.SetMemory(vkbd::Area::UserColours,
                           lighting::UserColourAddress(static_cast<std::size_t>(profile), 0),
                           table);
    }
    void SetKeyboardActiveProfile(std::uint8_t profile) {
        qf::testing::SetKeyboardProfile(keyboard, profile);
    }
    // Keymap block `block` of the keyboard: the defaults with Esc sending `usage`.
    void SetKeyboardEsc(unsigned block, std::uint8_t usage) {
        keys::KeymapImage image = keys::kBuiltinDefaultKeymap;
        keys::SetKeymapEntry(image, kEscPosition, {2, 2, usage});
        keyboard.SetMemory(vkbd::Area::KeymapBlocks, block * keys::kKeymapImageSize, image);
    }
    keys::KeyRecord StoreRecord(std::size_t block, std::size_t record) {
        auto access = store.Lock();
        return access->BlockRecord(block, record);
    }
    // The lighting state, read on the window thread that owns it.
    lighting::LightingState Lighting() {
        lighting::LightingState copy;
        window.RunOnWindowThread([&] { copy = model.state(); });
        return copy;
    }

    session::SessionSource Source() {
        session::SessionSource source{keyboard, home.Environment()};
        // Short transaction waits: a reply that never comes costs milliseconds, not seconds.
        source.timing = device::TransactionTiming::Scaled(0.05);
        source.monitorTiming.readyPoll = std::chrono::milliseconds(1);
        source.trace = [this](std::string_view text) { traces.emplace_back(text); };
        // Only the profile folder is made (above): every folder more costs its removal per test.
        source.makeUserFolders = false;
        return source;
    }

    qf::testing::TempHome home;
    FakeWindow window;
    vkbd::VirtualKeyboard keyboard;
    qf::testing::RecordingPrompter prompter;
    qf::testing::RecordingBankView bankView;
    qf::testing::RecordingAssignmentView picture;
    lighting::NoLightingView tints;
    ProfileButtons buttons;
    // The main window's Apply command (window thread and test thread, ordered by its queue).
    qf::testing::RecordingSwitchHost apply;

    // The lighting panel: the mode it shows after each refresh (window thread only).
    std::vector<int> panelModes;
    std::vector<std::string> traces;  // window thread only

    session::Session session;
    app::AppState& state = session.appState();
    profiles::ProfileStore& store = session.store();
    profiles::ProfileTransfers& transfers = session.transfers();
    lighting::LightingModel& model = session.lighting();
    CurrentProfileView& view = session.currentProfileView();
};

// What every full refresh must have done, whichever way it was asked for: the store reloaded
// from the keyboard, the active profile's button selected with the lighting model already on
// that profile, the lighting re-read with the zone colours of all three profiles and the panel
// refreshed from it.
void ExpectFullRefresh(const std::vector<Request>& requests) {
    EXPECT_GT(Count(requests, Command::ReadKeymapBlock), 0u);
    EXPECT_EQ(Count(requests, Command::ReadUserColours), 3u);
    EXPECT_EQ(Count(requests, Command::ReadSettings), 3u);
    std::vector<std::uint16_t> colourAddresses;
    for (const Request& r : requests) {
        if (r.command == Command::ReadUserColours) {
            EXPECT_EQ(r.length, lighting::kZoneColourTableSize);
            colourAddresses.push_back(r.address);
        }
    }
    EXPECT_EQ(colourAddresses, (std::vector<std::uint16_t>{0, 36, 72}));
    // The store is reloaded before the lighting is read.
    EXPECT_LT(FirstOf(requests, Command::ReadKeymapBlock),
              FirstOf(requests, Command::ReadSettings));
    EXPECT_LT(FirstOf(requests, Command::ReadKeymapBlock),
              FirstOf(requests, Command::ReadUserColours));
}

TEST_F(RefreshPathTest, ArrivalRefreshShowsTheKeyboardsActiveProfile) {
    // Set up by the arrival's PROF: profile 0 is active on a factory keyboard.
    const lighting::LightingState lit = Lighting();
    EXPECT_EQ(lit.currentProfile, 0);
    EXPECT_EQ(lit.mode, 1);
    EXPECT_EQ(lit.brightness, 4);
    EXPECT_EQ(buttons.Selected(), (std::vector<ProfileButtons::Selection>{{0, 0}}));
    EXPECT_EQ(state.activeProfile.load(), 0);
}

TEST_F(RefreshPathTest, ProfRefreshesStoreProfileAndLighting) {
    SetKeyboardEsc(1, 0x04);  // Esc sends "A" in profile 1
    SetKeyboardActiveProfile(1);
    Bytes colours(lighting::kZoneColourTableSize);
    for (std::size_t i = 0; i < colours.size(); ++i) {
        colours[i] = static_cast<std::uint8_t>(100 + i);
    }
    SetKeyboardColours(1, colours);
    ASSERT_EQ(StoreRecord(1, kEscRecord).kind, 0);
    window.RunOnWindowThread([&] { apply.unapplied = true; });

    SendProf();

    EXPECT_EQ(StoreRecord(1, kEscRecord), (keys::KeyRecord{2, 0, 0x01E, 0, 0}));
    EXPECT_TRUE(std::filesystem::exists(transfers.CachePath()));
    bool unapplied = true;
    window.RunOnWindowThread([&] { unapplied = apply.unapplied; });
    EXPECT_FALSE(unapplied);  // not a quiet load

    // The button of profile 1, with the model already on profile 1 when it was selected.
    EXPECT_EQ(buttons.Selected().back(), (ProfileButtons::Selection{1, 1}));
    const lighting::LightingState lit = Lighting();
    EXPECT_EQ(lit.currentProfile, 1);
    EXPECT_EQ(lit.mode, 5);
    EXPECT_EQ(lit.brightness, 3);
    EXPECT_EQ(lit.colour, (lighting::Rgb{0, 20, 0}));
    EXPECT_TRUE(std::equal(colours.begin(), colours.end(), lit.zoneColours[1].bytes.begin()));

    ExpectFullRefresh(Requests(keyboard));
    window.RunOnWindowThread([&] {
        EXPECT_EQ(panelModes, std::vector<int>{5});
        EXPECT_EQ(traces, std::vector<std::string>{"profile saem"});
    });
}

TEST_F(RefreshPathTest, KeyboardWithoutZoneModeGetsNoColourRead) {
    SetKeyboardModes({1, 5});
    SendProf();
    const std::vector<Request> requests = Requests(keyboard);
    EXPECT_EQ(Count(requests, Command::ReadUserColours), 0u);
    EXPECT_EQ(Count(requests, Command::ReadSettings), 3u);
    EXPECT_GT(Count(requests, Command::ReadKeymapBlock), 0u);
}

TEST_F(RefreshPathTest, LightingCodeRereadsLightingOnly) {
    SetKeyboardEsc(1, 0x04);
    SetKeyboardRecord(0, RecordFor(7, 1, {1, 2, 3}));
    SetKeyboardActiveProfile(2);  // only a full refresh looks at it

    keyboard.PressConsumerCode(kCodeLightingChanged);
    Settle();

    EXPECT_EQ(window.CountHandled(WindowEvent::Kind::Timer, app::kTimerRereadLighting), 1u);
    const std::vector<Request> requests = Requests(keyboard);
    EXPECT_EQ(Count(requests, Command::ReadUserColours), 0u);
    EXPECT_EQ(Count(requests, Command::ReadSettings), 3u);
    EXPECT_EQ(Count(requests, Command::ReadKeymapBlock), 0u);
    EXPECT_EQ(Count(requests, Command::ReadMacroArea), 0u);
    EXPECT_EQ(window.CountHandled(WindowEvent::Kind::Message, app::kMsgProf), 1u);  // arrival's

    // The store keeps what it had; the lighting shows the new record of the same profile.
    EXPECT_EQ(StoreRecord(1, kEscRecord).kind, 0);
    const lighting::LightingState lit = Lighting();
    EXPECT_EQ(lit.currentProfile, 0);
    EXPECT_EQ(lit.mode, 7);
    EXPECT_EQ(lit.colour, (lighting::Rgb{1, 2, 3}));
    EXPECT_EQ(buttons.Selected().size(), 1u);  // the arrival's selection only
    window.RunOnWindowThread([&] {
        EXPECT_EQ(panelModes, std::vector<int>{7});
        EXPECT_TRUE(traces.empty());
    });
}

TEST_F(RefreshPathTest, KeyboardCodeRunsTheFullRefresh) {
    SetKeyboardEsc(1, 0x05);  // "B"
    SetKeyboardActiveProfile(2);

    keyboard.PressConsumerCode(kCodeKeyboardChanged);
    Settle();

    EXPECT_EQ(window.CountHandled(WindowEvent::Kind::Timer, app::kTimerRereadKeyboard), 1u);
    EXPECT_EQ(window.CountHandled(WindowEvent::Kind::Message, app::kMsgProf), 2u);
    EXPECT_EQ(StoreRecord(1, kEscRecord), (keys::KeyRecord{2, 0, 0x030, 0, 0}));
    EXPECT_EQ(buttons.Selected().back(), (ProfileButtons::Selection{2, 2}));
    ExpectFullRefresh(Requests(keyboard));
    window.RunOnWindowThread([&] {
        EXPECT_EQ(panelModes, std::vector<int>{8});
        EXPECT_EQ(traces, std::vector<std::string>{"profile saem"});
    });
}

// The profile made active on the keyboard is the one whose lighting record the refresh
// decodes, whichever profile was shown before.
TEST_F(RefreshPathTest, ActiveProfileChangeDecodesThatProfilesRecord) {
    SetKeyboardActiveProfile(1);
    SendProf();
    ASSERT_EQ(Lighting().currentProfile, 1);

    SetKeyboardActiveProfile(2);
    SetKeyboardRecord(2, RecordFor(8, 0, {7, 8, 9}));
    keyboard.PressConsumerCode(kCodeKeyboardChanged);
    Settle();

    const lighting::LightingState lit = Lighting();
    EXPECT_EQ(lit.currentProfile, 2);
    EXPECT_EQ(lit.mode, 8);
    EXPECT_EQ(lit.brightness, 0);
    EXPECT_EQ(lit.colour, (lighting::Rgb{7, 8, 9}));
    EXPECT_EQ(state.activeProfile.load(), 2);
    EXPECT_EQ(buttons.Selected().back(), (ProfileButtons::Selection{2, 2}));
}

// A profile the keyboard reports but cannot hold (byte 10 above 2) selects nothing: the
// lighting is re-read for the profile shown before.
TEST_F(RefreshPathTest, ProfileOutsideTheBoardKeepsTheShownProfile) {
    SetKeyboardActiveProfile(1);
    SendProf();
    SetKeyboardActiveProfile(3);
    SetKeyboardRecord(1, RecordFor(5, 1, {4, 4, 4}));
    const std::size_t selections = buttons.Selected().size();

    SendProf();

    EXPECT_EQ(buttons.Selected().size(), selections);
    const lighting::LightingState lit = Lighting();
    EXPECT_EQ(lit.currentProfile, 1);
    EXPECT_EQ(lit.brightness, 1);
    EXPECT_EQ(lit.colour, (lighting::Rgb{4, 4, 4}));
}

TEST_F(RefreshPathTest, ViewRefusesProfilesTheModelCannotShow) {
    window.RunOnWindowThread([&] {
        view.SelectProfileButton(2);
        view.SelectProfileButton(3);
        view.SelectProfileButton(-1);
    });
    EXPECT_EQ(buttons.Selected().back(), (ProfileButtons::Selection{2, 2}));
    EXPECT_EQ(buttons.Selected().size(), 2u);  // the arrival's and profile 2
    EXPECT_EQ(Lighting().currentProfile, 2);

    window.RunOnWindowThread([&] { view.CloseEditors(); });
    EXPECT_EQ(buttons.closes(), 1);
}

}  // namespace
}  // namespace qf::monitor::test

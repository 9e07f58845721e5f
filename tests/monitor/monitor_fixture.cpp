#include "monitor_fixture.h"

#include "app/window_messages.h"
#include "support/keyboard_setup.h"

namespace qf::monitor::test {

void MonitorTest::Start(StartOptions options) {
    vkbd::VirtualKeyboardOptions keyboardOptions;
    keyboardOptions.plugged = options.plugged;
    keyboard = std::make_unique<vkbd::VirtualKeyboard>(keyboardOptions);
    if (options.prepare) {
        options.prepare(*keyboard);
    }
    // No home folder: the monitor keeps no files. Short transaction waits: a reply that never
    // comes costs milliseconds, not seconds.
    session::SessionSource source{*keyboard, {}};
    source.timing = device::TransactionTiming::Scaled(0.05);
    source.monitorTiming.readyPoll = std::chrono::milliseconds(1);
    session = std::make_unique<session::Session>(
        source, session::SessionWindows{prompter, window, bankView, assignmentView, tints,
                                        windowView, host});
    refresh = std::make_unique<KeyboardRefreshOverLink>(session->commands(), state(), calls);
    handlers = std::make_unique<DeviceWindowHandlers>(WindowHandlerDependencies{
        .window = window,
        .store = session->store(),
        .ledStatus = led(),
        .view = windowView,
        .keyboard = *refresh,
        .lighting = &lighting,
        .trace = [this](std::string_view text) { traces.emplace_back(text); },
    });
    window.SetHandlers(
        [this](std::uint32_t message, std::uint32_t tag) {
            return DeviceWindowHandlers::Handles(message) ? handlers->OnMessage(message, tag) : 1;
        },
        [this](std::uint32_t timerId) { (void)handlers->OnTimer(timerId); });
    window.SetReady(options.ready);
    state().openedOnce.store(options.openedOnce ? 1 : 0);
    (void)session->StartMonitor();
}

void MonitorTest::TearDown() {
    if (session) {
        session->StopMonitor();
    }
    if (keyboard) {
        keyboard->WaitIdle();  // a delivery that began before Stop has ended
    }
    window.Close();
    handlers.reset();
    refresh.reset();
    session.reset();
    keyboard.reset();
}

void MonitorTest::Settle() {
    keyboard->WaitIdle();
    monitor().WaitIdle();
    window.RunOnWindowThread([] {});
    // A timer started by the last key event may have queued a send: let it run too.
    monitor().WaitIdle();
    window.RunOnWindowThread([] {});
}

void MonitorTest::SetStoreRecord(std::size_t profile, std::size_t record, std::uint16_t kind) {
    auto access = session->store().Lock();
    keys::KeyRecord r = access->BlockRecord(profile, record);
    r.kind = kind;
    ASSERT_TRUE(access->SetBlockRecord(profile, record, r));
}

void SetActiveProfile(vkbd::VirtualKeyboard& keyboard, std::uint8_t profile) {
    qf::testing::SetKeyboardProfile(keyboard, profile);
}

}  // namespace qf::monitor::test

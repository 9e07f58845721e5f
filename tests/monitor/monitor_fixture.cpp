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
    // Short transaction waits: a reply that never comes costs milliseconds, not seconds.
    link = std::make_unique<device::DeviceLink>(*keyboard, device::TransactionTiming::Scaled(0.05));
    refresh = std::make_unique<KeyboardRefreshOverLink>(link->commands(), state, calls);
    handlers = std::make_unique<DeviceWindowHandlers>(WindowHandlerDependencies{
        .window = window,
        .store = store,
        .ledStatus = led,
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
    state.openedOnce.store(options.openedOnce ? 1 : 0);

    monitor = std::make_unique<DeviceMonitor>(
        MonitorDependencies{
            .link = *link,
            .appState = state,
            .window = window,
            .ledStatus = led,
            .bankView = bankView,
            .defaultKeymap = defaultKeymap,
            .prompter = prompter,
            .language = language,
        },
        MonitorTiming{.readyPoll = std::chrono::milliseconds(1)});
    (void)monitor->Start();
}

void MonitorTest::TearDown() {
    if (monitor) {
        monitor->Stop();
    }
    if (keyboard) {
        keyboard->WaitIdle();  // a delivery that began before Stop has ended
    }
    window.Close();
    monitor.reset();
    link.reset();
    keyboard.reset();
}

void MonitorTest::Settle() {
    keyboard->WaitIdle();
    monitor->WaitIdle();
    window.RunOnWindowThread([] {});
    // A timer started by the last key event may have queued a send: let it run too.
    monitor->WaitIdle();
    window.RunOnWindowThread([] {});
}

void MonitorTest::SetStoreRecord(std::size_t profile, std::size_t record, std::uint16_t kind) {
    auto access = store.Lock();
    keys::KeyRecord r = access->BlockRecord(profile, record);
    r.kind = kind;
    ASSERT_TRUE(access->SetBlockRecord(profile, record, r));
}

void SetActiveProfile(vkbd::VirtualKeyboard& keyboard, std::uint8_t profile) {
    qf::testing::SetKeyboardProfile(keyboard, profile);
}

}  // namespace qf::monitor::test

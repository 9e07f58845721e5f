// A session for tests: a home folder of its own under the temporary folder, and window-side
// objects that take every call and do nothing, for the tests that never run the monitor. Header
// only: the tests that use it link qf_session.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "app/main_window_link.h"
#include "app/paths.h"
#include "lighting/lighting_model.h"
#include "monitor/led_status.h"
#include "monitor/monitor_views.h"
#include "session/session.h"
#include "support/temp_folder.h"

namespace qf::testing {

// HOME and XDG_CONFIG_HOME inside a fresh temporary folder; no executable, so no install
// folder (no language file, no skins). The session makes the profile folder inside it.
class TempHome {
public:
    [[nodiscard]] app::Environment Environment() const {
        app::Environment env;
        const std::filesystem::path home = home_.Path();
        env.variable = [home](std::string_view name) -> std::optional<std::string> {
            if (name == "HOME") {
                return home.string();
            }
            if (name == "XDG_CONFIG_HOME") {
                return (home / "config").string();
            }
            return std::nullopt;
        };
        return env;
    }
    [[nodiscard]] const TempFolder& folder() const { return home_; }

private:
    TempFolder home_;
};

// The main window link, the bank indicator and the profile buttons of a program without
// windows: nothing is ready, nothing is shown.
class NoWindow final : public app::MainWindowLink,
                       public monitor::BankView,
                       public monitor::DeviceWindowView {
public:
    int SendMessage(std::uint32_t, std::uint32_t) override { return 0; }
    void PostMessage(std::uint32_t, std::uint32_t) override {}
    void StartTimer(std::uint32_t, std::uint32_t) override {}
    void SetTrayIcon(int) override {}
    bool IsReady() const override { return false; }
    void HideWindow() override {}

    void ShowBankIndicator(bool) override {}
    void SetGButtonLabel(std::size_t, std::string_view) override {}

    void SetGButtonAssigned(std::size_t, bool) override {}
    void SelectProfileButton(int) override {}
    void CloseEditors() override {}

    lighting::NoLightingView lighting;
};

// Sets the LED word's key bank to B or A.
inline void SetBankB(monitor::LedStatusWord& led, bool bankB) {
    if (led.BankB() != bankB) {
        (void)led.FlipBank();
    }
}

}  // namespace qf::testing

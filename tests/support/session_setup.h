// A session for tests: a home folder of its own under the temporary folder (the window side
// that shows nothing is session::NoWindows). Header only: the tests that use it link qf_session.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "app/paths.h"
#include "monitor/led_status.h"
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

// Sets the LED word's key bank to B or A.
inline void SetBankB(monitor::LedStatusWord& led, bool bankB) {
    if (led.BankB() != bankB) {
        (void)led.FlipBank();
    }
}

}  // namespace qf::testing

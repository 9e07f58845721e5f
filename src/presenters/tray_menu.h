// The notification-area icon's side of the program, without Qt: its tooltip, its menu (built
// afresh each time it opens, with the texts the language file holds at that moment), which
// mouse activation opens the main window, and the icon it shows.
//
// Opening by mouse: a double click opens the window (command 32771). StatusNotifierItem hosts
// (KDE Plasma, GNOME with the AppIndicator extension) send a single "Activate" and never a
// double click, so there a single click opens the window as well; XEmbed trays (the
// freedesktop system tray protocol) keep the double click alone.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/window_messages.h"
#include "presenters/commands.h"
#include "text/language.h"

namespace qf::presenters {

// How the icon was activated (Qt's QSystemTrayIcon::ActivationReason, named for this program).
enum class TrayActivation {
    Trigger,      // a single click (an SNI host's "Activate")
    DoubleClick,  //
    Context,      // the menu is about to open
    MiddleClick,  //
    Unknown,
};

// The command an activation runs (kCmdOpen), or nothing. `sniWatcherPresent`: a
// StatusNotifierItem watcher is registered on the session bus.
[[nodiscard]] std::optional<std::uint32_t> TrayActivationCommand(TrayActivation activation,
                                                                 bool sniWatcherPresent);

class TrayMenuPresenter {
public:
    TrayMenuPresenter(text::LanguageTable& language, std::filesystem::path languageFile)
        : language_(language), languageFile_(std::move(languageFile)) {}

    // The tooltip: the text of KEYBOARD_TRAY_DESC (loaded with the message texts at start).
    [[nodiscard]] std::string Tooltip() const;

    // Reloads the menu's texts from the language file and returns Open (the default entry),
    // About and Exit, in that order. A key missing from the file gives an empty text.
    [[nodiscard]] std::vector<MenuItem> BuildMenu();

    // The icon shown. The icon is created with 128; before it exists, after it is removed and
    // when creating it failed, every picture request does nothing.
    void OnIconCreated(bool created);
    void OnIconRemoved();
    // The picture to put on the icon now for a request to show `iconId`, or nothing (no icon,
    // or it already shows that picture).
    [[nodiscard]] std::optional<int> SetIcon(int iconId);
    [[nodiscard]] int currentIcon() const { return current_; }
    [[nodiscard]] bool iconExists() const { return exists_; }

private:
    text::LanguageTable& language_;
    std::filesystem::path languageFile_;
    int current_ = app::kIconNoKeyboard;
    bool exists_ = false;
};

}  // namespace qf::presenters

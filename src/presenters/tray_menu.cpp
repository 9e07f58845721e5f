#include "presenters/tray_menu.h"

#include "text/language_keys.h"

namespace qf::presenters {

std::optional<std::uint32_t> TrayActivationCommand(TrayActivation activation,
                                                   bool sniWatcherPresent) {
    switch (activation) {
        case TrayActivation::DoubleClick:
            return kCmdOpen;
        case TrayActivation::Trigger:
            if (sniWatcherPresent) {
                return kCmdOpen;
            }
            return std::nullopt;
        case TrayActivation::Context:
        case TrayActivation::MiddleClick:
        case TrayActivation::Unknown:
            break;
    }
    return std::nullopt;
}

std::string TrayMenuPresenter::Tooltip() const {
    return language_.Text(text::TextId::KEYBOARD_TRAY_DESC);
}

std::vector<MenuItem> TrayMenuPresenter::BuildMenu() {
    (void)language_.Load(text::TextLoader::TrayMenu, languageFile_);
    return {
        {kCmdOpen, language_.Text(text::TextId::MENU_11), true, false},
        {kCmdAbout, language_.Text(text::TextId::MENU_22), false, false},
        {kCmdExit, language_.Text(text::TextId::MENU_33), false, false},
    };
}

void TrayMenuPresenter::OnIconCreated(bool created) {
    exists_ = created;
    current_ = app::kIconNoKeyboard;
}

void TrayMenuPresenter::OnIconRemoved() {
    exists_ = false;
}

std::optional<int> TrayMenuPresenter::SetIcon(int iconId) {
    if (!exists_ || iconId == current_) {
        return std::nullopt;
    }
    current_ = iconId;
    return iconId;
}

}  // namespace qf::presenters

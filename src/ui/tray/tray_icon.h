// The program's notification-area icon on QSystemTrayIcon: created with its tooltip and picture,
// its menu built afresh from the language file each time it opens, its pictures changed on the
// GUI thread only, and removed at the end so that no stale icon stays behind.
//
//   TrayIcon tray(menuPresenter, [&](std::uint32_t command) { presenter.OnCommand(command); });
//   bool shown = tray.Create(tooltip, app::kIconNoKeyboard);   // at INIT
//   tray.SetIcon(app::kIconKeyboard);                           // from the window link
//   tray.Remove();                                              // at the end
//
// A notification area that appears after the icon was made (the tray host started later than
// the program) or goes away is reported through availabilityChanged.
#pragma once

#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "presenters/tray_menu.h"

namespace qf::ui {

// Our own pictures for the icon ids of the device layer: 128 no keyboard, 141 keyboard present,
// 142 busy. Unknown ids give the no-keyboard picture.
[[nodiscard]] QIcon TrayPicture(int iconId);

// Whether a StatusNotifierItem watcher is registered on the session bus (KDE Plasma, GNOME with
// the AppIndicator extension): such hosts send single clicks only.
[[nodiscard]] bool StatusNotifierWatcherPresent();

class TrayIcon final : public QObject {
    Q_OBJECT
public:
    using CommandHandler = std::function<void(std::uint32_t command)>;

    // `menu` outlives the icon. Chosen menu entries and opening activations go to `onCommand`;
    // `beforeMenu` runs before the menu opens (the main window raises itself).
    TrayIcon(presenters::TrayMenuPresenter& menu, CommandHandler onCommand,
             std::function<void()> beforeMenu = {}, QObject* parent = nullptr);
    ~TrayIcon() override;

    // Makes the icon with its tooltip and picture. True when a notification area shows it.
    bool Create(std::string_view tooltip, int iconId);
    // Shows `iconId` when the icon exists and does not show it already.
    void SetIcon(int iconId);
    void Remove();

    [[nodiscard]] bool exists() const { return icon_ != nullptr; }
    [[nodiscard]] bool available() const { return available_; }
    [[nodiscard]] int currentIcon() const { return menu_.currentIcon(); }
    [[nodiscard]] QSystemTrayIcon* icon() const { return icon_.get(); }
    [[nodiscard]] QMenu* contextMenu() const { return contextMenu_.get(); }

signals:
    void availabilityChanged(bool available);

private:
    void FillMenu();
    void OnActivated(QSystemTrayIcon::ActivationReason reason);
    void CheckAvailability();

    presenters::TrayMenuPresenter& menu_;
    CommandHandler onCommand_;
    std::function<void()> beforeMenu_;
    std::unique_ptr<QMenu> contextMenu_;
    std::unique_ptr<QSystemTrayIcon> icon_;
    QTimer availabilityPoll_;
    bool available_ = false;
    bool sniHost_ = false;
};

}  // namespace qf::ui

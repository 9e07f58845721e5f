#include "ui/tray/tray_icon.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QImageReader>
#include <QPixmap>

#include "app/window_messages.h"

// The pictures are compiled into this library; a static library's resources are registered by
// hand, once, before the first picture is made.
static void RegisterTrayPictures() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(tray_icons);
        return true;
    }();
    (void)registered;
}

namespace qf::ui {

namespace {

// How often a missing notification area is looked for again: a tray host started after the
// program (the session's autostart order is not fixed) is then found within this time.
constexpr int kAvailabilityPollMs = 2000;

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

presenters::TrayActivation ActivationOf(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
        case QSystemTrayIcon::Trigger:
            return presenters::TrayActivation::Trigger;
        case QSystemTrayIcon::DoubleClick:
            return presenters::TrayActivation::DoubleClick;
        case QSystemTrayIcon::Context:
            return presenters::TrayActivation::Context;
        case QSystemTrayIcon::MiddleClick:
            return presenters::TrayActivation::MiddleClick;
        default:
            return presenters::TrayActivation::Unknown;
    }
}

// Our PNG pictures, read as PNG and nothing else: a reader left to detect the format asks every
// image plugin whether it can read the file, and loading them all costs a start into the
// notification area a few milliseconds.
QIcon Png(const QString& file) {
    QImageReader reader(file, "png");
    reader.setAutoDetectImageFormat(false);
    return QIcon(QPixmap::fromImage(reader.read()));
}

}  // namespace

QIcon TrayPicture(int iconId) {
    RegisterTrayPictures();
    switch (iconId) {
        case app::kIconKeyboardPresent:
            return Png(QStringLiteral(":/quillfen/tray-141.png"));
        case app::kIconAlternate:
            return Png(QStringLiteral(":/quillfen/tray-142.png"));
        default:
            return Png(QStringLiteral(":/quillfen/tray-128.png"));
    }
}

bool StatusNotifierWatcherPresent() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || bus.interface() == nullptr) {
        return false;
    }
    return bus.interface()->isServiceRegistered(QStringLiteral("org.kde.StatusNotifierWatcher"));
}

TrayIcon::TrayIcon(presenters::TrayMenuPresenter& menu, CommandHandler onCommand,
                   std::function<void()> beforeMenu, QObject* parent)
    : QObject(parent),
      menu_(menu),
      onCommand_(std::move(onCommand)),
      beforeMenu_(std::move(beforeMenu)) {
    availabilityPoll_.setInterval(kAvailabilityPollMs);
    connect(&availabilityPoll_, &QTimer::timeout, this, &TrayIcon::CheckAvailability);
}

TrayIcon::~TrayIcon() {
    Remove();
}

bool TrayIcon::Create(std::string_view tooltip, int iconId) {
    if (icon_) {
        return available_;
    }
    sniHost_ = StatusNotifierWatcherPresent();
    contextMenu_ = std::make_unique<QMenu>();
    // The texts are read from the language file each time the menu opens.
    connect(contextMenu_.get(), &QMenu::aboutToShow, this, &TrayIcon::FillMenu);
    FillMenu();

    icon_ = std::make_unique<QSystemTrayIcon>();
    icon_->setToolTip(Q(tooltip));
    icon_->setContextMenu(contextMenu_.get());
    connect(icon_.get(), &QSystemTrayIcon::activated, this, &TrayIcon::OnActivated);
    menu_.OnIconCreated(true);
    if (const std::optional<int> picture = menu_.SetIcon(iconId)) {
        icon_->setIcon(TrayPicture(*picture));
    } else {
        icon_->setIcon(TrayPicture(menu_.currentIcon()));
    }
    icon_->show();
    available_ = QSystemTrayIcon::isSystemTrayAvailable();
    // Qt may report a tray before its host has docked anything, and a host may start later or
    // go away: keep looking.
    availabilityPoll_.start();
    return available_;
}

void TrayIcon::SetIcon(int iconId) {
    if (!icon_) {
        return;
    }
    if (const std::optional<int> picture = menu_.SetIcon(iconId)) {
        icon_->setIcon(TrayPicture(*picture));
    }
}

void TrayIcon::Remove() {
    availabilityPoll_.stop();
    if (icon_) {
        icon_->hide();
        icon_.reset();
        menu_.OnIconRemoved();
    }
    contextMenu_.reset();
}

void TrayIcon::FillMenu() {
    if (beforeMenu_) {
        beforeMenu_();
    }
    contextMenu_->clear();
    for (const presenters::MenuItem& item : menu_.BuildMenu()) {
        QAction* action = contextMenu_->addAction(Q(item.text));
        const std::uint32_t command = item.commandId;
        connect(action, &QAction::triggered, this, [this, command] {
            if (onCommand_) {
                onCommand_(command);
            }
        });
        if (item.isDefault) {
            QFont bold = action->font();
            bold.setBold(true);
            action->setFont(bold);
            contextMenu_->setDefaultAction(action);
        }
    }
}

void TrayIcon::OnActivated(QSystemTrayIcon::ActivationReason reason) {
    const std::optional<std::uint32_t> command =
        presenters::TrayActivationCommand(ActivationOf(reason), sniHost_);
    if (command && onCommand_) {
        onCommand_(*command);
    }
}

void TrayIcon::CheckAvailability() {
    const bool now = QSystemTrayIcon::isSystemTrayAvailable();
    if (now == available_) {
        return;
    }
    available_ = now;
    if (now && icon_) {
        icon_->show();  // docks in the new host
    }
    emit availabilityChanged(now);
}

}  // namespace qf::ui

#include "ui/main/main_window.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLoggingCategory>
#include <QMenu>
#include <QMessageBox>
#include <QUrl>
#include <algorithm>
#include <cstdio>

#include "app/window_messages.h"
#include "presenters/editor_model.h"
#include "presenters/key_filter.h"
#include "presenters/keyboard_buttons.h"
#include "text/skin_keys.h"
#include "text/skin_layout.h"
#include "ui/editor/assignment_editor_dialog.h"
#include "ui/editor/keyboard_grab.h"
#include "ui/profiles/profile_manager_dialog.h"
#include "ui/skin/control_palette.h"
#include "ui/tray/tray_icon.h"

Q_LOGGING_CATEGORY(lcMainWindow, "quillfen.window", QtWarningMsg)

namespace qf::ui {

namespace skin = text::skin;
using namespace presenters;

namespace {

// A dialog of ours is on screen (the main window, the editor, the profile manager or a box). The
// tray icon's own window is not a dialog and never counts.
bool AnyWindowShown() {
    const QWidgetList windows = QApplication::topLevelWidgets();
    return std::any_of(windows.begin(), windows.end(), [](const QWidget* window) {
        return window->isVisible() && qobject_cast<const QDialog*>(window) != nullptr;
    });
}

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The window's own buttons: control id, layout key, caption style.
enum class Caption { None, Profiles, Plain, Version };
enum class Faces { Plain, Apply, Link, Version, Profile };

struct WindowButton {
    std::uint32_t id;
    std::string_view key;
    Caption caption;
    Faces faces;
};

constexpr std::array<WindowButton, 15> kWindowButtons = {{
    {kCtlProfiles, skin::FUNC_PROFILES, Caption::Profiles, Faces::Plain},
    {kCtlMacro, skin::FUNC_MACRO, Caption::Plain, Faces::Plain},
    {kCtlOk, skin::CONTROL_OK, Caption::Plain, Faces::Plain},
    {kCtlCancel, skin::CONTROL_CANCEL, Caption::Plain, Faces::Plain},
    {kCtlApply, skin::CONTROL2_APPLY, Caption::Plain, Faces::Apply},
    {kCtlHelp, skin::CONTROL_HELP, Caption::None, Faces::Plain},
    {kCtlMinimize, skin::CONTROL_MINIMIZE, Caption::None, Faces::Plain},
    {kCtlMenu, skin::CONTROL_MENU, Caption::None, Faces::Plain},
    {kCtlClose, skin::CONTROL_CLOSE, Caption::None, Faces::Plain},
    {kCtlLink, skin::ZORVAT_LINK, Caption::None, Faces::Link},
    {kCtlVersion, skin::ZORVAT_VER, Caption::Version, Faces::Version},
    {kCtlProfile1, skin::FUNC_PROFILE1, Caption::Plain, Faces::Profile},
    {kCtlProfile1 + 1, skin::FUNC_PROFILE2, Caption::Plain, Faces::Profile},
    {kCtlProfile1 + 2, skin::FUNC_PROFILE3, Caption::Plain, Faces::Profile},
    {kCtlDefault, skin::FUNC_DEFAULT, Caption::Plain, Faces::Profile},
}};

constexpr QRgb kLightCaption = 0xFFE4E4E4;

WindowKey WindowKeyOf(int key) {
    switch (key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return WindowKey::Enter;
        case Qt::Key_Escape:
            return WindowKey::Escape;
        case Qt::Key_Up:
            return WindowKey::Up;
        case Qt::Key_Down:
            return WindowKey::Down;
        case Qt::Key_Left:
            return WindowKey::Left;
        case Qt::Key_Right:
            return WindowKey::Right;
        case Qt::Key_F1:
            return WindowKey::F1;
        default:
            return WindowKey::Other;
    }
}

QString DialogFilter(const FileDialogSpec& spec) {
    return Q(spec.filter);
}

}  // namespace

// ---- File dialogs ----

std::optional<std::filesystem::path> QtFileChooser::ChooseOpenFile(const FileDialogSpec& spec) {
    const QString file =
        QFileDialog::getOpenFileName(parent_, QString(), QString(), DialogFilter(spec));
    if (file.isEmpty()) {
        return std::nullopt;
    }
    return std::filesystem::path(file.toStdString());
}

std::optional<std::filesystem::path> QtFileChooser::ChooseSaveFile(const FileDialogSpec& spec) {
    QFileDialog dialog(parent_, QString(), QString(), DialogFilter(spec));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(Q(spec.defaultSuffix));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !spec.confirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return std::filesystem::path(dialog.selectedFiles().front().toStdString());
}

// ---- The window ----

MainWindow::MainWindow(MainWindowParts parts)
    : KeyboardViewDialog(parts.session.install().mainSkin.file, parts.pictures,
                         parts.session.install().installFolder),
      parts_(parts),
      session_(parts.session) {
    const app::InstallPaths& install = session_.install();
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    // The plain controls (the effect and user-mode lists, the meter) in the skin's colours.
    ApplyControlPalette(*this);
    setAttribute(Qt::WA_QuitOnClose, false);

    if (parts_.files == nullptr) {
        ownFiles_ = std::make_unique<QtFileChooser>(this);
        parts_.files = ownFiles_.get();
    }
    if (parts_.colours == nullptr) {
        ownColours_ = std::make_unique<DialogColourChooser>();
        parts_.colours = ownColours_.get();
    }
    if (parts_.onScreenKeyboard == nullptr) {
        ownOnScreenKeyboard_ = std::make_unique<SystemOnScreenKeyboard>();
        parts_.onScreenKeyboard = ownOnScreenKeyboard_.get();
    }
    if (parts_.profileFiles == nullptr) {
        ownProfileFiles_ = std::make_unique<QtProfileFileChooser>(this);
        parts_.profileFiles = ownProfileFiles_.get();
    }

    keyboardView_ = std::make_unique<KeyboardViewPresenter>(
        KeyboardViewDependencies{widgets(), *this, session_.lighting(), session_.bank(),
                                 session_.settings(), [this] { presenter_->MarkUnapplied(); }});
    Bind(*keyboardView_);

    panelWidgets_ =
        std::make_unique<LightingPanelWidgets>(*this, install.installFolder, *parts_.colours);
    panel_ = std::make_unique<LightingPanelPresenter>(LightingPanelDependencies{
        *panelWidgets_, session_.lighting(), *keyboardView_, session_.assignments(),
        session_.switching(), session_.activeProfile(), session_.userColours(),
        session_.mainLayout(), session_.languageSetting()});
    panelWidgets_->Bind(panel_.get());

    presenter_ = std::make_unique<MainWindowPresenter>(MainWindowDependencies{
        *this, parts_.shell, *parts_.files, *panel_, parts_.bridge.prompter(), session_.language(),
        install.languageFile, session_.appState(), session_.store(), session_.transfers(),
        session_.switching(), session_.assignments(), session_.lighting(), session_.handlers(),
        install.helpPage, text::ReadSkinScreen(session_.mainLayout()).link});

    trayMenu_ = std::make_unique<TrayMenuPresenter>(session_.language(), install.languageFile);
    tray_ = std::make_unique<TrayIcon>(
        *trayMenu_, [this](std::uint32_t command) { (void)presenter_->OnCommand(command); },
        [this] {
            if (isVisible()) {
                raise();
            }
        });
    connect(tray_.get(), &TrayIcon::availabilityChanged, this,
            [this](bool available) { presenter_->OnTrayAvailabilityChanged(available); });

    grab_ = std::make_unique<QtKeyboardGrab>(parts_.bridge.prompter(), session_.language());
    hooks_ = std::make_unique<HookOwner>(*grab_);
    grab_->SetHookOwner(hooks_.get());
    hooks_->AttachRecorder(&session_.recorder());
    session_.BindKeyboardHooks(hooks_.get());

    // The buttons, like the panel's controls, are made when the window is first shown: a start
    // into the notification area does without them.
    AddPlacement([this] {
        panelWidgets_->PlaceControls();
        // The dropped lists are windows of their own: they take the skin's colours too.
        for (QuietComboBox* list : {&panelWidgets_->effectList(), &panelWidgets_->userModeList()}) {
            ApplyControlPalette(*list->view()->window());
            ApplyControlPalette(*list->view());
        }
        BuildButtons();
        PlaceWindowControls();
        ShowControlState();
    });

    // The core reaches the windows from here on.
    WindowBridge& bridge = parts_.bridge;
    bridge.prompter().SetParent(this);
    bridge.bankView().Bind(keyboardView_.get());
    bridge.assignmentView().Bind(keyboardView_.get());
    bridge.lightingView().Bind(keyboardView_.get());
    bridge.deviceWindowView().Bind(presenter_.get());
    bridge.switchHost().Bind(presenter_.get());
    session_.SetPanelRefresh([this] { panel_->RefreshLightingPanel(); });
    bridge.link().Bind(this);

    qApp->installEventFilter(this);
}

MainWindow::~MainWindow() {
    qApp->removeEventFilter(this);
    WindowBridge& bridge = parts_.bridge;
    bridge.link().Bind(nullptr);
    bridge.switchHost().Bind(nullptr);
    bridge.deviceWindowView().Bind(nullptr);
    bridge.lightingView().Bind(nullptr);
    bridge.assignmentView().Bind(nullptr);
    bridge.bankView().Bind(nullptr);
    bridge.prompter().SetParent(nullptr);
    session_.SetPanelRefresh({});
    session_.BindKeyboardHooks(nullptr);
    busy_.reset();
    if (busyCursor_) {
        QApplication::restoreOverrideCursor();
    }
    // The dialogs call the presenters: they go first. The widgets go before what they call.
    manager_.reset();
    editor_.reset();
    if (about_ != nullptr) {
        delete about_;
    }
    tray_.reset();
    widgets().Bind(nullptr);
    panelWidgets_->Bind(nullptr);
}

void MainWindow::Start() {
    presenter_->OnWindowCreated();
    // INIT runs once the event loop runs: the tray icon, the profile menu, the ready flag.
    parts_.bridge.link().PostMessage(app::kMsgInit, app::kTagInit);
}

void MainWindow::BuildButtons() {
    if (!buttons_.empty()) {
        return;  // a re-placement (the skin applied again) moves the buttons made before
    }
    for (const WindowButton& entry : kWindowButtons) {
        auto* button = new PictureButton(this);
        button->setFocusPolicy(Qt::NoFocus);
        switch (entry.caption) {
            case Caption::Profiles:
                button->SetCaptionStyle(true, 10, QStringLiteral("Arial"), QColor(kLightCaption));
                break;
            case Caption::Version:
                button->SetCaptionStyle(true, 8, QStringLiteral("Verdana"), QColor(kLightCaption));
                break;
            case Caption::Plain:
                button->SetCaptionStyle(true, 9, QStringLiteral("Tahoma"), Qt::white);
                break;
            case Caption::None:
                break;
        }
        const std::uint32_t id = entry.id;
        connect(button, &QAbstractButton::clicked, this,
                [this, id] { (void)presenter_->OnCommand(id); });
        buttons_[id] = button;
    }
    buttons_[kCtlVersion]->setEnabled(false);
    // The profile menu as the profile button's context menu.
    PictureButton* profiles = buttons_[kCtlProfiles];
    profiles->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(profiles, &QWidget::customContextMenuRequested, this,
            [this] { presenter_->OnProfileButtonContextMenu(); });

    meter_ = new QLabel(this);
    meter_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    meter_->setStyleSheet(QStringLiteral("color: #E4E4E4; background: transparent;"));
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSize(8);
    meter_->setFont(font);
    meter_->hide();
}

void MainWindow::PlaceWindowControls() {
    const PictureSet set =
        InstallPictureSet(pictures(), session_.install().installFolder, skin::kMainPictures);
    for (const WindowButton& entry : kWindowButtons) {
        StatePictures faces{set.normal, set.hover, set.pressed, set.normal, set.normal};
        switch (entry.faces) {
            case Faces::Plain:
                break;
            case Faces::Apply:
                faces.disabled = set.disabled;
                break;
            case Faces::Link:
                faces.pressed = set.disabled;
                break;
            case Faces::Version:
                faces = {set.normal, set.normal, set.normal, set.normal, set.normal};
                break;
            case Faces::Profile:
                faces.selected = set.disabled;
                break;
        }
        PictureButton& button = *buttons_.at(entry.id);
        const text::SkinRect rect = PlaceSkinButton(button, entry.key, faces);
        if (rect.DisablesButton()) {
            button.hide();
        }
    }
    const text::SkinRect meter = Record(skin::MACRO_METER);
    if (!meter.DisablesButton()) {
        PlaceSkinControl(*meter_, skin::MACRO_METER);
        meter_->show();
    }
    // The keyboard's own buttons and the panel's controls come first in the tab order of
    // nothing: every button takes no focus, so Enter and Escape reach the window.
}

PictureButton* MainWindow::ButtonOf(std::uint32_t id) const {
    const auto it = buttons_.find(id);
    return it == buttons_.end() ? nullptr : it->second;
}

bool MainWindow::isToolWindow() const {
    return (windowFlags() & Qt::WindowType_Mask) == Qt::Tool;
}

void MainWindow::SetToolWindow(bool tool) {
    if (tool == isToolWindow()) {
        return;
    }
    // Changing the flags hides the window: only while it is hidden.
    const bool wasVisible = isVisible();
    setWindowFlags((tool ? Qt::Tool : Qt::Window) | Qt::FramelessWindowHint);
    if (wasVisible) {
        show();
    }
}

// ---- MainWindowView ----

void MainWindow::ShowAsApplicationWindow() {
    if (!isVisible()) {
        SetToolWindow(false);
    }
    EnsureSkinned();
    showNormal();
    raise();
    activateWindow();
}

void MainWindow::HideWindow() {
    hide();
}

void MainWindow::MinimizeWindow() {
    showMinimized();
}

void MainWindow::SetBusy(bool busy) {
    if (busy) {
        if (!busy_) {
            busy_.emplace(parts_.bridge.Busy());
        }
        // The pointer only matters over a window of ours. Loading the cursor theme costs about
        // a millisecond, which a start into the notification area need not pay; a window shown
        // while the work runs gets the pointer then (see eventFilter).
        if (!busyCursor_ && AnyWindowShown()) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
            busyCursor_ = true;
        }
        return;
    }
    busy_.reset();
    if (busyCursor_) {
        QApplication::restoreOverrideCursor();
        busyCursor_ = false;
    }
}

void MainWindow::SetTexts(const MainWindowTexts& texts) {
    setWindowTitle(Q(texts.title));
    controls_.texts = texts;
    ShowControlState();
}

void MainWindow::SetApplyEnabled(bool enabled) {
    controls_.applyEnabled = enabled;
    ShowControlState();
}

void MainWindow::SetProfileButton(std::string_view caption, std::string_view tooltip) {
    controls_.profileCaption = std::string(caption);
    controls_.profileTooltip = std::string(tooltip);
    ShowControlState();
}

void MainWindow::SelectProfileButton(int profile) {
    controls_.selectedProfile = profile;
    ShowControlState();
}

void MainWindow::ShowControlState() {
    if (buttons_.empty()) {
        return;  // the controls are made when the window is first shown
    }
    for (const ControlText& caption : controls_.texts.captions) {
        if (PictureButton* button = ButtonOf(caption.controlId)) {
            button->setText(Q(caption.text));
            button->setAccessibleName(Q(caption.text));
        }
    }
    for (const ControlText& tooltip : controls_.texts.tooltips) {
        if (PictureButton* button = ButtonOf(tooltip.controlId)) {
            button->SetTooltip(Q(tooltip.text));
            if (button->text().isEmpty()) {
                button->setAccessibleName(Q(tooltip.text));
            }
        }
    }
    PictureButton& apply = *buttons_.at(kCtlApply);
    apply.setEnabled(controls_.applyEnabled);
    // A greyed caption says "nothing to apply" as plainly as the greyed face.
    apply.SetCaptionStyle(true, 9, QStringLiteral("Tahoma"),
                          controls_.applyEnabled ? QColor(Qt::white) : ControlColours{}.offText);
    PictureButton& profiles = *buttons_.at(kCtlProfiles);
    profiles.setText(Q(controls_.profileCaption));
    profiles.setAccessibleName(Q(controls_.profileTooltip));
    profiles.SetTooltip(Q(controls_.profileTooltip));
    for (int p = 0; p < 3; ++p) {
        buttons_.at(kCtlProfile1 + static_cast<std::uint32_t>(p))
            ->SetSelected(p == controls_.selectedProfile);
    }
    const MacroMeter& meter = controls_.meter;
    meter_->setText(Q(meter.text));
    meter_->setAccessibleName(Q(meter.text));
    const char* colour = meter.tooLarge ? "#FF6B5B" : meter.namesDropped ? "#F5C04A" : "#E4E4E4";
    meter_->setStyleSheet(QStringLiteral("color: %1; background: transparent;").arg(colour));
}

void MainWindow::SetGButtonAssigned(std::size_t index, bool assigned) {
    keyboardView_->SetGButtonAssigned(index, assigned);
}

void MainWindow::RedrawKeyButtons() {
    update();
}

void MainWindow::ShowMacroMeter(const MacroMeter& meter) {
    controls_.meter = meter;
    ShowControlState();
}

void MainWindow::ShowMenuAtPointer(const std::vector<MenuItem>& items) {
    // A menu that does not block: its choice comes back as a command.
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (const MenuItem& item : items) {
        QAction* action = menu->addAction(Q(item.text));
        if (item.checked) {
            action->setCheckable(true);
            action->setChecked(true);
        }
        if (item.isDefault) {
            menu->setDefaultAction(action);
        }
        const std::uint32_t command = item.commandId;
        connect(action, &QAction::triggered, this,
                [this, command] { (void)presenter_->OnCommand(command); });
    }
    menu->popup(QCursor::pos());
}

bool MainWindow::CreateTrayIcon(std::string_view tooltip, int iconId) {
    return tray_->Create(tooltip, iconId);
}

void MainWindow::RemoveTrayIcon() {
    tray_->Remove();
}

void MainWindow::ShowAboutBox(const AboutBoxModel& about) {
    if (about_ == nullptr) {
        about_ = new QMessageBox(this);
        about_->setWindowModality(Qt::NonModal);
        about_->setIcon(QMessageBox::Information);
        about_->setStandardButtons(QMessageBox::Ok);
        about_->setTextFormat(Qt::RichText);
        about_->setTextInteractionFlags(Qt::TextBrowserInteraction);
        connect(about_, &QMessageBox::finished, this, [this] { presenter_->OnAboutBoxClosed(); });
    }
    about_->setWindowTitle(windowTitle());
    const QString link = Q(about.link).toHtmlEscaped();
    about_->setText(
        QStringLiteral("<p>%1</p><p>%2</p><p><a href=\"%3\">%3</a></p>")
            .arg(Q(about.introduction).toHtmlEscaped(), Q(about.copyright).toHtmlEscaped(), link));
    about_->show();
    about_->raise();
    about_->activateWindow();
}

void MainWindow::RaiseAboutBox() {
    if (about_ != nullptr) {
        about_->raise();
        about_->activateWindow();
    }
}

void MainWindow::CloseAboutBox() {
    if (about_ != nullptr) {
        about_->hide();
    }
}

void MainWindow::EnsureEditor() {
    if (editor_) {
        return;
    }
    const app::InstallPaths& install = session_.install();
    editor_ = std::make_unique<AssignmentEditorDialog>(
        EditorWindowDependencies{
            session_.store(), session_.assignments(), *keyboardView_, session_.recorder(), *hooks_,
            *grab_, parts_.bridge.prompter(), session_.language(), install.languageFile,
            install.compositeSkin.file, install.installFolder, pictures(), session_.appState(),
            *parts_.onScreenKeyboard, [this] { presenter_->Help(); }},
        this);
}

void MainWindow::EnsureManager() {
    if (manager_) {
        return;
    }
    const app::InstallPaths& install = session_.install();
    manager_ = std::make_unique<ProfileManagerDialog>(
        ProfileWindowDependencies{
            session_.settings(), session_.activeProfile(), session_.transfers(),
            session_.switching(), *presenter_, parts_.bridge.prompter(), session_.language(),
            session_.ProfileFolder(), *parts_.profileFiles, install.profileSkin.file,
            install.installFolder, pictures(), [this] { presenter_->Help(); }},
        this);
    if (ownProfileFiles_) {
        ownProfileFiles_->SetParent(manager_.get());
    }
}

void MainWindow::OpenProfileManager() {
    EnsureManager();
    (void)manager_->Open();
}

void MainWindow::OpenMacroEditor() {
    keyboardView_->OpenMacroEditor();
}

void MainWindow::RunEditor(const EditorOpening& opening, const QRect& nearButton) {
    EnsureEditor();
    // The editor changes the store: device work waits until it has closed.
    MainWindowPresenter::BusyScope busy(*presenter_);
    (void)editor_->Run(opening, nearButton);
    presenter_->RefreshMacroMeter();
}

void MainWindow::OpenAssignmentEditor(const EditorRequest& request) {
    QRect near(QCursor::pos(), QSize(1, 1));
    if (const std::optional<ViewButton> button = ButtonOfCommand(request.commandId)) {
        if (KeyButton* widget = widgets().ButtonOf(*button)) {
            near = QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
        }
    }
    RunEditor(OpeningFor(request), near);
}

void MainWindow::CloseEditorAndManager() {
    if (editor_ && editor_->IsOpen()) {
        editor_->CloseFromOutside();
    }
    if (manager_ && manager_->IsOpen()) {
        manager_->CloseFromOutside();
    }
}

bool MainWindow::IsEditorOpen() {
    return editor_ && editor_->IsOpen();
}

bool MainWindow::IsProfileManagerOpen() {
    return manager_ && manager_->IsOpen();
}

bool MainWindow::ManagerHasUnappliedChanges() {
    return manager_ && manager_->HasUnappliedChanges();
}

void MainWindow::CheckManagerRow(int profile) {
    if (manager_) {
        manager_->CheckRow(profile);
    }
}

void MainWindow::DisableManagerApply() {
    if (manager_) {
        manager_->DisableApply();
    }
}

void MainWindow::OpenLocalFile(const std::filesystem::path& file) {
    (void)QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(file.string())));
}

void MainWindow::OpenUrl(std::string_view url) {
    (void)QDesktopServices::openUrl(QUrl(Q(url)));
}

void MainWindow::ReportFailure(std::string_view text) {
    std::fprintf(stderr, "quillfen: %.*s\n", static_cast<int>(text.size()), text.data());
    if (!HasDisplay()) {
        return;
    }
    // Not blocking: the window stays usable and device work goes on.
    auto* box = new QMessageBox(QMessageBox::Warning, windowTitle(), Q(text), QMessageBox::Ok,
                                isVisible() ? this : nullptr);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
}

void MainWindow::ReportNotice(std::string_view text) {
    std::fprintf(stderr, "quillfen: %.*s\n", static_cast<int>(text.size()), text.data());
    if (!HasDisplay()) {
        return;
    }
    auto* box = new QMessageBox(QMessageBox::Information, windowTitle(), Q(text), QMessageBox::Ok,
                                isVisible() ? this : nullptr);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
}

// ---- MainWindowTarget ----

int MainWindow::OnWindowMessage(std::uint32_t message, std::uint32_t tag) {
    const int result = presenter_->OnMessage(message, tag);
    if (message == app::kMsgInit && presenter_->IsReady()) {
        qCDebug(lcMainWindow) << "INIT handled: the icon exists, the window is ready";
        // The presence thread may set the icon's picture and post OPEN from now on.
        parts_.bridge.link().SetReady(true);
    }
    if (message == app::kMsgProf || message == app::kMsgLed) {
        presenter_->RefreshMacroMeter();
    }
    return result;
}

void MainWindow::OnWindowTimer(std::uint32_t timerId) {
    (void)presenter_->OnTimer(timerId);
}

void MainWindow::ShowTrayIcon(int iconId) {
    tray_->SetIcon(iconId);
}

void MainWindow::HideMainWindow() {
    presenter_->RequestHide();
}

// ---- Keys and closing ----

void MainWindow::OnWindowShown(QObject* watched) {
    auto* dialog = qobject_cast<QDialog*>(watched);
    if (dialog == nullptr || !dialog->isWindow()) {
        return;
    }
    if (!windowIconSet_) {
        // The icon theme is searched when the first window appears, not at start: the search
        // reads the theme's index files, a few milliseconds a start into the tray does without.
        windowIconSet_ = true;
        QApplication::setWindowIcon(
            QIcon::fromTheme(QStringLiteral("quillfen"), TrayPicture(app::kIconKeyboardPresent)));
    }
    if (busy_ && !busyCursor_) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        busyCursor_ = true;
    }
}

bool MainWindow::FilterKey(QKeyEvent* event, bool pressed) {
    const bool effectListFocused = QApplication::focusWidget() == &panelWidgets_->effectList();
    return presenter_->OnKey(WindowKeyOf(event->key()), pressed, effectListFocused);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show) {
        OnWindowShown(watched);
    }
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        auto* widget = qobject_cast<QWidget*>(watched);
        // Keys of this window and its controls only; the editor and the other windows filter
        // their own. A key a control ignores travels up to its parents as the same event: it
        // is judged once.
        auto* key = static_cast<QKeyEvent*>(event);
        if (widget != nullptr && widget->window() == this &&
            !(key == lastKey_.event && key->timestamp() == lastKey_.timestamp)) {
            lastKey_ = {key, key->timestamp()};
            if (FilterKey(key, event->type() == QEvent::KeyPress)) {
                return true;
            }
        }
    }
    return KeyboardViewDialog::eventFilter(watched, event);
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return ||
        event->key() == Qt::Key_Enter) {
        event->accept();  // QDialog would close or press a default button
        return;
    }
    KeyboardViewDialog::keyPressEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    presenter_->OnCloseRequested();
}

}  // namespace qf::ui

// The main window: the skinned dialog of Skins/Main.ini with the keyboard view, the lighting
// panel, the window's own buttons and the macro memory meter, the notification-area icon, the
// About box, and the windows it opens (the key assignment editor and the profile manager).
//
// Its rules are the presenters' (main window, keyboard view, lighting panel, tray menu); this
// class builds them on the session, binds them to the window bridge and wires the widgets:
//
//   MainWindow window({session, bridge, pictures, shell});
//   SkinError error;
//   if (!window.ApplyDialogSkin(&error)) ExitOnSkinFailure(error);
//   window.Start();             // texts, Apply disabled, INIT posted to itself
//   ...                         // INIT: the tray icon, the profile menu, ready, hidden
//
// The window is a tool window (no taskbar entry) until OPEN shows it as an application window.
// GUI thread only.
#pragma once

#include <QPointer>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>

#include "presenters/hook_owner.h"
#include "presenters/keyboard_view.h"
#include "presenters/lighting_panel.h"
#include "presenters/main_window_presenter.h"
#include "presenters/tray_menu.h"
#include "session/session.h"
#include "ui/bridge/window_bridge.h"
#include "ui/bridge/window_link.h"
#include "ui/editor/on_screen_keyboard.h"
#include "ui/keyboard/keyboard_view_widgets.h"
#include "ui/lighting/colour_picker.h"
#include "ui/lighting/lighting_panel_widgets.h"
#include "ui/profiles/profile_file_chooser.h"
#include "ui/skin/picture_button.h"

class QLabel;
class QMessageBox;

namespace qf::ui {

class AssignmentEditorDialog;
class ProfileManagerDialog;
class QtKeyboardGrab;
class TrayIcon;

// The import and export dialogs on QFileDialog.
class QtFileChooser final : public presenters::FileChooser {
public:
    explicit QtFileChooser(QWidget* parent) : parent_(parent) {}
    [[nodiscard]] std::optional<std::filesystem::path> ChooseOpenFile(
        const presenters::FileDialogSpec& spec) override;
    [[nodiscard]] std::optional<std::filesystem::path> ChooseSaveFile(
        const presenters::FileDialogSpec& spec) override;

private:
    QPointer<QWidget> parent_;
};

// What the window is built on. Every reference outlives the window; the seams may be null for
// the real dialogs.
struct MainWindowParts {
    session::Session& session;
    WindowBridge& bridge;
    PictureCache& pictures;
    presenters::ShellControl& shell;
    presenters::FileChooser* files = nullptr;
    ColourChooser* colours = nullptr;
    OnScreenKeyboard* onScreenKeyboard = nullptr;
    presenters::ProfileFileChooser* profileFiles = nullptr;
};

class MainWindow final : public KeyboardViewDialog,
                         public presenters::MainWindowView,
                         public MainWindowTarget,
                         public presenters::AssignmentEditorHost {
    Q_OBJECT
public:
    explicit MainWindow(MainWindowParts parts);
    ~MainWindow() override;

    // The end of the window's start-up: texts, Apply disabled, INIT posted to itself.
    void Start();

    [[nodiscard]] presenters::MainWindowPresenter& presenter() { return *presenter_; }
    [[nodiscard]] presenters::KeyboardViewPresenter& keyboardView() { return *keyboardView_; }
    [[nodiscard]] presenters::LightingPanelPresenter& panel() { return *panel_; }
    [[nodiscard]] LightingPanelWidgets& panelWidgets() { return *panelWidgets_; }
    [[nodiscard]] TrayIcon& tray() { return *tray_; }
    // The window's own buttons by control id (null for other ids, and until the window is
    // first shown), and the meter.
    [[nodiscard]] PictureButton* ButtonOf(std::uint32_t id) const;
    [[nodiscard]] QLabel& macroMeter() const { return *meter_; }
    [[nodiscard]] bool isToolWindow() const;
    [[nodiscard]] AssignmentEditorDialog* editor() const { return editor_.get(); }
    [[nodiscard]] QtKeyboardGrab& keyboardGrab() const { return *grab_; }
    [[nodiscard]] ProfileManagerDialog* profileManager() const { return manager_.get(); }

    // ---- presenters::MainWindowView ----
    void ShowAsApplicationWindow() override;
    void HideWindow() override;
    void MinimizeWindow() override;
    void SetBusy(bool busy) override;
    void SetTexts(const presenters::MainWindowTexts& texts) override;
    void SetApplyEnabled(bool enabled) override;
    void SetProfileButton(std::string_view caption, std::string_view tooltip) override;
    void SelectProfileButton(int profile) override;
    void SetGButtonAssigned(std::size_t index, bool assigned) override;
    void RedrawKeyButtons() override;
    void ShowMacroMeter(const presenters::MacroMeter& meter) override;
    void ShowMenuAtPointer(const std::vector<presenters::MenuItem>& items) override;
    bool CreateTrayIcon(std::string_view tooltip, int iconId) override;
    void RemoveTrayIcon() override;
    void ShowAboutBox(const presenters::AboutBoxModel& about) override;
    void RaiseAboutBox() override;
    void CloseAboutBox() override;
    void OpenProfileManager() override;
    void OpenMacroEditor() override;
    void CloseEditorAndManager() override;
    [[nodiscard]] bool IsEditorOpen() override;
    [[nodiscard]] bool IsProfileManagerOpen() override;
    [[nodiscard]] bool ManagerHasUnappliedChanges() override;
    void CheckManagerRow(int profile) override;
    void DisableManagerApply() override;
    void OpenLocalFile(const std::filesystem::path& file) override;
    void OpenUrl(std::string_view url) override;
    void ReportFailure(std::string_view text) override;
    void ReportNotice(std::string_view text) override;

    // ---- MainWindowTarget (the window link) ----
    int OnWindowMessage(std::uint32_t message, std::uint32_t tag) override;
    void OnWindowTimer(std::uint32_t timerId) override;
    void ShowTrayIcon(int iconId) override;
    void HideMainWindow() override;

    // ---- presenters::AssignmentEditorHost (the keyboard view's clicks) ----
    void OpenAssignmentEditor(const presenters::EditorRequest& request) override;

public slots:
    // Enter and Escape close nothing; closing from outside goes through the presenter.
    void reject() override {}
    void accept() override {}

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildButtons();
    void PlaceWindowControls();
    void EnsureEditor();
    void EnsureManager();
    void RunEditor(const presenters::EditorOpening& opening, const QRect& nearButton);
    void SetToolWindow(bool tool);
    // Shows what the presenter set on the window's own controls (once they exist).
    void ShowControlState();
    bool FilterKey(QKeyEvent* event, bool pressed);
    // A window is about to appear: the program's icon, and the busy pointer when work runs.
    void OnWindowShown(QObject* watched);

    MainWindowParts parts_;
    session::Session& session_;
    std::unique_ptr<QtFileChooser> ownFiles_;
    std::unique_ptr<DialogColourChooser> ownColours_;
    std::unique_ptr<SystemOnScreenKeyboard> ownOnScreenKeyboard_;
    std::unique_ptr<QtProfileFileChooser> ownProfileFiles_;

    std::unique_ptr<presenters::KeyboardViewPresenter> keyboardView_;
    std::unique_ptr<LightingPanelWidgets> panelWidgets_;
    std::unique_ptr<presenters::LightingPanelPresenter> panel_;
    std::unique_ptr<presenters::MainWindowPresenter> presenter_;
    std::unique_ptr<presenters::TrayMenuPresenter> trayMenu_;
    std::unique_ptr<TrayIcon> tray_;

    std::unique_ptr<QtKeyboardGrab> grab_;
    std::unique_ptr<presenters::HookOwner> hooks_;
    std::unique_ptr<AssignmentEditorDialog> editor_;
    std::unique_ptr<ProfileManagerDialog> manager_;
    QPointer<QMessageBox> about_;

    // What the presenter set on the controls; they are made when the window is first shown.
    struct ControlState {
        presenters::MainWindowTexts texts;
        bool applyEnabled = false;
        std::string profileCaption;
        std::string profileTooltip;
        int selectedProfile = -1;
        presenters::MacroMeter meter;
    } controls_;
    std::map<std::uint32_t, PictureButton*> buttons_;
    QLabel* meter_ = nullptr;
    std::optional<GuiDispatcher::BusyScope> busy_;
    bool busyCursor_ = false;
    bool windowIconSet_ = false;
    struct SeenKey {
        const QKeyEvent* event = nullptr;
        quint64 timestamp = 0;
    } lastKey_;
};

}  // namespace qf::ui
